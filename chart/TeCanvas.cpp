#include "TeCanvas.h"

#include "GlyphCache.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t p = static_cast<int64_t>(a) * b;
    const int64_t half = (c < 0 ? -static_cast<int64_t>(c) : c) / 2;
    // Halves away from zero: add half the divisor to the magnitude.
    const bool negative = (p < 0) != (c < 0);
    const int64_t mag = (p < 0 ? -p : p) + half;
    const int64_t q = mag / (c < 0 ? -static_cast<int64_t>(c) : c);
    const int64_t r = negative ? -q : q;
    if (r > INT32_MAX || r < INT32_MIN) return -1;
    return static_cast<int>(r);
}

// -------------------------------------------------------------------- pens

TChartPen::TChartPen(TColor color, int width, TPenStyle style, bool visible) : Visible(visible) {
    Color = color;
    Width = width;
    Style = style;
}

void TChartPen::Assign(const TChartPen& o) {
    const bool same = Visible == o.Visible && Color == o.Color && Width == o.Width &&
                      Style == o.Style && Mode == o.Mode;
    Visible = o.Visible;
    Color = o.Color;
    Width = o.Width;
    Style = o.Style;
    Mode = o.Mode;
    if (!same) changed();
}

void TView3DOptions::Assign(const TView3DOptions& o) {
    static_cast<TView3DSettings&>(*this) = o;
    if (OnChange) OnChange();
}

// -------------------------------------------------------------------- font

namespace {
const QString& ChartFontName() {
    static const QString name = QStringLiteral("ＭＳ Ｐ明朝");
    return name;
}
constexpr int kChartFontSize = 9;
} // namespace

TFont DefaultChartFont() {
    // The face is asked for by its Japanese name; the toolkit draws it with
    // the IPA proportional Mincho, the same design family (InstalledFace).
    TFont f(ChartFontName(), -15, clBlack, 0);
    f.SetSize(kChartFontSize);
    return f;
}

bool IsDefaultChartFont(const TFont& f) {
    return f.Size() == kChartFontSize && f.Name == ChartFontName() && f.Color == clBlack &&
           f.Style == 0;
}

// ------------------------------------------------------------ 2D canvas

QPainter* TTeeCanvas::Handle() const {
    return FCanvas ? FCanvas->Handle() : nullptr;
}

void TTeeCanvas::AttachCanvas(TCanvas* canvas) {
    FCanvas = canvas;
}

void TTeeCanvas::ResetState() {
    Pen() = TPen{clBlack, 1, psSolid};
    PenMode = pmCopy;
    Brush() = TBrush{clWhite, bsSolid};
    Font().Color = clBlack;
    Font().SetSize(10);
    SetBackgroundColor(clWhite);
    SetBackgroundMode(OPAQUE);
}

void TTeeCanvas::ApplyPen(const TChartPen& pen) {
    if (!pen.Visible) {
        Pen().Style = psClear;
        return;
    }
    Pen() = static_cast<const TPen&>(pen);
    PenMode = pen.Mode;
}

// ------------------------------------------------------------ 3D canvas

TTeeCanvas3D::TTeeCanvas3D() {
    AttachPainter(nullptr);
}

TTeeCanvas3D::~TTeeCanvas3D() {
    FOwnCanvas.reset();
    FPainter.reset();
}

void TTeeCanvas3D::AttachPainter(QPainter* painter) {
    // The canvas restores its painter on destruction, so it goes first.
    FOwnCanvas.reset();
    FPainter.reset();
    if (!painter) {
        // Between paints text is still measured (axis layout, tests): a
        // scratch image stands in for the missing device.
        FPainter = std::make_unique<QPainter>(&FScratch);
        painter = FPainter.get();
    }
    FOwnCanvas = std::make_unique<TCanvas>(painter);
    AttachCanvas(FOwnCanvas.get());
    FClipped = false;
}

void TTeeCanvas3D::freeBuffer() {
    if (FBuffer && FPainter && FPainter->device() == FBuffer.get()) AttachPainter(nullptr);
    FBuffer.reset();
}

void TTeeCanvas3D::SetMonochrome(bool v) {
    if (v == FMonochrome) return;
    FMonochrome = v;
    freeBuffer();
    FDirty = true;
    if (OnInvalidate) OnInvalidate();
}

void TTeeCanvas3D::SetBuffered(bool v) {
    FBuffered = v;
    if (!v) {
        freeBuffer();
        FDirty = true;
    }
}

TRect TTeeCanvas3D::BeginDraw(QPainter* dest, TView3DOptions* options, bool is3D,
                              const TRect& userRect) {
    FUserRect = userRect;
    FOptions = options;
    FIs3D = is3D;
    FZoomFactor = 1.0;
    if (is3D && options) {
        FIsOrthogonal = options->Orthogonal();
        FZoomFactor = options->Zoom() * 0.01;
    }
    const int w = userRect.Width();
    const int h = userRect.Height();
    // A control without area has nothing to draw into; making a buffer of
    // that size would fail.
    FDrawing = w > 0 && h > 0;
    if (!FBuffered) {
        AttachPainter(dest);
        return userRect;
    }
    if (!FDrawing) return TRect{0, 0, 0, 0};
    if (!FBuffer) {
        FBuffer = std::make_unique<QImage>(static_cast<int>(std::lround(w * FRatio)),
                                           static_cast<int>(std::lround(h * FRatio)),
                                           QImage::Format_RGB32);
        FBuffer->setDevicePixelRatio(FRatio);
        FBuffer->fill(Qt::white);
    }
    FOwnCanvas.reset();
    FPainter = std::make_unique<QPainter>(FBuffer.get());
    FOwnCanvas = std::make_unique<TCanvas>(FPainter.get());
    AttachCanvas(FOwnCanvas.get());
    FClipped = false;
    return TRect{0, 0, w, h};
}

void TTeeCanvas3D::EndDraw(QPainter* dest, QPainter* control, const TRect& userRect) {
    if (FBuffered && FBuffer) {
        AttachPainter(nullptr);
        if (FMonochrome) {
            *FBuffer = FBuffer->convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
                           .convertToFormat(QImage::Format_RGB32);
            FBuffer->setDevicePixelRatio(FRatio);
        }
        if (dest) dest->drawImage(QPoint(userRect.Left, userRect.Top), *FBuffer);
        FDirty = false;
    }
    FDrawing = false;
    AttachPainter(control);
}

bool TTeeCanvas3D::RepaintFromBuffer() {
    if (FDirty || !FBuffer) return false;
    Handle()->drawImage(QPoint(0, 0), *FBuffer);
    return true;
}

bool TTeeCanvas3D::BeginBufferDraw() {
    if (FDirty || !FBuffer) return false;
    FOwnCanvas.reset();
    FPainter = std::make_unique<QPainter>(FBuffer.get());
    FOwnCanvas = std::make_unique<TCanvas>(FPainter.get());
    AttachCanvas(FOwnCanvas.get());
    FClipped = false;
    return true;
}

void TTeeCanvas3D::EndBufferDraw() {
    AttachPainter(nullptr);
}

template <class F> void TTeeCanvas3D::withPenMode(F f) {
    if (PenMode == pmCopy) {
        f();
        return;
    }
    QPainter* p = Handle();
    p->save();
    p->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    f();
    p->restore();
}

void TTeeCanvas3D::PutPixel(int x, int y, TColor c) {
    FCanvas->Pixel(x, y, c);
}

void TTeeCanvas3D::MoveTo(int x, int y) {
    FCanvas->MoveTo(x, y);
}

void TTeeCanvas3D::LineTo(int x, int y) {
    withPenMode([&] { FCanvas->LineTo(x, y); });
}

void TTeeCanvas3D::Line(int x0, int y0, int x1, int y1) {
    MoveTo(x0, y0);
    LineTo(x1, y1);
}

void TTeeCanvas3D::HorizontalLine(int x0, int x1, int y) {
    Line(x0, y, x1, y);
}

void TTeeCanvas3D::VerticalLine(int x, int y0, int y1) {
    Line(x, y0, x, y1);
}

void TTeeCanvas3D::Rectangle(int x0, int y0, int x1, int y1) {
    const TRect r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
    withPenMode([&] { FCanvas->Rectangle(r); });
}

void TTeeCanvas3D::Rectangle(const TRect& r) {
    Rectangle(r.Left, r.Top, r.Right, r.Bottom);
}

void TTeeCanvas3D::FillRect(const TRect& r) {
    FCanvas->FillRect(r);
}

void TTeeCanvas3D::EraseRect(const TRect& r) {
    FCanvas->FillRect(r);
}

namespace {
QPen QtPen(const TPen& p) {
    if (p.Style == psClear) return QPen(Qt::NoPen);
    QPen q(ToQColor(p.Color), std::max(p.Width, 1));
    q.setCosmetic(p.Width <= 1);
    return q;
}
QBrush QtBrush(const TBrush& b) {
    return b.Style == bsClear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(b.Color));
}
// Angle in sixteenths of a degree of a point seen from a centre, y down.
int QtAngle(double cx, double cy, int x, int y) {
    return static_cast<int>(std::lround(std::atan2(cy - y, x - cx) * 180.0 / M_PI * 16.0));
}
} // namespace

void TTeeCanvas3D::Ellipse(int x0, int y0, int x1, int y1) {
    QPainter* p = Handle();
    p->save();
    p->setPen(QtPen(Pen()));
    p->setBrush(QtBrush(Brush()));
    p->drawEllipse(QRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1));
    p->restore();
}

namespace {
// The start angle and the counter-clockwise span, in Qt's 1/16 degrees, of the
// arc from the ray through (x3, y3) to the ray through (x4, y4).
std::pair<int, int> ArcAngles(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
    const int a = QtAngle(cx, cy, x3, y3), b = QtAngle(cx, cy, x4, y4);
    int span = b - a;
    if (span <= 0) span += 360 * 16;
    return {a, span};
}
} // namespace

void TTeeCanvas3D::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    const auto [a, span] = ArcAngles(x1, y1, x2, y2, x3, y3, x4, y4);
    QPainter* p = Handle();
    p->save();
    p->setPen(QtPen(Pen()));
    p->drawArc(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), a, span);
    p->restore();
}

void TTeeCanvas3D::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    const auto [a, span] = ArcAngles(x1, y1, x2, y2, x3, y3, x4, y4);
    QPainter* p = Handle();
    p->save();
    p->setPen(QtPen(Pen()));
    p->setBrush(QtBrush(Brush()));
    p->drawPie(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), a, span);
    p->restore();
}

void TTeeCanvas3D::RoundRect(int x0, int y0, int x1, int y1, int x2, int y2) {
    QPainter* p = Handle();
    p->save();
    p->setPen(QtPen(Pen()));
    p->setBrush(QtBrush(Brush()));
    p->drawRoundedRect(QRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1), x2 / 2.0, y2 / 2.0);
    p->restore();
}

void TTeeCanvas3D::Polygon(const std::vector<QPoint>& points, int lastIndex) {
    const int n = std::min(lastIndex + 1, static_cast<int>(points.size()));
    if (n <= 0) return;
    QPainter* p = Handle();
    p->save();
    p->setPen(QtPen(Pen()));
    p->setBrush(QtBrush(Brush()));
    p->drawPolygon(points.data(), n);
    p->restore();
}

void TTeeCanvas3D::DrawGraphic(int x, int y, const QImage& g) {
    FCanvas->Draw(x, y, g);
}

void TTeeCanvas3D::StretchGraphic(const TRect& r, const QImage& g) {
    Handle()->drawImage(r.ToQRect(), g);
}

const QFontMetrics& TTeeCanvas3D::metrics() {
    if (!FMetrics || !FMetricsFont.SameAs(Font())) {
        FMetricsFont = Font();
        FQFont = std::make_unique<QFont>(FMetricsFont.ToQFont());
        FMetrics = std::make_unique<QFontMetrics>(*FQFont);
        FGlyphs = &TGlyphCache::For(*FQFont);
    }
    return *FMetrics;
}

void TTeeCanvas3D::TextOut(int x, int y, const QString& text) {
    const QFontMetrics& fm = metrics();
    // Axis labels are figures: placed from the glyph cache they skip the
    // shaper, which gives the same glyphs at the same places every time.
    const bool cached = FGlyphs->Covers(text);
    const int w = cached ? FGlyphs->Advance(text) : fm.horizontalAdvance(text);
    const unsigned h = FTextAlign & TA_CENTER;
    if (h == TA_CENTER)
        x -= w / 2;
    else if (h == TA_RIGHT)
        x -= w;
    if (FTextAlign & TA_BOTTOM) y -= fm.height();
    QPainter* p = Handle();
    if (FBackMode == OPAQUE && Brush().Style != bsClear)
        p->fillRect(QRect(x, y, w, fm.height()), ToQColor(FBackColor));
    // As the toolkit canvas draws text, with the font made once.
    // Only the font and the pen change: a whole save and restore of the
    // painter costs more than the figures of a label.
    const QFont oldFont = p->font();
    const QPen oldPen = p->pen();
    p->setFont(*FQFont);
    p->setPen(ToQColor(Font().Color));
    if (cached && p->transform().type() == QTransform::TxNone)
        FGlyphs->Draw(*p, QPointF(x, y + fm.ascent()), text);
    else
        p->drawText(x, y + fm.ascent(), text);
    p->setPen(oldPen);
    p->setFont(oldFont);
    FCanvas->MoveTo(x + w, y);
}

int TTeeCanvas3D::TextWidth(const QString& text) {
    return TextAdvance(metrics(), *FGlyphs, text);
}

int TTeeCanvas3D::TextHeight(const QString&) {
    return metrics().height();
}

void TTeeCanvas3D::TextOutRotated(int x, int y, const QString& text, int angle) {
    Brush().Style = bsClear;
    QPainter* p = Handle();
    p->save();
    p->translate(x, y);
    p->rotate(-angle);
    FCanvas->TextOut(0, 0, text);
    p->restore();
}

void TTeeCanvas3D::ClipToRect(const TRect& r) {
    FCanvas->SetClipRect(r);
    FClip = r;
    FClipped = true;
}

void TTeeCanvas3D::ClearClip() {
    FCanvas->ClearClip();
    FClipped = false;
}

void TTeeCanvas3D::ClipPlotBox(const TRect& r, int, int) {
    ClipToRect(TRect{r.Left + 1, r.Top + 1, r.Right, r.Bottom - 1});
}

void TTeeCanvas3D::BevelFrame(const TRect& rect, TColor top, TColor bottom, int width) {
    TRect r = rect;
    Pen().Width = 1;
    Pen().Style = psSolid;
    r.Right -= 1;
    r.Bottom -= 1;
    for (int i = 0; i < width; ++i) {
        Pen().Color = top;
        MoveTo(r.Left, r.Bottom);
        LineTo(r.Left, r.Top);
        LineTo(r.Right, r.Top);
        Pen().Color = bottom;
        MoveTo(r.Right, r.Top);
        LineTo(r.Right, r.Bottom);
        LineTo(r.Left - 1, r.Bottom);
        r.Inflate(-1, -1);
    }
}

// ------------------------------------------------------------ gradient

TColor TTeeCanvas3D::GradientStep(uint32_t from, int dr, int dg, int db, int k, int n) {
    const int r = (static_cast<int>(from & 0xFF) + MulDiv(k, dr, n)) & 0xFF;
    const int g = (static_cast<int>((from >> 8) & 0xFF) + MulDiv(k, dg, n)) & 0xFF;
    const int b = (static_cast<int>((from >> 16) & 0xFF) + MulDiv(k, db, n)) & 0xFF;
    return col::rgb(r, g, b);
}

void TTeeCanvas3D::patFill(const TRect& r, TColor c) {
    FCanvas->FillRect(r, c);
}

void TTeeCanvas3D::gradientBands(const TRect& r, uint32_t from, int dr, int dg, int db,
                                 bool vertical) {
    const int size = vertical ? r.Bottom - r.Top + 1 : r.Right - r.Left + 1;
    const int n = std::min(size, 256);
    for (int i = 0; i <= n - 2; ++i) {
        const TColor c = GradientStep(from, dr, dg, db, i, n - 1);
        const int s = MulDiv(i, size, n);
        // The last band runs to the far edge: over 256 pixels the rounded
        // band ends would stop short of it and leave rows unpainted.
        const int e = i == n - 2 ? size - 1 : MulDiv(i + 1, size, n);
        if (vertical)
            patFill(TRect{r.Left, r.Bottom - e, r.Right, r.Bottom - s}, c);
        else
            patFill(TRect{r.Right - e, r.Top, r.Right - s, r.Bottom}, c);
    }
}

void TTeeCanvas3D::gradientCenter(const TRect& r, uint32_t from, int dr, int dg, int db) {
    Brush().Style = bsClear;
    const int hw = r.Width() / 2, hh = r.Height() / 2;
    int i = 0, j = 0;
    do {
        Pen().Color = GradientStep(from, dr, dg, db, j, hw);
        Rectangle(r.Left + j, r.Top + i, r.Right - j, r.Bottom - i);
        if (i < hh) ++i;
        if (j < hw) ++j;
    } while (!(i == hh && j == hw));
}

void TTeeCanvas3D::gradientCorner(const TRect& r, uint32_t from, int dr, int dg, int db, bool top) {
    const int w = r.Width(), h = r.Height();
    const int edge = top ? r.Top : r.Bottom;
    int i = 0, j = 0;
    do {
        Pen().Color = GradientStep(from, dr, dg, db, j, w);
        const int y = top ? r.Top + i : r.Bottom - i;
        MoveTo(r.Left, y);
        LineTo(r.Left + j, y);
        LineTo(r.Left + j, edge);
        if (i < h) ++i;
        if (j < w) ++j;
    } while (!(i == h && j == w));
}

void TTeeCanvas3D::FillGradient(const TRect& rect, TColor fromColor, TColor toColor,
                                TGradientDirection d) {
    TRect r = rect;
    if (r.Right < r.Left) std::swap(r.Left, r.Right);
    if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
    const uint32_t from = ColorToRGB(fromColor), to = ColorToRGB(toColor);
    auto delta = [&](int shift) {
        return static_cast<int>((to >> shift) & 0xFF) - static_cast<int>((from >> shift) & 0xFF);
    };
    const int dr = delta(0), dg = delta(8), db = delta(16);
    // Under two pixels there are no steps to divide the colours into.
    if (r.Width() < 2 || r.Height() < 2) {
        patFill(r, fromColor);
        return;
    }
    switch (d) {
    case gdTopBottom:
    case gdBottomTop:
        gradientBands(r, from, dr, dg, db, true);
        break;
    case gdLeftRight:
    case gdRightLeft:
        gradientBands(r, from, dr, dg, db, false);
        break;
    case gdFromCenter:
        gradientCenter(r, from, dr, dg, db);
        break;
    case gdFromTopLeft:
    case gdFromBottomLeft:
        gradientCorner(r, from, dr, dg, db, d == gdFromTopLeft);
        break;
    }
}

// ------------------------------------------------------------ 3D forms

void TTeeCanvas3D::SetProjection(int depth, const TRect&, const TRect& plot) {
    FXCenter = (plot.Left + plot.Right) / 2;
    FYCenter = (plot.Top + plot.Bottom) / 2;
    FXCenterOffset = FXCenter + (FOptions ? FOptions->HorizOffset() : 0);
    FYCenterOffset = FYCenter + (FOptions ? FOptions->VertOffset() : 0);
    FZCenter = depth / 2;
}

void TTeeCanvas3D::PutPixel3D(int x, int y, int z, TColor c) {
    const QPoint p = Project(x, y, z);
    if (Pen().Width == 1) {
        PutPixel(p.x(), p.y(), c);
    } else {
        MoveTo(p.x(), p.y());
        LineTo(p.x(), p.y());
    }
}

void TTeeCanvas3D::MoveTo3D(int x, int y, int z) {
    const QPoint p = Project(x, y, z);
    MoveTo(p.x(), p.y());
}

void TTeeCanvas3D::LineTo3D(int x, int y, int z) {
    const QPoint p = Project(x, y, z);
    LineTo(p.x(), p.y());
}

void TTeeCanvas3D::RectangleAtDepth(const TRect& r, int z) {
    Polygon({Project(r.Left, r.Top, z), Project(r.Right, r.Top, z), Project(r.Right, r.Bottom, z),
             Project(r.Left, r.Bottom, z)},
            3);
}

void TTeeCanvas3D::TextOutRotated3D(int x, int y, int z, const QString& text, int angle) {
    const QPoint p = Project(x, y, z);
    TextOutRotated(p.x(), p.y(), text, angle);
}

void TTeeCanvas3D::TextOut3D(int x, int y, int z, const QString& text) {
    const QPoint p = Project(x, y, z);
    if (FZoomFactor == 1.0) {
        TextOut(p.x(), p.y(), text);
        return;
    }
    const int old = Font().Height;
    Font().SetSize(std::max(1, static_cast<int>(std::lround(Font().Size() * FZoomFactor))));
    TextOut(p.x(), p.y(), text);
    Font().Height = old;
}
