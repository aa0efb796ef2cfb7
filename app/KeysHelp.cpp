#include "KeysHelp.h"

#include "Messages.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace {

class TKeysHelp : public QObject {
public:
    explicit TKeysHelp(QWidget* window) : QObject(window), FWindow(window) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_F1)
            return false;
        show();
        return true;
    }

private:
    void show() {
        if (!FDialog) {
            // Not modal: the lap keys go on working in the window behind it.
            auto* d = new QDialog(FWindow);
            d->setObjectName(QStringLiteral("KeysHelp"));
            d->setWindowTitle(Msg::KeysHelpCaption());
            d->setAttribute(Qt::WA_DeleteOnClose);
            auto* text = new QLabel(Msg::KeysHelp(), d);
            text->setTextInteractionFlags(Qt::TextSelectableByMouse);
            (new QVBoxLayout(d))->addWidget(text);
            FDialog = d;
        }
        FDialog->show();
        FDialog->raise();
    }
    QWidget* FWindow;
    QPointer<QDialog> FDialog;
};

} // namespace

void InstallKeysHelp(QWidget* window) {
    new TKeysHelp(window);
}
