// "Press it now": the first key press on any device names the device and the
// key; the operator's own clicks in the dialog never do.
#include "KeyCatcher.h"
#include "DeviceSection.h"
#include "Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Pipe {
    int R = -1, W = -1;
    Pipe() {
        int fds[2];
        if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) R = fds[0], W = fds[1];
    }
    ~Pipe() { ::close(W); }
    // Whether the event reached the pipe: not once its reader let go.
    bool Key(uint16_t code, int32_t value) {
        input_event e{};
        e.type = EV_KEY;
        e.code = code;
        e.value = value;
        input_event syn{};
        const input_event both[] = {e, syn};
        return ::write(W, both, sizeof both) == ssize_t(sizeof both);
    }
};

void Pump() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

TEST(KeyCatcher, TheFirstKeyPressedAnywhereIsCaughtOnce) {
    Pipe a, b;
    TKeyCatcher catcher;
    catcher.Listen(QStringLiteral("/dev/input/by-id/usb-Keyboard-event-kbd"),
                   QStringLiteral("Keyboard"), a.R);
    catcher.Listen(QStringLiteral("/dev/input/by-id/usb-Pedal-event-kbd"), QStringLiteral("Pedal"),
                   b.R);
    QSignalSpy caught(&catcher, &TKeyCatcher::Caught);
    // The click on "Press it now" and the release of the key that pressed it.
    ASSERT_TRUE(a.Key(BTN_LEFT, 1) && a.Key(BTN_LEFT, 0) && a.Key(KEY_ENTER, 0));
    ASSERT_TRUE(b.Key(KEY_F14, 2));
    Pump();
    EXPECT_EQ(caught.count(), 0);
    EXPECT_TRUE(catcher.Listening());
    ASSERT_TRUE(b.Key(KEY_F14, 1));
    Pump();
    ASSERT_EQ(caught.count(), 1);
    const QList<QVariant> got = caught.takeFirst();
    EXPECT_EQ(got.value(0).toString(), QStringLiteral("/dev/input/by-id/usb-Pedal-event-kbd"));
    EXPECT_EQ(got.value(1).toString(), QStringLiteral("Pedal"));
    EXPECT_EQ(got.value(2).toInt(), KEY_F14);
    EXPECT_FALSE(catcher.Listening());
    // Every device is let go of: a write finds no reader.
    signal(SIGPIPE, SIG_IGN);
    EXPECT_FALSE(a.Key(KEY_B, 1));
    EXPECT_EQ(errno, EPIPE);
    EXPECT_FALSE(b.Key(KEY_B, 1));
    Pump();
    EXPECT_EQ(caught.count(), 0) << "caught once";
}

TEST(KeyCatcher, MouseButtonsAndTouchesAreNotLapKeys) {
    struct Case {
        int Code;
        bool Learnable;
    } cases[] = {
        {KEY_F13, true},       {KEY_A, true},         {BTN_0, true},
        {BTN_SOUTH, true},     {BTN_TRIGGER, true},   {BTN_TRIGGER_HAPPY1, true},
        {BTN_LEFT, false},     {BTN_RIGHT, false},    {BTN_TASK, false},
        {BTN_TOUCH, false},    {BTN_TOOL_PEN, false}, {BTN_STYLUS, false},
        {KEY_RESERVED, false}, {KEY_MAX + 1, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TKeyCatcher::Learnable(c.Code), c.Learnable) << c.Code;
}

TEST(KeyCatcher, DevicesAreFoundAndNamedByTheirStableLinks) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString event3 = dir.filePath(QStringLiteral("event3"));
    const QString event4 = dir.filePath(QStringLiteral("event4"));
    for (const QString& p : {event3, event4}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("by-id")));
    ASSERT_TRUE(QFile::link(event3, dir.filePath(QStringLiteral("by-id/usb-Pedal-event-kbd"))));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("by-path")));
    ASSERT_TRUE(QFile::link(event4, dir.filePath(QStringLiteral("by-path/pci-0-usb-0:1-event"))));
    EXPECT_EQ(TKeyCatcher::StablePath(event3, dir.path()),
              dir.filePath(QStringLiteral("by-id/usb-Pedal-event-kbd")));
    EXPECT_EQ(TKeyCatcher::StablePath(event4, dir.path()),
              dir.filePath(QStringLiteral("by-path/pci-0-usb-0:1-event")));
    const QString loose = dir.filePath(QStringLiteral("event9"));
    EXPECT_EQ(TKeyCatcher::StablePath(loose, dir.path()), loose);

    // Plain files are no event devices: opened, they tell no keys, and are
    // not listened to.
    TKeyCatcher catcher;
    EXPECT_EQ(catcher.ListenAll(dir.path()), 0);
    EXPECT_FALSE(catcher.Listening());
    EXPECT_TRUE(catcher.Refused().isEmpty());
    EXPECT_EQ(catcher.RefusedNote(), QString());
}

TEST(KeyCatcher, TheNoteForDevicesWithoutAccessNamesThem) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString locked = dir.filePath(QStringLiteral("event0"));
    {
        QFile f(locked);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    TKeyCatcher catcher;
    catcher.ListenAll(dir.path());
    if (geteuid() == 0) GTEST_SKIP() << "root opens a file of mode 0000";
    EXPECT_EQ(catcher.Refused(), QStringList{locked});
    EXPECT_EQ(catcher.RefusedNote(), Msg::LearnNoAccess().arg(locked));
}

} // namespace

// The dialog's devices: a caught key becomes an entry of the button being
// caught, with the debounce set; Save hands over the list as shown.
TEST(DeviceSection, ACaughtKeyIsKeptForTheButtonWithItsDebounce) {
    std::vector<TLapInput> saved;
    TLapInput pedal;
    pedal.Device = QStringLiteral("/dev/input/by-id/usb-Pedal-event-kbd");
    pedal.Key = *DeviceEvents::KeyCode(QStringLiteral("KEY_F13"));
    TDeviceSection section({pedal}, [&](const std::vector<TLapInput>& in) { saved = in; });
    QTemporaryDir none; // no devices there: nothing to listen to
    section.Catch(TRunAction::Lap3, none.path());
    section.findChild<QSpinBox*>(QStringLiteral("LapDebounce"))->setValue(45);
    section.Caught(QStringLiteral("/dev/input/by-id/usb-Button-event-kbd"),
                   *DeviceEvents::KeyCode(QStringLiteral("BTN_SOUTH")));
    section.findChild<QPushButton*>(QStringLiteral("SaveDevices"))->click();
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1].Button, TRunAction::Lap3);
    EXPECT_EQ(saved[1].DebounceMs, 45u);
    EXPECT_EQ(TDeviceSection::Line(saved[0]),
              QStringLiteral("LAP: /dev/input/by-id/usb-Pedal-event-kbd KEY_F13, 30 ms"));
    EXPECT_EQ(section.findChild<QListWidget*>(QStringLiteral("LapDeviceList"))->count(), 2);
}
