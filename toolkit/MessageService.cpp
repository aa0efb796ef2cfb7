#include "MessageService.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// Messages use CR (and CR LF) as line breaks; Qt wants LF.
QString displayText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

class QtMessageService : public MessageService {
public:
    void Show(const QString& caption, const QString& text, MsgIcon icon) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(caption);
        box.setText(displayText(text));
        switch (icon) {
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::None:
            break;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
    }
};

MessageService* installed = nullptr;

} // namespace

MessageService& MessageService::Instance() {
    static QtMessageService real;
    return installed ? *installed : real;
}

void MessageService::SetInstance(MessageService* service) {
    installed = service;
}

void ShowInfoMessage(const QString& caption, const QString& text) {
    MessageService::Instance().Show(caption, text, MsgIcon::Information);
}

void ShowErrorMessage(const QString& text) {
    MessageService::Instance().Show(QStringLiteral("エラー"), text, MsgIcon::Error);
}
