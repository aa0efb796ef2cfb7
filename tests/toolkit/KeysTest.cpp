#include "Keys.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

TEST(Keys, VirtualKeysOfQtKeysAndBack) {
    struct Case {
        int Qt, Vk, Back; // Back: the Qt key QtKeyOf gives for Vk
    };
    const Case cases[] = {
        {Qt::Key_Backspace, VK_BACK, Qt::Key_Backspace},
        {Qt::Key_Tab, VK_TAB, Qt::Key_Tab},
        {Qt::Key_Backtab, VK_TAB, Qt::Key_Tab},
        {Qt::Key_Return, VK_RETURN, Qt::Key_Return},
        {Qt::Key_Enter, VK_RETURN, Qt::Key_Return},
        {Qt::Key_Shift, VK_SHIFT, Qt::Key_Shift},
        {Qt::Key_Control, VK_CONTROL, Qt::Key_Control},
        {Qt::Key_Alt, VK_MENU, Qt::Key_Alt},
        {Qt::Key_Escape, VK_ESCAPE, Qt::Key_Escape},
        {Qt::Key_Space, VK_SPACE, Qt::Key_Space},
        {Qt::Key_PageUp, VK_PRIOR, Qt::Key_PageUp},
        {Qt::Key_PageDown, VK_NEXT, Qt::Key_PageDown},
        {Qt::Key_End, VK_END, Qt::Key_End},
        {Qt::Key_Home, VK_HOME, Qt::Key_Home},
        {Qt::Key_Left, VK_LEFT, Qt::Key_Left},
        {Qt::Key_Up, VK_UP, Qt::Key_Up},
        {Qt::Key_Right, VK_RIGHT, Qt::Key_Right},
        {Qt::Key_Down, VK_DOWN, Qt::Key_Down},
        {Qt::Key_Insert, VK_INSERT, Qt::Key_Insert},
        {Qt::Key_Delete, VK_DELETE, Qt::Key_Delete},
        {Qt::Key_F1, 112, Qt::Key_F1},
        {Qt::Key_F2, VK_F2, Qt::Key_F2},
        {Qt::Key_F24, 135, Qt::Key_F24},
        {Qt::Key_A, 'A', Qt::Key_A},
        {Qt::Key_Z, 'Z', Qt::Key_Z},
        {Qt::Key_0, '0', Qt::Key_0},
        {Qt::Key_9, '9', Qt::Key_9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VirtualKeyOf(c.Qt), c.Vk) << std::hex << c.Qt;
        EXPECT_EQ(QtKeyOf(c.Vk), c.Back) << c.Vk;
    }
    for (int none : {int(Qt::Key_F25), int(Qt::Key_Minus), int(Qt::Key_Menu), 0})
        EXPECT_EQ(VirtualKeyOf(none), 0) << std::hex << none;
    for (int none : {0, 111, 136, int('a'), 200})
        EXPECT_EQ(QtKeyOf(none), 0) << none;
}

TEST(Keys, KeyCodeIsTheVirtualKeyOrElseQtsOwnCode) {
    const QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    const QKeyEvent menu(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier);
    const QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(KeyCodeOf(&pageUp), VK_PRIOR);
    EXPECT_EQ(KeyCodeOf(&menu), int(Qt::Key_Menu));
    EXPECT_EQ(KeyCodeOf(&shift), VK_SHIFT);
}

TEST(Keys, ShiftStateOfModifiersAndButtons) {
    EXPECT_EQ(ShiftStateOf(Qt::NoModifier), 0u);
    EXPECT_EQ(ShiftStateOf(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton),
              ssShift | ssCtrl | ssLeft);
    EXPECT_EQ(ShiftStateOf(Qt::AltModifier, Qt::RightButton | Qt::MiddleButton),
              ssAlt | ssRight | ssMiddle);
    // Keys and buttons without a flag of their own leave no trace.
    EXPECT_EQ(ShiftStateOf(Qt::MetaModifier | Qt::KeypadModifier, Qt::BackButton), 0u);
}

TEST(Keys, CharacterTypedByAKeyEvent) {
    struct Case {
        int Key;
        Qt::KeyboardModifiers Mods;
        const char* Text;
        char16_t Expected; // 0: none
    };
    const Case cases[] = {
        {Qt::Key_Backspace, Qt::NoModifier, "", 8},
        {Qt::Key_Backtab, Qt::ShiftModifier, "", 9},
        {Qt::Key_Return, Qt::NoModifier, "\r", 13},
        {Qt::Key_Enter, Qt::ControlModifier, "", 10},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", 27},
        {Qt::Key_A, Qt::ControlModifier, "\x01", 1},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "", 26},
        {Qt::Key_1, Qt::ControlModifier, "1", 0},
        {Qt::Key_A, Qt::AltModifier, "a", 0},
        {Qt::Key_A, Qt::NoModifier, "a", u'a'},
        {Qt::Key_Minus, Qt::NoModifier, "-", u'-'},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", 0},
        {Qt::Key_A, Qt::NoModifier, "ab", 0},
        {Qt::Key_Left, Qt::NoModifier, "", 0},
    };
    for (const Case& c : cases) {
        const QKeyEvent e(QEvent::KeyPress, c.Key, c.Mods, QString::fromLatin1(c.Text));
        EXPECT_EQ(KeyCharOf(&e).unicode(), c.Expected) << std::hex << c.Key << " " << c.Text;
    }
}

} // namespace
