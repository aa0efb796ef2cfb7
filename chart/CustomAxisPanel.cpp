#include "CustomAxisPanel.h"

#include "ChartException.h"
#include "Messages.h"

#include <algorithm>

TCustomAxisPanel::TCustomAxisPanel(QWidget* parent) : TCustomTeePanel(parent) {
    resize(400, 250);
    FLeftAxis.Title.SetAngle(90);
    FRightAxis.Title.SetAngle(270);
}

TCustomAxisPanel::~TCustomAxisPanel() {
    FDestroying = true;
    // Series the chart owns go now, while they can still find the chart;
    // the others are only detached so they never point at a dead chart.
    const std::vector<TChartSeries*> all = FSeries;
    for (TChartSeries* s : all) {
        if (s->parent() == this)
            delete s;
        else
            RemoveSeries(s);
    }
}

TColor TCustomAxisPanel::FreeSeriesColor() const {
    for (int i = 0; i < ChartPaletteSize(); ++i) {
        const TColor c = ChartPaletteColor(i);
        const bool used = std::any_of(FSeries.begin(), FSeries.end(),
                                      [c](const TChartSeries* s) { return s->SeriesColor() == c; });
        if (!used) return c;
    }
    return ChartPaletteColor(SeriesCount());
}

void TCustomAxisPanel::AddSeries(TChartSeries* series) {
    if (!series) return;
    if (std::find(FSeries.begin(), FSeries.end(), series) != FSeries.end()) return;
    if (TCustomAxisPanel* old = series->ParentChart(); old && old != this)
        old->RemoveSeries(series);
    if (series->SeriesColor() == AutoColor) series->SetSeriesColor(FreeSeriesColor());
    series->FParentChart = this;
    series->FParentGuard = this;
    series->CheckDataSource();
    FSeries.push_back(series);
    Invalidate();
}

void TCustomAxisPanel::RemoveSeries(TChartSeries* series) {
    const auto it = std::find(FSeries.begin(), FSeries.end(), series);
    if (it == FSeries.end()) return;
    series->RemoveSourceLinks();
    series->FParentChart = nullptr;
    series->FParentGuard = nullptr;
    FSeries.erase(it);
    if (!FDestroying) Invalidate();
}

void TCustomAxisPanel::SetChart3DPercent(int v) {
    if (v < 1 || v > 100)
        throw ChartException(Msg::Chart3DPercentRange().arg(1).arg(100),
                             Msg::En::Chart3DPercentRange().arg(1).arg(100));
    setInvalidating(FChart3DPercent, v);
}

void TCustomAxisPanel::SetMaxPointsPerPage(int v) {
    if (v < 0) throw ChartException(Msg::MaxPointsPerPageRange(), Msg::En::MaxPointsPerPageRange());
    setInvalidating(FMaxPointsPerPage, v);
}

bool TCustomAxisPanel::IsAxisDrawn(const TChartAxis* axis) const {
    if (!FAxisVisible || !axis->Visible()) return false;
    if (axis->IsDepth()) return true;
    bool anyWithAxes = false;
    for (const TChartSeries* s : FSeries) {
        if (!s->Active() || !s->UseAxis()) continue;
        anyWithAxes = true;
        if (s->UsesAxis(axis)) return true;
    }
    return !anyWithAxes;
}

double TCustomAxisPanel::SeriesExtreme(const TChartAxis* axis, bool lowest, bool xValues) const {
    // The depth axis spans the series' depth order numbers, 0 in 2D.
    if (axis->IsDepth()) return 0.0;
    bool found = false;
    double result = 0.0;
    for (const TChartSeries* s : FSeries) {
        if (!s->Active() || s->Count() <= 0) continue;
        const bool uses = xValues ? s->HorizontalAxis() == axis : s->VerticalAxis() == axis;
        if (!uses) continue;
        const double v = xValues ? (lowest ? s->MinXValue() : s->MaxXValue())
                                 : (lowest ? s->MinYValue() : s->MaxYValue());
        if (!found || (lowest ? v < result : v > result)) result = v;
        found = true;
    }
    return result;
}

bool TCustomAxisPanel::SeriesDateTime(const TChartAxis* axis) const {
    // The first active series on the axis decides.
    for (const TChartSeries* s : FSeries) {
        if (!s->Active()) continue;
        if (s->HorizontalAxis() == axis) return s->XValues().DateTime();
        if (s->VerticalAxis() == axis) return s->YValues().DateTime();
    }
    return false;
}

int TCustomAxisPanel::SeriesLabelWidth(const TChartAxis* axis) {
    TTeeCanvas3D& cv = Canvas();
    int w = 0;
    for (const TChartSeries* s : FSeries) {
        if (!s->Active() || !s->UsesAxis(axis)) continue;
        for (int i = 0; i < s->Count(); ++i)
            w = std::max(w, cv.TextWidth(s->PointLabel(i)));
    }
    return w;
}

TAxisLabelStyle TCustomAxisPanel::SeriesLabelStyle(const TChartAxis* axis) const {
    const bool horizontal = axis->IsHorizontal();
    const TChartSeries* first = nullptr;
    for (const TChartSeries* s : FSeries)
        if (s->Active() && (s->HorizontalAxis() == axis || s->VerticalAxis() == axis)) {
            first = s;
            break;
        }
    if (!first) return talNone;
    if (horizontal == first->IsVerticalSeries()) {
        for (const TChartSeries* s : FSeries) {
            if (!s->Active()) continue;
            if (horizontal ? s->HorizontalAxis() != axis : s->VerticalAxis() != axis) continue;
            if (s->HasPointLabel(0) && !s->PointLabel(0).isEmpty()) return talText;
            break;
        }
    }
    return talValue;
}

// A series method kept here, where a chart's full type is known: the series
// sees its chart only through TSeriesChart.
void TChartSeries::SetParentChart(TCustomAxisPanel* chart) {
    TCustomAxisPanel* old = ParentChart();
    if (old == chart) return;
    if (old) old->RemoveSeries(this);
    if (chart) chart->AddSeries(this);
}

void TCustomAxisPanel::CalcAxisRects() {
    TChartAxis* order[] = {&FLeftAxis, &FRightAxis, &FTopAxis, &FBottomAxis, &FDepthAxis};
    for (TChartAxis* a : order)
        a->RecalcRange();
    RecalcPlotSize();
    for (TChartAxis* a : order) {
        if (!IsAxisDrawn(a)) continue;
        const TRect r = a->ReserveSpace(PlotRect);
        const TRect i{std::max(r.Left, PlotRect.Left), std::max(r.Top, PlotRect.Top),
                      std::min(r.Right, PlotRect.Right), std::min(r.Bottom, PlotRect.Bottom)};
        if (i.Left < i.Right && i.Top < i.Bottom) PlotRect = i;
    }
    RecalcPlotSize();
}

void TCustomAxisPanel::CalcSeriesRects() {
    TChartAxis* order[] = {&FTopAxis, &FLeftAxis, &FRightAxis, &FBottomAxis};
    for (TChartAxis* a : order) {
        int m0 = 0, m1 = 0;
        for (const TChartSeries* s : FSeries) {
            if (!s->Active() || !s->UsesAxis(a)) continue;
            int lo = 0, hi = 0;
            if (a->IsHorizontal())
                s->CalcHorizMargins(lo, hi);
            else
                s->CalcVerticalMargins(lo, hi);
            m0 = std::max(m0, lo);
            m1 = std::max(m1, hi);
        }
        if (a->IsHorizontal())
            a->RangeFromMargins(m0, 0, m1, 0);
        else
            a->RangeFromMargins(0, m0, 0, m1);
    }
}

void TCustomAxisPanel::DrawSeries(TChartSeries& series) {
    series.CalcVisibleRange();
    if (series.FirstVisibleIndex() == -1) return;
    series.DoBeforeDrawValues();
    const bool clip = FClipPoints && !IsPrinting();
    if (clip) Canvas().ClipPlotBox(PlotRect, 0, Depth3D);
    series.DrawAllPoints();
    if (clip) Canvas().ClearClip();
    series.DoAfterDrawValues();
}

void TCustomAxisPanel::DrawChart(const TRect& chartBounds) {
    DrawBackground(chartBounds);
    for (TChartSeries* s : FSeries)
        if (s->Active()) s->DoBeforeDrawChart();
    DrawTitlesAndLegend();
    CalcAxisRects();
    CalcSeriesRects();
    Canvas().SetProjection(Depth3D, chartBounds, PlotRect);
    CallEvent(OnBeforeDrawAxes, this);
    DrawWalls();
    if (FAxisVisible) {
        for (TChartAxis* a : {&FTopAxis, &FBottomAxis, &FLeftAxis, &FRightAxis})
            if (IsAxisDrawn(a)) a->DrawAxis(true);
    }
    CallEvent(OnBeforeDrawSeries, this);
    for (TChartSeries* s : FSeries)
        if (s->Active()) DrawSeries(*s);
    if (Zoom.Active) DrawZoomRectangle();
    Canvas().ResetState();
    CallEvent(OnAfterDraw, this);
}
