#pragma once
#include <QString>

namespace Sheet {

// A font as a cell shows it; the workbook's default where nothing is set.
struct TCellFont {
    QString Name = QStringLiteral("Calibri");
    double Size = 11;
    bool Bold = false, Italic = false;
};

} // namespace Sheet
