#pragma once
#include "Font.h"
#include "PixelWriter.h"
#include "Rect.h"
#include "TColor.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

class QPainter;
class QPaintDevice;

// Text drawing flags.
enum : uint32_t {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_EDITCONTROL = 0x2000,
    DT_END_ELLIPSIS = 0x8000,
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle { bsSolid, bsClear };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

// Drawing with the pixel rules of the classic desktop drawing interface over a
// QPainter: LineTo and Polyline leave out the end pixel, Rectangle and FillRect
// exclude the right and bottom edges, DrawText knows the DT_* flags and the
// '&' prefix underline. Antialiasing is off, so every pixel is exact.
// On a painter of a 32-bit image with no transform, no blending and no clip
// but the canvas's own, one-pixel lines and fills are written into the
// image's scan lines directly, the same pixels the painter would set.
class TCanvas {
public:
    explicit TCanvas(QPainter* painter);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TFont Font;
    TPen Pen;
    TBrush Brush;
    // Text background: transparent leaves the pixels behind the glyphs alone;
    // opaque fills each drawn line's box with the brush colour first.
    bool TransparentText = true;

    QPainter* Handle() const { return FPainter; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    QPoint PenPos() const { return FPenPos; }
    // Joined segments; the very last point is not drawn.
    void Polyline(const std::vector<QPoint>& pts);
    void FillRect(const TRect& r);
    // FillRect in a given colour, the brush left as it is.
    void FillRect(const TRect& r, TColor c);
    // Outline in the pen (inside the rectangle), interior in the brush.
    void Rectangle(const TRect& r);
    void FrameRect(const TRect& r); // one-pixel frame in the brush colour
    // Dotted rectangle that inverts the pixels it covers.
    void DrawFocusRect(const TRect& r);
    void Pixel(int x, int y, TColor c);

    // Returns the height of the text drawn. With DT_CALCRECT nothing is drawn
    // and r's right and bottom edges are set to the text's extent.
    int DrawText(const QString& text, TRect& r, uint32_t flags);
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;

    void SetClipRect(const TRect& r);
    void ClearClip();
    void Draw(int x, int y, const QImage& image);

private:
    void plotLine(int x0, int y0, int x1, int y1, bool includeLast);
    // Whether the painter's state lets the writer stand in for it now.
    bool direct() const;
    QPainter* FPainter;
    QPoint FPenPos;
    TPixelWriter FWriter;
    // The painter's clip is the canvas's own (SetClipRect), so the writer
    // knows it, when it is a proper rectangle.
    bool FClipped = false;
    bool FClipKnown = true;
};

// '&' processing of a caption: the visible text and the index of the
// underlined character in it (-1 when none). "&&" shows one ampersand.
struct PrefixText {
    QString Text;
    int Underline = -1;
};
PrefixText StripPrefix(const QString& caption);

// The character a caption's first '&' marks (uppercased), or a null QChar.
QChar AccelChar(const QString& caption);

// Lines of a text as the text drawing lays them out in `width` pixels.
struct TextLine {
    QString Text;
    int Start = 0; // index of the first character in the prefix-stripped text
};
std::vector<TextLine> LayoutLines(const QString& text, const QFont& font, int width,
                                  uint32_t flags);
