#include "Keys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <array>
#include <utility>

namespace {

constexpr int FunctionKeys = 24;

// Keys whose virtual key is not their Qt code. The first Qt key of a virtual
// key is the one QtKeyOf gives back.
constexpr std::array<std::pair<int, int>, 20> NamedKeys{{
    {Qt::Key_Backspace, VK_BACK},  {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},  {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},      {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},     {Qt::Key_PageUp, VK_PRIOR},  {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},         {Qt::Key_Home, VK_HOME},     {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},   {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},
}};

// Digits and letters: Qt's key codes are the same as the ASCII codes.
bool isDigitOrLetter(int code) {
    return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z');
}

} // namespace

int VirtualKeyOf(int qtKey) {
    for (const auto& [qt, vk] : NamedKeys)
        if (qt == qtKey) return vk;
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + FunctionKeys)
        return VK_F1 + (qtKey - Qt::Key_F1);
    if (isDigitOrLetter(qtKey)) return qtKey;
    return 0;
}

int QtKeyOf(int virtualKey) {
    for (const auto& [qt, vk] : NamedKeys)
        if (vk == virtualKey) return qt;
    if (virtualKey >= VK_F1 && virtualKey < VK_F1 + FunctionKeys)
        return Qt::Key_F1 + (virtualKey - VK_F1);
    if (isDigitOrLetter(virtualKey)) return virtualKey;
    return 0;
}

int KeyCodeOf(const QKeyEvent* e) {
    const int vk = VirtualKeyOf(e->key());
    return vk != 0 ? vk : e->key();
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers m, Qt::MouseButtons b) {
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::AltModifier) s |= ssAlt;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (b & Qt::LeftButton) s |= ssLeft;
    if (b & Qt::RightButton) s |= ssRight;
    if (b & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TShiftState GetShiftState() {
    return ShiftStateOf(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons());
}

QChar KeyCharOf(const QKeyEvent* e) {
    const auto mods = e->modifiers();
    switch (e->key()) {
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QChar(9);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return (mods & Qt::ControlModifier) ? QChar(10) : QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    default:
        break;
    }
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z) return QChar(e->key() - Qt::Key_A + 1);
        return QChar();
    }
    if (mods & Qt::AltModifier) return QChar();
    const QString t = e->text();
    if (t.size() != 1) return QChar();
    const QChar c = t[0];
    return c.unicode() >= 32 && c.unicode() != 127 ? c : QChar();
}
