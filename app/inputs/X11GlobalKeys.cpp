#include "X11GlobalKeys.h"

#include "Clock.h"
#include "InputHub.h"
#include "Messages.h"

#include <QGuiApplication>
#include <QKeySequence>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

constexpr uint32_t kNumLockKeysym = 0xff7f;
constexpr uint8_t kBadAccess = 10;

QString lapName(TRunAction action) {
    for (size_t i = 0; i < GlobalKeys::kLaps.size(); ++i)
        if (GlobalKeys::kLaps[i] == action) return Msg::LapPlain[i]();
    return QString();
}

// The key as the operator reads it.
QString shown(const QString& text) {
    return QKeySequence::fromString(text, QKeySequence::PortableText)
        .toString(QKeySequence::NativeText);
}

} // namespace

TX11GlobalKeys::TX11GlobalKeys(TInputHub& hub, TNote note) : FHub(hub), FNote(std::move(note)) {
    // Wayland and offscreen have no keyboard to grab: FConnection stays null.
    auto* x11 = qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb")
                    ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    FConnection = x11 ? x11->connection() : nullptr;
    if (!FConnection) return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data;
    if (!screen) {
        FConnection = nullptr;
        return;
    }
    FRoot = screen->root;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TX11GlobalKeys::~TX11GlobalKeys() {
    if (!FConnection) return;
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
    ungrabAll();
    xcb_flush(FConnection);
}

void TX11GlobalKeys::ungrabAll() {
    for (const TGrab& g : FGrabs)
        for (uint16_t lock : lockStates())
            xcb_ungrab_key(FConnection, g.Keycode, FRoot, uint16_t(g.Mods | lock));
    FGrabs.clear();
}

std::vector<uint16_t> TX11GlobalKeys::lockStates() const {
    std::vector<uint16_t> out{0, XCB_MOD_MASK_LOCK};
    if (FNumLock != 0 && FNumLock != XCB_MOD_MASK_LOCK) {
        out.push_back(FNumLock);
        out.push_back(uint16_t(XCB_MOD_MASK_LOCK | FNumLock));
    }
    return out;
}

uint16_t TX11GlobalKeys::numLockMask() {
    const uint8_t numLock = keycodeOf(kNumLockKeysym);
    if (numLock == 0) return 0;
    const ReplyPtr<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(FConnection, xcb_get_modifier_mapping(FConnection), nullptr),
        &std::free);
    if (!reply) return 0;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perMod = reply->keycodes_per_modifier;
    for (int mod = 0; mod < 8; ++mod)
        for (int k = 0; k < perMod; ++k)
            if (codes[mod * perMod + k] == numLock) return uint16_t(1u << mod);
    return 0;
}

uint8_t TX11GlobalKeys::keycodeOf(uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(FConnection);
    const uint8_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const ReplyPtr<xcb_get_keyboard_mapping_reply_t> reply(
        xcb_get_keyboard_mapping_reply(
            FConnection, xcb_get_keyboard_mapping(FConnection, first, uint8_t(count)), nullptr),
        &std::free);
    if (!reply) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int per = reply->keysyms_per_keycode;
    // The unshifted level first: a letter's capital sits on the same key.
    for (int level = 0; level < per; ++level)
        for (int k = 0; k < count; ++k)
            if (syms[k * per + level] == keysym) return uint8_t(first + k);
    return 0;
}

void TX11GlobalKeys::SetKeys(const GlobalKeys::TTexts& keys) {
    if (!FConnection) return;
    ungrabAll();
    FNumLock = numLockMask();
    for (size_t i = 0; i < GlobalKeys::kLaps.size(); ++i) {
        if (keys[i].isEmpty()) continue;
        const TRunAction action = GlobalKeys::kLaps[i];
        const std::optional<GlobalKeys::TKey> key = GlobalKeys::Parse(keys[i]);
        if (!key) {
            FNote(Msg::GlobalKeyUnknown().arg(keys[i], QLatin1String(GlobalKeys::kNames[i])));
            continue;
        }
        const uint8_t keycode = keycodeOf(key->Keysym);
        if (keycode == 0) {
            FNote(Msg::GlobalKeyNoKeycode().arg(shown(keys[i]), lapName(action)));
            continue;
        }
        // The same key with Caps Lock and Num Lock on or off: either lock
        // left on would otherwise make the key press nothing.
        // Not owner events: with them a press while Vantel's own window has
        // the focus would go to that window as a plain key, and its release
        // would be lost to the repeat filter. Every press comes to the root.
        std::vector<xcb_void_cookie_t> cookies;
        for (uint16_t lock : lockStates())
            cookies.push_back(xcb_grab_key_checked(FConnection, 0, FRoot,
                                                   uint16_t(key->Mods | lock), keycode,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        uint8_t failed = 0;
        for (xcb_void_cookie_t c : cookies) {
            const ReplyPtr<xcb_generic_error_t> error(xcb_request_check(FConnection, c),
                                                      &std::free);
            if (error && failed == 0) failed = error->error_code;
        }
        const TGrab grab{keycode, key->Mods, action};
        if (failed == 0) {
            FGrabs.push_back(grab);
            continue;
        }
        // Half a key is no key: what was had of it is let go.
        for (uint16_t lock : lockStates())
            xcb_ungrab_key(FConnection, keycode, FRoot, uint16_t(key->Mods | lock));
        FNote(failed == kBadAccess
                  ? Msg::GlobalKeyTaken().arg(shown(keys[i]), lapName(action))
                  : Msg::GlobalKeyFailed().arg(shown(keys[i]), lapName(action)).arg(failed));
    }
    xcb_flush(FConnection);
}

bool TX11GlobalKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (FGrabs.empty() || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->event != FRoot) return false;
    // The state holds the locks and the mouse buttons too; the grab was made
    // for the modifiers alone.
    const uint16_t mods = key->state & 0xff & ~uint16_t(XCB_MOD_MASK_LOCK | FNumLock);
    for (const TGrab& g : FGrabs) {
        if (g.Keycode != key->detail || g.Mods != mods) continue;
        if (type == XCB_KEY_RELEASE) {
            FRepeats.Release(key->detail, key->time);
        } else if (FRepeats.Press(key->detail, key->time)) {
            // Each press reads both clocks afresh: a suspend between two
            // presses moves one against the other.
            FHub.Press(g.Action, Clock::TickOfMonotonic(key->time, Clock::MonotonicMillis(),
                                                        Clock::RealTick()));
        }
        return true;
    }
    // A release after the modifiers let go first still ends the key's press.
    if (type == XCB_KEY_RELEASE)
        for (const TGrab& g : FGrabs)
            if (g.Keycode == key->detail) FRepeats.Release(key->detail, key->time);
    return false;
}
