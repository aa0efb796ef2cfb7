// A press from outside the window is timed at the moment it was made, not
// when the window's thread got to it; what an input may ask for is bounded.
#include "InputHub.h"
#include "MessageService.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

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

} // namespace
