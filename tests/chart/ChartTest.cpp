#include "Chart.h"
#include "ChartException.h"
#include "Messages.h"
#include "Series.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QPainter>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <utility>

namespace {

QRgb Rgb(TColor c) {
    return ToQColor(c).rgb() | 0xFF000000u;
}
QRgb At(const QImage& img, int x, int y) {
    return img.pixel(x, y) | 0xFF000000u;
}

// The chart as the main window sets it up, with its two line series.
struct WindowChart {
    QObject owner;
    TChart chart;
    TFastLineSeries* lap = new TFastLineSeries(&owner);
    TFastLineSeries* ave = new TFastLineSeries(&owner);
    WindowChart() {
        chart.resize(762, 209);
        chart.SetBackColor(0xA00000);
        chart.Gradient.SetDirection(gdBottomTop);
        chart.Gradient.SetEndColor(0x71E61A);
        chart.Gradient.SetStartColor(0xF5B463);
        chart.Gradient.SetVisible(true);
        chart.Title.SetVisible(false);
        chart.Legend.SetVisible(false);
        chart.SetView3D(false);
        chart.SetColor(clGreen);
        chart.RightAxis()->SetInverted(true);
        lap->SetSeriesColor(8453888);
        ave->SetSeriesColor(clRed);
        for (TFastLineSeries* s : {lap, ave}) {
            s->SetVertAxis(aRightAxis);
            chart.AddSeries(s);
        }
    }
    // Adds laps as the lap handler does (the first lap twice).
    void Laps(std::initializer_list<double> laps) {
        for (double v : laps) {
            sum += v;
            ++count;
            for (int i = count == 1 ? 2 : 1; i > 0; --i) {
                lap->AddValue(v, "", lap->SeriesColor());
                ave->AddValue(std::trunc(sum / count), "", ave->SeriesColor());
            }
        }
    }
    double sum = 0;
    int count = 0;
    QImage Render() { return chart.Render(); }
};

TEST(ChartPanel, PlotRectFromPercentMargins) {
    struct Case {
        int margin;
        TRect expected;
    };
    for (const Case& c : {Case{3, {23, 8, 739, 201}}, Case{50, {381, 8, 381 + 762, 201}}}) {
        TChart chart;
        chart.resize(762, 209);
        chart.SetAxisVisible(false);
        chart.SetMarginLeft(c.margin);
        chart.SetMarginRight(c.margin);
        chart.Title.SetVisible(false);
        chart.Render();
        EXPECT_EQ(chart.PlotRect, c.expected) << c.margin;
    }
}

TEST(ChartPanel, UnchangedRepaintCopiesAndResizeRedrawsIntoNewBuffer) {
    WindowChart w;
    const QImage first = w.Render();
    const int draws = w.chart.DrawCount();
    EXPECT_EQ(w.Render(), first);
    EXPECT_EQ(w.chart.DrawCount(), draws);
    w.lap->AddValue(1, "", clRed);
    w.Render();
    EXPECT_EQ(w.chart.DrawCount(), draws + 1);
    w.chart.resize(300, 120);
    const QImage small = w.Render();
    EXPECT_EQ(w.chart.DrawCount(), draws + 2);
    ASSERT_NE(w.chart.Canvas().Buffer(), nullptr);
    EXPECT_EQ(w.chart.Canvas().Buffer()->size(), QSize(300, 120));
    EXPECT_EQ(At(small, 299, 119), Rgb(clBtnShadow)); // frame of the new size
}

TEST(ChartPanel, NoAreaCreatesNoBufferAndDrawsNothing) {
    TChart chart;
    chart.resize(0, 50);
    QImage img(10, 10, QImage::Format_RGB32);
    QPainter p(&img);
    chart.Draw(&p, TRect{0, 0, 0, 50});
    EXPECT_EQ(chart.Canvas().Buffer(), nullptr);
    EXPECT_EQ(chart.DrawCount(), 0);
}

TEST(ChartLook, GradientUnderRaisedFrameAndBackWall) {
    WindowChart w;
    const QImage img = w.Render();
    EXPECT_EQ(At(img, 0, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(At(img, 761, 208), Rgb(clBtnShadow));
    EXPECT_EQ(At(img, 0, 207), Rgb(clBtnHighlight));
    EXPECT_EQ(At(img, 0, 208), Rgb(clBtnShadow));
    // Inside the frame the rows fade from green at the bottom to light blue
    // at the top, each row a band of one colour.
    const QColor bottom(At(img, 5, 207)), top(At(img, 5, 1));
    EXPECT_NEAR(bottom.green(), 0xE6, 2);
    EXPECT_NEAR(bottom.red(), 0x1A, 2);
    EXPECT_NEAR(top.green(), 0xB4, 2);
    EXPECT_NEAR(top.blue(), 0xF5, 2);
    for (int y = 1; y < 208; ++y)
        ASSERT_EQ(At(img, 2, y), At(img, 760, y)) << y;
    const TRect& p = w.chart.PlotRect;
    EXPECT_EQ(At(img, p.Left + 5, p.Bottom - 5), Rgb(0xA00000));
    EXPECT_EQ(At(img, p.Left, p.Top + 5), Rgb(clBlack));
    EXPECT_EQ(At(img, p.Left + 5, p.Top), Rgb(clBlack));
    EXPECT_EQ(At(img, p.Left + 5, p.Bottom - 1), Rgb(clBlack));
    EXPECT_EQ(At(img, p.Left - 1, p.Top + 5), At(img, p.Left - 2, p.Top + 5)); // no wall outside
}

// The whole-chart drawing at a range of span 0: after reset and at the
// first lap.
TEST(ChartLook, FlatRanges) {
    struct Case {
        const char* name;
        std::vector<double> laps;
        std::vector<QString> right, bottom;
    };
    const Case cases[] = {
        {"reset", {}, {"0"}, {"0"}},
        {"first lap", {65000}, {}, {"1", "0"}},
    };
    for (const Case& c : cases) {
        WindowChart w;
        for (double v : c.laps)
            w.Laps({v});
        const QImage img = w.Render();
        auto texts = [](const TChartAxis* a) {
            std::vector<QString> t;
            for (const TAxisLabel& l : a->DrawnLabels())
                t.push_back(l.Text);
            return t;
        };
        EXPECT_EQ(texts(w.chart.RightAxis()), c.right) << c.name;
        EXPECT_EQ(texts(w.chart.BottomAxis()), c.bottom) << c.name;
        EXPECT_EQ(w.chart.RightAxis()->DrawnStep(), 1e-12) << c.name;
        const TRect& p = w.chart.PlotRect;
        if (c.laps.empty()) {
            EXPECT_EQ(w.chart.RightAxis()->DrawnLabels()[0].Pos, w.chart.PlotYCenter);
            EXPECT_EQ(w.chart.BottomAxis()->DrawnLabels()[0].Pos, w.chart.PlotXCenter);
            // One tick and no grid line: the plot row at the centre is wall.
            EXPECT_EQ(At(img, p.Left + 3, w.chart.PlotYCenter), Rgb(0xA00000));
        } else {
            // Both lines run along the centre row, the average over the lap.
            for (int x = p.Left + 1; x < p.Right; ++x)
                ASSERT_EQ(At(img, x, w.chart.PlotYCenter), Rgb(clRed)) << x;
            EXPECT_EQ(At(img, p.Left + 3, w.chart.PlotYCenter - 1), Rgb(0xA00000));
        }
    }
}

TEST(ChartLook, InvertedRightAxisPutsShortestLapOnTopAndLabelsFromTheTop) {
    WindowChart w;
    w.Laps({65000, 60000, 70000});
    w.ave->SetActive(false);
    const QImage img = w.Render();
    const TRect& p = w.chart.PlotRect;
    EXPECT_EQ(w.lap->PointY(2), p.Top);    // 60 000, the shortest
    EXPECT_EQ(w.lap->PointY(3), p.Bottom); // 70 000, the longest
    bool reached = false;
    for (int x = w.lap->PointX(2) - 1; x <= w.lap->PointX(2) + 1; ++x)
        reached = reached || At(img, x, p.Top + 1) == Rgb(8453888);
    EXPECT_TRUE(reached);
    // Range 60 000 to 70 000: labels from 70,000 down, 60,000 at the top;
    // grid lines only between the ends.
    const auto& labels = w.chart.RightAxis()->DrawnLabels();
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front().Value, 70000);
    EXPECT_EQ(labels.back().Value, 60000);
    EXPECT_EQ(labels.back().Pos, p.Top);
    EXPECT_EQ(labels.front().Pos, p.Bottom);
    const QRgb grid = Rgb(clGray);
    int gridRows = 0;
    for (int y = p.Top; y < p.Bottom; ++y) {
        int n = 0;
        for (int x = p.Left + 1; x < p.Right - 2; ++x)
            n += At(img, x, y) == grid;
        if (n > 50) ++gridRows;
    }
    EXPECT_EQ(gridRows, static_cast<int>(labels.size()) - 2);
}

TEST(ChartLook, LaterSeriesIsDrawnOverEarlier) {
    WindowChart w;
    w.Laps({65000, 61000, 66000});
    // Both series the same: wherever the lap line is, the average covers it.
    w.ave->ClearValues();
    for (int i = 0; i < w.lap->Count(); ++i)
        w.ave->AddValue(w.lap->YValues().Value(i), "", clRed);
    const QImage img = w.Render();
    int red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            ASSERT_NE(At(img, x, y), Rgb(8453888));
            red += At(img, x, y) == Rgb(clRed);
        }
    EXPECT_GT(red, 100);
}

// The worked example: 60 000 to 70 000 in 150 pixels with a 13-pixel font.
TEST(AxisLabels, WorkedExampleStep) {
    TChart chart;
    TChartAxis* a = chart.RightAxis();
    // IPA P Gothic at 12 pixels (installed by tools/deps.sh) is 13 pixels high.
    TFont f = a->LabelsFont();
    f.Name = QStringLiteral("IPAPGothic");
    f.Height = -12;
    chart.ApplyFont(f);
    ASSERT_EQ(chart.Canvas().FontHeight(), 13);
    a->SetLabelsFont(f);
    chart.PlotRect = TRect{0, 0, 100, 150};
    chart.ChartBounds = TRect{0, 0, 100, 150};
    chart.RecalcPlotSize();
    a->RangeMin = 60000;
    a->RangeMax = 70000;
    a->RangeSpan = 10000;
    chart.ApplyFont(f);
    EXPECT_EQ(a->AutoLabelStep(), 1000);
    EXPECT_EQ(a->LabelExtent(), 13);
    EXPECT_EQ(a->LabelStep(11), 1000);
    EXPECT_EQ(a->LabelStep(9), 2000);
}

TEST(AxisLabels, NextNiceStepAndIncrement) {
    const std::pair<double, double> steps[] = {{1, 2},   {2, 5},     {5, 10},
                                               {10, 20}, {0.3, 0.5}, {7, 10}};
    for (auto [from, to] : steps)
        EXPECT_DOUBLE_EQ(TChartAxis::NextNiceStep(from), to) << from;
    TChart chart;
    TChartAxis* a = chart.BottomAxis();
    a->RangeSpan = 100;
    a->SetIncrement(30);
    EXPECT_EQ(a->LabelStep(100), 30); // used as given
    EXPECT_EQ(a->LabelStep(2), 50);   // only enlarged
    a->SetLabelsSeparation(0);
    EXPECT_EQ(a->LabelStep(1), 30); // never enlarged
}

TEST(AxisLabels, ValueTextGroupsThousands) {
    if (QLocale::system().groupSeparator() != u"," || QLocale::system().decimalPoint() != u".")
        GTEST_SKIP() << "locale separators differ";
    TChart chart;
    EXPECT_EQ(chart.RightAxis()->ValueText(65432), "65,432");
    EXPECT_EQ(chart.RightAxis()->ValueText(0.5), "0.5");
    EXPECT_EQ(chart.RightAxis()->ValueText(-1234567.25), "-1,234,567.25");
    EXPECT_EQ(chart.RightAxis()->ValueText(1e-13), "0");
    // Texts kept from before follow a change of format, and a hundred more
    // values than the axis keeps still each get their own.
    chart.RightAxis()->SetAxisValuesFormat("0.00");
    EXPECT_EQ(chart.RightAxis()->ValueText(65432), "65432.00");
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(chart.RightAxis()->ValueText(i * 0.5), QString::number(i * 0.5, 'f', 2)) << i;
    EXPECT_EQ(chart.RightAxis()->ValueText(0.5), "0.50");
}

TEST(AxisMapping, InvertedRoundTripAndHalvesToEven) {
    TChart chart;
    chart.PlotRect = TRect{10, 20, 111, 61};
    chart.RecalcPlotSize();
    TChartAxis* v = chart.RightAxis();
    v->SetInverted(true);
    v->RangeMin = 1000;
    v->RangeMax = 2000;
    v->RangeSpan = 1000;
    EXPECT_EQ(v->ValueToPixel(1000), 20);
    EXPECT_EQ(v->ValueToPixel(2000), 61);
    EXPECT_EQ(v->PixelToValue(20), 1000);
    TChartAxis* h = chart.BottomAxis();
    h->RangeMin = 0;
    h->RangeMax = 202;
    h->RangeSpan = 202;
    EXPECT_EQ(h->ValueToPixel(1), 10); // 0.5 goes to 0
    EXPECT_EQ(h->ValueToPixel(3), 12); // 1.5 goes to 2
}

// Values far outside a zoomed range stay far outside, on their own side,
// instead of wrapping around into the plot.
TEST(AxisMapping, FarValuesClampWithoutWrapping) {
    TChart chart;
    chart.PlotRect = TRect{0, 0, 700, 200};
    chart.RecalcPlotSize();
    TChartAxis* h = chart.BottomAxis();
    h->RangeMin = 0;
    h->RangeMax = 1e-9;
    h->RangeSpan = 1e-9;
    EXPECT_GT(h->ValueToPixel(1e6), 700);
    EXPECT_LT(h->ValueToPixel(-1e6), 0);
    EXPECT_EQ(h->ValueToPixel(std::numeric_limits<double>::quiet_NaN()), chart.PlotXCenter);
}

TEST(AxisFaults, DegenerateStepsEndAndDraw) {
    const double odd[] = {0.0, -3.0, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()};
    for (double x : odd) {
        const double r = TChartAxis::NextNiceStep(x);
        EXPECT_TRUE(r == x || (std::isnan(r) && std::isnan(x)));
    }
    TChart chart;
    TChartAxis* a = chart.BottomAxis();
    a->RangeSpan = std::numeric_limits<double>::infinity();
    EXPECT_GT(a->LabelStep(10), 0);
    a->RangeSpan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_GT(a->LabelStep(10), 0);
    // No minor ticks for a count below one, and no division by zero.
    WindowChart w;
    w.Laps({65000, 61000, 66000});
    w.chart.RightAxis()->SetMinorTickCount(-1);
    w.chart.BottomAxis()->SetMinorTickCount(0);
    w.Render();
    EXPECT_FALSE(w.chart.RightAxis()->DrawnLabels().empty());
}

TEST(AxisChecks, RefusedSettingsKeepTheOldValue) {
    struct Case {
        QString message;
        bool chartException;
        std::function<void(TChart&)> set;
        std::function<bool(TChart&)> unchanged;
    };
    const Case cases[] = {
        {Msg::IncrementRange(), false, [](TChart& c) { c.LeftAxis()->SetIncrement(-1); },
         [](TChart& c) { return c.LeftAxis()->Increment() == 0; }},
        {Msg::MinimumRange(), false, [](TChart& c) { c.LeftAxis()->SetMinimum(5); },
         [](TChart& c) { return c.LeftAxis()->Minimum() == 0; }},
        {Msg::MaximumRange(), false, [](TChart& c) { c.LeftAxis()->SetMaximum(-5); },
         [](TChart& c) { return c.LeftAxis()->Maximum() == 0; }},
        {Msg::LabelsSeparationRange(), false,
         [](TChart& c) { c.LeftAxis()->SetLabelsSeparation(-1); },
         [](TChart& c) { return c.LeftAxis()->LabelsSeparation() == 10; }},
        {Msg::AngleRange().arg(Msg::AxisLabelsName()), true,
         [](TChart& c) { c.LeftAxis()->SetLabelsAngle(361); },
         [](TChart& c) { return c.LeftAxis()->LabelsAngle() == 0; }},
        {Msg::AngleRange().arg(Msg::AxisTitleName()), true,
         [](TChart& c) { c.LeftAxis()->Title.SetAngle(-1); },
         [](TChart& c) { return c.LeftAxis()->Title.Angle() == 90; }},
        {Msg::Chart3DPercentRange().arg(1).arg(100), true,
         [](TChart& c) { c.SetChart3DPercent(0); },
         [](TChart& c) { return c.Chart3DPercent() == 15; }},
        {Msg::MaxPointsPerPageRange(), true, [](TChart& c) { c.SetMaxPointsPerPage(-1); },
         [](TChart& c) { return c.MaxPointsPerPage() == 0; }},
    };
    for (const Case& c : cases) {
        TChart chart;
        try {
            c.set(chart);
            ADD_FAILURE() << "accepted: " << qPrintable(c.message);
        } catch (const ChartException& e) {
            EXPECT_TRUE(c.chartException) << qPrintable(c.message);
            EXPECT_EQ(e.Message(), c.message);
        } catch (const AxisException& e) {
            EXPECT_FALSE(c.chartException) << qPrintable(c.message);
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_TRUE(c.unchanged(chart)) << qPrintable(c.message);
    }
    TChart chart;
    chart.LeftAxis()->SetLabelsAngle(360);
    EXPECT_EQ(chart.LeftAxis()->LabelsAngle(), 0);
}

TEST(ChartZoom, DragRectangleZoomsWholeRangeAtOnceAndUndoes) {
    WindowChart w;
    w.Laps({65000, 61000, 66000, 62000, 64000});
    w.Render();
    const TRect p = w.chart.PlotRect;
    // A drag below the plot: every value under it lies above the old
    // maximum, so setting the minimum on its own would be refused.
    w.chart.ZoomRect(TRect{p.Left + 100, p.Bottom + 2, p.Right - 100, p.Bottom + 30});
    TChartAxis* r = w.chart.RightAxis();
    EXPECT_FALSE(r->Automatic());
    EXPECT_GT(r->Minimum(), 66000);
    EXPECT_LT(r->Minimum(), r->Maximum());
    w.Render();
    EXPECT_NEAR(r->RangeMin, r->Minimum(), 1e-6);
    w.chart.UndoZoom();
    w.Render();
    EXPECT_EQ(r->RangeMin, 61000);
    EXPECT_EQ(r->RangeMax, 66000);
}

// The drawing that writes whole pixel columns must give exactly the pixels
// of the point-by-point polyline, dense or sparse, clipped or not.
// The chart drawn point by point, then by pixel columns, from the same state.
static std::pair<QImage, QImage> RenderEachAndDirect(WindowChart& w) {
    TFastLineSeries::SetDirectDrawing(false);
    w.chart.Invalidate();
    const QImage each = w.Render();
    TFastLineSeries::SetDirectDrawing(true);
    w.chart.Invalidate();
    return {each, w.Render()};
}

TEST(FastLineDrawing, ColumnRunsDrawWhatEveryPointDraws) {
    struct Case {
        int points;
        bool zoom;
    };
    for (const Case& c :
         {Case{7, false}, Case{3000, false}, Case{200000, false}, Case{3000, true}}) {
        WindowChart w;
        std::mt19937 rng(c.points);
        std::uniform_real_distribution<double> d(-1000, 1000);
        double v = 0;
        for (int i = 0; i < c.points; ++i) {
            v = std::clamp(v + d(rng), -3000.0, 3000.0);
            w.lap->AddValue(std::round(65000 + v), "", w.lap->SeriesColor());
            w.ave->AddValue(std::round(65000 + v / 2), "", w.ave->SeriesColor());
        }
        if (c.zoom) {
            w.Render();
            const TRect p = w.chart.PlotRect;
            w.chart.ZoomRect(TRect{p.Left + 200, p.Top + 50, p.Left + 300, p.Top + 90});
        }
        const auto [each, direct] = RenderEachAndDirect(w);
        EXPECT_TRUE(each == direct) << c.points << (c.zoom ? " zoomed" : "");
    }
}

// The column drawing takes each column's extremes from the Y index: over
// random zooms and pans, of laps, of flat stretches (where the end pixel of
// the line may or may not be painted already) and of unevenly spaced X,
// scaled either way, it gives the pixels of the point-by-point polyline.
TEST(FastLineDrawing, IndexedColumnsDrawWhatEveryPointDrawsAtAnyZoomAndPan) {
    enum Data { Walk, Flat, Spaced };
    struct Case {
        Data data;
        int points;
        double multiplier;
    };
    for (const Case& c : {Case{Walk, 3000, 1}, Case{Walk, 200000, 1}, Case{Flat, 50000, 1},
                          Case{Spaced, 20000, 1}, Case{Walk, 20000, -1.5}}) {
        for (unsigned seed = 1; seed <= 8; ++seed) {
            WindowChart w;
            std::mt19937 rng(seed * 7919 + static_cast<unsigned>(c.points));
            std::uniform_real_distribution<double> d(-1000, 1000);
            double v = 0, x = 0;
            for (int i = 0; i < c.points; ++i) {
                v = std::clamp(v + d(rng), -3000.0, 3000.0);
                if (c.data == Flat) v = std::round(v / 2000) * 700; // long equal runs
                if (c.data == Spaced) {
                    x += (rng() % 4 == 0) ? 0 : 1 + rng() % 50; // repeats and gaps
                    w.lap->AddPoint(x, std::round(65000 + v), "", w.lap->SeriesColor());
                    w.ave->AddPoint(x, std::round(65000 - v), "", w.ave->SeriesColor());
                } else {
                    w.lap->AddValue(std::round(65000 + v), "", w.lap->SeriesColor());
                    w.ave->AddValue(std::round(65000 + v / 2), "", w.ave->SeriesColor());
                }
            }
            w.lap->YValues().SetMultiplier(c.multiplier);
            w.Render();
            const TRect p = w.chart.PlotRect;
            auto in = [&rng](int a, int b) { return a + static_cast<int>(rng() % (b - a)); };
            // A zoom rectangle, then half the time a pan of both axes.
            const int x0 = in(p.Left, p.Right - 3), y0 = in(p.Top, p.Bottom - 3);
            w.chart.ZoomRect(TRect{x0, y0, in(x0 + 2, p.Right), in(y0 + 2, p.Bottom)});
            if (seed % 2 == 0) {
                w.Render();
                for (TChartAxis* a : {w.chart.BottomAxis(), w.chart.RightAxis()}) {
                    const double s = (a->Maximum() - a->Minimum()) *
                                     std::uniform_real_distribution<double>(-1.5, 1.5)(rng);
                    a->SetMinMax(a->Minimum() + s, a->Maximum() + s);
                }
            }
            const auto [each, direct] = RenderEachAndDirect(w);
            EXPECT_TRUE(each == direct)
                << c.data << " " << c.points << " x" << c.multiplier << " seed " << seed;
        }
    }
}

TEST(FastLineDrawing, VisibleRangeKeepsOnePointPastTheRightEdge) {
    WindowChart w;
    for (int i = 0; i < 100; ++i)
        w.lap->AddValue(60000 + i, "", clRed);
    w.Render();
    EXPECT_EQ(w.lap->FirstVisibleIndex(), 0);
    EXPECT_EQ(w.lap->LastVisibleIndex(), 99);
    w.chart.BottomAxis()->SetMinMax(10.5, 20.5);
    w.Render();
    EXPECT_EQ(w.lap->FirstVisibleIndex(), 11);
    EXPECT_EQ(w.lap->LastVisibleIndex(), 21);
    w.lap->ClearValues();
    w.Render();
    EXPECT_EQ(w.lap->FirstVisibleIndex(), -1);
}

TEST(CanvasGradient, EveryRowBandedFromTheFirstColour) {
    struct Case {
        int w, h;
        TGradientDirection dir;
    };
    const TColor from = 0x71E61A, to = 0xF5B463;
    for (const Case& c : {Case{20, 1, gdBottomTop}, Case{20, 100, gdBottomTop},
                          Case{20, 300, gdTopBottom}, Case{300, 20, gdLeftRight}}) {
        TTeeCanvas3D cv;
        const TRect r{0, 0, c.w, c.h};
        cv.BeginDraw(nullptr, nullptr, false, r);
        cv.Handle()->fillRect(r.ToQRect(), Qt::magenta);
        cv.FillGradient(r, from, to, c.dir);
        cv.EndDraw(nullptr, nullptr, r);
        const QImage& img = *cv.Buffer();
        const bool rows = c.dir != gdLeftRight;
        const int n = rows ? c.h : c.w;
        // The first colour in the bottom row (rightmost column), every line
        // painted and of one colour, the last one short of the second colour.
        EXPECT_EQ(At(img, c.w - 1, c.h - 1), Rgb(from));
        int distinct = 0;
        QRgb previous = 0;
        for (int k = 0; k < n; ++k) {
            const int x = rows ? 0 : k, y = rows ? k : 0;
            const QRgb px = At(img, x, y);
            ASSERT_NE(px, qRgb(255, 0, 255)) << c.h << " line " << k;
            ASSERT_EQ(px, At(img, rows ? c.w - 1 : x, rows ? y : c.h - 1));
            distinct += px != previous;
            previous = px;
        }
        if (n > 1 && n <= 255) {
            EXPECT_EQ(distinct, n) << n;
        }
        if (n > 1) {
            EXPECT_NE(At(img, 0, 0), Rgb(to));
        }
    }
}

} // namespace
