#include "BoxKeys.h"

#include "CuteBtn.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace {

class TBoxKeys : public QObject {
public:
    explicit TBoxKeys(QWidget* window) : QObject(window), FWindow(window) {}

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override {
        if (ev->type() != QEvent::KeyPress || !obj->isWidgetType() || !FWindow) return false;
        QWidget* box = QApplication::activeModalWidget();
        if (!box || box == FWindow || !FWindow->isVisible()) return false;
        // Once, as the box's focused control gets it.
        if (static_cast<QWidget*>(obj)->window() != box) return false;
        if (obj != QApplication::focusWidget() && obj != box) return false;
        const auto* ke = static_cast<QKeyEvent*>(ev);
        const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
        if (mods != Qt::NoModifier && mods != Qt::AltModifier) return false;
        if (ke->key() < Qt::Key_1 || ke->key() > Qt::Key_3) return false;
        // The buttons' own accelerators decide, so Key (accelerators off)
        // and a held key behave as in the window.
        const QChar ch(char16_t(u'0' + (ke->key() - Qt::Key_0)));
        return TCuteButton::DispatchDialogChar(FWindow, ch, ke->isAutoRepeat());
    }

private:
    QPointer<QWidget> FWindow;
};

} // namespace

void KeepLapKeysThroughBoxes(QWidget* window) {
    qApp->installEventFilter(new TBoxKeys(window));
}
