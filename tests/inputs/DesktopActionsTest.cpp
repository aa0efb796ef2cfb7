// The desktop's actions and `vantel --lap`: what the command line asks for,
// what the bus object takes from a call and what it refuses, and what the
// program's answer tells the operator. No bus needed: the calls are made
// on the object directly, the answers built as the bus would send them.
#include "DesktopActions.h"
#include "ActionCommand.h"
#include "CuteBtn.h"
#include "InputHub.h"
#include "MessageService.h"
#include "Messages.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVariant>

#include <vector>

namespace {

using ActionCommand::TCommand;

TEST(ActionCommand, TheSendingOptionsAreTheRunsOwnPressesAlone) {
    struct Case {
        std::vector<const char*> Args; // after the program's name
        TCommand::TKind Kind;
        const char* Action;
    } cases[] = {
        {{}, TCommand::OpenWindow, ""},
        {{"-platform", "offscreen"}, TCommand::OpenWindow, ""}, // Qt's own, as before
        {{"--lap"}, TCommand::Send, "lap"},
        {{"--lap2"}, TCommand::Send, "lap2"},
        {{"--lap3"}, TCommand::Send, "lap3"},
        {{"--start"}, TCommand::Send, "start"},
        {{"--stop"}, TCommand::Send, "stop"},
        {{"--restart"}, TCommand::Send, "restart"},
        {{"--help"}, TCommand::Help, ""},
        // Nothing from outside may end or change a run.
        {{"--reset"}, TCommand::Usage, ""},
        {{"--save"}, TCommand::Usage, ""},
        {{"--undo"}, TCommand::Usage, ""},
        {{"--LAP"}, TCommand::Usage, ""},
        {{"--lap4"}, TCommand::Usage, ""},
        {{"--"}, TCommand::Usage, ""},
        {{"--lap="}, TCommand::Usage, ""},
        // One press per command: which of two was meant is not to be guessed.
        {{"--lap", "--lap2"}, TCommand::Usage, ""},
        {{"--lap", "extra"}, TCommand::Usage, ""},
        {{"-platform", "xcb", "--lap"}, TCommand::Usage, ""},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"vantel"};
        argv.insert(argv.end(), c.Args.begin(), c.Args.end());
        const TCommand got = ActionCommand::Parse(int(argv.size()), argv.data());
        std::string args;
        for (const char* a : c.Args)
            args += std::string(a) + " ";
        EXPECT_EQ(got.Kind, c.Kind) << args;
        EXPECT_EQ(got.Action, QLatin1String(c.Action)) << args;
    }
}

TEST(DesktopActions, ACallIsTakenOnlyWithEverythingInItChecked) {
    const QString key = QLatin1String(DesktopActions::PressTickKey);
    QVariantMap many;
    for (int i = 0; i <= DesktopActions::MaxPlatformData; ++i)
        many.insert(QString::number(i), QString());
    QVariantMap launcher{{QStringLiteral("desktop-startup-id"), QStringLiteral("x_TIME1")},
                         {QStringLiteral("activation-token"), QStringLiteral("t")}};
    QVariantMap launcherAndTick = launcher;
    launcherAndTick.insert(key, QVariant::fromValue(uint32_t(77)));
    struct Case {
        const char* What;
        QString Name;
        QVariantList Parameter;
        QVariantMap Data;
        std::optional<TRunAction> Action; // nullopt: refused
        std::optional<uint32_t> Tick;
    } cases[] = {
        {"a lap, no time", "lap", {}, {}, TRunAction::Lap, {}},
        {"a lap at its tick",
         "lap",
         {},
         {{key, QVariant::fromValue(uint32_t(1234))}},
         TRunAction::Lap,
         1234u},
        {"the counter's top",
         "lap3",
         {},
         {{key, QVariant::fromValue(uint32_t(4294967295u))}},
         TRunAction::Lap3,
         4294967295u},
        {"a launcher's own data", "start", {}, launcher, TRunAction::Start, {}},
        {"a launcher's and the tick", "stop", {}, launcherAndTick, TRunAction::Stop, 77u},
        {"restart", "restart", {}, {}, TRunAction::Restart, {}},
        {"lap2", "lap2", {}, {}, TRunAction::Lap2, {}},
        {"reset", "reset", {}, {}, {}, {}},
        {"save", "save", {}, {}, {}, {}},
        {"a name's case", "Lap", {}, {}, {}, {}},
        {"empty", "", {}, {}, {}, {}},
        {"a long name", QString(100000, QLatin1Char('l')), {}, {}, {}, {}},
        {"a parameter", "lap", {QVariant(1)}, {}, {}, {}},
        {"a signed tick", "lap", {}, {{key, QVariant::fromValue(int32_t(5))}}, {}, {}},
        {"a 64-bit tick", "lap", {}, {{key, QVariant::fromValue(quint64(5))}}, {}, {}},
        {"a text tick", "lap", {}, {{key, QStringLiteral("5")}}, {}, {}},
        {"a tick in a variant",
         "lap",
         {},
         {{key, QVariant::fromValue(QDBusVariant(uint32_t(5)))}},
         {},
         {}},
        {"too much platform data", "lap", {}, many, {}, {}},
    };
    for (const Case& c : cases) {
        const DesktopActions::TActionCall got =
            DesktopActions::CheckActionCall(c.Name, c.Parameter, c.Data);
        EXPECT_EQ(got.Action, c.Action) << c.What;
        EXPECT_EQ(got.PressTick, c.Tick) << c.What;
        EXPECT_EQ(got.Refusal.isEmpty(), c.Action.has_value()) << c.What;
        // What goes back to the caller stays short, whatever it sent.
        EXPECT_LT(got.Refusal.size(), 200) << c.What;
    }
    EXPECT_EQ(DesktopActions::CheckActionCall(QStringLiteral("reset"), {}, {}).Refusal,
              Msg::UnknownAction().arg(QLatin1String("reset")));
}

TEST(ActionCommand, TheAnswerTellsWhetherAProgramTookThePress) {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(DesktopActions::BusName), QLatin1String(DesktopActions::ObjectPath),
        QLatin1String(DesktopActions::Interface), QStringLiteral("ActivateAction"));
    auto error = [](QDBusError::ErrorType type, const QString& text) {
        return QDBusMessage::createError(type, text);
    };
    struct Case {
        const char* What;
        QDBusMessage Reply;
        int Exit;
        QString Text;
    } cases[] = {
        {"taken", call.createReply(), 0, QString()},
        {"nobody owns the name", error(QDBusError::ServiceUnknown, "x"), 1, Msg::NotRunning()},
        {"no owner",
         QDBusMessage::createError(QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
                                   QStringLiteral("x")),
         1, Msg::NotRunning()},
        {"no bus", error(QDBusError::Disconnected, "x"), 1, Msg::NotRunning()},
        {"refused", error(QDBusError::InvalidArgs, "bad"), 1,
         Msg::PressNotTaken().arg(QStringLiteral("bad"))},
        {"no answer in time", error(QDBusError::NoReply, "late"), 1,
         Msg::PressNotTaken().arg(QStringLiteral("late"))},
    };
    for (const Case& c : cases) {
        const ActionCommand::TOutcome got = ActionCommand::Outcome(c.Reply);
        EXPECT_EQ(got.ExitCode, c.Exit) << c.What;
        EXPECT_EQ(got.Text, c.Text) << c.What;
    }
}

struct Window {
    FakeClock Clock;
    ScopedMessageRecorder Messages;
    TVantel W;
    TInputHub Hub{W};
    TDesktopActions Desktop{Hub};
    Window() {
        Clock.Tick = 10'000;
        W.Timer1->SetEnabled(false);
        W.Run.Perform(TRunAction::Reset);
    }
};

TEST(DesktopActions, TheActionsPressTheRunAtTheirTick) {
    Window f;
    const QString key = QLatin1String(DesktopActions::PressTickKey);
    f.Desktop.ActivateAction(QStringLiteral("start"), {}, {});
    const uint32_t start = f.Clock.Tick;
    f.Clock.Advance(500);
    // Sent at 120 ms, handled at 500 ms: the lap is the command's.
    f.Desktop.ActivateAction(QStringLiteral("lap"), {},
                             {{key, QVariant::fromValue(uint32_t(start + 120))}});
    EXPECT_EQ(f.W.State.LapCount, 1);
    EXPECT_EQ(f.W.State.Total, 120);
    // With no time of its own, the call's.
    f.Desktop.ActivateAction(QStringLiteral("lap"), {}, {});
    EXPECT_EQ(f.W.State.Total, 500);
    const size_t actions = f.W.Run.Actions().size();
    for (const char* refused : {"reset", "save", "undo"})
        f.Desktop.ActivateAction(QLatin1String(refused), {}, {});
    f.Desktop.ActivateAction(QStringLiteral("lap"), {}, {{key, QStringLiteral("600")}});
    f.Desktop.Open({QStringLiteral("file:///etc/passwd")}, {});
    EXPECT_EQ(f.W.Run.Actions().size(), actions);
    f.Desktop.ActivateAction(QStringLiteral("stop"), {}, {});
    EXPECT_EQ(f.W.Run.Actions().size(), actions + 1);
}

// Activate brings a minimised window back and to the front; inside it the
// focus stays on LAP, where the running run put it, and so do the actions.
TEST(DesktopActions, ActivateRaisesTheWindowAndLeavesItsFocusAlone) {
    Window f;
    f.W.show();
    QApplication::setActiveWindow(&f.W);
    f.W.Run.Perform(TRunAction::Start);
    f.W.LAP->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(f.W.focusWidget(), static_cast<QWidget*>(f.W.LAP));
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    f.W.showMinimized();
    QCoreApplication::processEvents();
    f.Desktop.Activate({});
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.W.isMinimized());
    EXPECT_TRUE(f.W.isVisible());
    EXPECT_EQ(f.W.focusWidget(), static_cast<QWidget*>(f.W.LAP));
    for (const char* name : {"lap2", "restart", "lap3"})
        f.Desktop.ActivateAction(QLatin1String(name), {}, {});
    EXPECT_EQ(f.W.focusWidget(), static_cast<QWidget*>(f.W.LAP));
    EXPECT_EQ(f.W.State.Lap2Count + f.W.State.Lap3Count, 2);
}

} // namespace
