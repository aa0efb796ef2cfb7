#pragma once
#include <QString>

class QWidget;

// Writes a top-level window's title straight to the X server: the window's
// _NET_WM_NAME (UTF-8) and WM_NAME (Latin-1) in one request buffer and one
// flush. Qt's own title path converts the text through Xlib's locale code and
// flushes twice; the clock rewrites the title a hundred times a second, so
// that path was most of a running clock's cost.
namespace NativeTitle {
// False, with nothing written, where the direct path does not apply: another
// platform, a window not yet created, a text that WM_NAME's Latin-1 cannot
// hold or that carries Qt's "[*]" placeholder. The caller then uses Qt's.
bool Set(QWidget* window, const QString& title);
} // namespace NativeTitle
