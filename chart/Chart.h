#pragma once
#include "Canvas.h"
#include "TeEngine.h"

#include <QWidget>
#include <memory>
#include <vector>

class QPaintEvent;

// How the chart places values in its plot for now: X over [0, XMax], Y over
// [YMin, YMax] with the Y axis inverted, so the smallest value (the shortest
// lap) is at the top. Pixel positions round to nearest, halves to even.
struct TChartPlotScale {
    TRect Rect;
    double XMax = 1.0;
    double YMin = 0.0;
    double YMax = 0.0;

    int XToPixel(double x) const;
    int YToPixel(double y) const;

    // The scale shared by all active, non-empty series in the rectangle:
    // XMax = max(longest count - 1, 1), Y range from their lowest to highest Y.
    static TChartPlotScale FromSeries(const std::vector<TChartSeries*>& series, const TRect& rect);
};

// The chart widget: owns the list of series it shows (not the series
// themselves) and paints them on a vertical gradient.
class TChart : public QWidget {
    Q_OBJECT
  public:
    // Background gradient: green at the bottom fading to light blue at the top.
    static constexpr TColor GradientBottomColor = 0x71E61A;
    static constexpr TColor GradientTopColor = 0xF5B463;

    explicit TChart(QWidget* parent = nullptr);
    ~TChart() override;

    // Ignored when the series is already in the chart; a series whose colour
    // is AutoColor gets a palette colour no other series of the chart uses.
    void AddSeries(TChartSeries* series);
    // Ignored when the series is not in the chart.
    void RemoveSeries(TChartSeries* series);
    int SeriesCount() const { return static_cast<int>(FSeries.size()); }
    TChartSeries* Series(int i) const { return FSeries[static_cast<size_t>(i)]; }
    const std::vector<TChartSeries*>& SeriesList() const { return FSeries; }

    // Marks the chart for repainting on the next paint.
    void Invalidate();
    // Number of Invalidate calls so far.
    int InvalidateCount() const { return FInvalidateCount; }
    // True while the chart's destructor runs.
    bool Destroying() const { return FDestroying; }

    TChartAxis* TopAxis() { return &FTopAxis; }
    TChartAxis* BottomAxis() { return &FBottomAxis; }
    TChartAxis* LeftAxis() { return &FLeftAxis; }
    TChartAxis* RightAxis() { return &FRightAxis; }

    // Where the series are drawn: the whole client area.
    TRect PlotRect() const;
    TChartPlotScale PlotScale() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

    void FillBackground(TCanvas& canvas, const TRect& rect);
    void DrawSeries(TCanvas& canvas, const TChartSeries& series, const TChartPlotScale& scale);

  private:
    TColor FreeSeriesColor() const;

    std::vector<TChartSeries*> FSeries;
    TChartAxis FBottomAxis{this, true, false};
    TChartAxis FTopAxis{this, true, true};
    TChartAxis FLeftAxis{this, false, false};
    TChartAxis FRightAxis{this, false, true};
    int FInvalidateCount = 0;
    bool FDestroying = false;
};
