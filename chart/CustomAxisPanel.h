#pragma once
#include "ChartAxis.h"
#include "TeEngine.h"
#include "TeeProcs.h"

#include <vector>

// The chart panel with series and axes: keeps the series list and the five
// axes and draws a chart in its fixed order of steps.
class TCustomAxisPanel : public TCustomTeePanel, public TAxisChart, public TSeriesChart {
    Q_OBJECT
public:
    explicit TCustomAxisPanel(QWidget* parent = nullptr);
    ~TCustomAxisPanel() override;

    // Ignored when the series is already in the chart; a series whose colour
    // is AutoColor gets a palette colour no other series of the chart uses.
    void AddSeries(TChartSeries* series) override;
    // Ignored when the series is not in the chart.
    void RemoveSeries(TChartSeries* series) override;
    int SeriesCount() const { return static_cast<int>(FSeries.size()); }
    TChartSeries* Series(int i) const { return FSeries[static_cast<size_t>(i)]; }
    const std::vector<TChartSeries*>& SeriesList() const { return FSeries; }
    // True while the chart's destructor runs.
    bool Destroying() const override { return FDestroying; }

    TChartAxis* LeftAxis() { return &FLeftAxis; }
    TChartAxis* RightAxis() { return &FRightAxis; }
    TChartAxis* TopAxis() { return &FTopAxis; }
    TChartAxis* BottomAxis() { return &FBottomAxis; }
    TChartAxis* DepthAxis() { return &FDepthAxis; }

    bool IsAxisDrawn(const TChartAxis* axis) const;
    double SeriesExtreme(const TChartAxis* axis, bool lowest, bool xValues) const override;
    bool SeriesDateTime(const TChartAxis* axis) const override;
    int SeriesLabelWidth(const TChartAxis* axis) override;
    TAxisLabelStyle SeriesLabelStyle(const TChartAxis* axis) const override;
    TCustomAxisPanel* SeriesParent() override { return this; }
    void SeriesChanged() override { Invalidate(); }
    TChartAxis* SeriesAxis(THorizAxis side) override {
        return side == aTopAxis ? &FTopAxis : &FBottomAxis;
    }
    TChartAxis* SeriesAxis(TVertAxis side) override {
        return side == aLeftAxis ? &FLeftAxis : &FRightAxis;
    }

    bool AxisVisible() const { return FAxisVisible; }
    void SetAxisVisible(bool v) { setInvalidating(FAxisVisible, v); }
    bool ClipPoints() const { return FClipPoints; }
    void SetClipPoints(bool v) { setInvalidating(FClipPoints, v); }
    int Chart3DPercent() const { return FChart3DPercent; }
    void SetChart3DPercent(int v);
    int MaxPointsPerPage() const { return FMaxPointsPerPage; }
    void SetMaxPointsPerPage(int v);
    int Page() const { return FPage; }
    bool ScaleLastPage() const { return FScaleLastPage; }
    bool View3DWalls() const { return FView3DWalls; }
    void SetView3DWalls(bool v) { setInvalidating(FView3DWalls, v); }

    void DrawChart(const TRect& chartBounds) override;

    TNotifyEvent OnAfterDraw;
    TNotifyEvent OnBeforeDrawAxes;
    TNotifyEvent OnBeforeDrawSeries;

protected:
    virtual void DrawBackground(const TRect&) {}
    virtual void DrawTitlesAndLegend() {}
    virtual void CalcAxisRects();
    virtual void CalcSeriesRects();
    virtual void DrawWalls() {}
    // The drawing of one active series.
    void DrawSeries(TChartSeries& series);

private:
    TColor FreeSeriesColor() const;

    std::vector<TChartSeries*> FSeries;
    TChartAxis FBottomAxis{this, this, true, false};
    TChartAxis FTopAxis{this, this, true, true};
    TChartAxis FLeftAxis{this, this, false, false};
    TChartAxis FRightAxis{this, this, false, true};
    TChartDepthAxis FDepthAxis{this, this};
    bool FDestroying = false;
    bool FAxisVisible = true;
    bool FClipPoints = true;
    int FChart3DPercent = 15;
    int FMaxPointsPerPage = 0;
    int FPage = 1;
    bool FScaleLastPage = true;
    bool FView3DWalls = true;
};
