#include "Series.h"

#include "ChartAxis.h"
#include "CustomAxisPanel.h"
#include "LineSteps.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace {
bool gDirectDrawing = true;

// Writes the pixels of a one-pixel solid pen straight into an RGB32 image,
// with the toolkit canvas's line rule (the end pixel is left out) and the
// clipping rectangle in force.
class RasterPen {
public:
    RasterPen(QImage& img, const TRect& clip, QRgb colour)
        : FBits(reinterpret_cast<QRgb*>(img.bits())), FStride(img.bytesPerLine() / 4), FClip(clip),
          FColour(colour) {}

    void Column(int x, int y0, int y1) const {
        if (x < FClip.Left || x >= FClip.Right) return;
        y0 = std::max(y0, FClip.Top);
        y1 = std::min(y1, FClip.Bottom - 1);
        for (int y = y0; y <= y1; ++y)
            FBits[static_cast<ptrdiff_t>(y) * FStride + x] = FColour;
    }

    void Line(int x0, int y0, int x1, int y1) const {
        for (TLineSteps line(x0, y0, x1, y1); !line.AtEnd(); line.Next()) {
            const int x = line.X(), y = line.Y();
            if (x >= FClip.Left && x < FClip.Right && y >= FClip.Top && y < FClip.Bottom)
                FBits[static_cast<ptrdiff_t>(y) * FStride + x] = FColour;
        }
    }

private:
    QRgb* FBits;
    qsizetype FStride;
    TRect FClip;
    QRgb FColour;
};
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
// column they visited; so each column is filled once, however many points
// land in it. Only the one pixel the line ends on stays unpainted, as the
// canvas's line rule leaves it.
bool TFastLineSeries::drawDirect() {
    TCustomAxisPanel* chart = ParentChart();
    if (!gDirectDrawing || !chart || !IsVerticalSeries()) return false;
    TTeeCanvas3D& cv = chart->Canvas();
    QImage* img = cv.Buffer();
    QPainter* painter = cv.Handle();
    if (!img || painter->device() != img || img->format() != QImage::Format_RGB32 ||
        img->devicePixelRatio() != 1.0 || painter->transform().type() != QTransform::TxNone)
        return false;
    const TPen& pen = cv.Pen();
    if (pen.Width > 1 || pen.Style != psSolid || cv.PenMode != pmCopy) return false;
    const TChartAxis* ha = HorizontalAxis();
    const TChartAxis* va = VerticalAxis();
    if (!ha || !va || ha->Logarithmic() || va->Logarithmic()) return false;

    TRect clip{0, 0, img->width(), img->height()};
    if (const TRect* c = cv.ClipRect())
        clip = TRect{std::max(clip.Left, c->Left), std::max(clip.Top, c->Top),
                     std::min(clip.Right, c->Right), std::min(clip.Bottom, c->Bottom)};
    const RasterPen raster(*img, clip, ToQColor(pen.Color).rgb() | 0xFF000000u);
    const TAxisMapping mx = ha->Mapping(true);
    const TAxisMapping my = va->Mapping(false);
    const TChartValueList& xs = XValues();
    const TChartValueList& ys = YValues();

    const int first = FFirstVisibleIndex, last = FLastVisibleIndex;
    const int from = first > 0 ? first - 1 : first;
    int cx = mx.Map(xs.Value(from)), cy = my.Map(ys.Value(from));
    int lo = cy, hi = cy;
    bool endPainted = false;
    for (int i = from + 1; i <= last; ++i) {
        const int nx = mx.Map(xs.Value(i)), ny = my.Map(ys.Value(i));
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
            raster.Column(cx, lo, hi);
            raster.Line(cx, cy, nx, ny);
            lo = hi = ny;
            endPainted = false;
        }
        cx = nx;
        cy = ny;
    }
    if (endPainted)
        raster.Column(cx, lo, hi);
    else if (cy == lo)
        raster.Column(cx, lo + 1, hi);
    else
        raster.Column(cx, lo, hi - 1);
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
