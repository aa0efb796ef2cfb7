#pragma once
// Keys as the control handlers see them: the classic virtual key codes and
// shift state, and how a Qt key event maps onto them. Every control turns Qt
// events into these through the functions here, so that a key reads the same
// in the grid, its editor and the buttons.
#include <QChar>
#include <Qt>

class QKeyEvent;

// Modifier keys and mouse buttons held during a key or mouse event.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 0x1, ssAlt = 0x2, ssCtrl = 0x4;
constexpr TShiftState ssLeft = 0x8, ssRight = 0x10, ssMiddle = 0x20;

// Virtual key codes. Digits and letters are their own (upper-case) character
// codes; F1 to F24 run from VK_F1.
constexpr int VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_ESCAPE = 27, VK_SPACE = 32;
constexpr int VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18;
constexpr int VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36;
constexpr int VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40;
constexpr int VK_INSERT = 45, VK_DELETE = 46, VK_F1 = 112, VK_F2 = 113;

// The virtual key of a Qt key (0 when it has none).
int VirtualKeyOf(int qtKey);
// The Qt key of a virtual key (0 when none).
int QtKeyOf(int virtualKey);
// The code a control's key handlers get for an event: its virtual key, or Qt's
// own key code for a key that has none.
int KeyCodeOf(const QKeyEvent* e);

// The shift state of the given modifiers and mouse buttons.
TShiftState ShiftStateOf(Qt::KeyboardModifiers m, Qt::MouseButtons b = {});
// The modifier keys and mouse buttons held right now.
TShiftState GetShiftState();

// The character a key event types, as the classic key-press handling sees it:
// Backspace #8, Tab #9, Enter #13 (Ctrl+Enter #10), Escape #27, Ctrl+letter
// #1..#26, else the event's text (a null QChar when it types nothing).
QChar KeyCharOf(const QKeyEvent* e);
