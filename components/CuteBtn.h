#pragma once
#include "ButtonFace.h"
#include "Change.h"
#include "Events.h"
#include "Menu.h"
#include "Panel.h"

#include <QPointer>
#include <QTimer>

class TCuteButton;

// The hold-delay timer of a pending drop-down: fires once for its button.
class TCuteButtonTimer : public QTimer {
    Q_OBJECT
public:
    explicit TCuteButtonTimer(TCuteButton* owner);
    TCuteButton* FCuteButton = nullptr;
};

// A focusable push button painted on a bevelled panel. Its look follows
// BevelOuter: none while idle, raised under the pointer (or focused), lowered
// while pressed. It clicks on a left release inside it, on Space released, on
// Enter pressed (with auto-repeat, unless OnePressOneClick) and on its
// caption's accelerator character.
class TCuteButton : public TCustomPanel {
    Q_OBJECT
public:
    explicit TCuteButton(QWidget* parent = nullptr);
    ~TCuteButton() override;

    TNotifyEvent OnClick, OnEnter, OnExit;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove, OnMouseEnter, OnMouseLeave;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;

    // The button's click: swallowed while a drop-down is shown, and with
    // EgnoreContClick set, clicks that pile up while OnClick runs are dropped.
    void Click();
    // A press by an assistive tool's action: the look and the click (or the
    // drop-down) of a mouse click, EgnoreContClick included, without moving
    // the keyboard focus.
    void PressAction() { pressAndClick(); }
    // Whether the button shows its pressed look now.
    bool Down() const { return BevelOuter() == bvLowered; }

    TColor BevelHighlightColor() const { return FBevelHighlightColor; }
    void SetBevelHighlightColor(TColor v) { set(FBevelHighlightColor, v); }
    TColor BevelShadowColor() const { return FBevelShadowColor; }
    void SetBevelShadowColor(TColor v) { set(FBevelShadowColor, v); }
    TColor DisabledColor() const { return FDisabledColor; }
    void SetDisabledColor(TColor v) { setDisabledLook(FDisabledColor, v); }
    int DropDownDelay() const { return FDropDownDelay; }
    void SetDropDownDelay(int v) { FDropDownDelay = v; }
    TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(TPopupMenu* v) { set(FDropDownMenu, v); }
    // Spelled as the stored layout names the property; kept so layouts load.
    bool EgnoreContClick() const { return FEgnoreContClick; }
    void SetEgnoreContClick(bool v) { FEgnoreContClick = v; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    // A held key clicks once: the auto-repeated presses of Enter and of the
    // accelerator are taken without clicking. For buttons whose every click
    // is recorded (a lap), where a held key must not turn into a burst.
    bool OnePressOneClick() const { return FOnePressOneClick; }
    void SetOnePressOneClick(bool v) { FOnePressOneClick = v; }
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout v) { set(FLayout, v); }
    int MarginX() const { return FMarginX; }
    void SetMarginX(int v) { set(FMarginX, std::max(v, -1)); }
    int MarginY() const { return FMarginY; }
    void SetMarginY(int v) { set(FMarginY, std::max(v, -1)); }
    bool ShowFocusRect() const { return FShowFocusRect; }
    void SetShowFocusRect(bool v) { set(FShowFocusRect, v); }
    bool TabFocusUp() const { return FTabFocusUp; }
    void SetTabFocusUp(bool v) { FTabFocusUp = v; }
    bool UseDisabledColor() const { return FUseDisabledColor; }
    void SetUseDisabledColor(bool v) { setDisabledLook(FUseDisabledColor, v); }

    // Everything the face is painted from, as it stands now.
    TButtonFace Face() const;

    // Transient state, readable for tests and the owner.
    bool InDropDown() const { return FInDropDown; }
    bool SpacePressed() const { return FSpacePressed; }
    TCuteButtonTimer* DropDownTimer() const { return FDropDownTimer; }

    // Handles a dialog character (accelerator) sent to this button; true when
    // it matched and the button acted on it. autoRepeat: the character comes
    // from a held key's repeat (taken, but no click with OnePressOneClick).
    bool DialogChar(QChar ch, bool autoRepeat = false);
    // Offers a dialog character to the buttons of a window in child order;
    // true when one took it.
    static bool DispatchDialogChar(QWidget* window, QChar ch, bool autoRepeat = false);

    // Opens the drop-down menu now or after DropDownDelay.
    virtual void StartDropDown();
    // Shows DropDownMenu below the button and restores the look afterwards.
    virtual void DoDropDown();

protected:
    void Paint(TCanvas& canvas) override;

    void KeyDown(int& key, TShiftState shift);
    void KeyUp(int& key, TShiftState shift);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void MouseEnter(TShiftState shift, int x, int y);
    void MouseLeave(TShiftState shift, int x, int y);

    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // The disabled look shows only while the button is disabled.
    template <class T> void setDisabledLook(T& field, T v) {
        if (Change(field, v) && !isEnabled()) update();
    }
    void setState(TBevelCut look) { SetBevelOuter(look); }
    void restAfterKey();  // Raised when TabFocusUp, else Idle
    void pressAndClick(); // Pressed, then the drop-down or a click, then rest
    void freeTimer();
    void dropDownTimerTimer();
    void inheritedClick();
    void mouseDownCommon(QMouseEvent* e, bool armClick);
    QPoint clientPoint(const QPoint& widgetPoint) const;

    TColor FBevelShadowColor = clBtnShadow;
    TColor FBevelHighlightColor = clBtnHighlight;
    TColor FDisabledColor = clGray;
    int FDropDownDelay = 0;
    QPointer<TPopupMenu> FDropDownMenu;
    bool FInDropDown = false;
    bool FEgnoreContClick = false;
    bool FOnePressOneClick = false;
    // The key press being handled is a held key's auto-repeat.
    bool FKeyRepeat = false;
    bool FFlat = false;
    bool FSpacePressed = false;
    bool FTabFocusUp = true;
    TTextLayout FLayout = tlCenter;
    bool FShowFocusRect = false;
    bool FUseDisabledColor = false;
    bool FKeyDropDown = false;
    int FMarginX = -1;
    int FMarginY = -1;
    TCuteButtonTimer* FDropDownTimer = nullptr;
    // The left press that will click on its release, and the press that
    // holds the pointer (released on mouse up or when a drop-down takes it).
    bool FClickArmed = false;
    bool FCaptured = false;
};
