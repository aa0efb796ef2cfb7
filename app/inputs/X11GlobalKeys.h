#pragma once
#include "GlobalKeys.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <vector>

class TInputHub;
struct xcb_connection_t;

// The lap buttons' global keys on an X server: each is grabbed on the root
// window, so that it presses its button whichever program has the focus.
// Only on Qt's xcb platform. Under Wayland no client may grab the keyboard
// (a compositor's shortcuts portal is the way there), and offscreen has no
// keyboard at all: there this does nothing.
class TX11GlobalKeys : public QAbstractNativeEventFilter {
public:
    using TNote = std::function<void(const QString&)>;
    // Presses go to `hub`; what the operator is to know, to `note`.
    TX11GlobalKeys(TInputHub& hub, TNote note);
    ~TX11GlobalKeys() override;
    TX11GlobalKeys(const TX11GlobalKeys&) = delete;
    TX11GlobalKeys& operator=(const TX11GlobalKeys&) = delete;

    // Lets go of the keys held and grabs these (empty: none). Asks the
    // server and waits for its answers: at start-up and on the operator's
    // Apply only, never per press. A key that cannot be had is told through
    // the hub.
    void SetKeys(const GlobalKeys::TTexts& keys);
    // Whether there is an X server to grab on.
    bool Active() const { return FConnection != nullptr; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct TGrab {
        uint8_t Keycode;
        uint16_t Mods;
        TRunAction Action;
    };
    void ungrabAll();
    // The lock modifiers the grab is made under, none of them included.
    std::vector<uint16_t> lockStates() const;
    uint16_t numLockMask();
    uint8_t keycodeOf(uint32_t keysym);

    TInputHub& FHub;
    TNote FNote;
    xcb_connection_t* FConnection = nullptr;
    uint32_t FRoot = 0;
    uint16_t FNumLock = 0;
    std::vector<TGrab> FGrabs;
    GlobalKeys::TRepeatFilter FRepeats;
};
