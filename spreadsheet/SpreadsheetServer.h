#pragma once
#include <QString>
#include <functional>

// The built-in spreadsheet application, reached only through the automation
// layer under the identifier below. Each instance registers itself as the
// running object when it is created and stays there until it quits, so a
// second client attaches to it. Setting its Visible property to true saves
// each new workbook as NAME.xlsx in the current directory and hands the file
// to the desktop.
namespace Spreadsheet {

inline const QString ProgId = QStringLiteral("Excel.Application");

// Puts the class into the automation registry (the running instance, if
// any, is left as it is).
void Register();
// Removes the class and the running instance from the automation layer.
void Unregister();

// Opens a saved workbook for the user; false when that could not be done.
// The default hands it to the desktop; nullptr restores that.
using FileOpener = std::function<bool(const QString& path)>;
void SetFileOpener(FileOpener opener);

} // namespace Spreadsheet
