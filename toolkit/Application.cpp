#include "Application.h"

#include "Errors.h"
#include "Font.h"
#include "MessageService.h"
#include "Messages.h"

namespace {
// The clock repaints two labels and the caption every 10 ms, so Qt's cost per
// wake-up is most of the program's idle load. Two of Qt's own switches cut the
// context switches of a running clock by about two fifths: Qt's plain poll
// loop instead of the GLib one, and repaints sent over the X socket instead of
// through shared memory, whose completion event wakes both of Qt's threads
// once more per flush. The pixels are the same either way; a whole-window
// repaint (a lap) takes about a millisecond longer to reach the server. A
// variable the user has set (even to nothing) is left alone, and
// VANTEL_QT_DEFAULTS keeps Qt's own choices.
int& TuneEventLoop(int& argc) {
    if (qEnvironmentVariableIsSet("VANTEL_QT_DEFAULTS")) return argc;
    for (const char* name : {"QT_NO_GLIB", "QT_XCB_NO_MITSHM"})
        if (!qEnvironmentVariableIsSet(name)) qputenv(name, "1");
    return argc;
}

QString& titleRef() {
    static QString t = Msg::AppName();
    return t;
}
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(TuneEventLoop(argc), argv) {
    // Message boxes and menus draw with the application font: name it, as every
    // other face is named, with the Japanese face for the messages' own text.
    QFont f = font();
    f.setFamilies({InstalledFace(TFont().Name), QStringLiteral("IPAPGothic")});
    setFont(f);
    ErrorReport::SetReporter([](const std::exception& e) { Application::ShowException(e); });
}

TApplication::~TApplication() {
    // Without the application there is no message box to show.
    ErrorReport::SetReporter(nullptr);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // Not a second catch: an error from a handler has been reported by the
    // Dispatch around it and does not get this far.
    bool handled = false;
    Dispatch([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

namespace Application {

QString Title() {
    return titleRef();
}

void SetTitle(const QString& title) {
    titleRef() = title;
}

QString ErrorCaption() {
    return Msg::AppName();
}

void ShowException(const QString& message, const QString& detail) {
    MessageService::Instance().Show(ErrorCaption(), message, MsgIcon::Error, detail);
}

void ShowException(const std::exception& e) {
    if (auto* ours = dynamic_cast<const Exception*>(&e))
        ShowException(ours->Message(), ours->Detail());
    else
        ShowException(QString::fromUtf8(e.what()));
}

} // namespace Application
