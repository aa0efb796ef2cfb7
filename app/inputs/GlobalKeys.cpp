#include "GlobalKeys.h"

#include "Messages.h"
#include "Wrap.h"

#include <QKeySequence>
#include <QSettings>
#include <QVariant>

namespace GlobalKeys {

const char* const kGroup = "LapInputs";
const char* const kNames[3] = {"GlobalLap", "GlobalLap2", "GlobalLap3"};

namespace {

struct TNamed {
    Qt::Key Key;
    uint32_t Keysym;
};

// The X keysyms of the keys that are not characters. A key missing here is
// refused when it is chosen rather than grabbed as something else.
constexpr TNamed kNamed[] = {
    {Qt::Key_Escape, 0xff1b},
    {Qt::Key_Tab, 0xff09},
    {Qt::Key_Backspace, 0xff08},
    {Qt::Key_Return, 0xff0d},
    {Qt::Key_Insert, 0xff63},
    {Qt::Key_Delete, 0xffff},
    {Qt::Key_Pause, 0xff13},
    {Qt::Key_Print, 0xff61},
    {Qt::Key_SysReq, 0xff15},
    {Qt::Key_Home, 0xff50},
    {Qt::Key_End, 0xff57},
    {Qt::Key_Left, 0xff51},
    {Qt::Key_Up, 0xff52},
    {Qt::Key_Right, 0xff53},
    {Qt::Key_Down, 0xff54},
    {Qt::Key_PageUp, 0xff55},
    {Qt::Key_PageDown, 0xff56},
    {Qt::Key_ScrollLock, 0xff14},
    {Qt::Key_Menu, 0xff67},
    {Qt::Key_Enter, 0xff8d},
    {Qt::Key_MediaPlay, 0x1008ff14},
    {Qt::Key_MediaStop, 0x1008ff15},
    {Qt::Key_MediaPrevious, 0x1008ff16},
    {Qt::Key_MediaNext, 0x1008ff17},
};

// The keypad's own keys, which Qt tells by the keypad modifier.
constexpr TNamed kKeypad[] = {
    {Qt::Key_Enter, 0xff8d},    {Qt::Key_Plus, 0xffab},  {Qt::Key_Minus, 0xffad},
    {Qt::Key_Asterisk, 0xffaa}, {Qt::Key_Slash, 0xffaf}, {Qt::Key_Period, 0xffae},
};

std::optional<uint32_t> keysymOf(Qt::Key key, bool keypad) {
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0xffb0u + uint32_t(key - Qt::Key_0);
        for (const TNamed& n : kKeypad)
            if (n.Key == key) return n.Keysym;
        return std::nullopt;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) return 0xffbeu + uint32_t(key - Qt::Key_F1);
    for (const TNamed& n : kNamed)
        if (n.Key == key) return n.Keysym;
    // Qt names a character key by its capital; X's keysym of a Latin-1
    // character is its code, and the unshifted level is the small letter.
    const auto code = uint32_t(key);
    if ((code >= 0x20 && code <= 0x7e) || (code >= 0xa0 && code <= 0xff))
        return QChar(char16_t(code)).toLower().unicode();
    return std::nullopt;
}

} // namespace

std::optional<TKey> Parse(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    const QKeySequence seq = QKeySequence::fromString(trimmed, QKeySequence::PortableText);
    if (seq.count() != 1) return std::nullopt;
    const QKeyCombination c = seq[0];
    const Qt::Key key = c.key();
    switch (key) {
    case Qt::Key_unknown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return std::nullopt;
    default:
        break;
    }
    const Qt::KeyboardModifiers m = c.keyboardModifiers();
    if (m & ~(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier |
              Qt::KeypadModifier))
        return std::nullopt;
    const std::optional<uint32_t> keysym = keysymOf(key, m.testFlag(Qt::KeypadModifier));
    if (!keysym) return std::nullopt;
    TKey k;
    k.Keysym = *keysym;
    if (m & Qt::ShiftModifier) k.Mods |= ModShift;
    if (m & Qt::ControlModifier) k.Mods |= ModControl;
    if (m & Qt::AltModifier) k.Mods |= ModAlt;
    if (m & Qt::MetaModifier) k.Mods |= ModSuper;
    return k;
}

TLoaded Load(const QSettings& settings) {
    TLoaded out;
    std::array<std::optional<TKey>, 3> keys;
    for (size_t i = 0; i < kLaps.size(); ++i) {
        const QString name = QLatin1String(kGroup) + QLatin1Char('/') + QLatin1String(kNames[i]);
        const QVariant v = settings.value(name);
        // A comma written by hand unquoted ("Ctrl+,") reads back as a list.
        const QString text = v.typeId() == QMetaType::QStringList
                                 ? v.toStringList().join(QLatin1Char(','))
                                 : v.toString();
        if (text.trimmed().isEmpty()) continue;
        const std::optional<TKey> key = Parse(text);
        if (!key) {
            out.Notes << Msg::GlobalKeyUnknown().arg(text, QLatin1String(kNames[i]));
            continue;
        }
        bool twice = false;
        for (size_t j = 0; j < i; ++j)
            twice = twice || keys[j] == key;
        if (twice) {
            out.Notes << Msg::GlobalKeyTwice().arg(text, QLatin1String(kNames[i]));
            continue;
        }
        keys[i] = key;
        out.Keys[i] = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText)
                          .toString(QKeySequence::PortableText);
    }
    return out;
}

void Save(QSettings& settings, const TTexts& keys) {
    settings.beginGroup(QLatin1String(kGroup));
    for (size_t i = 0; i < kLaps.size(); ++i)
        settings.setValue(QLatin1String(kNames[i]), keys[i]);
    settings.endGroup();
}

bool TRepeatFilter::Press(uint8_t keycode, uint32_t time) {
    TState& s = FKeys[keycode];
    // A key reported down since a press more than a second ago with nothing
    // after it lost its release (the grab broken by another's): a new press.
    const bool held = s.Down && wrap::sub(wrap::fromU(time), wrap::fromU(s.LastTime)) <= 1000;
    const bool repeat = held || (s.Released && s.ReleaseTime == time);
    s.Down = true;
    s.LastTime = time;
    return !repeat;
}

void TRepeatFilter::Release(uint8_t keycode, uint32_t time) {
    TState& s = FKeys[keycode];
    s.Down = false;
    s.Released = true;
    s.ReleaseTime = time;
    s.LastTime = time;
}

} // namespace GlobalKeys
