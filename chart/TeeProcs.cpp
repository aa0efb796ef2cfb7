#include "TeeProcs.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

TCustomTeePanel::TCustomTeePanel(QWidget* parent) : TCustomPanel(parent) {
    FView3DOptions.OnChange = [this] { Invalidate(); };
    FCanvas.OnInvalidate = [this] { Invalidate(); };
    FSavedCursor = cursor().shape();
    Ready = true;
}

TCustomTeePanel::~TCustomTeePanel() {
    Ready = false;
    FView3DOptions.OnChange = nullptr;
    FCanvas.OnInvalidate = nullptr;
}

void TCustomTeePanel::Assign(const TCustomTeePanel& o) {
    FCanvas.SetBuffered(o.FCanvas.Buffered());
    FMarginLeft = o.FMarginLeft;
    FMarginTop = o.FMarginTop;
    FMarginRight = o.FMarginRight;
    FMarginBottom = o.FMarginBottom;
    SetMonochrome(o.Monochrome());
    FView3D = o.FView3D;
    FView3DOptions.Assign(o.FView3DOptions);
    Invalidate();
}

void TCustomTeePanel::Invalidate() {
    if (!Ready) return;
    ++FInvalidateCount;
    FCanvas.MarkDirty();
    update();
}

void TCustomTeePanel::paintEvent(QPaintEvent*) {
    if (FIsPrinting) return;
    QPainter painter(this);
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (ratio != FCanvas.DevicePixelRatio()) {
        // A buffer made for another screen would be blurred or too small.
        FCanvas.SetDevicePixelRatio(ratio);
        if (FCanvas.Buffered()) {
            FCanvas.SetBuffered(false);
            FCanvas.SetBuffered(true);
        }
    }
    FCanvas.AttachPainter(&painter);
    if (!FCanvas.RepaintFromBuffer()) Draw(&painter, ClientRect());
    FCanvas.AttachPainter(nullptr);
}

void TCustomTeePanel::resizeEvent(QResizeEvent* e) {
    // The buffer keeps its size, so a new size needs a new buffer.
    if (FCanvas.Buffered()) {
        FCanvas.SetBuffered(false);
        FCanvas.SetBuffered(true);
    } else {
        FCanvas.MarkDirty();
    }
    TCustomPanel::resizeEvent(e);
}

void TCustomTeePanel::leaveEvent(QEvent* e) {
    setCursor(FSavedCursor);
    TCustomPanel::leaveEvent(e);
}

void TCustomTeePanel::Draw(QPainter* userCanvas, const TRect& userRect) {
    ChartBounds = FCanvas.BeginDraw(userCanvas, &FView3DOptions, FView3D, userRect);
    // The control's painter lives only as long as its paint, so the canvas
    // goes back to measuring only; a paint attaches its painter itself.
    if (!FCanvas.Drawing()) {
        FCanvas.AttachPainter(nullptr);
        return;
    }
    const int w = ChartBounds.Width(), h = ChartBounds.Height();
    const int b = BorderWidth();
    PlotRect = TRect{ChartBounds.Left + b + MulDiv(FMarginLeft, w, 100),
                     ChartBounds.Top + b + MulDiv(FMarginTop, h, 100),
                     ChartBounds.Right - b - MulDiv(FMarginRight, w, 100),
                     ChartBounds.Bottom - b - MulDiv(FMarginBottom, h, 100)};
    RecalcPlotSize();
    ++FDrawCount;
    DrawChart(ChartBounds);
    FCanvas.EndDraw(userCanvas, nullptr, userRect);
}

void TCustomTeePanel::RecalcPlotSize() {
    PlotRect.Left = std::max(PlotRect.Left, ChartBounds.Left);
    PlotRect.Top = std::max(PlotRect.Top, ChartBounds.Top);
    if (PlotRect.Left > PlotRect.Right)
        PlotRect.Right = PlotRect.Left + 1;
    else if (PlotRect.Left == PlotRect.Right)
        PlotRect.Right = PlotRect.Left + width();
    if (PlotRect.Top > PlotRect.Bottom)
        PlotRect.Bottom = PlotRect.Top + 1;
    else if (PlotRect.Top == PlotRect.Bottom)
        PlotRect.Bottom = PlotRect.Top + height();
    PlotWidth = PlotRect.Right - PlotRect.Left;
    PlotHeight = PlotRect.Bottom - PlotRect.Top;
    PlotXCenter = (PlotRect.Left + PlotRect.Right) / 2;
    PlotYCenter = (PlotRect.Top + PlotRect.Bottom) / 2;
}

void TCustomTeePanel::ApplyFont(const TFont& font) {
    // Every font of the window is laid out at the same resolution, so the
    // copy needs no conversion.
    FCanvas.Font().Assign(font);
}

void TCustomTeePanel::ApplyBrush(TColor color, TBrushStyle style, TColor backColor) {
    if (style != bsSolid && color == backColor) color = backColor == clBlack ? clWhite : clBlack;
    FCanvas.Brush().Color = color;
    FCanvas.Brush().Style = style;
    if (style == bsSolid) {
        FCanvas.SetBackgroundMode(TRANSPARENT);
    } else {
        FCanvas.SetBackgroundMode(OPAQUE);
        FCanvas.SetBackgroundColor(static_cast<TColor>(ColorToRGB(backColor)));
    }
}

void TCustomTeePanel::DrawPanelFrame(const TRect& rect) {
    TRect r = rect;
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        const TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor bottom = cut == bvRaised ? clBtnShadow : clBtnHighlight;
        FCanvas.BevelFrame(r, top, bottom, BevelWidth());
        r.Inflate(-BevelWidth(), -BevelWidth());
    };
    bevel(BevelOuter());
    FCanvas.BevelFrame(r, Color(), Color(), BorderWidth());
    r.Inflate(-BorderWidth(), -BorderWidth());
    bevel(BevelInner());
}

void TCustomTeePanel::DrawZoomRectangle() {
    const TColor c = static_cast<TColor>(ColorToRGB(Color()));
    FCanvas.Pen().Color = c == clWhite ? clRed : c;
    FCanvas.PenMode = pmNotXor;
    FCanvas.Pen().Style = psSolid;
    FCanvas.Pen().Width = 1;
    FCanvas.Brush().Style = bsClear;
    FCanvas.Rectangle(Zoom.X0, Zoom.Y0, Zoom.X1, Zoom.Y1);
}

TChartFontObject::TChartFontObject(TCustomTeePanel* panel)
    : FPanel(panel), FFont(DefaultChartFont()) {
    FFont.OnChange = [this] {
        if (FPanel) FPanel->ChartChanged();
    };
}
