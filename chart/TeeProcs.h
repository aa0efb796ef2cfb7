#pragma once
#include "Change.h"
#include "Panel.h"
#include "TeCanvas.h"

class QPainter;
class QPaintEvent;
class QResizeEvent;

// The state of one mouse drag over the chart (zoom or panning).
struct TZoomPanning {
    bool Active = false;
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    void Activate(int x, int y) {
        Active = true;
        X0 = X1 = x;
        Y0 = Y1 = y;
    }
};

// The windowed base of the chart: owns the drawing canvas, turns a paint into
// one buffered drawing of the whole chart and keeps the plot rectangle.
class TCustomTeePanel : public TCustomPanel {
    Q_OBJECT
public:
    explicit TCustomTeePanel(QWidget* parent = nullptr);
    ~TCustomTeePanel() override;

    TTeeCanvas3D& Canvas() { return FCanvas; }
    TView3DOptions& View3DOptions() { return FView3DOptions; }

    // Drawn by the descendants, between the canvas's BeginDraw and EndDraw.
    virtual void DrawChart(const TRect& chartBounds) = 0;
    // Target of every chart sub-object's change event.
    virtual void ChartChanged() { Invalidate(); }
    // Draws the whole chart onto a painter inside a rectangle.
    virtual void Draw(QPainter* userCanvas, const TRect& userRect);
    // Gives the font the canvas font's resolution and copies it in.
    virtual void ApplyFont(const TFont& font);
    void ApplyBrush(TColor color, TBrushStyle style, TColor backColor);
    void DrawPanelFrame(const TRect& rect);
    void DrawZoomRectangle();
    void RecalcPlotSize();

    // Marks the buffer stale and schedules a paint.
    void Invalidate();
    int InvalidateCount() const { return FInvalidateCount; }
    // Number of full drawings so far (a repaint from the buffer is none).
    int DrawCount() const { return FDrawCount; }

    int MarginLeft() const { return FMarginLeft; }
    int MarginTop() const { return FMarginTop; }
    int MarginRight() const { return FMarginRight; }
    int MarginBottom() const { return FMarginBottom; }
    void SetMarginLeft(int v) { setInvalidating(FMarginLeft, v); }
    void SetMarginTop(int v) { setInvalidating(FMarginTop, v); }
    void SetMarginRight(int v) { setInvalidating(FMarginRight, v); }
    void SetMarginBottom(int v) { setInvalidating(FMarginBottom, v); }
    bool View3D() const { return FView3D; }
    void SetView3D(bool v) { setInvalidating(FView3D, v); }
    bool Monochrome() const { return FCanvas.Monochrome(); }
    void SetMonochrome(bool v) { FCanvas.SetMonochrome(v); }
    bool IsPrinting() const { return FIsPrinting; }
    void Assign(const TCustomTeePanel& o);

    bool Ready = false;
    TRect ChartBounds;
    TRect PlotRect;
    int PlotWidth = 0, PlotHeight = 0;
    int PlotXCenter = 0, PlotYCenter = 0;
    int Depth3D = 0;
    TZoomPanning Zoom;
    TZoomPanning Panning;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void leaveEvent(QEvent* e) override;
    template <class T> void setInvalidating(T& field, T v) {
        if (Change(field, v)) Invalidate();
    }

private:
    TTeeCanvas3D FCanvas;
    TView3DOptions FView3DOptions;
    int FMarginLeft = 3, FMarginTop = 4, FMarginRight = 3, FMarginBottom = 4;
    bool FView3D = true;
    bool FIsPrinting = false;
    Qt::CursorShape FSavedCursor = Qt::ArrowCursor;
    int FInvalidateCount = 0;
    int FDrawCount = 0;
};

// Base of every chart element that carries a font; the font's changes
// repaint the chart.
class TChartFontObject {
public:
    explicit TChartFontObject(TCustomTeePanel* panel);
    virtual ~TChartFontObject() = default;
    TChartFontObject(const TChartFontObject&) = delete;
    TChartFontObject& operator=(const TChartFontObject&) = delete;

    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& f) { FFont.Assign(f); }
    void Assign(const TChartFontObject& o) { FFont.Assign(o.FFont); }
    // Whether the layout would store the font (it differs from the default).
    bool IsFontStored() const { return !IsDefaultChartFont(FFont); }
    TCustomTeePanel* ParentChart() const { return FPanel; }

protected:
    // The setters of every font-carrying element: a real change repaints the
    // chart the element belongs to.
    template <class T> void set(T& field, const T& v) {
        if (Change(field, v) && FPanel) FPanel->ChartChanged();
    }

    TCustomTeePanel* FPanel;
    TFont FFont;
};
