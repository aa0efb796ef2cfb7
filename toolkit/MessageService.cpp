#include "MessageService.h"

#include "Messages.h"

#include <QApplication>
#include <QMessageBox>

#include <iterator>

namespace {

// Messages use CR (and CR LF) as line breaks; Qt wants LF.
QString displayText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QMessageBox::Icon boxIcon(MsgIcon icon) {
    // In the order of MsgIcon.
    static constexpr QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                                  QMessageBox::Warning, QMessageBox::Critical,
                                                  QMessageBox::Question};
    static_assert(std::size(icons) == size_t(MsgIcon::Question) + 1);
    return icons[size_t(icon)];
}

class QtMessageService : public MessageService {
public:
    void Show(const QString& caption, const QString& text, MsgIcon icon) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(caption);
        box.setText(displayText(text));
        box.setIcon(boxIcon(icon));
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
    MessageService::Instance().Show(Msg::ErrorCaption(), text, MsgIcon::Error);
}
