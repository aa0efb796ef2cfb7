#include "Series.h"
#include "Chart.h"
#include "TeEngine.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QPointer>
#include <memory>
#include <vector>

namespace {

// A chart with one series attached, as the main window sets them up.
struct Attached {
    QObject owner;
    TChart chart;
    TChartSeries* series = new TChartSeries(&owner);
    Attached() { chart.AddSeries(series); }
    // The series outlives the test's locals its handlers capture: destroying
    // it clears its points, which fires OnClearValues.
    ~Attached() {
        series->OnBeforeAdd = nullptr;
        series->OnAfterAdd = nullptr;
        series->OnClearValues = nullptr;
    }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;
    int Invalidations() const { return chart.InvalidateCount(); }
};

TEST(SeriesAdd, AddValueNumbersPointsFromZero) {
    TChartSeries s;
    EXPECT_EQ(s.AddValue(1500, "", clRed), 0);
    EXPECT_EQ(s.AddValue(1200, "", clRed), 1);
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s.XValues().Value(0), 0);
    EXPECT_EQ(s.XValues().Value(1), 1);
    EXPECT_EQ(s.XValues().LowestValue(), 0);
    EXPECT_EQ(s.XValues().HighestValue(), 1);
    EXPECT_EQ(s.YValues().LowestValue(), 1200);
    EXPECT_EQ(s.YValues().HighestValue(), 1500);
    EXPECT_EQ(s.MinYValue(), 1200);
    EXPECT_EQ(s.MaxXValue(), 1);
    EXPECT_EQ(s.MaxZValue(), 0);
}

TEST(SeriesAdd, SamePointTwiceGivesEqualYExtremes) {
    TChartSeries s;
    s.AddValue(63000, "", clRed);
    s.AddValue(63000, "", clRed);
    EXPECT_EQ(s.YValues().LowestValue(), s.YValues().HighestValue());
    EXPECT_EQ(s.YValues().Sum(), 126000);
}

TEST(SeriesAdd, OtherColumnsFollowTheIndexXReceived) {
    TChartSeries s;
    s.AddPoint(5, 50, "five", clRed);
    s.AddPoint(1, 10, "one", clBlue);
    s.AddPoint(3, 30, "", clGreen);
    const std::vector<double> ys = {10, 30, 50};
    const std::vector<QString> labels = {"one", "", "five"};
    const std::vector<TColor> colours = {clBlue, clGreen, clRed};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s.YValues().Value(i), ys[static_cast<size_t>(i)]);
        EXPECT_EQ(s.PointLabel(i), labels[static_cast<size_t>(i)]);
        EXPECT_EQ(s.PointColor(i), colours[static_cast<size_t>(i)]);
        EXPECT_EQ(s.XValue(i), s.XValues().Value(i));
        EXPECT_EQ(s.YValue(i), s.YValues().Value(i));
    }
}

TEST(SeriesAdd, BeforeAddSeesPendingValuesAndMayRefuse) {
    Attached a;
    double seenX = -1, seenY = -1;
    bool accept = false;
    int afterAdds = 0;
    a.series->OnBeforeAdd = [&](TChartSeries* s) {
        seenX = s->XValues().PendingValue;
        seenY = s->YValues().PendingValue;
        return accept;
    };
    a.series->OnAfterAdd = [&](TChartSeries*, int) { ++afterAdds; };
    const int before = a.Invalidations();
    EXPECT_EQ(a.series->AddPoint(7, 70, "x", clRed), -1);
    EXPECT_EQ(seenX, 7);
    EXPECT_EQ(seenY, 70);
    EXPECT_EQ(a.series->Count(), 0);
    EXPECT_EQ(a.series->YValues().Count(), 0);
    EXPECT_EQ(a.series->YValues().Sum(), 0);
    EXPECT_EQ(afterAdds, 0);
    EXPECT_EQ(a.Invalidations(), before);

    accept = true;
    EXPECT_EQ(a.series->AddValue(42, "", clRed), 0);
    EXPECT_EQ(seenX, 0); // AddValue's X is the count before the add
    EXPECT_EQ(afterAdds, 1);
    EXPECT_EQ(a.Invalidations(), before + 1);
}

TEST(SeriesAdd, AfterAddGetsTheNewIndex) {
    TChartSeries s;
    std::vector<int> indices;
    s.OnAfterAdd = [&](TChartSeries* sender, int i) {
        EXPECT_EQ(sender, &s);
        EXPECT_EQ(sender->Count(), static_cast<int>(indices.size()) + 1); // already stored
        indices.push_back(i);
    };
    s.AddPoint(4, 0, "", clRed);
    s.AddPoint(2, 0, "", clRed);
    s.AddPoint(9, 0, "", clRed);
    EXPECT_EQ(indices, (std::vector<int>{0, 0, 2}));
}

TEST(SeriesAdd, EveryAddInvalidatesTheChartOnce) {
    Attached a;
    const int before = a.Invalidations();
    for (int i = 0; i < 5; ++i)
        a.series->AddValue(1000 + i, "", clRed);
    EXPECT_EQ(a.Invalidations() - before, 5);
}

TEST(SeriesAdd, InactiveSeriesStoresButDoesNotRepaint) {
    Attached a;
    a.series->SetActive(false);
    const int before = a.Invalidations();
    EXPECT_EQ(a.series->AddValue(900, "", clRed), 0);
    EXPECT_EQ(a.series->Count(), 1);
    EXPECT_EQ(a.series->YValues().HighestValue(), 900);
    EXPECT_EQ(a.Invalidations(), before);
    a.series->ClearValues(); // clearing still invalidates
    EXPECT_EQ(a.Invalidations(), before + 1);
}

TEST(SeriesAdd, WithoutChartPointsAreStoredAndRepaintsDropped) {
    TChartSeries s;
    s.AddValue(1, "", clRed);
    s.DeleteValue(0);
    s.ClearValues();
    s.RequestRepaint();
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.ParentChart(), nullptr);
}

TEST(SeriesAdd, VirtualPointAddedIsCalledWithTheIndex) {
    struct Recording : TChartSeries {
        std::vector<int> added;
        void PointAdded(int index) override {
            added.push_back(index);
            TChartSeries::PointAdded(index);
        }
    } s;
    s.AddPoint(2, 0, "", clRed);
    s.AddPoint(1, 0, "", clRed);
    s.AddValue(0, "", clRed); // X = Count = 2 goes after the 2
    EXPECT_EQ(s.added, (std::vector<int>{0, 0, 2}));
}

TEST(SeriesLabels, EmptyLabelIsStoredAsNoText) {
    TChartSeries s;
    s.AddValue(1, "", clRed);
    QString text = "lap";
    s.AddValue(2, text, clRed);
    text = "changed"; // the series keeps its own copy
    EXPECT_FALSE(s.HasPointLabel(0));
    EXPECT_TRUE(s.PointLabel(0).isEmpty());
    EXPECT_TRUE(s.HasPointLabel(1));
    EXPECT_EQ(s.PointLabel(1), "lap");
    EXPECT_TRUE(s.PointLabel(5).isEmpty());
}

struct ColourCase {
    const char* name;
    TColor given;
    bool colorEachPoint;
    int index;        // the point asked for (two points are stored)
    bool usesPalette; // expect the palette colour of the index
    TColor expected;  // otherwise
};

void PrintTo(const ColourCase& c, std::ostream* os) {
    *os << c.name;
}

class SeriesPointColour : public ::testing::TestWithParam<ColourCase> {};

TEST_P(SeriesPointColour, FollowsTheColourRules) {
    const ColourCase& c = GetParam();
    TChartSeries s;
    s.SetSeriesColor(clNavy);
    s.SetColorEachPoint(c.colorEachPoint);
    s.AddValue(1, "", c.given);
    s.AddValue(2, "", c.given);
    const TColor expected = c.usesPalette ? ChartPaletteColor(c.index) : c.expected;
    EXPECT_EQ(s.PointColor(c.index), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SeriesPointColour,
    ::testing::Values(ColourCase{"Explicit", clRed, false, 1, false, clRed},
                      ColourCase{"ExplicitIgnoresEachPoint", clRed, true, 1, false, clRed},
                      ColourCase{"AutoTakesSeriesColour", AutoColor, false, 1, false, clNavy},
                      ColourCase{"AutoEachPointTakesPalette", AutoColor, true, 1, true, 0},
                      ColourCase{"AutoEachPointFirstPoint", AutoColor, true, 0, true, 0},
                      ColourCase{"DefaultStoredAsAuto", clDefault, false, 0, false, clNavy},
                      ColourCase{"DefaultEachPoint", clDefault, true, 1, true, 0},
                      ColourCase{"PastTheEnd", clRed, false, 2, false, clNavy}),
    [](const ::testing::TestParamInfo<ColourCase>& info) { return info.param.name; });

TEST(SeriesColour, PaletteEntriesDifferForNeighbouringPoints) {
    TChartSeries s;
    s.SetColorEachPoint(true);
    for (int i = 0; i < 3; ++i)
        s.AddValue(i, "", AutoColor);
    EXPECT_NE(s.PointColor(0), s.PointColor(1));
    EXPECT_NE(s.PointColor(1), s.PointColor(2));
}

TEST(SeriesColour, NullValueHasNoColourAndZeroY) {
    TChartSeries s;
    s.SetSeriesColor(clRed);
    EXPECT_EQ(s.AddNullValue("gap"), 0);
    EXPECT_EQ(s.PointColor(0), clNone);
    EXPECT_EQ(s.YValues().Value(0), 0);
    EXPECT_EQ(s.PointLabel(0), "gap");
}

TEST(SeriesClear, ResetsEverythingAndInvalidates) {
    Attached a;
    a.series->AddValue(5000, "a", clRed);
    a.series->AddValue(-3000, "b", clRed);
    a.series->Marks.Positions.resize(2);
    const int before = a.Invalidations();
    a.series->ClearValues();
    EXPECT_EQ(a.series->Count(), 0);
    for (const TChartValueList* list : a.series->ValuesLists()) {
        EXPECT_EQ(list->Count(), 0);
        EXPECT_EQ(list->LowestValue(), 0);
        EXPECT_EQ(list->HighestValue(), 0);
        EXPECT_EQ(list->Sum(), 0);
        EXPECT_EQ(list->AbsSum(), 0);
    }
    EXPECT_FALSE(a.series->HasPointLabel(0));
    EXPECT_TRUE(a.series->Marks.Positions.empty());
    EXPECT_EQ(a.Invalidations(), before + 1);
    EXPECT_EQ(a.series->AddValue(7, "", clRed), 0);
    EXPECT_EQ(a.series->XValues().Value(0), 0);
    EXPECT_EQ(a.series->PointColor(0), clRed);
}

TEST(SeriesClear, EventFiresAfterListsAreEmptyAndBeforeInvalidation) {
    Attached a;
    a.series->AddValue(1, "", clRed);
    int calls = 0, countSeen = -1, invalidationsSeen = -1;
    a.series->OnClearValues = [&](TChartSeries* s) {
        ++calls;
        countSeen = s->Count();
        invalidationsSeen = a.Invalidations();
    };
    const int before = a.Invalidations();
    a.series->ClearValues();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(countSeen, 0);
    EXPECT_EQ(invalidationsSeen, before);
    EXPECT_EQ(a.Invalidations(), before + 1);
}

TEST(SeriesClear, EmptySeriesStillFiresAndInvalidates) {
    Attached a;
    int calls = 0;
    a.series->OnClearValues = [&](TChartSeries*) { ++calls; };
    for (int round = 1; round <= 2; ++round) {
        const int before = a.Invalidations();
        a.series->ClearValues();
        EXPECT_EQ(calls, round);
        EXPECT_EQ(a.Invalidations(), before + 1);
    }
}

TEST(SeriesDelete, RemovesWholePointAndUpdatesStatistics) {
    Attached a;
    TChartSeries& s = *a.series;
    s.AddValue(300, "a", clRed);
    s.AddValue(100, "", clBlue);
    s.AddValue(200, "c", clGreen);
    const int before = a.Invalidations();
    s.DeleteValue(1);
    EXPECT_EQ(a.Invalidations(), before + 1);
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s.YValues().Count(), 2);
    EXPECT_EQ(s.YValues().Value(1), 200);
    EXPECT_EQ(s.XValues().Value(1), 2); // X values are not renumbered
    EXPECT_EQ(s.PointColor(1), clGreen);
    EXPECT_EQ(s.PointLabel(1), "c");
    EXPECT_EQ(s.YValues().LowestValue(), 200);
    EXPECT_EQ(s.YValues().HighestValue(), 300);
    EXPECT_EQ(s.YValues().Sum(), 500);
    EXPECT_EQ(s.XValues().Sum(), 2);
    EXPECT_EQ(s.XValues().LowestValue(), 0);
}

struct AxisCase {
    const char* name;
    THorizAxis horiz;
    TVertAxis vert;
    bool top, bottom, left, right;
};

void PrintTo(const AxisCase& c, std::ostream* os) {
    *os << c.name;
}

class SeriesUsesAxis : public ::testing::TestWithParam<AxisCase> {};

TEST_P(SeriesUsesAxis, MatchesItsOwnAxes) {
    const AxisCase& c = GetParam();
    TChart chart;
    TChartSeries s;
    s.SetHorizAxis(c.horiz);
    s.SetVertAxis(c.vert);
    EXPECT_FALSE(s.UsesAxis(chart.TopAxis())); // no chart yet
    chart.AddSeries(&s);
    EXPECT_EQ(s.UsesAxis(chart.TopAxis()), c.top);
    EXPECT_EQ(s.UsesAxis(chart.BottomAxis()), c.bottom);
    EXPECT_EQ(s.UsesAxis(chart.LeftAxis()), c.left);
    EXPECT_EQ(s.UsesAxis(chart.RightAxis()), c.right);
}

INSTANTIATE_TEST_SUITE_P(
    Axes, SeriesUsesAxis,
    ::testing::Values(AxisCase{"BottomLeft", aBottomAxis, aLeftAxis, false, true, true, false},
                      AxisCase{"BottomRight", aBottomAxis, aRightAxis, false, true, false, true},
                      AxisCase{"TopLeft", aTopAxis, aLeftAxis, true, false, true, false},
                      AxisCase{"TopRight", aTopAxis, aRightAxis, true, false, false, true}),
    [](const ::testing::TestParamInfo<AxisCase>& info) { return info.param.name; });

TEST(SeriesDefaults, MatchThePublishedDefaults) {
    TChartSeries s;
    EXPECT_TRUE(s.Active());
    EXPECT_FALSE(s.ColorEachPoint());
    EXPECT_EQ(s.SeriesColor(), AutoColor);
    EXPECT_EQ(s.HorizAxis(), aBottomAxis);
    EXPECT_EQ(s.VertAxis(), aLeftAxis);
    EXPECT_TRUE(s.ShowInLegend());
    EXPECT_EQ(s.PercentFormat(), "##0.## %");
    EXPECT_EQ(s.ValueFormat(), "#,##0.###");
    EXPECT_TRUE(s.Title().isEmpty());
    EXPECT_TRUE(s.IsVerticalSeries());
    EXPECT_TRUE(s.DrawValuesForward());
    EXPECT_EQ(s.FirstVisibleIndex(), -1);
    EXPECT_EQ(s.LastVisibleIndex(), -1);
}

TEST(SeriesDrawEvents, FireWithTheSeries) {
    TChartSeries s;
    std::vector<QObject*> order;
    s.BeforeDrawValues = [&](QObject* sender) { order.push_back(sender); };
    s.AfterDrawValues = [&](QObject*) { order.push_back(nullptr); };
    s.DoBeforeDrawValues();
    s.DoAfterDrawValues();
    EXPECT_EQ(order, (std::vector<QObject*>{&s, nullptr}));
}

TEST(SeriesChart, AddSeriesIgnoresDuplicatesAndKeepsOrder) {
    TChart chart;
    TChartSeries a, b;
    chart.AddSeries(&a);
    chart.AddSeries(&b);
    chart.AddSeries(&a);
    ASSERT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(chart.Series(0), &a);
    EXPECT_EQ(chart.Series(1), &b);
    EXPECT_EQ(a.ParentChart(), &chart);
}

TEST(SeriesChart, AutoColouredSeriesGetDistinctColours) {
    TChart chart;
    TChartSeries a, b, fixed;
    fixed.SetSeriesColor(ChartPaletteColor(0));
    chart.AddSeries(&fixed);
    chart.AddSeries(&a);
    chart.AddSeries(&b);
    EXPECT_NE(a.SeriesColor(), AutoColor);
    EXPECT_NE(b.SeriesColor(), AutoColor);
    EXPECT_NE(a.SeriesColor(), fixed.SeriesColor());
    EXPECT_NE(b.SeriesColor(), fixed.SeriesColor());
    EXPECT_NE(a.SeriesColor(), b.SeriesColor());
}

TEST(SeriesChart, ExplicitColourIsKept) {
    TChart chart;
    TChartSeries s;
    s.SetSeriesColor(8453888);
    chart.AddSeries(&s);
    EXPECT_EQ(s.SeriesColor(), 8453888);
}

TEST(SeriesChart, SettingParentChartMovesTheSeries) {
    TChart one, two;
    TChartSeries s;
    s.SetParentChart(&one);
    EXPECT_EQ(one.SeriesCount(), 1);
    const int twoBefore = two.InvalidateCount();
    s.SetParentChart(&two);
    EXPECT_EQ(one.SeriesCount(), 0);
    EXPECT_EQ(two.SeriesCount(), 1);
    EXPECT_EQ(s.ParentChart(), &two);
    EXPECT_GT(two.InvalidateCount(), twoBefore);
    two.RemoveSeries(&s);
    EXPECT_EQ(s.ParentChart(), nullptr);
    EXPECT_EQ(two.SeriesCount(), 0);
    two.RemoveSeries(&s); // absent: ignored
}

TEST(SeriesLifetime, DestroyingSeriesFirstClearsAndLeavesTheChart) {
    TChart chart;
    QPointer<TChartSeries> s = new TChartSeries;
    TChartSeries other;
    chart.AddSeries(s);
    chart.AddSeries(&other);
    s->AddValue(10, "", clRed);
    int clears = 0;
    s->OnClearValues = [&](TChartSeries*) { ++clears; };
    const int before = chart.InvalidateCount();
    delete s.data();
    EXPECT_EQ(clears, 1);
    ASSERT_EQ(chart.SeriesCount(), 1);
    EXPECT_EQ(chart.Series(0), &other);
    EXPECT_GE(chart.InvalidateCount(), before + 1);
}

TEST(SeriesLifetime, DestroyingChartFirstDetachesForeignSeries) {
    QObject window;
    auto* s = new TFastLineSeries(&window);
    {
        TChart chart;
        chart.AddSeries(s);
        s->AddValue(1, "", clRed);
    }
    EXPECT_EQ(s->ParentChart(), nullptr);
    EXPECT_EQ(s->Count(), 1); // the chart does not own these points
    EXPECT_EQ(s->AddValue(2, "", clRed), 1);
    s->ClearValues();
    EXPECT_EQ(s->Count(), 0);
}

TEST(SeriesLifetime, SeriesOwnedByChartGoWithItWithoutInvalidating) {
    auto* chart = new TChart;
    auto* s = new TChartSeries(chart);
    chart->AddSeries(s);
    s->AddValue(3, "", clRed);
    int invalidations = -1;
    bool destroyingSeen = false;
    s->OnClearValues = [&](TChartSeries*) { destroyingSeen = chart->Destroying(); };
    // Runs once the series is gone while the chart is still inside its
    // destructor, so the chart's count can still be read.
    QObject::connect(s, &QObject::destroyed, [&] { invalidations = chart->InvalidateCount(); });
    const int before = chart->InvalidateCount();
    delete chart;
    EXPECT_TRUE(destroyingSeen);
    EXPECT_EQ(invalidations, before);
}

TEST(FastLine, DefaultsAndColourCoupling) {
    TFastLineSeries s;
    EXPECT_TRUE(s.AutoRepaint());
    EXPECT_EQ(s.LinePen().Color, clBlack);
    EXPECT_EQ(s.LinePen().Width, 1);
    EXPECT_EQ(s.LinePen().Style, psSolid);
    s.SetSeriesColor(clRed);
    EXPECT_EQ(s.LinePen().Color, clRed);
    TChartPen pen;
    pen.Color = 8453888;
    pen.Width = 2;
    s.SetLinePen(pen);
    EXPECT_EQ(s.SeriesColor(), 8453888);
    EXPECT_EQ(s.LinePen().Width, 2);
}

TEST(FastLine, PenChangesRepaint) {
    TChart chart;
    TFastLineSeries s;
    s.SetSeriesColor(clRed);
    chart.AddSeries(&s);
    int before = chart.InvalidateCount();
    s.SetLinePenWidth(3);
    EXPECT_EQ(chart.InvalidateCount(), before + 1);
    before = chart.InvalidateCount();
    s.SetLinePenWidth(3);
    EXPECT_EQ(chart.InvalidateCount(), before);
}

TEST(FastLine, AutoRepaintOffStoresWithoutEventOrInvalidation) {
    TChart chart;
    TFastLineSeries s;
    chart.AddSeries(&s);
    int afterAdds = 0;
    s.OnAfterAdd = [&](TChartSeries*, int) { ++afterAdds; };
    s.SetAutoRepaint(false);
    const int before = chart.InvalidateCount();
    EXPECT_EQ(s.AddValue(100, "", clRed), 0);
    EXPECT_EQ(s.AddValue(90, "", clRed), 1);
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s.YValues().LowestValue(), 90);
    EXPECT_EQ(afterAdds, 0);
    EXPECT_EQ(chart.InvalidateCount(), before);
    s.SetAutoRepaint(true);
    s.AddValue(80, "", clRed);
    EXPECT_EQ(afterAdds, 1);
    EXPECT_EQ(chart.InvalidateCount(), before + 1);
}

} // namespace
