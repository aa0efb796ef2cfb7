#include "Application.h"

#include "Errors.h"
#include "Font.h"
#include "MessageService.h"

namespace {
QString& titleRef() {
    static QString t = QStringLiteral("Vantel");
    return t;
}
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Message boxes and menus draw with the application font: name it, as every
    // other face is named, with the Japanese face for the messages' own text.
    QFont f = font();
    f.setFamilies({InstalledFace(TFont().Name), QStringLiteral("IPAPGothic")});
    setFont(f);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        Application::ShowException(e);
    }
    return false;
}

namespace Application {

QString Title() {
    return titleRef();
}

void SetTitle(const QString& title) {
    titleRef() = title;
}

QString ErrorCaption() {
    return QStringLiteral("Vantel");
}

void ShowException(const QString& message) {
    MessageService::Instance().Show(ErrorCaption(), message, MsgIcon::Error);
}

void ShowException(const std::exception& e) {
    if (auto* ours = dynamic_cast<const Exception*>(&e))
        ShowException(ours->Message());
    else
        ShowException(QString::fromUtf8(e.what()));
}

} // namespace Application
