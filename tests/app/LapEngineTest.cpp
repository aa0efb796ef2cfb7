#include "LapEngine.h"
#include "RowText.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct SpeedCase {
    int32_t meter, ms, kmh;
};

class SpeedCases : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(SpeedCases, IntegerStepsTruncateAndWrap) {
    const SpeedCase& c = GetParam();
    EXPECT_EQ(LapEngine::SpeedOrZero(c.meter, c.ms), c.kmh) << c.meter << " m in " << c.ms << " ms";
}

INSTANTIATE_TEST_SUITE_P(
    Values, SpeedCases,
    ::testing::Values(SpeedCase{5864, 120000, 175}, SpeedCase{1000, 60000, 59},
                      SpeedCase{100, 12345, 29}, SpeedCase{100, 10, 36000}, SpeedCase{100, 9, 0},
                      SpeedCase{100, -9, 0}, SpeedCase{100, 0, 0}, SpeedCase{214749, 60000, -12884},
                      SpeedCase{5864, 65432, 322}, SpeedCase{1000, -60000, -59},
                      SpeedCase{0, 60000, 0},
                      // a = INT_MIN and d = -1: wraps to INT_MIN instead of trapping
                      SpeedCase{134217728, -10, 0}, SpeedCase{134217728, -19, 0}));

TEST(Speed, DivisionByZeroHasNoValue) {
    EXPECT_FALSE(LapEngine::Speed(100, 5).has_value());
    EXPECT_TRUE(LapEngine::Speed(100, 10).has_value());
}

TEST(LapRow, SplitsIntoTheTenCells) {
    LapEngine::LapRow r;
    r.LapCount = 1;
    r.TotalText = QStringLiteral(" 00:01:05:432");
    r.LapTimeText = QStringLiteral(" 00:01:05:432");
    r.LapDiff = 65432;
    r.TimeOfDay = QStringLiteral("13:05:42");
    r.LapTime = 65432;
    r.LapKmh = 322;
    r.AveLap = 65432;
    r.AveKmh = 322;
    const QString text = LapEngine::LapRowText(r);
    EXPECT_TRUE(text.startsWith(QStringLiteral("1,\" 1 \", 00:01:05:432,")));
    EXPECT_EQ(RowTextCells(text, 10),
              (QStringList{"1", " 1 ", "00:01:05:432", "00:01:05:432", "65432", "13:05:42", "65432",
                           "322", "65432", "322"}));
}

TEST(LapRow, SecondaryRowHasFiveCells) {
    const QString text = LapEngine::SecondaryRowText(2, 3, QStringLiteral(" 00:00:20:000"),
                                                     QStringLiteral(" 00:00:10:000"), -5);
    EXPECT_EQ(text, QStringLiteral("2,\" 3 \", 00:00:20:000, 00:00:10:000,-5"));
    EXPECT_EQ(RowTextCells(text, 10),
              (QStringList{"2", " 3 ", "00:00:20:000", "00:00:10:000", "-5", "", "", "", "", ""}));
}

TEST(Scroll, NewRowBecomesLastVisible) {
    EXPECT_FALSE(LapEngine::ScrollTopFor(10, 10).has_value());
    EXPECT_EQ(LapEngine::ScrollTopFor(11, 10), 2);
    EXPECT_EQ(LapEngine::ScrollTopFor(31, 5), 27);
}

} // namespace

namespace {

// Three presses of a run, each checked against figures worked out by hand.
TEST(MainLap, FiguresOfARun) {
    TRunState s;
    s.Running = true;
    s.MeterText = QStringLiteral("5864");
    struct Press {
        int32_t elapsed;
        int32_t lap, diff, fast, ave, lapKmh;
        bool newFast;
    };
    const Press presses[] = {{65432, 65432, 65432, 65432, 65432, 322, true},
                             {131864, 66432, 1000, 65432, 65932, 317, false},
                             {196296, 64432, -2000, 64432, 65432, 327, true}};
    for (const Press& p : presses) {
        const LapEngine::MainLapResult r = LapEngine::MainLap(s, p.elapsed, true);
        EXPECT_EQ(r.State.LapTime, p.lap) << p.elapsed;
        EXPECT_EQ(r.State.LapDiff, p.diff) << p.elapsed;
        EXPECT_EQ(r.State.FastLap, p.fast) << p.elapsed;
        EXPECT_EQ(r.State.AveLap, p.ave) << p.elapsed;
        EXPECT_EQ(r.State.LapKmh, p.lapKmh) << p.elapsed;
        EXPECT_EQ(r.NewFastLap, p.newFast) << p.elapsed;
        EXPECT_EQ(r.State.PrevTotal, p.elapsed);
        s = r.State;
    }
    EXPECT_EQ(s.LapCount, 3);
    EXPECT_EQ(s.Meter, 5864);
}

TEST(MainLap, StoppedClockAndUnpickedDistance) {
    TRunState s;
    s.PrevTotal = 5000;
    s.LapKmh = 7;
    s.Lap2Count = 2;
    s.Lap3Count = 1;
    // Stopped: the lap is the whole elapsed time; without a picked distance
    // the speeds keep their values.
    const LapEngine::MainLapResult r = LapEngine::MainLap(s, 9000, false);
    EXPECT_EQ(r.State.LapTime, 9000);
    EXPECT_EQ(r.State.LapKmh, 7);
    EXPECT_EQ(r.State.MixRow, 4);
    EXPECT_EQ(r.State.MixLap1Count, 1);
}

// Each button keeps its own figures; the other's stay as they were, and so
// does everything of the main lap.
TEST(SecondaryLap, EachButtonMovesOnlyItsOwnFigures) {
    struct Case {
        int Button;
        bool Running;
        int32_t Elapsed;
        LapEngine::TSecondaryLap Want;
    };
    const Case cases[] = {
        {2, true, 9000, {9000 - 4000, 9000, (9000 - 4000) - 700, 9000 - 4000, 3}},
        {3, true, 9000, {9000 - 1000, 9000, (9000 - 1000) - 300, 9000 - 1000, 6}},
        {2, false, 9000, {9000, 9000, 9000 - 700, 9000, 3}}, // stopped: from zero
        {3,
         true,
         INT32_MIN,
         {int32_t(uint32_t(INT32_MIN) - 1000u), INT32_MIN,
          int32_t(uint32_t(INT32_MIN) - 1000u - 300u), int32_t(uint32_t(INT32_MIN) - 1000u),
          6}}, // wraps
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Button);
        TRunState s;
        s.Running = c.Running;
        s.MixLap1Count = 4;
        s.LapCount = 4;
        s.PrevTotal = 3333;
        LapEngine::SetSecondary(s, 2, {111, 4000, 5, 700, 2});
        LapEngine::SetSecondary(s, 3, {222, 1000, 6, 300, 5});
        const TRunState r = LapEngine::SecondaryLap(s, c.Button, c.Elapsed);
        EXPECT_EQ(LapEngine::SecondaryOf(r, c.Button), c.Want);
        const int other = c.Button == 2 ? 3 : 2;
        EXPECT_EQ(LapEngine::SecondaryOf(r, other), LapEngine::SecondaryOf(s, other));
        EXPECT_EQ(r.Total, c.Elapsed);
        EXPECT_EQ(r.MixRow, 4 + r.Lap2Count + r.Lap3Count);
        EXPECT_EQ(r.PrevTotal, 3333);
        EXPECT_EQ(r.LapCount, 4);
    }
}

} // namespace
