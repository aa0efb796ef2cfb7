#include "Stopw.h"
#include "Label.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

namespace {

TEST(StopWatch, NewWatchShowsZero) {
    FakeClock clock;
    clock.Tick = 123456;
    TStopWatch sw;
    EXPECT_EQ(sw.Elapsed(), 0);
    EXPECT_EQ(sw.TimeText(), QStringLiteral(" 00:00:00:000"));
}

TEST(StopWatch, StopAndResumeAddOnlyRunningIntervals) {
    FakeClock clock;
    TStopWatch sw;
    sw.Start();
    clock.Advance(1000);
    sw.Stop();
    clock.Advance(5000); // stopped: not counted
    EXPECT_EQ(sw.Elapsed(), 1000);
    sw.Resume();
    clock.Advance(250);
    EXPECT_EQ(sw.Elapsed(), 1250);
    sw.Stop();
    clock.Advance(999);
    EXPECT_EQ(sw.Elapsed(), 1250);
    sw.Stop(); // a second stop changes nothing
    EXPECT_EQ(sw.Elapsed(), 1250);
}

TEST(StopWatch, ResumeWhileRunningFallsBackToFrozenTime) {
    FakeClock clock;
    TStopWatch sw;
    sw.Start();
    clock.Advance(700);
    sw.Resume(); // nothing was frozen since Start: back to 0
    EXPECT_EQ(sw.Elapsed(), 0);
    clock.Advance(300);
    sw.Stop();
    sw.Resume();
    clock.Advance(100);
    sw.Resume(); // back to the 300 frozen by Stop
    EXPECT_EQ(sw.Elapsed(), 300);
}

TEST(StopWatch, TickCounterWrapDuringRun) {
    FakeClock clock;
    clock.Tick = 0xFFFFFF00u;
    TStopWatch sw;
    sw.Start();
    clock.Advance(0x200); // wraps past zero
    EXPECT_EQ(sw.Elapsed(), 0x200);
}

TEST(StopWatch, IntervalBeyondTwoToThe31IsNegative) {
    FakeClock clock;
    TStopWatch sw;
    sw.Start();
    clock.Advance(0x80000000u);
    EXPECT_EQ(sw.Elapsed(), INT32_MIN);
    EXPECT_EQ(sw.TimeText(), QStringLiteral(" 1192449:56:53:-648"));
}

TEST(StopWatch, WritesItsLabelOnShowTimeAndStop) {
    FakeClock clock;
    TLabel label;
    TStopWatch sw;
    sw.SetDisplayLabel(&label);
    sw.Start();
    EXPECT_EQ(label.Caption(), QString()); // Start does not touch the label
    clock.Advance(65432);
    sw.ShowTime();
    EXPECT_EQ(label.Caption(), QStringLiteral(" 00:01:05:432"));
    clock.Advance(10);
    sw.Stop();
    EXPECT_EQ(label.Caption(), QStringLiteral(" 00:01:05:442"));
}

TEST(StopWatch, ForgetsDestroyedLabel) {
    FakeClock clock;
    TStopWatch sw;
    auto* label = new TLabel;
    sw.SetDisplayLabel(label);
    delete label;
    EXPECT_EQ(sw.DisplayLabel(), nullptr);
    sw.Start();
    clock.Advance(5);
    sw.ShowTime(); // must not touch the dead label
    sw.Stop();
    EXPECT_EQ(sw.Elapsed(), 5);
}

TEST(StopWatch, NotificationIgnoresOtherComponents) {
    TLabel label, other;
    TStopWatch sw;
    sw.SetDisplayLabel(&label);
    sw.Notification(&other, opRemove);
    sw.Notification(&label, opInsert);
    EXPECT_EQ(sw.DisplayLabel(), &label);
    sw.Notification(&label, opRemove);
    EXPECT_EQ(sw.DisplayLabel(), nullptr);
}

} // namespace
