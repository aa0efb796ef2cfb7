#include "Series.h"

#include "ChartAxis.h"
#include "CustomAxisPanel.h"
#include "PixelWriter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
bool gDirectDrawing = true;
} // namespace

void TFastLineSeries::SetDirectDrawing(bool v) {
    gDirectDrawing = v;
}

TFastLineSeries::TFastLineSeries(QObject* owner) : TChartSeries(owner) {
    FKeepPointPastEdge = true;
    FLinePen.OnChange = [this] { CanvasChanged(); };
}

TFastLineSeries::~TFastLineSeries() {
    FLinePen.OnChange = nullptr;
}

void TFastLineSeries::Assign(const TFastLineSeries& o) {
    FLinePen.Assign(o.FLinePen);
    FAutoRepaint = o.FAutoRepaint;
    SetSeriesColor(o.SeriesColor());
    SetTitle(o.Title());
    SetHorizAxis(o.HorizAxis());
    SetVertAxis(o.VertAxis());
}

void TFastLineSeries::SetLinePen(const TChartPen& pen) {
    FLinePen.Assign(pen);
    SetSeriesColor(FLinePen.Color);
}

void TFastLineSeries::SetSeriesColor(TColor c) {
    TChartSeries::SetSeriesColor(c);
    FLinePen.SetColor(c);
}

void TFastLineSeries::PrepareLinePen() {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart) return;
    TTeeCanvas3D& cv = chart->Canvas();
    cv.Pen() = static_cast<const TPen&>(FLinePen);
    cv.PenMode = FLinePen.Mode;
    cv.Pen().Color = SeriesColor();
    cv.Brush().Style = bsClear;
}

void TFastLineSeries::DrawLegendShape(TTeeCanvas3D& canvas, const TRect& rect) {
    canvas.Pen() = static_cast<const TPen&>(FLinePen);
    canvas.PenMode = FLinePen.Mode;
    canvas.Pen().Color = SeriesColor();
    canvas.Brush().Style = bsClear;
    canvas.HorizontalLine(rect.Left, rect.Right, (rect.Top + rect.Bottom) / 2);
}

void TFastLineSeries::DrawAllPoints() {
    if (FFirstVisibleIndex < 0) return;
    PrepareLinePen();
    if (drawDirect()) return;
    for (int i = FFirstVisibleIndex; i <= FLastVisibleIndex; ++i)
        DrawPoint(i);
}

void TFastLineSeries::DrawPoint(int i) {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart) return;
    TTeeCanvas3D& cv = chart->Canvas();
    const int x = PointX(i), y = PointY(i);
    if (i == FFirstVisibleIndex) {
        if (i > 0)
            cv.Line(PointX(i - 1), PointY(i - 1), x, y);
        else
            cv.MoveTo(x, y);
    } else if (x != FLastDrawnX || y != FLastDrawnY) {
        cv.LineTo(x, y);
    }
    FLastDrawnX = x;
    FLastDrawnY = y;
}

// The polyline of DrawPoint, written into the image directly. Points that
// share a pixel column join by vertical runs whose union is the span of the
// column they visited; so each column is filled once, from the lowest and
// highest value of its points, which the Y values' index gives without
// visiting them. Only the one pixel the line ends on stays unpainted, as the
// canvas's line rule leaves it; whether an earlier point of the last column
// already painted it depends on their order, so that column's points are
// walked.
bool TFastLineSeries::drawDirect() {
    TCustomAxisPanel* chart = ParentChart();
    if (!gDirectDrawing || !chart || !IsVerticalSeries()) return false;
    TTeeCanvas3D& cv = chart->Canvas();
    QImage* img = cv.Buffer();
    QPainter* painter = cv.Handle();
    if (!img || painter->device() != img || painter->transform().type() != QTransform::TxNone)
        return false;
    const TPen& pen = cv.Pen();
    if (pen.Width > 1 || pen.Style != psSolid || cv.PenMode != pmCopy) return false;
    const TChartAxis* ha = HorizontalAxis();
    const TChartAxis* va = VerticalAxis();
    if (!ha || !va || ha->Logarithmic() || va->Logarithmic()) return false;
    TPixelWriter raster(*img);
    if (!raster.Valid()) return false;
    if (const TRect* c = cv.ClipRect()) raster.SetClip(c->Left, c->Top, c->Right, c->Bottom);
    const QRgb colour = TPixelWriter::Word(pen.Color);
    const auto always = [](int) { return true; };

    const TAxisMapping mx = ha->Mapping(true);
    const TAxisMapping my = va->Mapping(false);
    const TChartValueList& xs = XValues();
    const TChartValueList& ys = YValues();
    const double ym = ys.Multiplier();
    const auto px = [&](int i) { return mx.Map(xs.Value(i)); };
    const auto py = [&](double raw) { return my.Map(raw * ym); };

    const int first = FFirstVisibleIndex, last = FLastVisibleIndex;
    int i = first > 0 ? first - 1 : first;
    int cx = px(i);
    // The points of one column are a run of indices when X ascends and both
    // mappings are monotonic, which finite values and scales guarantee (a
    // NaN maps to the centre, out of order).
    const bool runs = xs.Order() == loAscending && xs.Sorted() && ys.AllFinite() &&
                      std::isfinite(xs.Multiplier()) && std::isfinite(ym) &&
                      std::isfinite(mx.Min) && std::isfinite(mx.Span) && std::isfinite(my.Min) &&
                      std::isfinite(my.Span) &&
                      // A column of a point or two is cheaper walked than
                      // searched for and asked of the index.
                      last - i > 4 * (std::abs(px(last) - cx) + 1);
    int run = 1; // points in the column before, the guess for the next
    while (runs) {
        // The last index of the column: gallop from the guess, then halve.
        // Columns hold about as many points as their neighbours, so the
        // guess is mostly right and the values read are next to each other,
        // which matters more than their number once the points outgrow the
        // processor's caches.
        const int guess = std::clamp(i + run - 1, i, last);
        int in = i, out = last + 1; // in: known in the column, out: known past it
        int step = 1;
        if (px(guess) == cx) {
            in = guess;
            while (in + step <= last && px(in + step) == cx) {
                in += step;
                step *= 2;
            }
            out = std::min(in + step, last + 1);
        } else {
            out = guess;
            while (out - step > i && px(out - step) != cx) {
                out -= step;
                step *= 2;
            }
            in = std::max(out - step, i);
        }
        while (out - in > 1) {
            const int mid = in + (out - in) / 2;
            (px(mid) == cx ? in : out) = mid;
        }
        if (in == last) break;
        const TExtremesIndex::Range r = ys.RawExtremes(i, in);
        const int a = py(r.Lowest), b = py(r.Highest);
        raster.Column(cx, std::min(a, b), std::max(a, b), colour);
        const int nx = px(in + 1);
        raster.Line(cx, py(ys.RawValue(in)), nx, py(ys.RawValue(in + 1)), false, colour, always);
        run = in + 1 - i;
        i = in + 1;
        cx = nx;
    }

    int cy = py(ys.RawValue(i));
    int lo = cy, hi = cy;
    bool endPainted = false;
    for (++i; i <= last; ++i) {
        const int nx = px(i), ny = py(ys.RawValue(i));
        if (nx == cx) {
            // Every pixel between lo and hi but the current one is painted;
            // moving paints the current one, and the new one too unless it
            // lies outside that span. Staying changes nothing. Written
            // without branches: which way a random line goes is a guess the
            // processor would lose half the time.
            const bool moved = ny != cy;
            const bool inside = ny >= lo && ny <= hi;
            endPainted = (moved & inside) | (!moved & endPainted);
            lo = std::min(lo, ny);
            hi = std::max(hi, ny);
        } else {
            raster.Column(cx, lo, hi, colour);
            raster.Line(cx, cy, nx, ny, false, colour, always);
            lo = hi = ny;
            endPainted = false;
        }
        cx = nx;
        cy = ny;
    }
    if (endPainted)
        raster.Column(cx, lo, hi, colour);
    else if (cy == lo)
        raster.Column(cx, lo + 1, hi, colour);
    else
        raster.Column(cx, lo, hi - 1, colour);
    FLastDrawnX = cx;
    FLastDrawnY = cy;
    cv.MoveTo(cx, cy);
    return true;
}

void TFastLineSeries::PointAdded(int index) {
    if (FAutoRepaint) {
        TChartSeries::PointAdded(index);
        return;
    }
    // No event, no dependents, no invalidation: only the new segment, drawn
    // into the chart's picture while that still shows the chart.
    TCustomAxisPanel* chart = ParentChart();
    if (!chart || !chart->Canvas().BeginBufferDraw()) return;
    TTeeCanvas3D& cv = chart->Canvas();
    cv.Pen() = static_cast<const TPen&>(FLinePen);
    cv.PenMode = FLinePen.Mode;
    const int c = index > 0 ? index - 1 : 0;
    cv.MoveTo(PointX(c), PointY(c));
    DrawPoint(index);
    cv.EndBufferDraw();
    chart->update();
}
