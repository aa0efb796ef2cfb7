// The portal client against a stand-in portal (portal_standin) on a private
// bus of the test's own: no desktop portal runs here. The stand-in speaks the
// documented interface; the client must bind the lap buttons, show what the
// desktop chose, and press only for activations of its own session.
#include "ShortcutsPortal.h"
#include "InputHub.h"
#include "Label.h"
#include "MessageService.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <memory>

namespace {

using TState = TShortcutsPortal::TState;
constexpr int kWaitMs = 5000;

// A dbus-daemon on a socket in a folder of the test's own, with no service
// directories: nothing can be started on it but what the test starts.
class PrivateBus {
public:
    PrivateBus() {
        const QString config = FDir.filePath(QStringLiteral("bus.conf"));
        QFile f(config);
        if (!FDir.isValid() || !f.open(QIODevice::WriteOnly)) return;
        f.write(QStringLiteral("<busconfig><type>session</type>"
                               "<listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                               "<policy context=\"default\"><allow send_destination=\"*\"/>"
                               "<allow receive_type=\"*\"/><allow own=\"*\"/></policy>"
                               "</busconfig>")
                    .arg(FDir.path())
                    .toUtf8());
        f.close();
        FDaemon.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (!FDaemon.waitForStarted(kWaitMs)) return;
        while (!FDaemon.canReadLine() && FDaemon.waitForReadyRead(kWaitMs)) {
        }
        FAddress = QString::fromUtf8(FDaemon.readLine()).trimmed();
        if (FAddress.isEmpty()) return;
        static int count = 0;
        FName = QStringLiteral("private-%1").arg(++count);
        Bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(FAddress, FName));
    }
    ~PrivateBus() {
        for (QProcess* p : {&FStandin, &FDaemon})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(kWaitMs);
            }
        Bus.reset();
        if (!FName.isEmpty()) QDBusConnection::disconnectFromBus(FName);
    }
    bool Up() const { return Bus && Bus->isConnected(); }

    // Starts the stand-in and waits until it owns the portal's name.
    bool StartStandin(const QStringList& args = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FAddress);
        FStandin.setProcessEnvironment(env);
        FStandin.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FStandin.start(QStringLiteral(VANTEL_PORTAL_STANDIN), args);
        if (!FStandin.waitForStarted(kWaitMs)) return false;
        return QTest::qWaitFor(
            [this] {
                return Bus->interface()->isServiceRegistered(
                    QStringLiteral("org.freedesktop.portal.Desktop"));
            },
            kWaitMs);
    }

    // A call of the stand-in's control interface.
    QDBusMessage Control(const QString& method, const QVariantList& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/standin"),
            QStringLiteral("io.github.vantel.PortalStandin"), method);
        m.setArguments(args);
        return Bus->call(m, QDBus::Block, kWaitMs);
    }
    void Press(const char* id, uint64_t stamp, const char* session = "") {
        Control(QStringLiteral("Press"),
                {QString::fromLatin1(id), qulonglong(stamp), QString::fromLatin1(session)});
    }
    void Change(const char* id, const char* trigger, const char* session = "") {
        Control(QStringLiteral("Change"), {QString::fromLatin1(id), QString::fromLatin1(trigger),
                                           QString::fromLatin1(session)});
    }
    QString Bound() {
        const QDBusMessage r = Control(QStringLiteral("Bound"));
        return r.arguments().isEmpty() ? QStringLiteral("(no reply)") : r.arguments()[0].toString();
    }

    std::unique_ptr<QDBusConnection> Bus;

private:
    QTemporaryDir FDir;
    QProcess FDaemon, FStandin;
    QString FAddress, FName;
};

// A window whose run has started, and the client on the private bus.
struct Window {
    std::unique_ptr<FakeClock> Clock; // none: the real clocks
    ScopedMessageRecorder Messages;
    TVantel W;
    TInputHub Hub{W};
    TShortcutsPortal Portal{Hub};
    uint32_t StartedAt = 0; // the tick counter before the start
    explicit Window(bool fakeClock) : Clock(fakeClock ? std::make_unique<FakeClock>() : nullptr) {
        if (Clock) Clock->Tick = 4'294'967'000u; // the counter wraps during the run
        W.Timer1->SetEnabled(false);
        W.Run.Perform(TRunAction::Reset);
        StartedAt = Clock::GetTickCount();
        W.Run.Perform(TRunAction::Start);
    }
    QString Note() const {
        return W.RunNote && !W.RunNote->isHidden() ? W.RunNote->Caption() : QString();
    }
    bool WaitFor(TState state) {
        return QTest::qWaitFor([&] { return Portal.State() == state; }, kWaitMs);
    }
};

const QString kBoundNote =
    QStringLiteral("Desktop shortcuts: LAP: Ctrl+F9, LAP2: Ctrl+F10, LAP3: Ctrl+F11");

TEST(ShortcutsPortal, BindsTheLapButtonsAndPressesOnlyForItsOwnSession) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Up());
    ASSERT_TRUE(bus.StartStandin());
    Window f(true);
    constexpr uint64_t M = 7'200'000; // the monotonic clock whenever a stamp arrives
    f.Portal.SetMonotonic([] { return M; });
    f.Portal.Start(*bus.Bus);
    ASSERT_TRUE(f.WaitFor(TState::Bound));
    EXPECT_EQ(bus.Bound(), QStringLiteral("parent=;lap:LAP:;lap2:LAP2:;lap3:LAP3:"));
    EXPECT_EQ(f.Note(), kBoundNote) << "the stranger the desktop listed is not shown";

    f.Clock->Advance(1000);
    bus.Press("lap", M - 120);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.W.State.LapCount == 1; }, kWaitMs));
    EXPECT_EQ(f.W.State.Total, 880) << "timed when the key went down";

    // None of these may press; the lap3 after them shows they were all seen.
    bus.Press("reset", M);
    bus.Press("LAP", M);
    bus.Press("lap2", M, "/org/freedesktop/portal/desktop/session/1_99/theirs");
    bus.Press("lap3", M - 30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.W.State.Lap3Count == 1; }, kWaitMs));
    EXPECT_EQ(f.W.State.Lap3Time, 970);
    EXPECT_EQ(f.W.State.LapCount, 1);
    EXPECT_EQ(f.W.State.Lap2Count, 0);
    EXPECT_EQ(f.W.Run.Actions().size(), 3u) << "start, lap, lap3";

    // Stamps on no clock of ours: timed when handled.
    f.Clock->Advance(500);
    bus.Press("lap2", M - 5000);
    bus.Press("lap", M + 40);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.W.State.LapCount == 2; }, kWaitMs));
    EXPECT_EQ(f.W.State.Lap2Time, 1500);
    EXPECT_EQ(f.W.State.Total, 1500);
    EXPECT_TRUE(f.Messages.Records().isEmpty());
}

TEST(ShortcutsPortal, ShowsTheTriggersTheDesktopChangesLater) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Up());
    ASSERT_TRUE(bus.StartStandin());
    Window f(true);
    f.Portal.Start(*bus.Bus);
    ASSERT_TRUE(f.WaitFor(TState::Bound));
    bus.Change("lap2", "Alt+2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Note() != kBoundNote; }, kWaitMs));
    EXPECT_EQ(f.Note(),
              QStringLiteral("Desktop shortcuts: LAP: Ctrl+F9, LAP2: Alt+2, LAP3: Ctrl+F11"));
    bus.Change("lap3", "Alt+3", "/org/freedesktop/portal/desktop/session/1_99/theirs");
    bus.Change("lap", "Alt+1");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return f.Note().contains(QLatin1String("Alt+1")); }, kWaitMs));
    EXPECT_EQ(f.Note(),
              QStringLiteral("Desktop shortcuts: LAP: Alt+1, LAP2: Alt+2, LAP3: Ctrl+F11"));
}

TEST(ShortcutsPortal, ProposesTheTriggersOfTheSettings) {
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vantel"),
                    QStringLiteral("vantel"));
        s.setValue(QStringLiteral("GlobalShortcuts/lap"), QStringLiteral("Super+L"));
        s.setValue(QStringLiteral("GlobalShortcuts/lap3"), QStringLiteral("  "));
        s.setValue(QStringLiteral("GlobalShortcuts/reset"), QStringLiteral("Super+R"));
    }
    PrivateBus bus;
    ASSERT_TRUE(bus.Up());
    ASSERT_TRUE(bus.StartStandin());
    Window f(true);
    f.Portal.SetPreferred(TShortcutsPortal::PreferredFromSettings());
    f.Portal.Start(*bus.Bus);
    ASSERT_TRUE(f.WaitFor(TState::Bound));
    EXPECT_EQ(bus.Bound(), QStringLiteral("parent=;lap:LAP:Super+L;lap2:LAP2:;lap3:LAP3:"));
    EXPECT_EQ(f.Note(),
              QStringLiteral("Desktop shortcuts: LAP: Super+L, LAP2: Ctrl+F9, LAP3: Ctrl+F10"));
}

TEST(ShortcutsPortal, StaysQuietlyOffWithoutThePortalsInterface) {
    struct Case {
        const char* Name;
        bool Standin;
        QStringList Args;
    } cases[] = {
        {"no portal on the bus", false, {}},
        {"a portal without global shortcuts", true, {QStringLiteral("--no-shortcuts")}},
    };
    for (const Case& c : cases) {
        PrivateBus bus;
        ASSERT_TRUE(bus.Up()) << c.Name;
        if (c.Standin) {
            ASSERT_TRUE(bus.StartStandin(c.Args)) << c.Name;
        }
        Window f(true);
        f.Portal.Start(*bus.Bus);
        EXPECT_TRUE(f.WaitFor(TState::Off)) << c.Name;
        EXPECT_EQ(f.Note(), QString()) << c.Name;
        EXPECT_TRUE(f.Messages.Records().isEmpty()) << c.Name;
    }
}

// CLOCK_MONOTONIC as Qt reads it, apart from the client's own reading.
uint64_t monotonicMs() {
    QElapsedTimer t;
    t.start();
    return uint64_t(t.msecsSinceReference());
}

// The real clocks: a stamp of CLOCK_MONOTONIC lands on the CLOCK_BOOTTIME
// counter at the same instant.
TEST(ShortcutsPortal, AStampOfTheMonotonicClockLandsWhereTheKeyWentDown) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Up());
    ASSERT_EQ(QElapsedTimer::clockType(), QElapsedTimer::MonotonicClock);
    ASSERT_TRUE(bus.StartStandin());
    Window f(false);
    const uint32_t startedBy = Clock::GetTickCount();
    f.Portal.Start(*bus.Bus);
    ASSERT_TRUE(f.WaitFor(TState::Bound));
    QTest::qWait(300);
    const uint64_t m0 = monotonicMs();
    const uint32_t k0 = Clock::GetTickCount();
    bus.Press("lap", m0 - 120);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.W.State.LapCount == 1; }, kWaitMs));
    // Each clock read whole milliseconds apart from the other: 2 ms either way.
    const int64_t earliest = int64_t(uint32_t(k0 - 120 - startedBy)) - 2;
    const int64_t latest = int64_t(uint32_t(k0 - 120 - f.StartedAt)) + 2;
    EXPECT_GE(f.W.State.Total, earliest);
    EXPECT_LE(f.W.State.Total, latest);
}

} // namespace
