#pragma once
#include "RunAction.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

class QSettings;

// What a global key is, apart from the X server that grabs it: the key's
// text as the operator and the settings file write it, the X keysym and
// modifiers it stands for, when an X press is to be trusted as a new press,
// and when its time.
namespace GlobalKeys {

// The lap buttons that may have a global key, in the order of the settings.
constexpr std::array<TRunAction, 3> kLaps = {TRunAction::Lap, TRunAction::Lap2, TRunAction::Lap3};
// The settings' keys of kLaps, in the group kGroup.
extern const char* const kGroup;
extern const char* const kNames[3];

// The X modifier masks the key needs held (the core protocol's bits).
enum : uint16_t {
    ModShift = 1u << 0,
    ModControl = 1u << 2,
    ModAlt = 1u << 3,   // Mod1
    ModSuper = 1u << 6, // Mod4
};

struct TKey {
    uint32_t Keysym = 0;
    uint16_t Mods = 0;
    bool operator==(const TKey&) const = default;
};

// The key a Qt key sequence text ("F13", "Ctrl+Alt+L", "Pause") names, in
// QKeySequence::PortableText; nothing for an empty text, a text that is no
// key, a sequence of more than one combination, a modifier alone, or a key
// with no X keysym here.
std::optional<TKey> Parse(const QString& text);

// The global key of each lap button: its text in PortableText, empty for none.
using TTexts = std::array<QString, 3>;

struct TLoaded {
    TTexts Keys;       // each one a key Parse accepts, or empty
    QStringList Notes; // one per text that was ignored, for the operator
};
// Reads the group [LapInputs] as the operator or the dialog wrote it. A text
// that is no key is ignored, with a note; so is a key given to a second lap
// button, which could only ever press the first.
TLoaded Load(const QSettings& settings);
// Writes the texts to `settings` (not synced: the caller decides where the
// disk is waited for).
void Save(QSettings& settings, const TTexts& keys);

// Tells a new press of a grabbed key from the ones auto-repeat makes while it
// is held. Without detectable auto-repeat the server sends a release and a
// press at the same time for each repeat; with it, presses come with no
// release between them. Either way only the first press counts.
class TRepeatFilter {
public:
    // True when the press of `keycode` at `time` is a new one.
    bool Press(uint8_t keycode, uint32_t time);
    void Release(uint8_t keycode, uint32_t time);

private:
    struct TState {
        bool Down = false;
        bool Released = false;
        uint32_t ReleaseTime = 0;
        uint32_t LastTime = 0;
    };
    std::array<TState, 256> FKeys{};
};

} // namespace GlobalKeys
