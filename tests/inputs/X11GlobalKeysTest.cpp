// The global keys as the X server holds them, on a real X display (the test
// runs under tests/xvfb.sh): another client finds a key Vantel holds taken,
// under every lock state, and free again once Vantel lets it go; a key
// another client holds first is told, naming the key and the lap button.
#include "X11GlobalKeys.h"
#include "Application.h"
#include "InputHub.h"
#include "Messages.h"
#include "ScratchHome.h"
#include "Timer.h"
#include "Unit1.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr uint32_t kF9 = 0xffc6, kF10 = 0xffc7, kF11 = 0xffc8;
constexpr uint16_t kNumLock = XCB_MOD_MASK_2; // where the virtual server keeps it

// Another program on the same server, with a connection of its own.
struct Other {
    xcb_connection_t* C = xcb_connect(nullptr, nullptr);
    xcb_window_t Root = xcb_setup_roots_iterator(xcb_get_setup(C)).data->root;
    ~Other() { xcb_disconnect(C); }
    uint8_t Keycode(uint32_t keysym) {
        const xcb_setup_t* setup = xcb_get_setup(C);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> r(
            xcb_get_keyboard_mapping_reply(
                C, xcb_get_keyboard_mapping(C, setup->min_keycode, uint8_t(count)), nullptr),
            &std::free);
        for (int k = 0; r && k < count; ++k)
            if (xcb_get_keyboard_mapping_keysyms(r.get())[k * r->keysyms_per_keycode] == keysym)
                return uint8_t(setup->min_keycode + k);
        return 0;
    }
    bool Grab(uint32_t keysym, uint16_t mods) {
        std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> e(
            xcb_request_check(C, xcb_grab_key_checked(C, 1, Root, mods, Keycode(keysym),
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
            &std::free);
        return !e;
    }
    // Whether the key with `mods` is free: grabbed and let go at once.
    bool Free(uint32_t keysym, uint16_t mods) {
        if (!Grab(keysym, mods)) return false;
        xcb_ungrab_key(C, Keycode(keysym), Root, mods);
        xcb_flush(C);
        return true;
    }
};

struct Program {
    TVantel W;
    TInputHub Hub{W};
    QStringList Notes;
    std::unique_ptr<TX11GlobalKeys> Keys =
        std::make_unique<TX11GlobalKeys>(Hub, [this](const QString& t) { Notes << t; });
    Program() { W.Timer1->SetEnabled(false); }
};

TEST(X11GlobalKeys, AKeyHeldUnderEveryLockStateAndLetGoOnChangeAndAtTheEnd) {
    Other other;
    ASSERT_NE(other.Keycode(kF9), 0);
    Program p;
    ASSERT_TRUE(p.Keys->Active());
    p.Keys->SetKeys({"F9", "Ctrl+F10", ""});
    EXPECT_TRUE(p.Notes.isEmpty()) << p.Notes.join('\n').toStdString();
    for (uint16_t lock : {uint16_t(0), uint16_t(XCB_MOD_MASK_LOCK), kNumLock,
                          uint16_t(XCB_MOD_MASK_LOCK | kNumLock)}) {
        EXPECT_FALSE(other.Free(kF9, lock)) << lock;
        EXPECT_FALSE(other.Free(kF10, XCB_MOD_MASK_CONTROL | lock)) << lock;
    }
    // Only the modifiers chosen: F10 alone and Shift+F9 are another's to have.
    EXPECT_TRUE(other.Free(kF10, 0));
    EXPECT_TRUE(other.Free(kF9, XCB_MOD_MASK_SHIFT));

    p.Keys->SetKeys({"", "F11", ""});
    for (uint16_t lock : {uint16_t(0), uint16_t(XCB_MOD_MASK_LOCK), kNumLock}) {
        EXPECT_TRUE(other.Free(kF9, lock)) << lock;
        EXPECT_TRUE(other.Free(kF10, XCB_MOD_MASK_CONTROL | lock)) << lock;
        EXPECT_FALSE(other.Free(kF11, lock)) << lock;
    }
    p.Keys.reset();
    for (uint16_t lock : {uint16_t(0), uint16_t(XCB_MOD_MASK_LOCK), kNumLock})
        EXPECT_TRUE(other.Free(kF11, lock)) << lock;
}

TEST(X11GlobalKeys, AKeyAnotherProgramHoldsIsToldAndTheOthersStillHeld) {
    Other other;
    ASSERT_TRUE(other.Grab(kF10, 0));
    Program p;
    p.Keys->SetKeys({"F9", "F10", ""});
    ASSERT_EQ(p.Notes.size(), 1);
    EXPECT_EQ(p.Notes[0], Msg::GlobalKeyTaken().arg("F10", Msg::LapPlain[1]()));
    EXPECT_FALSE(other.Free(kF9, 0));
    // Nothing of the key it could not have is kept: with Num Lock on, F10 is
    // free for the other program too.
    Other third;
    EXPECT_TRUE(third.Free(kF10, kNumLock));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    UseScratchHome(home.path());
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
