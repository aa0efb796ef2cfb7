#include "Chart.h"
#include "TeEngine.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<double> RawValues(const TChartValueList& list) {
    std::vector<double> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.RawValue(i));
    return out;
}

struct OrderCase {
    const char* name;
    TChartListOrder order;
    std::vector<double> adds;
    std::vector<double> expectedValues;
    std::vector<int> expectedIndices;
};

void PrintTo(const OrderCase& c, std::ostream* os) {
    *os << c.name;
}

class ValueListOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ValueListOrder, PlacesEachValueAndReturnsItsIndex) {
    const OrderCase& c = GetParam();
    TChartValueList list(nullptr, "X");
    list.SetOrder(c.order);
    std::vector<int> indices;
    for (double v : c.adds)
        indices.push_back(list.AddOrdered(v));
    EXPECT_EQ(RawValues(list), c.expectedValues);
    EXPECT_EQ(indices, c.expectedIndices);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, ValueListOrder,
    ::testing::Values(
        OrderCase{"AscendingWithDuplicate", loAscending, {5, 3, 3, 4}, {3, 3, 4, 5}, {0, 0, 1, 2}},
        OrderCase{"AscendingAlreadySorted", loAscending, {1, 2, 2, 7}, {1, 2, 2, 7}, {0, 1, 2, 3}},
        OrderCase{"AscendingSmallerThanAll", loAscending, {4, 6, 1}, {1, 4, 6}, {0, 1, 0}},
        OrderCase{
            "DescendingWithDuplicate", loDescending, {3, 5, 5, 4}, {5, 5, 4, 3}, {0, 0, 1, 2}},
        OrderCase{"DescendingAlreadySorted", loDescending, {9, 9, 2}, {9, 9, 2}, {0, 1, 2}},
        OrderCase{"DescendingLargerThanAll", loDescending, {4, 2, 8}, {8, 4, 2}, {0, 1, 0}},
        OrderCase{"NoneKeepsArrivalOrder", loNone, {5, 3, 3, 4}, {5, 3, 3, 4}, {0, 1, 2, 3}},
        OrderCase{"NoneWithNegatives", loNone, {-1, -5, 2}, {-1, -5, 2}, {0, 1, 2}}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return info.param.name; });

TEST(ValueList, EqualValueGoesAfterExistingOnesInSeries) {
    // The X column is ordered; Y tells which of two equal X values came first.
    for (TChartListOrder order : {loAscending, loDescending}) {
        TChartSeries s;
        s.XValues().SetOrder(order);
        s.AddPoint(3, 10, "", clRed);
        s.AddPoint(3, 20, "", clRed);
        const int i = s.AddPoint(3, 30, "", clRed);
        EXPECT_EQ(i, 2);
        EXPECT_EQ(s.YValues().Value(0), 10);
        EXPECT_EQ(s.YValues().Value(1), 20);
        EXPECT_EQ(s.YValues().Value(2), 30);
    }
}

TEST(ValueList, FirstValueSetsBothExtremes) {
    for (double v : {-4.5, 0.0, 12.25}) {
        TChartValueList list(nullptr, "Y");
        list.AddOrdered(v);
        EXPECT_EQ(list.LowestValue(), v);
        EXPECT_EQ(list.HighestValue(), v);
        EXPECT_EQ(list.Sum(), v);
        EXPECT_EQ(list.AbsSum(), std::fabs(v));
    }
}

TEST(ValueList, StatisticsFollowAddsAndInserts) {
    TChartValueList list(nullptr, "Y");
    const std::vector<double> values = {2, -7, 5, 1};
    double sum = 0, abssum = 0, lo = values[0], hi = values[0];
    for (double v : values) {
        list.AddOrdered(v);
        sum += v;
        abssum += std::fabs(v);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        EXPECT_EQ(list.Sum(), sum);
        EXPECT_EQ(list.AbsSum(), abssum);
        EXPECT_EQ(list.LowestValue(), lo);
        EXPECT_EQ(list.HighestValue(), hi);
    }
    list.InsertAt(1, 40);
    EXPECT_EQ(list.RawValue(1), 40);
    EXPECT_EQ(list.RawValue(2), -7);
    EXPECT_EQ(list.HighestValue(), 40);
    EXPECT_EQ(list.Sum(), sum + 40);
}

TEST(ValueList, DeleteAtTakesValueOutOfSumsAndExtremes) {
    TChartValueList list(nullptr, "Y");
    for (double v : {4.0, -9.0, 6.0, 1.0})
        list.AddOrdered(v);
    list.DeleteAt(1); // the lowest
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Sum(), 11);
    EXPECT_EQ(list.AbsSum(), 11);
    EXPECT_EQ(list.LowestValue(), 1);
    EXPECT_EQ(list.HighestValue(), 6);
    list.DeleteAt(1); // the highest
    EXPECT_EQ(list.HighestValue(), 4);
    EXPECT_EQ(list.LowestValue(), 1);
    list.DeleteAt(0);
    list.DeleteAt(0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.LowestValue(), 0);
    EXPECT_EQ(list.HighestValue(), 0);
    EXPECT_EQ(list.Sum(), 0);
}

TEST(ValueList, MultiplierScalesValuesAndStatisticsOfLaterAdds) {
    TChartValueList list(nullptr, "Y");
    list.SetMultiplier(2.5);
    list.AddOrdered(4);
    list.AddOrdered(-2);
    EXPECT_EQ(list.RawValue(0), 4);
    EXPECT_EQ(list.Value(0), 10);
    EXPECT_EQ(list.LastValue(), -5);
    EXPECT_EQ(list.Sum(), 5);
    EXPECT_EQ(list.AbsSum(), 15);
    EXPECT_EQ(list.LowestValue(), -5);
    EXPECT_EQ(list.HighestValue(), 10);
    EXPECT_EQ(list.IndexOfValue(10), 0);
    EXPECT_EQ(list.IndexOfValue(4), -1); // compares scaled values
}

TEST(ValueList, ChangingMultiplierRecalcsExtremesButKeepsSums) {
    TChartValueList list(nullptr, "Y");
    for (double v : {1.0, 3.0, -2.0})
        list.AddOrdered(v);
    const double sum = list.Sum(), abssum = list.AbsSum();
    list.SetMultiplier(-1);
    EXPECT_EQ(list.LowestValue(), -3);
    EXPECT_EQ(list.HighestValue(), 2);
    EXPECT_EQ(list.Sum(), sum);
    EXPECT_EQ(list.AbsSum(), abssum);
}

TEST(ValueList, RecalcExtremesOnEmptyListGivesZero) {
    TChartValueList list(nullptr, "Y");
    list.AddOrdered(5);
    list.AddOrdered(8);
    list.DeleteAt(0);
    list.DeleteAt(0);
    list.RecalcExtremes();
    EXPECT_EQ(list.LowestValue(), 0);
    EXPECT_EQ(list.HighestValue(), 0);
}

TEST(ValueList, IndexOfValueFindsFirstMatch) {
    TChartValueList list(nullptr, "Y");
    for (double v : {7.0, 2.0, 7.0})
        list.AddOrdered(v);
    EXPECT_EQ(list.IndexOfValue(7), 0);
    EXPECT_EQ(list.IndexOfValue(2), 1);
    EXPECT_EQ(list.IndexOfValue(3), -1);
}

TEST(ValueList, ClearZeroesEverythingAndGivesBackStorage) {
    TChartValueList list(nullptr, "Y");
    for (int i = 0; i < 100; ++i)
        list.AddOrdered(i + 1);
    ASSERT_GT(list.Capacity(), 0u);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0u);
    EXPECT_EQ(list.LowestValue(), 0);
    EXPECT_EQ(list.HighestValue(), 0);
    EXPECT_EQ(list.Sum(), 0);
    EXPECT_EQ(list.AbsSum(), 0);
}

TEST(ValueList, SeriesCreatesNamedListsWithOrders) {
    TChartSeries s;
    EXPECT_EQ(s.XValues().Name(), "X");
    EXPECT_EQ(s.YValues().Name(), "Y");
    EXPECT_EQ(s.XValues().Order(), loAscending);
    EXPECT_EQ(s.YValues().Order(), loNone);
    EXPECT_FALSE(s.XValues().DateTime());
    EXPECT_EQ(s.XValues().Multiplier(), 1.0);
    EXPECT_EQ(s.XValues().Owner(), &s);
    ASSERT_EQ(s.ValuesLists().size(), 2u);
    EXPECT_EQ(s.ValuesLists()[0], &s.XValues());
    EXPECT_EQ(s.ValuesLists()[1], &s.YValues());
}

TEST(ValueList, SettersRepaintOnlyWhenTheValueChanges) {
    TChart chart;
    TChartSeries s;
    chart.AddSeries(&s);
    struct Step {
        const char* what;
        std::function<void()> change;
        int repaints;
    };
    const std::vector<Step> steps = {
        {"multiplier changed", [&] { s.YValues().SetMultiplier(3); }, 1},
        {"multiplier same", [&] { s.YValues().SetMultiplier(3); }, 0},
        {"datetime changed", [&] { s.XValues().SetDateTime(true); }, 1},
        {"datetime same", [&] { s.XValues().SetDateTime(true); }, 0},
        {"value source", [&] { s.YValues().SetValueSource("Field"); }, 0},
    };
    for (const Step& step : steps) {
        const int before = chart.InvalidateCount();
        step.change();
        EXPECT_EQ(chart.InvalidateCount() - before, step.repaints) << step.what;
    }
    EXPECT_EQ(s.YValues().ValueSource(), "Field");
}

} // namespace

namespace {
// The extremes of every asked run against a walk over it.
void ExpectExtremesOfRuns(const TChartValueList& list, std::mt19937& rng, const char* what) {
    const int n = list.Count();
    for (int q = 0; q < 300; ++q) {
        int a = static_cast<int>(rng() % static_cast<unsigned>(n));
        int b = static_cast<int>(rng() % static_cast<unsigned>(n));
        if (q == 0) a = 0, b = n - 1; // the whole list
        if (a > b) std::swap(a, b);
        double lo = list.RawValue(a), hi = lo;
        for (int i = a; i <= b; ++i)
            lo = std::min(lo, list.RawValue(i)), hi = std::max(hi, list.RawValue(i));
        const TExtremesIndex::Range r = list.RawExtremes(a, b);
        ASSERT_EQ(r.Lowest, lo) << what << " n=" << n << " [" << a << ", " << b << "]";
        ASSERT_EQ(r.Highest, hi) << what << " n=" << n << " [" << a << ", " << b << "]";
    }
}
} // namespace

// Sizes on both sides of each block edge: appends, inserts among the
// values, deletes and a clear all leave the index answering every run.
TEST(ValueListIndex, ExtremesOfAnyRunFollowEveryChange) {
    for (int n : {1, 2, 15, 16, 17, 255, 256, 257, 4097, 70000}) {
        std::mt19937 rng(static_cast<unsigned>(n));
        std::uniform_real_distribution<double> d(-5000, 5000);
        TChartValueList list(nullptr, "Y");
        for (int i = 0; i < n; ++i)
            list.AddOrdered(std::round(d(rng)));
        ExpectExtremesOfRuns(list, rng, "appended");
        list.InsertAt(n / 2, 9999);
        list.InsertAt(0, -9999);
        ExpectExtremesOfRuns(list, rng, "inserted");
        list.DeleteAt(0);
        list.DeleteAt(list.Count() - 1);
        ExpectExtremesOfRuns(list, rng, "deleted");
        list.AddOrdered(12345);
        ExpectExtremesOfRuns(list, rng, "appended after delete");
        list.Clear();
        EXPECT_EQ(list.Index().Bytes(), 0u) << n;
        list.AddOrdered(7);
        EXPECT_EQ(list.RawExtremes(0, 0).Lowest, 7) << n;
        EXPECT_EQ(list.RawExtremes(0, 0).Highest, 7) << n;
    }
}

// The drawing asks the index only of finite values that ascend; the flags
// follow values that are added, inserted, deleted and cleared.
TEST(ValueListIndex, FiniteAndAscendingFlagsFollowTheValues) {
    const double nan = std::nan(""), inf = INFINITY;
    struct Case {
        const char* name;
        std::vector<double> adds;
        bool finite, sorted;
    };
    for (const Case& c :
         {Case{"empty", {}, true, true}, Case{"ascending", {1, 2, 2, 3}, true, true},
          Case{"descent", {1, 3, 2}, true, false}, Case{"nan", {1, nan, 2}, false, false},
          Case{"inf", {1, 2, inf}, false, false}}) {
        TChartValueList list(nullptr, "X"); // no order: stored as added
        for (double v : c.adds)
            list.AddOrdered(v);
        EXPECT_EQ(list.AllFinite(), c.finite) << c.name;
        EXPECT_EQ(list.Sorted(), c.sorted) << c.name;
    }
    TChartValueList list(nullptr, "X");
    for (double v : {1.0, 5.0, 3.0, nan})
        list.AddOrdered(v);
    list.DeleteAt(3);
    EXPECT_TRUE(list.AllFinite());
    EXPECT_FALSE(list.Sorted());
    list.DeleteAt(1);
    EXPECT_TRUE(list.Sorted());
    list.InsertAt(1, 0);
    EXPECT_FALSE(list.Sorted());
    list.Clear();
    EXPECT_TRUE(list.Sorted());
}

// The index costs about a byte per value on top of the value's eight.
TEST(ValueListIndex, AboutOneByteAPoint) {
    TChartValueList list(nullptr, "Y");
    for (int i = 0; i < 1 << 20; ++i)
        list.AddOrdered(i % 977);
    const double perValue = static_cast<double>(list.Index().Bytes()) / list.Count();
    EXPECT_GT(perValue, 1.0);
    EXPECT_LT(perValue, 1.5);
}
