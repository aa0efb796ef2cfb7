#pragma once
#include "Events.h"

#include <QApplication>
#include <QString>
#include <exception>

class QObject;

// The program's application object. Its Title is the text of the taskbar
// entry; while it lives, errors raised by handlers end at its default error
// report.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;
    // An event runs as a handler does (Dispatch), so that an error raised by
    // a control's own event code, which no handler call wraps, is reported
    // too instead of unwinding through Qt's event loop.
    bool notify(QObject* receiver, QEvent* event) override;
};

namespace Application {
// The application title; "Vantel" until the first tick. Linux desktops have
// no taskbar text apart from the window's caption, so nothing on screen shows
// it: it is kept for the harness (dump caption) and the tests.
QString Title();
void SetTitle(const QString& title);

// The default error report: a message box with the error's message and,
// below it, its English detail (Exception::Detail) when it has one.
void ShowException(const std::exception& e);
void ShowException(const QString& message, const QString& detail = {});
// Caption of the default error report.
QString ErrorCaption();
} // namespace Application
