#include "Chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace {
// A drag must exceed this in both directions to zoom or undo the zoom.
constexpr int kZoomThreshold = 16;
} // namespace

TChartWall::TChartWall(TCustomTeePanel* chart, TColor defaultColor)
    : TChartPart(chart), FColor(defaultColor), FDefaultColor(defaultColor) {
    FBrush.Color = clWhite;
    Pen.OnChange = [this] { repaint(); };
}

TChartTitle::TChartTitle(TCustomTeePanel* chart) : TChartFontObject(chart) {
    FFont.Color = clBlue;
    Frame.OnChange = [this] {
        if (FPanel) FPanel->ChartChanged();
    };
}

TChartLegend::TChartLegend(TCustomTeePanel* chart) : TChartFontObject(chart) {
    auto repaint = [this] {
        if (FPanel) FPanel->ChartChanged();
    };
    DividingLines.OnChange = repaint;
    Frame.OnChange = repaint;
}

TCustomChart::TCustomChart(QWidget* parent) : TCustomAxisPanel(parent) {
    BackWall.Brush().Style = bsClear;
    Foot.Font().Color = clRed;
}

TCustomChart::~TCustomChart() = default;

void TCustomChart::SetBackColor(TColor v) {
    BackWall.SetColor(v);
    BackWall.SetBrushStyle(bsSolid);
}

void TCustomChart::SetBackImage(const QImage& img) {
    FBackImage = img;
    Invalidate();
}

bool TCustomChart::ColorIsFree(TColor color, bool checkBackground) const {
    for (const TChartSeries* s : SeriesList())
        if (s->SeriesColor() == color) return false;
    return !(checkBackground && (color == Color() || color == BackColor()));
}

// ---------------------------------------------------------------- drawing

void TCustomChart::FillBackground(const TRect& rect) {
    TTeeCanvas3D& cv = Canvas();
    if (Gradient.Visible()) {
        const TGradientDirection d = Gradient.Direction();
        const bool startFirst = d == gdTopBottom || d == gdLeftRight;
        cv.FillGradient(rect, startFirst ? Gradient.StartColor() : Gradient.EndColor(),
                        startFirst ? Gradient.EndColor() : Gradient.StartColor(), d);
        return;
    }
    cv.Brush() = TBrush{Color(), bsSolid};
    cv.EraseRect(rect);
}

void TCustomChart::DrawBackImage(const TRect& rect) {
    TTeeCanvas3D& cv = Canvas();
    const int w = rect.Width(), h = rect.Height();
    switch (FBackImageMode) {
    case pbmStretch:
        cv.StretchGraphic(rect, FBackImage);
        break;
    case pbmTile:
        cv.ClipPlotBox(rect, 0, Depth3D);
        if (FBackImage.width() > 0 && FBackImage.height() > 0)
            for (int y = 0; y < h; y += FBackImage.height())
                for (int x = 0; x < w; x += FBackImage.width())
                    cv.DrawGraphic(rect.Left + x, rect.Top + y, FBackImage);
        cv.ClearClip();
        break;
    case pbmCenter:
        cv.ClipPlotBox(rect, 0, Depth3D);
        FillBackground(rect);
        cv.DrawGraphic(rect.Left + (w - FBackImage.width()) / 2,
                       rect.Top + (h - FBackImage.height()) / 2, FBackImage);
        cv.ClearClip();
        break;
    }
}

void TCustomChart::DrawBackground(const TRect& rect) {
    FillBackground(rect);
    if (!FBackImage.isNull() && !FBackImageInside) DrawBackImage(rect);
    TTeeCanvas3D& cv = Canvas();
    cv.Pen().Style = psSolid;
    cv.Pen().Width = 1;
    cv.PenMode = pmCopy;
    cv.Brush().Style = bsClear;
    DrawPanelFrame(rect);
}

void TCustomChart::DrawTitlesAndLegend() {
    Canvas().Disable3D();
    // A visible legend is not drawn by this chart; it takes no space either,
    // so every case comes down to the titles.
    if (Title.Visible()) DrawTitle(Title, true);
    if (Foot.Visible()) DrawTitle(Foot, false);
    Canvas().Restore3D();
}

void TCustomChart::DrawTitle(TChartTitle& t, bool atTop) {
    TTeeCanvas3D& cv = Canvas();
    ApplyFont(t.Font());
    const int h = cv.FontHeight();
    cv.Brush().Color = t.Brush().Color;
    cv.Brush().Style = t.Brush().Color == AutoColor ? bsClear : t.Brush().Style;
    const bool frame = t.Frame.Visible && t.Frame.Color != AutoColor;
    const int fw = frame ? t.Frame.Width : 0;
    const QStringList lines = t.Text();
    const int n = static_cast<int>(lines.size());
    const int x0 = PlotRect.Left + fw, x1 = PlotRect.Right - fw;
    int y = atTop ? PlotRect.Top + fw : PlotRect.Bottom - fw;
    TRect r = atTop ? TRect{x0, y, x1, y + n * h} : TRect{x0, y - n * h, x1, y};
    int pw = 0;
    if (frame) {
        cv.ApplyPen(t.Frame);
        pw = t.Frame.Width;
    }
    r.Inflate(pw, pw);
    if (frame && t.AdjustFrame()) {
        int m = 0;
        for (const QString& l : lines)
            m = std::max(m, cv.TextWidth(l));
        m += 2 * pw;
        if (t.Alignment() == taLeftJustify) {
            r.Right = r.Left + m;
        } else if (t.Alignment() == taRightJustify) {
            r.Left = r.Right - m;
        } else {
            const int c = (r.Left + r.Right) / 2, half = 2 * pw + m / 2;
            r.Left = c - half;
            r.Right = c + half;
        }
    }
    if (frame) cv.Rectangle(r);
    cv.SetBackgroundMode(TRANSPARENT);
    t.TitleRect = r;
    auto xOf = [&](const QString& l) {
        if (t.Alignment() == taLeftJustify) return x0;
        if (t.Alignment() == taRightJustify) return x1 - cv.TextWidth(l);
        return (x0 + x1) / 2 - cv.TextWidth(l) / 2;
    };
    for (int k = 0; k < n; ++k) {
        const QString& l = lines[atTop ? k : n - 1 - k];
        if (atTop) {
            cv.TextOut(xOf(l), y, l);
            y += h;
        } else {
            cv.TextOut(xOf(l), y - h, l);
            y -= h;
        }
    }
    if (frame) y += atTop ? 2 * pw : -2 * pw;
    if (atTop)
        PlotRect.Top = n > 0 ? y + 5 : y;
    else
        PlotRect.Bottom = n > 0 ? y - 5 : y;
    RecalcPlotSize();
}

void TCustomChart::ApplyWall(TChartWall& w) {
    TTeeCanvas3D& cv = Canvas();
    cv.ApplyPen(w.Pen);
    if (w.Color() == AutoColor && w.Brush().Style == bsSolid)
        cv.Brush().Style = bsClear;
    else
        ApplyBrush(w.Color(), w.Brush().Style, w.Brush().Color);
}

void TCustomChart::DrawWalls() {
    ApplyWall(BackWall);
    if (!View3D()) {
        // One pixel wider than the plot to the right, so that the frame
        // stands where the right axis line is drawn.
        Canvas().Rectangle(PlotRect.Left, PlotRect.Top, PlotRect.Right + 1, PlotRect.Bottom);
        if (!FBackImage.isNull() && FBackImageInside) DrawBackImage(PlotRect);
    }
}

// ---------------------------------------------------------------- zoom

void TCustomChart::ZoomRect(const TRect& r) {
    for (TChartAxis* a : {LeftAxis(), RightAxis(), TopAxis(), BottomAxis()}) {
        const double v0 = a->PixelToValue(a->IsHorizontal() ? r.Left : r.Top);
        const double v1 = a->PixelToValue(a->IsHorizontal() ? r.Right : r.Bottom);
        // Both ends at once: setting one after the other can pass the old
        // other end and be refused half way.
        a->SetMinMax(std::min(v0, v1), std::max(v0, v1));
    }
    Invalidate();
}

void TCustomChart::ZoomToDragRect() {
    ZoomRect(TRect{Zoom.X0, Zoom.Y0, Zoom.X1, Zoom.Y1});
    CallEvent(OnZoom, this);
}

void TCustomChart::UndoZoom() {
    for (TChartAxis* a : {LeftAxis(), RightAxis(), TopAxis(), BottomAxis()})
        a->SetAutomatic(true);
    Invalidate();
    CallEvent(OnUndoZoom, this);
}

void TCustomChart::panBy(int dx, int dy) {
    const bool h = FAllowPanning == pmHorizontal || FAllowPanning == pmBoth;
    const bool v = FAllowPanning == pmVertical || FAllowPanning == pmBoth;
    for (TChartAxis* a : {LeftAxis(), RightAxis(), TopAxis(), BottomAxis()}) {
        if (a->IsHorizontal() ? !h : !v) continue;
        const int base = a->IsHorizontal() ? PlotRect.Left : PlotRect.Top;
        const int d = a->IsHorizontal() ? dx : dy;
        if (d == 0) continue;
        const double shift = a->PixelToValue(base + d) - a->PixelToValue(base);
        a->SetMinMax(a->RangeMin - shift, a->RangeMax - shift);
    }
    Invalidate();
    CallEvent(OnScroll, this);
}

void TCustomChart::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton && FAllowZoom)
        Zoom.Activate(p.x(), p.y());
    else if (e->button() == Qt::RightButton && FAllowPanning != pmNone)
        Panning.Activate(p.x(), p.y());
    TCustomAxisPanel::mousePressEvent(e);
}

void TCustomChart::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (Zoom.Active) {
        Zoom.X1 = p.x();
        Zoom.Y1 = p.y();
        Invalidate();
    } else if (Panning.Active) {
        const int dx = p.x() - Panning.X1, dy = p.y() - Panning.Y1;
        Panning.X1 = p.x();
        Panning.Y1 = p.y();
        panBy(dx, dy);
    }
    TCustomAxisPanel::mouseMoveEvent(e);
}

void TCustomChart::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (Zoom.Active && e->button() == Qt::LeftButton) {
        Zoom.X1 = p.x();
        Zoom.Y1 = p.y();
        Zoom.Active = false;
        if (std::abs(Zoom.X1 - Zoom.X0) > kZoomThreshold &&
            std::abs(Zoom.Y1 - Zoom.Y0) > kZoomThreshold) {
            if (Zoom.X1 > Zoom.X0 && Zoom.Y1 > Zoom.Y0)
                ZoomToDragRect();
            else
                UndoZoom();
        }
        Invalidate();
    } else if (Panning.Active && e->button() == Qt::RightButton) {
        Panning.Active = false;
    }
    TCustomAxisPanel::mouseReleaseEvent(e);
}
