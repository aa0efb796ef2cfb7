#include "MessageService.h"

#include "Messages.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
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
    void Show(const QString& caption, const QString& text, MsgIcon icon,
              const QString& informative) override {
        if (icon == MsgIcon::Error || icon == MsgIcon::Warning) {
            // Before the box: it waits for the operator, the log must not.
            const QByteArray line = MessageLogLine(caption, text, informative).toUtf8() + '\n';
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
            std::fflush(stderr);
        }
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(caption);
        box.setText(displayText(text));
        if (!informative.isEmpty()) box.setInformativeText(displayText(informative));
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

void ShowInfoMessage(const QString& caption, const QString& text, const QString& english) {
    MessageService::Instance().Show(caption, text, MsgIcon::Information, english);
}

void ShowErrorMessage(const QString& text, const QString& english) {
    MessageService::Instance().Show(Msg::ErrorCaption(), text, MsgIcon::Error, english);
}

QString MessageLogLine(const QString& caption, const QString& text, const QString& informative) {
    QString line = QStringLiteral("vantel: ") + caption + QStringLiteral(": ") + text;
    if (!informative.isEmpty()) line += QStringLiteral(" / ") + informative;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}
