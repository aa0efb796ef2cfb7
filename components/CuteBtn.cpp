#include "CuteBtn.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <utility>

namespace {

// The button's one guard. A handler is free to destroy its own button (a
// window that closes on a click), so every step that calls out to a handler
// runs through here and stops when the button is gone: runs f and says
// whether `button` is still alive afterwards.
template <class F> bool survives(TCuteButton* button, F&& f) {
    const QPointer<TCuteButton> self(button);
    std::forward<F>(f)();
    return !self.isNull();
}

// Fires an event property with the button as sender, through a copy (the
// handler may replace the property), an error going to the default error
// report; true when the button survived it (or nothing was bound).
template <class H, class... A> bool fire(TCuteButton* button, const H& event, A&... args) {
    if (!event) return true;
    const H handler = event;
    return survives(button, [&] { Dispatch([&] { handler(button, args...); }); });
}

bool mouseButtonOf(Qt::MouseButton b, TMouseButton& out) {
    switch (b) {
    case Qt::LeftButton:
        out = mbLeft;
        return true;
    case Qt::RightButton:
        out = mbRight;
        return true;
    case Qt::MiddleButton:
        out = mbMiddle;
        return true;
    default:
        return false;
    }
}

// The character a key press offers as a dialog character: its printable text
// (or, when a modifier swallowed the text, the digit or letter of its key);
// none with Control or Meta held.
QChar dialogCharOf(const QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return {};
    const QString t = e->text();
    if (t.size() == 1 && t[0].isPrint() && !t[0].isSpace()) return t[0];
    const int k = e->key();
    if ((k >= Qt::Key_0 && k <= Qt::Key_9) || (k >= Qt::Key_A && k <= Qt::Key_Z))
        return QChar(static_cast<char16_t>(k));
    return {};
}

// Whether a focused control takes typed characters itself, so that a plain
// character typed into it is text and not an accelerator.
bool takesCharacters(const QWidget* w) {
    if (!w || qobject_cast<const TCuteButton*>(w)) return false;
    if (w->testAttribute(Qt::WA_InputMethodEnabled)) return true;
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w);
}

// Turns key presses into dialog characters for the buttons of the window the
// key was typed in: with Alt from any control, without it only from controls
// that take no characters. A focused button does this itself after its own
// key-down handling, so the filter leaves presses aimed at buttons alone.
class DialogCharFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override {
        if (ev->type() != QEvent::KeyPress || !obj->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(obj);
        if (qobject_cast<TCuteButton*>(w)) return false;
        QWidget* focus = QApplication::focusWidget();
        // Key events climb the parent chain; act on the first delivery only
        // (the focused control, or the window when nothing has the focus).
        if (w != focus && !w->isWindow()) return false;
        if (QApplication::activePopupWidget()) return false;
        auto* ke = static_cast<QKeyEvent*>(ev);
        const QChar ch = dialogCharOf(ke);
        if (ch.isNull()) return false;
        if (!(ke->modifiers() & Qt::AltModifier) && takesCharacters(focus ? focus : w))
            return false;
        return TCuteButton::DispatchDialogChar(w->window(), ch, ke->isAutoRepeat());
    }
};

void installDialogCharFilter() {
    static QPointer<DialogCharFilter> filter;
    if (filter || !qApp) return;
    filter = new DialogCharFilter(qApp);
    qApp->installEventFilter(filter);
}

} // namespace

TCuteButtonTimer::TCuteButtonTimer(TCuteButton* owner) : QTimer(owner), FCuteButton(owner) {}

TCuteButton::TCuteButton(QWidget* parent) : TCustomPanel(parent) {
    // The panel would take child controls; nothing is ever placed in a
    // button, and Qt has no flag to forbid it, so the button simply never
    // lays out or paints children.
    setFocusPolicy(Qt::StrongFocus);
    SetBevelOuter(bvNone);
    SetBevelInner(bvRaised);
    resize(75, 25);
    installDialogCharFilter();
}

TCuteButton::~TCuteButton() = default;

// ---- properties

void TCuteButton::SetFlat(bool v) {
    const bool changed = FFlat != v;
    FFlat = v;
    SetBevelInner(v ? bvNone : bvRaised);
    if (changed) update(); // the caption inset follows Flat too
}

// ---- paint

TButtonFace TCuteButton::Face() const {
    TButtonFace f;
    f.Client = ClientRect();
    f.Brush = Brush();
    f.HighlightColor = FBevelHighlightColor;
    f.ShadowColor = FBevelShadowColor;
    f.Outer = BevelOuter();
    f.Inner = BevelInner();
    f.BevelWidth = BevelWidth();
    f.Flat = FFlat;
    f.MarginX = FMarginX;
    f.MarginY = FMarginY;
    f.Alignment = Alignment();
    f.Layout = FLayout;
    f.Font = Font();
    f.Caption = Caption();
    f.Enabled = isEnabled();
    f.UseDisabledColor = FUseDisabledColor;
    f.DisabledColor = FDisabledColor;
    f.ShowFocusRect = FShowFocusRect;
    f.Focused = hasFocus();
    return f;
}

void TCuteButton::Paint(TCanvas& canvas) {
    DrawButtonFace(canvas, Face());
}

// ---- click

void TCuteButton::inheritedClick() {
    // A copy: the handler may replace OnClick or destroy the button.
    const TNotifyEvent handler = OnClick;
    CallEvent(handler, this);
}

void TCuteButton::Click() {
    if (FInDropDown) {
        // The click that ends a drop-down belongs to the menu, not the button.
        FInDropDown = false;
        return;
    }
    if (!FEgnoreContClick) {
        inheritedClick();
        return;
    }
    // While the handler runs (and while the events that piled up meanwhile
    // are processed) OnClick is empty, so presses on this button made during
    // a slow handler are lost instead of queueing further clicks.
    const TNotifyEvent saved = OnClick;
    OnClick = nullptr;
    if (!survives(this, [&] { inheritedClick(); })) return;
    if (saved) {
        if (!survives(this, [&] { CallEvent(saved, this); })) return;
        if (!survives(this, [] { QCoreApplication::processEvents(); })) return;
    }
    OnClick = saved;
}

void TCuteButton::restAfterKey() {
    setState(FTabFocusUp ? bvRaised : bvNone);
}

void TCuteButton::pressAndClick() {
    setState(bvLowered);
    const bool alive = survives(this, [&] {
        if (FDropDownMenu && FDropDownDelay == 0)
            DoDropDown();
        else
            Click();
    });
    if (alive) restAfterKey();
}

// ---- accelerator

bool TCuteButton::DialogChar(QChar ch, bool autoRepeat) {
    const QChar accel = AccelChar(Caption());
    if (accel.isNull() || ch.toUpper() != accel) return false;
    if (!isEnabled() || !parentWidget() || !parentWidget()->isVisible()) return false;
    // The repeat is still taken, so that it is neither typed into a control
    // nor offered to a later button with the same accelerator.
    if (!(autoRepeat && FOnePressOneClick)) pressAndClick();
    return true;
}

bool TCuteButton::DispatchDialogChar(QWidget* window, QChar ch, bool autoRepeat) {
    if (!window || ch.isNull()) return false;
    // Guarded: a click may destroy buttons further down the list.
    QList<QPointer<TCuteButton>> buttons;
    if (auto* b = qobject_cast<TCuteButton*>(window)) buttons.append(b);
    for (TCuteButton* b : window->findChildren<TCuteButton*>())
        buttons.append(b);
    for (const QPointer<TCuteButton>& b : buttons)
        if (b && b->DialogChar(ch, autoRepeat)) return true;
    return false;
}

// ---- keyboard

void TCuteButton::KeyDown(int& key, TShiftState shift) {
    if (!fire(this, OnKeyDown, key, shift)) return;
    if (!isEnabled()) return;
    if (key == VK_SPACE) {
        FSpacePressed = true;
        setState(bvLowered);
        if (FDropDownMenu) {
            FKeyDropDown = true;
            StartDropDown();
        }
    } else if (key == VK_RETURN) {
        if (!(FKeyRepeat && FOnePressOneClick)) pressAndClick();
    } else if (FSpacePressed) {
        FSpacePressed = false;
        restAfterKey();
    }
}

void TCuteButton::KeyUp(int& key, TShiftState shift) {
    if (!fire(this, OnKeyUp, key, shift)) return;
    freeTimer();
    if (FSpacePressed && key == VK_SPACE) {
        FSpacePressed = false;
        if (survives(this, [&] { Click(); })) restAfterKey();
    }
}

void TCuteButton::keyPressEvent(QKeyEvent* e) {
    if (!isEnabled()) {
        e->ignore();
        return;
    }
    int key = KeyCodeOf(e);
    const TShiftState shift = ShiftStateOf(e->modifiers(), QGuiApplication::mouseButtons());
    // KeyDown keeps its signature (OnKeyDown's), so the repeat rides along
    // beside it; restored, since a handler may process a further key press
    // before KeyDown decides on the click.
    const bool outerRepeat = std::exchange(FKeyRepeat, e->isAutoRepeat());
    if (!survives(this, [&] { KeyDown(key, shift); })) return;
    FKeyRepeat = outerRepeat;
    const bool ours = key == VK_SPACE || key == VK_RETURN;
    // A button takes no typed characters, so a character typed on it is a
    // dialog character for the buttons of its window first.
    const QChar ch = dialogCharOf(e);
    bool taken = false;
    if (!ch.isNull() &&
        !survives(this, [&] { taken = DispatchDialogChar(window(), ch, e->isAutoRepeat()); }))
        return;
    if (taken) {
        e->accept();
        return;
    }
    const QString text = e->text();
    if (text.size() == 1) {
        QChar c = text[0];
        if (!fire(this, OnKeyPress, c)) return;
    }
    if (ours)
        e->accept();
    else
        e->ignore(); // let the parent see keys the button has no use for
}

void TCuteButton::keyReleaseEvent(QKeyEvent* e) {
    // Auto-repeat sends release and press pairs; only the real release counts.
    if (e->isAutoRepeat() || !isEnabled()) {
        e->ignore();
        return;
    }
    int key = KeyCodeOf(e);
    const bool ours = key == VK_SPACE || key == VK_RETURN;
    const TShiftState shift = ShiftStateOf(e->modifiers(), QGuiApplication::mouseButtons());
    if (!survives(this, [&] { KeyUp(key, shift); })) return;
    if (ours)
        e->accept();
    else
        e->ignore();
}

// ---- mouse

QPoint TCuteButton::clientPoint(const QPoint& widgetPoint) const {
    return widgetPoint - contentsRect().topLeft();
}

void TCuteButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (!hasFocus() && (focusPolicy() & Qt::ClickFocus) &&
        !survives(this, [&] { setFocus(Qt::MouseFocusReason); }))
        return;
    if (button == mbLeft) setState(bvLowered);
    if (!fire(this, OnMouseDown, button, shift, x, y)) return;
    if (button == mbLeft && FDropDownMenu) {
        FKeyDropDown = false;
        StartDropDown();
    }
}

void TCuteButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        const QRect client(QPoint(0, 0), contentsRect().size());
        const bool inside = client.contains(x, y);
        const bool activeControl = window() && window()->focusWidget() == this;
        setState(inside || (FTabFocusUp && activeControl) ? bvRaised : bvNone);
    }
    if (!fire(this, OnMouseUp, button, shift, x, y)) return;
    freeTimer();
    FCaptured = false;
}

void TCuteButton::mouseDownCommon(QMouseEvent* e, bool armClick) {
    TMouseButton b;
    if (!mouseButtonOf(e->button(), b)) {
        e->ignore();
        return;
    }
    if (b == mbLeft) {
        // Qt keeps the pointer with the pressed widget until release.
        FCaptured = true;
        FClickArmed = armClick;
    }
    const QPoint p = clientPoint(e->position().toPoint());
    MouseDown(b, ShiftStateOf(e->modifiers(), e->buttons()), p.x(), p.y());
}

void TCuteButton::mousePressEvent(QMouseEvent* e) {
    mouseDownCommon(e, true);
}

// The second press of a double click is a mouse down that arms no click, so
// two quick presses give one click.
void TCuteButton::mouseDoubleClickEvent(QMouseEvent* e) {
    mouseDownCommon(e, false);
}

void TCuteButton::mouseReleaseEvent(QMouseEvent* e) {
    TMouseButton b;
    if (!mouseButtonOf(e->button(), b)) {
        e->ignore();
        return;
    }
    const QPoint p = clientPoint(e->position().toPoint());
    const TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons());
    if (b == mbLeft) {
        FCaptured = false;
        if (FClickArmed) {
            FClickArmed = false;
            // Still Pressed while the handler runs; the look is restored below.
            if (QRect(QPoint(0, 0), contentsRect().size()).contains(p) &&
                !survives(this, [&] { Click(); }))
                return;
        }
    }
    MouseUp(b, shift, p.x(), p.y());
}

void TCuteButton::mouseMoveEvent(QMouseEvent* e) {
    if (!OnMouseMove) return;
    const QPoint p = clientPoint(e->position().toPoint());
    const TMouseMoveEvent handler = OnMouseMove;
    const TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons());
    Dispatch([&] { handler(this, shift, p.x(), p.y()); });
}

void TCuteButton::MouseEnter(TShiftState shift, int x, int y) {
    if (!fire(this, OnMouseEnter, shift, x, y)) return;
    setState((shift & ssLeft) ? bvLowered : bvRaised);
}

void TCuteButton::MouseLeave(TShiftState shift, int x, int y) {
    if (!fire(this, OnMouseLeave, shift, x, y)) return;
    if (!(hasFocus() && FTabFocusUp)) setState(bvNone);
}

void TCuteButton::enterEvent(QEnterEvent* e) {
    TCustomPanel::enterEvent(e);
    const QPoint p = clientPoint(mapFromGlobal(QCursor::pos()));
    MouseEnter(GetShiftState(), p.x(), p.y());
}

void TCuteButton::leaveEvent(QEvent* e) {
    TCustomPanel::leaveEvent(e);
    const QPoint p = clientPoint(mapFromGlobal(QCursor::pos()));
    MouseLeave(GetShiftState(), p.x(), p.y());
}

// ---- focus

void TCuteButton::focusInEvent(QFocusEvent* e) {
    TCustomPanel::focusInEvent(e);
    // A menu popping up and closing again moves the focus away and back
    // without the button ever losing it from the operator's point of view.
    if (e->reason() == Qt::PopupFocusReason) return;
    if (FTabFocusUp) setState(bvRaised);
    update(); // the focus rectangle
    // The window coming back to the front returns the focus to the control
    // that had it: no control was entered.
    if (e->reason() == Qt::ActiveWindowFocusReason) return;
    const TNotifyEvent handler = OnEnter;
    CallEvent(handler, this);
}

void TCuteButton::focusOutEvent(QFocusEvent* e) {
    TCustomPanel::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason) {
        // The button keeps the focus under a menu, but the Space key's release
        // goes to the menu. Only the button's own drop-down, which ends the
        // Space press itself, may leave it pending.
        if (FSpacePressed && !FInDropDown) {
            FSpacePressed = false;
            restAfterKey();
        }
        return;
    }
    if (e->reason() != Qt::ActiveWindowFocusReason) {
        const TNotifyEvent handler = OnExit;
        if (!survives(this, [&] { CallEvent(handler, this); })) return;
    }
    // A Space that went down here cannot come up here any more.
    FSpacePressed = false;
    setState(bvNone);
    update();
}

// ---- drop-down

void TCuteButton::freeTimer() {
    if (!FDropDownTimer) return;
    TCuteButtonTimer* t = FDropDownTimer;
    FDropDownTimer = nullptr;
    t->stop();
    t->deleteLater(); // possibly called from inside its own timeout
}

void TCuteButton::StartDropDown() {
    if (FDropDownDelay <= 0) {
        DoDropDown();
        return;
    }
    if (FDropDownTimer) return;
    FDropDownTimer = new TCuteButtonTimer(this);
    FDropDownTimer->setInterval(FDropDownDelay);
    connect(FDropDownTimer, &QTimer::timeout, this, &TCuteButton::dropDownTimerTimer);
    FDropDownTimer->start();
}

void TCuteButton::dropDownTimerTimer() {
    freeTimer(); // it fires once
    if (FKeyDropDown) {
        DoDropDown();
    } else if (FCaptured) {
        // The left button is still held on the button: a long press.
        if (survives(this, [&] { DoDropDown(); })) FCaptured = false;
    }
}

void TCuteButton::DoDropDown() {
    if (!FDropDownMenu) return;
    const QPoint at = mapToGlobal(QPoint(0, height()));
    FInDropDown = true;
    // The menu takes the pointer: the press that opened it ends in the menu
    // and clicks nothing here.
    FClickArmed = false;
    // Paint the Pressed look first.
    if (!survives(this, [] { QCoreApplication::processEvents(); })) return;
    const bool alive = survives(this, [&] {
        if (QPointer<TPopupMenu> menu = FDropDownMenu) menu->Popup(at.x(), at.y());
    });
    if (!alive) return;
    const bool stillAlive = survives(this, [&] {
        if (FKeyDropDown) {
            int key = VK_SPACE;
            KeyUp(key, 0);
        } else {
            MouseUp(mbLeft, 0, 0, 0);
        }
    });
    if (stillAlive) FInDropDown = false;
}
