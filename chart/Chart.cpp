#include "Chart.h"

#include "Series.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

// -------------------------------------------------------------------- scale

namespace {
int RoundPixel(double v) {
    return static_cast<int>(std::nearbyint(v));
}
} // namespace

int TChartPlotScale::XToPixel(double x) const {
    const int span = Rect.Width() - 1;
    return Rect.Left + RoundPixel(x / XMax * span);
}

int TChartPlotScale::YToPixel(double y) const {
    const int span = Rect.Height() - 1;
    if (YMax <= YMin) return Rect.Top + span / 2;
    return Rect.Top + RoundPixel((y - YMin) / (YMax - YMin) * span);
}

TChartPlotScale TChartPlotScale::FromSeries(const std::vector<TChartSeries*>& series,
                                            const TRect& rect) {
    TChartPlotScale scale;
    scale.Rect = rect;
    int longest = 0;
    bool any = false;
    for (const TChartSeries* s : series) {
        if (!s->Active() || s->Count() == 0) continue;
        longest = std::max(longest, s->Count());
        const double lo = s->YValues().LowestValue();
        const double hi = s->YValues().HighestValue();
        if (!any) {
            scale.YMin = lo;
            scale.YMax = hi;
            any = true;
        } else {
            scale.YMin = std::min(scale.YMin, lo);
            scale.YMax = std::max(scale.YMax, hi);
        }
    }
    scale.XMax = std::max(longest - 1, 1);
    return scale;
}

// -------------------------------------------------------------------- chart

TChart::TChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TChart::~TChart() {
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

TColor TChart::FreeSeriesColor() const {
    for (int i = 0; i < ChartPaletteSize(); ++i) {
        const TColor c = ChartPaletteColor(i);
        const bool used = std::any_of(FSeries.begin(), FSeries.end(),
                                      [c](const TChartSeries* s) { return s->SeriesColor() == c; });
        if (!used) return c;
    }
    return ChartPaletteColor(SeriesCount());
}

void TChart::AddSeries(TChartSeries* series) {
    if (!series) return;
    if (std::find(FSeries.begin(), FSeries.end(), series) != FSeries.end()) return;
    if (TChart* old = series->ParentChart(); old && old != this) old->RemoveSeries(series);
    if (series->SeriesColor() == AutoColor) series->SetSeriesColor(FreeSeriesColor());
    series->FParentChart = this;
    series->CheckDataSource();
    FSeries.push_back(series);
    Invalidate();
}

void TChart::RemoveSeries(TChartSeries* series) {
    const auto it = std::find(FSeries.begin(), FSeries.end(), series);
    if (it == FSeries.end()) return;
    series->RemoveSourceLinks();
    series->FParentChart = nullptr;
    FSeries.erase(it);
    if (!FDestroying) Invalidate();
}

void TChart::Invalidate() {
    ++FInvalidateCount;
    update();
}

TRect TChart::PlotRect() const {
    return TRect{0, 0, width(), height()};
}

TChartPlotScale TChart::PlotScale() const {
    return TChartPlotScale::FromSeries(FSeries, PlotRect());
}

void TChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TCanvas canvas(&painter);
    FillBackground(canvas, PlotRect());
    const TChartPlotScale scale = PlotScale();
    for (const TChartSeries* s : FSeries)
        if (s->Active()) DrawSeries(canvas, *s, scale);
}

void TChart::FillBackground(TCanvas& canvas, const TRect& rect) {
    // One row per pixel, bottom colour in the last row, top colour in the first.
    const int h = rect.Height();
    const uint32_t top = ColorToRGB(GradientTopColor);
    const uint32_t bottom = ColorToRGB(GradientBottomColor);
    auto channel = [](uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    canvas.Brush.Style = bsSolid;
    for (int row = 0; row < h; ++row) {
        const int fromBottom = h - 1 - row;
        const int span = std::max(h - 1, 1);
        auto mix = [&](int shift) {
            const int b = channel(bottom, shift), t = channel(top, shift);
            return b + (t - b) * fromBottom / span;
        };
        canvas.Brush.Color = col::rgb(mix(0), mix(8), mix(16));
        canvas.FillRect(TRect{rect.Left, rect.Top + row, rect.Right, rect.Top + row + 1});
    }
}

void TChart::DrawSeries(TCanvas& canvas, const TChartSeries& series, const TChartPlotScale& scale) {
    const int n = series.Count();
    if (n == 0) return;
    TPen pen;
    if (const auto* line = dynamic_cast<const TFastLineSeries*>(&series)) pen = line->LinePen();
    pen.Color = series.SeriesColor();
    canvas.Pen = pen;
    std::vector<QPoint> pts;
    pts.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        pts.emplace_back(scale.XToPixel(series.XValues().Value(i)),
                         scale.YToPixel(series.YValues().Value(i)));
    // The polyline leaves out its very last pixel; finish it so the newest
    // point shows (and a single point shows at all).
    canvas.Polyline(pts);
    canvas.Pixel(pts.back().x(), pts.back().y(), pen.Color);
}
