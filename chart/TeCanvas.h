#pragma once
#include "Canvas.h"
#include "Change.h"
#include "Font.h"
#include "TColor.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <functional>
#include <memory>
#include <vector>

class TGlyphCache;

class QPainter;

// The chart picks the colour (series palette, or per-point palette).
constexpr TColor AutoColor = static_cast<TColor>(0x80000000u);

// Multiply then divide through 64 bits, halves rounded away from zero. A zero
// divisor or a quotient outside 32 bits has no answer: -1.
int MulDiv(int a, int b, int c);

enum TPenMode { pmCopy, pmNotXor };
enum TGradientDirection {
    gdTopBottom,
    gdBottomTop,
    gdLeftRight,
    gdRightLeft,
    gdFromCenter,
    gdFromTopLeft,
    gdFromBottomLeft
};

// A pen with a visibility flag; every change of an attribute raises OnChange,
// which the owner routes to a repaint of the chart.
class TChartPen : public TPen {
public:
    TChartPen() = default;
    TChartPen(TColor color, int width, TPenStyle style, bool visible = true);
    TChartPen(const TChartPen& o) : TPen(o), Visible(o.Visible), Mode(o.Mode) {}
    TChartPen& operator=(const TChartPen& o) {
        Assign(o);
        return *this;
    }

    bool Visible = true;
    TPenMode Mode = pmCopy;
    std::function<void()> OnChange;

    // Copies Visible, then the pen attributes; the change handler stays.
    void Assign(const TChartPen& o);
    void SetColor(TColor v) { set(Color, v); }
    void SetWidth(int v) { set(Width, v); }
    void SetStyle(TPenStyle v) { set(Style, v); }
    void SetVisible(bool v) { set(Visible, v); }
    void SetMode(TPenMode v) { set(Mode, v); }

private:
    // Stores a property; only a real change notifies.
    template <class T, class U> void set(T& field, U&& v) {
        if (Change(field, std::forward<U>(v))) changed();
    }
    void changed() {
        if (OnChange) OnChange();
    }
};

class TChartHiddenPen : public TChartPen {
public:
    TChartHiddenPen() { Visible = false; }
};

class TDottedGrayPen : public TChartPen {
public:
    TDottedGrayPen() {
        Color = clGray;
        Style = psDot;
    }
};

class TDarkGrayPen : public TChartPen {
public:
    TDarkGrayPen() { Color = clGray; }
};

// The view's plain settings, so that Assign copies them in one step.
struct TView3DSettings {
    int FElevation = 345;
    int FHorizOffset = 0;
    bool FOrthogonal = true;
    int FRotation = 345;
    int FTilt = 0;
    int FVertOffset = 0;
    int FZoom = 100;
};

// How a 3D chart is looked at; only a 3D chart reads these.
class TView3DOptions : private TView3DSettings {
public:
    std::function<void()> OnChange;
    int Elevation() const { return FElevation; }
    int HorizOffset() const { return FHorizOffset; }
    bool Orthogonal() const { return FOrthogonal; }
    int Rotation() const { return FRotation; }
    int Tilt() const { return FTilt; }
    int VertOffset() const { return FVertOffset; }
    int Zoom() const { return FZoom; }
    void SetElevation(int v) { set(FElevation, v); }
    void SetHorizOffset(int v) { set(FHorizOffset, v); }
    void SetOrthogonal(bool v) { set(FOrthogonal, v); }
    void SetRotation(int v) { set(FRotation, v); }
    void SetTilt(int v) { set(FTilt, v); }
    void SetVertOffset(int v) { set(FVertOffset, v); }
    void SetZoom(int v) { set(FZoom, v); }
    void Assign(const TView3DOptions& o);

private:
    template <class T> void set(T& field, T v) {
        if (Change(field, v) && OnChange) OnChange();
    }
};

// The chart's default font: the Japanese proportional serif face at 9 points.
TFont DefaultChartFont();
bool IsDefaultChartFont(const TFont& f);

// Device text alignment flags.
enum : unsigned { TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8 };
enum { TRANSPARENT = 1, OPAQUE = 2 };

// The 2D drawing interface of the chart over a wrapped toolkit canvas. Pen,
// Brush and Font are the wrapped canvas's own objects.
class TTeeCanvas {
public:
    TTeeCanvas() = default;
    virtual ~TTeeCanvas() = default;
    TTeeCanvas(const TTeeCanvas&) = delete;
    TTeeCanvas& operator=(const TTeeCanvas&) = delete;

    void AttachCanvas(TCanvas* canvas);
    TCanvas* ReferenceCanvas() const { return FCanvas; }
    TPen& Pen() { return FCanvas->Pen; }
    TBrush& Brush() { return FCanvas->Brush; }
    TFont& Font() { return FCanvas->Font; }

    virtual TColor BackgroundColor() const { return FBackColor; }
    virtual int BackgroundMode() const { return FBackMode; }
    virtual QPainter* Handle() const;
    virtual bool Monochrome() const = 0;
    virtual unsigned TextAlignment() const { return FTextAlign; }
    virtual bool Buffered() const = 0;
    virtual void SetBackgroundColor(TColor c) { FBackColor = c; }
    virtual void SetBackgroundMode(int m) { FBackMode = m; }
    virtual void SetMonochrome(bool v) = 0;
    virtual void PutPixel(int x, int y, TColor c) = 0;
    virtual void SetTextAlignment(unsigned a) { FTextAlign = a; }
    virtual void SetBuffered(bool v) = 0;
    virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    virtual void DrawGraphic(int x, int y, const QImage& g) = 0;
    virtual void Ellipse(int x0, int y0, int x1, int y1) = 0;
    virtual void FillRect(const TRect& r) = 0;
    virtual void BevelFrame(const TRect& r, TColor top, TColor bottom, int width) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    virtual void Rectangle(int x0, int y0, int x1, int y1) = 0;
    virtual void RoundRect(int x0, int y0, int x1, int y1, int x2, int y2) = 0;
    virtual void StretchGraphic(const TRect& r, const QImage& g) = 0;
    virtual void TextOut(int x, int y, const QString& text) = 0;
    virtual int TextWidth(const QString& text) = 0;
    virtual int TextHeight(const QString& text) = 0;
    virtual void ClipToRect(const TRect& r) = 0;
    virtual void HorizontalLine(int x0, int x1, int y) = 0;
    virtual void Rectangle(const TRect& r) = 0;
    virtual void VerticalLine(int x, int y0, int y1) = 0;
    virtual void EraseRect(const TRect& r) = 0;
    virtual void FillGradient(const TRect& r, TColor from, TColor to, TGradientDirection d) = 0;
    virtual void MarkDirty() = 0;
    virtual void Line(int x0, int y0, int x1, int y1) = 0;
    virtual void Polygon(const std::vector<QPoint>& points, int lastIndex) = 0;
    virtual void TextOutRotated(int x, int y, const QString& text, int angle) = 0;
    virtual void ClearClip() = 0;

    // Pen black, width 1, solid; brush white, solid; font black, size 10;
    // background white and opaque.
    void ResetState();
    // An invisible pen only clears the style; a visible one is copied.
    void ApplyPen(const TChartPen& pen);
    int FontHeight() { return TextHeight(QStringLiteral("W")); }

    // How the pen combines with the pixels below (the toolkit pen has none).
    TPenMode PenMode = pmCopy;

protected:
    TCanvas* FCanvas = nullptr;
    TColor FBackColor = clWhite;
    int FBackMode = OPAQUE;
    unsigned FTextAlign = TA_LEFT | TA_TOP;
};

// Operations that also take a depth coordinate.
class TCanvas3D : public TTeeCanvas {
public:
    virtual void PutPixel3D(int x, int y, int z, TColor c) = 0;
    virtual QPoint Unproject(int x, int y, int z) const = 0;
    virtual QPoint Project(int x, int y, int z) const = 0;
    virtual TRect BeginDraw(QPainter* dest, TView3DOptions* options, bool is3D,
                            const TRect& userRect) = 0;
    virtual void SetProjection(int depth, const TRect& bounds, const TRect& plot) = 0;
    virtual void EndDraw(QPainter* dest, QPainter* control, const TRect& userRect) = 0;
    virtual bool RepaintFromBuffer() = 0;
    virtual void ClipPlotBox(const TRect& r, int z0, int z1) = 0;
    virtual void Disable3D() = 0;
    virtual void Restore3D() = 0;
    virtual void MoveTo3D(int x, int y, int z) = 0;
    virtual void LineTo3D(int x, int y, int z) = 0;
    virtual void RectangleAtDepth(const TRect& r, int z) = 0;
    virtual void TextOutRotated3D(int x, int y, int z, const QString& text, int angle) = 0;
    virtual void TextOut3D(int x, int y, int z, const QString& text) = 0;
};

// The chart's drawing canvas: by default it composes the chart in an
// off-screen image and copies it to the screen in one piece, remembering
// whether that image still shows the current chart.
class TTeeCanvas3D : public TCanvas3D {
public:
    TTeeCanvas3D();
    ~TTeeCanvas3D() override;

    bool Monochrome() const override { return FMonochrome; }
    bool Buffered() const override { return FBuffered; }
    void SetMonochrome(bool v) override;
    void SetBuffered(bool v) override;
    bool Dirty() const { return FDirty; }
    bool Is3D() const { return FIs3D; }
    // Pixels of the buffer per logical pixel, for sharp high-resolution screens.
    void SetDevicePixelRatio(qreal r) { FRatio = r > 0 ? r : 1.0; }
    qreal DevicePixelRatio() const { return FRatio; }
    QImage* Buffer() { return FBuffer.get(); }
    // Set by the owner: called when Monochrome changes (invalidates the panel).
    std::function<void()> OnInvalidate;

    void PutPixel(int x, int y, TColor c) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void DrawGraphic(int x, int y, const QImage& g) override;
    void Ellipse(int x0, int y0, int x1, int y1) override;
    void FillRect(const TRect& r) override;
    void BevelFrame(const TRect& r, TColor top, TColor bottom, int width) override;
    void LineTo(int x, int y) override;
    void MoveTo(int x, int y) override;
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void Rectangle(int x0, int y0, int x1, int y1) override;
    void RoundRect(int x0, int y0, int x1, int y1, int x2, int y2) override;
    void StretchGraphic(const TRect& r, const QImage& g) override;
    void TextOut(int x, int y, const QString& text) override;
    int TextWidth(const QString& text) override;
    int TextHeight(const QString& text) override;
    void ClipToRect(const TRect& r) override;
    void HorizontalLine(int x0, int x1, int y) override;
    void Rectangle(const TRect& r) override;
    void VerticalLine(int x, int y0, int y1) override;
    void EraseRect(const TRect& r) override;
    void FillGradient(const TRect& r, TColor from, TColor to, TGradientDirection d) override;
    void MarkDirty() override { FDirty = true; }
    void Line(int x0, int y0, int x1, int y1) override;
    void Polygon(const std::vector<QPoint>& points, int lastIndex) override;
    void TextOutRotated(int x, int y, const QString& text, int angle) override;
    void ClearClip() override;

    void PutPixel3D(int x, int y, int z, TColor c) override;
    QPoint Unproject(int x, int y, int) const override { return {x, y}; }
    QPoint Project(int x, int y, int) const override { return {x, y}; }
    TRect BeginDraw(QPainter* dest, TView3DOptions* options, bool is3D,
                    const TRect& userRect) override;
    void SetProjection(int depth, const TRect& bounds, const TRect& plot) override;
    void EndDraw(QPainter* dest, QPainter* control, const TRect& userRect) override;
    bool RepaintFromBuffer() override;
    void ClipPlotBox(const TRect& r, int z0, int z1) override;
    void Disable3D() override {
        FSaved3D = FIs3D;
        FIs3D = false;
    }
    void Restore3D() override { FIs3D = FSaved3D; }
    void MoveTo3D(int x, int y, int z) override;
    void LineTo3D(int x, int y, int z) override;
    void RectangleAtDepth(const TRect& r, int z) override;
    void TextOutRotated3D(int x, int y, int z, const QString& text, int angle) override;
    void TextOut3D(int x, int y, int z, const QString& text) override;

    void CopySettings(const TTeeCanvas3D& o) { SetMonochrome(o.Monochrome()); }
    // Attaches a canvas over the given painter (the control's, during a paint).
    void AttachPainter(QPainter* painter);
    // Draws straight into a buffer that still shows the chart, outside a
    // paint; false when there is no such buffer.
    bool BeginBufferDraw();
    void EndBufferDraw();
    // Whether BeginDraw gave a rectangle to draw in.
    bool Drawing() const { return FDrawing; }
    // The clipping rectangle in force, or none (the whole device).
    const TRect* ClipRect() const { return FClipped ? &FClip : nullptr; }

    int ProjectionCenterX() const { return FXCenter; }
    int ProjectionCenterY() const { return FYCenter; }

private:
    // One step of FillGradient: colour k of n between the two colours.
    static TColor GradientStep(uint32_t from, int dr, int dg, int db, int k, int n);
    void gradientBands(const TRect& r, uint32_t from, int dr, int dg, int db, bool vertical);
    void gradientCenter(const TRect& r, uint32_t from, int dr, int dg, int db);
    void gradientCorner(const TRect& r, uint32_t from, int dr, int dg, int db, bool top);
    void patFill(const TRect& r, TColor c);
    // Runs a toolkit drawing call with the pen mode in force.
    template <class F> void withPenMode(F f);
    void freeBuffer();
    // The Qt font and metrics of the current canvas font, made again only
    // when the font changes: axis labels measure and draw many texts a paint.
    const QFontMetrics& metrics();

    TFont FMetricsFont;
    std::unique_ptr<QFont> FQFont;
    std::unique_ptr<QFontMetrics> FMetrics;
    // The process's glyph cache of that font.
    TGlyphCache* FGlyphs = nullptr;

    // Stands in for the device between paints; declared first so that the
    // painter on it goes before it.
    QImage FScratch{1, 1, QImage::Format_RGB32};
    std::unique_ptr<QImage> FBuffer;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<TCanvas> FOwnCanvas;
    TView3DOptions* FOptions = nullptr;
    bool FMetafiling = false;
    int FXCenter = 0, FYCenter = 0, FZCenter = 0;
    int FXCenterOffset = 0, FYCenterOffset = 0;
    double FZoomFactor = 1.0;
    bool FSaved3D = true;
    bool FIs3D = true;
    bool FIsOrthogonal = true;
    bool FBuffered = true;
    bool FMonochrome = false;
    bool FDirty = true;
    bool FDrawing = false;
    bool FClipped = false;
    TRect FClip;
    TRect FUserRect;
    qreal FRatio = 1.0;
};
