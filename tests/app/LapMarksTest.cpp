#include "LapMarks.h"
#include "Messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr TLapMark N = TLapMark::None, S = TLapMark::Short, L = TLapMark::Long;
constexpr int32_t Max = INT32_MAX;

struct MarkCase {
    const char* Name;
    std::vector<TPressedLap> Laps;
    std::vector<TLapMark> Want;
};

TEST(LapMarks, EachLapIsJudgedByTheMedianOfItsButtonsEarlierLaps) {
    const MarkCase cases[] = {
        {"double press among minute laps",
         {{1, 60000}, {1, 60000}, {1, 300}, {1, 60000}},
         {N, N, S, N}},
        {"missed pass", {{1, 60000}, {1, 61000}, {1, 59000}, {1, 120500}}, {N, N, N, L}},
        {"exactly 40 % is not short", {{1, 60000}, {1, 60000}, {1, 24000}}, {N, N, N}},
        {"just below 40 %", {{1, 60000}, {1, 60000}, {1, 23999}}, {N, N, S}},
        {"exactly 180 % is not long", {{1, 60000}, {1, 60000}, {1, 108000}}, {N, N, N}},
        {"just above 180 %", {{1, 60000}, {1, 60000}, {1, 108001}}, {N, N, L}},
        {"a short second lap is not marked", {{1, 60000}, {1, 300}}, {N, N}},
        {"a long second lap is not marked", {{1, 300}, {1, 60000}}, {N, N}},
        // Counted in its own median (3000) the 5000 lap would not be long.
        {"the lap itself is not in its median", {{1, 1000}, {1, 3000}, {1, 5000}}, {N, N, L}},
        {"LAP2 is not judged by LAP",
         {{1, 60000}, {1, 60000}, {1, 60000}, {2, 5000}, {2, 5000}, {2, 5000}, {1, 60000}},
         {N, N, N, N, N, N, N}},
        {"each button's first two laps stay unmarked",
         {{1, 60000}, {1, 60000}, {1, 60000}, {3, 200000}, {2, 300}, {3, 1000}, {2, 60000}},
         {N, N, N, N, N, N, N}},
        {"LAP3 marked against its own laps",
         {{3, 10000}, {1, 500}, {3, 10000}, {1, 500}, {3, 3000}, {1, 500}, {3, 19000}},
         {N, N, N, N, S, N, L}},
        // 1000 and 3000: the median is 2000, not the lower (1000) or upper (3000) value.
        {"even count short", {{1, 1000}, {1, 3000}, {1, 799}}, {N, N, S}},
        {"even count not short", {{1, 1000}, {1, 3000}, {1, 800}}, {N, N, N}},
        {"even count not long", {{1, 1000}, {1, 3000}, {1, 3600}}, {N, N, N}},
        {"even count long", {{1, 1000}, {1, 3000}, {1, 3601}}, {N, N, L}},
        // Median 1000.5: 40 % is 400.2 and 180 % is 1800.9, neither rounded.
        {"half median short", {{1, 1000}, {1, 1001}, {1, 400}}, {N, N, S}},
        {"half median not short", {{1, 1000}, {1, 1001}, {1, 401}}, {N, N, N}},
        {"half median not long", {{1, 1000}, {1, 1001}, {1, 1800}}, {N, N, N}},
        {"half median long", {{1, 1000}, {1, 1001}, {1, 1801}}, {N, N, L}},
        {"four laps, median of the middle two",
         {{1, 4000}, {1, 1000}, {1, 3000}, {1, 2000}, {1, 999}},
         {N, N, N, N, S}},
        // 40 % of INT32_MAX is 858993458.8.
        {"longest laps do not overflow", {{1, Max}, {1, Max}, {1, 858993458}}, {N, N, S}},
        {"longest laps, not short", {{1, Max}, {1, Max}, {1, 858993459}, {1, Max}}, {N, N, N, N}},
        {"no laps", {}, {}},
    };
    for (const MarkCase& c : cases)
        EXPECT_EQ(LapMarksOf(c.Laps), c.Want) << c.Name;
}

TEST(LapMarks, RunningMedianMatchesASortedCopy) {
    struct Case {
        const char* Name;
        std::vector<int32_t> Values;
        std::vector<int64_t> WantTwice;
    };
    const Case cases[] = {
        {"ascending", {1, 2, 3, 4, 5, 6}, {2, 3, 4, 5, 6, 7}},
        {"descending", {6, 5, 4, 3, 2, 1}, {12, 11, 10, 9, 8, 7}},
        {"duplicates", {5, 5, 1, 5, 9}, {10, 10, 10, 10, 10}},
        {"zigzag", {10, 1, 9, 2, 8}, {20, 11, 18, 11, 16}},
        {"extremes", {Max, Max}, {2 * int64_t{Max}, 2 * int64_t{Max}}},
    };
    for (const Case& c : cases) {
        TRunningMedian m;
        EXPECT_EQ(m.TwiceMedian(), 0) << c.Name;
        for (size_t i = 0; i < c.Values.size(); ++i) {
            m.Add(c.Values[i]);
            EXPECT_EQ(m.Count(), static_cast<int>(i + 1)) << c.Name;
            EXPECT_EQ(m.TwiceMedian(), c.WantTwice[i]) << c.Name << " after " << i + 1;
        }
    }
    // Random laps against the median of a sorted copy, at every length.
    std::mt19937 gen(20261210);
    std::uniform_int_distribution<int32_t> lap(0, 200000);
    TRunningMedian m;
    std::vector<int32_t> seen;
    for (int i = 0; i < 500; ++i) {
        seen.push_back(lap(gen));
        m.Add(seen.back());
        std::vector<int32_t> sorted = seen;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        const int64_t want =
            n % 2 ? 2 * int64_t{sorted[n / 2]} : int64_t{sorted[n / 2 - 1]} + sorted[n / 2];
        ASSERT_EQ(m.TwiceMedian(), want) << "after " << n;
    }
}

TEST(LapMarks, DescriptionsAreTheCataloguesTexts) {
    EXPECT_EQ(LapMarkDescription(TLapMark::Short), Msg::LapMarkShort());
    EXPECT_EQ(LapMarkDescription(TLapMark::Long), Msg::LapMarkLong());
    EXPECT_TRUE(LapMarkDescription(TLapMark::None).isEmpty());
}

} // namespace
