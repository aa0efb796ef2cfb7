#pragma once
#include <QString>

class QWidget;

// Writes a top-level window's title straight to the X server: the window's
// _NET_WM_NAME (UTF-8) and WM_NAME (Latin-1). Qt's own title path converts
// the text through Xlib's locale code and flushes twice, and every title
// change comes back from the server as two property events that wake both of
// Qt's threads. The clock rewrites the title a hundred times a second, so
// that was most of a running clock's cost.
namespace NativeTitle {
// Whether the direct path can write this title: not on another platform, a
// window not yet created, a text that WM_NAME's Latin-1 cannot hold or that
// carries Qt's "[*]" placeholder. The caller then uses Qt's path.
bool Applies(QWidget* window, const QString& title);
// Puts the requests of a title that Applies accepted in the connection's
// buffer, for the next flush (say, of a repaint) to send; false, with nothing
// written, when the window has lost its X window since.
bool Write(QWidget* window, const QString& title);
// Sends what is buffered; nothing when a flush came in between.
void Flush();
} // namespace NativeTitle
