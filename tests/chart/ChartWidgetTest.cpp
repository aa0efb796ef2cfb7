#include "Chart.h"
#include "Series.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QImage>
#include <QPainter>

namespace {

QImage Render(TChart& chart) {
    QImage img(chart.size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    chart.render(&img);
    return img;
}

QRgb Rgb(TColor c) {
    return ToQColor(c).rgb() | 0xFF000000u;
}

// Counts pixels of one colour in a column.
int ColumnCount(const QImage& img, int x, QRgb c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        if ((img.pixel(x, y) | 0xFF000000u) == c) ++n;
    return n;
}

// Row of the first pixel of colour c in column x, or -1.
int FirstRowOf(const QImage& img, int x, QRgb c) {
    for (int y = 0; y < img.height(); ++y)
        if ((img.pixel(x, y) | 0xFF000000u) == c) return y;
    return -1;
}

struct ScaleCase {
    const char* name;
    double xmax, ymin, ymax;
    double value;
    bool vertical;
    int expected;
};

void PrintTo(const ScaleCase& c, std::ostream* os) {
    *os << c.name;
}

class PlotScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(PlotScale, MapsValuesIntoTheRectangle) {
    const ScaleCase& c = GetParam();
    TChartPlotScale s;
    s.Rect = TRect{10, 20, 111, 61}; // 101 x 41 pixels
    s.XMax = c.xmax;
    s.YMin = c.ymin;
    s.YMax = c.ymax;
    EXPECT_EQ(c.vertical ? s.YToPixel(c.value) : s.XToPixel(c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlotScale,
    ::testing::Values(ScaleCase{"XStart", 4, 0, 1, 0, false, 10},
                      ScaleCase{"XEnd", 4, 0, 1, 4, false, 110},
                      ScaleCase{"XQuarter", 4, 0, 1, 1, false, 35},
                      ScaleCase{"XHalfPixelToEven", 200, 0, 1, 1, false, 10},
                      ScaleCase{"XHalfPixelToEvenUp", 200, 0, 1, 3, false, 12},
                      ScaleCase{"SmallestYOnTop", 1, 1000, 2000, 1000, true, 20},
                      ScaleCase{"LargestYAtBottom", 1, 1000, 2000, 2000, true, 60},
                      ScaleCase{"MiddleY", 1, 1000, 2000, 1500, true, 40},
                      ScaleCase{"FlatRangeOnCentre", 1, 500, 500, 500, true, 40}),
    [](const ::testing::TestParamInfo<ScaleCase>& info) { return info.param.name; });

TEST(PlotScaleFromSeries, UsesActiveNonEmptySeriesOnly) {
    TChartSeries a, b, off, empty;
    for (double v : {300.0, 100.0, 200.0})
        a.AddValue(v, "", clRed);
    for (double v : {250.0, 50.0})
        b.AddValue(v, "", clRed);
    for (double v : {1.0, 9999.0, 5.0, 6.0, 7.0})
        off.AddValue(v, "", clRed);
    off.SetActive(false);
    const TRect r{0, 0, 50, 50};
    const TChartPlotScale s = TChartPlotScale::FromSeries({&a, &b, &off, &empty}, r);
    EXPECT_EQ(s.XMax, 2); // longest active series has 3 points
    EXPECT_EQ(s.YMin, 50);
    EXPECT_EQ(s.YMax, 300);
    EXPECT_EQ(s.Rect, r);
    const TChartPlotScale one = TChartPlotScale::FromSeries({&empty}, r);
    EXPECT_EQ(one.XMax, 1);
}

TEST(ChartWidget, InvalidateCountsAndSchedulesPaint) {
    TChart chart;
    const int before = chart.InvalidateCount();
    chart.Invalidate();
    chart.Invalidate();
    EXPECT_EQ(chart.InvalidateCount(), before + 2);
    EXPECT_FALSE(chart.Destroying());
}

TEST(ChartWidget, BackgroundIsLightBlueAtTopAndGreenAtBottom) {
    TChart chart;
    chart.resize(40, 30);
    const QImage img = Render(chart);
    for (int x : {0, 20, 39}) {
        EXPECT_EQ(img.pixel(x, 0) | 0xFF000000u, Rgb(TChart::GradientTopColor));
        EXPECT_EQ(img.pixel(x, 29) | 0xFF000000u, Rgb(TChart::GradientBottomColor));
    }
    // In between the green channel falls steadily from bottom (0xE6) to top (0xB4).
    int previous = 256;
    for (int y = 29; y >= 0; --y) {
        const int g = qGreen(img.pixel(5, y));
        EXPECT_LE(g, previous);
        previous = g;
    }
}

TEST(ChartWidget, DrawsSeriesWithShortestValueAtTheTop) {
    TChart chart;
    chart.resize(101, 41);
    TFastLineSeries s;
    s.SetSeriesColor(clRed);
    chart.AddSeries(&s);
    for (double v : {3000.0, 1000.0, 2000.0})
        s.AddValue(v, "", clRed);
    const QImage img = Render(chart);
    const QRgb red = Rgb(clRed);
    EXPECT_EQ(FirstRowOf(img, 0, red), 40);   // longest, first point, bottom
    EXPECT_EQ(FirstRowOf(img, 50, red), 0);   // shortest, middle point, top
    EXPECT_EQ(FirstRowOf(img, 100, red), 20); // last point, half way
    EXPECT_EQ(s.PointX(1), 50);
    EXPECT_EQ(s.PointY(1), 0);
}

TEST(ChartWidget, FlatSeriesRunsAcrossTheMiddle) {
    TChart chart;
    chart.resize(60, 21);
    TFastLineSeries s;
    s.SetSeriesColor(clRed);
    chart.AddSeries(&s);
    s.AddValue(63000, "", clRed);
    s.AddValue(63000, "", clRed);
    const QImage img = Render(chart);
    for (int x = 0; x < 60; ++x)
        EXPECT_EQ(FirstRowOf(img, x, Rgb(clRed)), 10) << x;
}

TEST(ChartWidget, LaterSeriesIsDrawnOverEarlierAndInactiveIsHidden) {
    TChart chart;
    chart.resize(30, 11);
    TFastLineSeries first, second, hidden;
    first.SetSeriesColor(clLime);
    second.SetSeriesColor(clRed);
    hidden.SetSeriesColor(clBlue);
    chart.AddSeries(&first);
    chart.AddSeries(&second);
    chart.AddSeries(&hidden);
    for (auto* s : {&first, &second, &hidden}) {
        s->AddValue(5, "", s->SeriesColor());
        s->AddValue(5, "", s->SeriesColor());
    }
    hidden.SetActive(false);
    const QImage img = Render(chart);
    for (int x : {0, 15, 29}) {
        EXPECT_EQ(ColumnCount(img, x, Rgb(clRed)), 1);
        EXPECT_EQ(ColumnCount(img, x, Rgb(clLime)), 0);
        EXPECT_EQ(ColumnCount(img, x, Rgb(clBlue)), 0);
    }
}

TEST(ChartWidget, ClearedSeriesLeavesOnlyTheBackground) {
    TChart chart;
    chart.resize(20, 20);
    TFastLineSeries s;
    s.SetSeriesColor(clRed);
    chart.AddSeries(&s);
    s.AddValue(1, "", clRed);
    s.AddValue(2, "", clRed);
    ASSERT_GT(ColumnCount(Render(chart), 0, Rgb(clRed)), 0);
    s.ClearValues();
    const QImage img = Render(chart);
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(ColumnCount(img, x, Rgb(clRed)), 0);
}

TEST(ChartWidget, SinglePointIsVisible) {
    TChart chart;
    chart.resize(20, 20);
    TFastLineSeries s;
    s.SetSeriesColor(clRed);
    chart.AddSeries(&s);
    s.AddValue(1, "", clRed);
    const QImage img = Render(chart);
    EXPECT_EQ(FirstRowOf(img, 0, Rgb(clRed)), 9);
}

} // namespace
