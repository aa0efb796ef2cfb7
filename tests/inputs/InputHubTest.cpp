// A press from outside the window is timed at the moment it was made, not
// when the window's thread got to it; what an input may ask for is bounded.
#include "InputHub.h"
#include "Clock.h"
#include "CuteBtn.h"
#include "ExcelUtil.h"
#include "Menu.h"
#include "MessageService.h"
#include "PressMoments.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

namespace {

struct Window {
    FakeClock Clock;
    ScopedMessageRecorder Messages;
    TVantel W;
    TInputHub Hub{W};
    Window() {
        Clock.Tick = 4'294'967'000u; // the counter wraps during the run
        W.Timer1->SetEnabled(false);
        W.Run.Perform(TRunAction::Reset);
        W.Run.Perform(TRunAction::Start);
    }
    void Busy(uint32_t ms) { Clock.Advance(ms); }
};

TEST(InputHub, PressesAreTimedAtThePressInTheirOrder) {
    Window f;
    // The window's thread is held for 300 ms while three presses come in.
    const uint32_t start = f.Clock.Tick;
    f.Busy(300);
    for (uint32_t at : {50u, 120u, 250u})
        f.Hub.Press(TRunAction::Lap, start + at);
    EXPECT_EQ(f.W.State.LapCount, 3);
    EXPECT_EQ(f.W.State.Total, 250);
    EXPECT_EQ(f.W.State.LapTime, 130);
    EXPECT_EQ(f.W.State.FastLap, 50);
    // A press with no time of its own reads the clock when it runs.
    f.Hub.Press(TRunAction::Lap);
    EXPECT_EQ(f.W.State.Total, 300);
}

TEST(InputHub, APressTimeThatCannotBeTrustedIsTheHandlersTime) {
    struct Case {
        const char* Name;
        int64_t At; // the press's tick, from the clock now
        int32_t Total;
    } cases[] = {
        {"ahead of the clock", +40, 1000},
        {"older than a press may be", -int64_t(TRunModel::MaxPressAge) - 1, 1000},
        {"before the last lap", -900, 200}, // no lap shorter than nothing
        {"just in time", -100, 900},
    };
    for (const Case& c : cases) {
        Window f;
        f.Busy(200);
        f.Hub.Press(TRunAction::Lap);
        f.Busy(800);
        f.Hub.Press(TRunAction::Lap2, uint32_t(int64_t(f.Clock.Tick) + c.At));
        EXPECT_EQ(f.W.State.Lap2Time, c.Total) << c.Name;
    }
}

TEST(InputHub, OnlyTheRunsOwnPressesComeFromOutside) {
    for (const char* name : {"lap", "lap2", "lap3", "start", "stop", "restart"})
        EXPECT_EQ(TInputHub::RemoteName(*TInputHub::RemoteAction(QString::fromLatin1(name))),
                  QLatin1String(name));
    for (const char* name : {"reset", "save", "delete", "undo", "Lap", "", "lap "})
        EXPECT_FALSE(TInputHub::RemoteAction(QString::fromLatin1(name))) << name;
    Window f;
    f.Hub.Press(TRunAction::Reset);
    f.Hub.Press(TRunAction::Undo);
    EXPECT_EQ(f.W.Run.Actions().size(), 1u) << "the start after the reset only";
}

// The display server's time of a key event, turned into the tick counter's.
TEST(InputHub, AnEventsOwnTimeIsTrustedOnlyJustBeforeNow) {
    struct Case {
        uint32_t Event, Mono, Tick;
        std::optional<uint32_t> Want;
    } cases[] = {
        {1000, 1005, 50, 45},
        {0xFFFFFFF0u, 0x10, 20, 0xFFFFFFF4u}, // both clocks wrap
        {1000, 2000, 5000, 4000},
        {1000, 2001, 5000, std::nullopt}, // older than a second
        {1010, 1000, 5000, std::nullopt}, // ahead of the clock
    };
    for (const Case& c : cases)
        EXPECT_EQ(Clock::TickOfMonotonic(c.Event, c.Mono, c.Tick), c.Want) << c.Event;
}

// A box of the program mid-race: the lap keys still press the lap buttons,
// the box keeps every other key.
TEST(InputHub, LapKeysGoThroughABoxToTheWindow) {
    Window f;
    f.W.show();
    QMessageBox box(QMessageBox::Information, QStringLiteral("Help"), QStringLiteral("text"));
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &box);
    QWidget* focus = box.focusWidget() ? box.focusWidget() : &box;
    f.Busy(1000);
    QTest::keyClick(focus, Qt::Key_1);
    f.Busy(500);
    QTest::keyClick(focus, Qt::Key_2, Qt::AltModifier);
    QTest::keyClick(focus, Qt::Key_4);
    EXPECT_EQ(f.W.State.LapCount, 1);
    EXPECT_EQ(f.W.State.Lap2Count, 1);
    EXPECT_TRUE(box.isVisible());
    // Accelerators off (Key): the keys are the box's.
    f.W.KeyClick(nullptr);
    QTest::keyClick(focus, Qt::Key_1);
    EXPECT_EQ(f.W.State.LapCount, 1);
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible()) << "Enter is the box's";
    EXPECT_EQ(f.W.State.LapCount, 1);
}

// A press that arrives while a handler holds a box open (a refusal) waits
// for the handler, and is timed when it arrived.
TEST(InputHub, APressDuringAHandlersBoxWaitsAndKeepsItsTime) {
    struct PressInTheBox : MessageService {
        TInputHub* Hub = nullptr;
        FakeClock* Clock = nullptr;
        int Shown = 0;
        void Show(const QString&, const QString&, MsgIcon, const QString&) override {
            ++Shown;
            Clock->Advance(700); // the operator reads the box
            Hub->Press(TRunAction::Lap);
            Clock->Advance(5000);
        }
    } service;
    Window f;
    service.Hub = &f.Hub;
    service.Clock = &f.Clock;
    MessageService::SetInstance(&service);
    f.Busy(1000);
    f.W.Run.Perform(TRunAction::Up); // the mix grid's first row: refused
    MessageService::SetInstance(&f.Messages.Recorder);
    EXPECT_EQ(service.Shown, 1);
    EXPECT_EQ(f.W.State.LapCount, 0) << "not inside the refusal";
    QCoreApplication::processEvents();
    EXPECT_EQ(f.W.State.LapCount, 1);
    EXPECT_EQ(f.W.State.Total, 1700);
    const auto& made = f.W.Run.Actions();
    ASSERT_GE(made.size(), 2u);
    EXPECT_EQ(made[made.size() - 2].Action, TRunAction::Up);
    EXPECT_EQ(made.back().Action, TRunAction::Lap);
}

} // namespace
