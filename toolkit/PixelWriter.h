#pragma once
#include "LineSteps.h"
#include "TColor.h"

#include <QImage>
#include <algorithm>
#include <cstddef>

// Writes opaque pixels straight into the scan lines of a 32-bit image, inside
// a clipping rectangle (edges right and bottom exclusive). The classic
// one-pixel rules (line steps, filled rectangles) need no transform, no
// blending and no antialiasing, and a painter call per line or band costs
// far more than the pixels themselves: every point through its transform,
// every fill through its span machinery.
class TPixelWriter {
public:
    // Writes nothing until it is given an image.
    TPixelWriter() = default;
    // An image whose pixels are 0xAARRGGBB words: RGB32, or premultiplied
    // ARGB32 (opaque colours are stored the same there). Any other format,
    // or a scale from a device pixel ratio, leaves the writer invalid. The
    // image's pixels must not be shared: paint on it first (a painter
    // detaches it) or detach it yourself.
    explicit TPixelWriter(QImage& image);

    bool Valid() const { return FBits != nullptr; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // Pixels outside the rectangle are left alone; the image edges always
    // clip. Without arguments the whole image.
    void SetClip(int left, int top, int right, int bottom);
    void ClearClip() { SetClip(0, 0, FWidth, FHeight); }

    // The stored word of a colour of the layout (system colours resolved).
    static QRgb Word(TColor c) {
        const uint32_t v = ColorToRGB(c);
        return 0xFF000000u | ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
    }

    void Fill(int left, int top, int right, int bottom, QRgb c) const {
        left = std::max(left, FClipLeft);
        top = std::max(top, FClipTop);
        right = std::min(right, FClipRight);
        bottom = std::min(bottom, FClipBottom);
        if (left >= right || top >= bottom) return;
        for (int y = top; y < bottom; ++y)
            std::fill(row(y) + left, row(y) + right, c);
    }

    void Pixel(int x, int y, QRgb c) const {
        if (inside(x, y)) row(y)[x] = c;
    }

    // The pixels of column x from y0 to y1, both included (y0 <= y1).
    void Column(int x, int y0, int y1, QRgb c) const {
        if (x < FClipLeft || x >= FClipRight) return;
        y0 = std::max(y0, FClipTop);
        y1 = std::min(y1, FClipBottom - 1);
        if (y0 > y1) return;
        QRgb* p = FBits + static_cast<ptrdiff_t>(y0) * FStride + x;
        for (int y = y0; y <= y1; ++y, p += FStride)
            *p = c;
    }

    // The pixels of TLineSteps from (x0, y0) to (x1, y1), the end pixel only
    // when asked, each one only when on(k) is true for its step number k
    // (0 at the start): pen styles are patterns of steps. Lines along a row
    // or a column, the grid and the frames, skip the stepping.
    template <class On>
    void Line(int x0, int y0, int x1, int y1, bool includeLast, QRgb c, On on) const {
        if (y0 == y1 || x0 == x1) {
            straight(x0, y0, x1, y1, includeLast, c, on);
            return;
        }
        for (TLineSteps line(x0, y0, x1, y1);; line.Next()) {
            const bool last = line.AtEnd();
            if (last && !includeLast) break;
            if (on(line.Step())) Pixel(line.X(), line.Y(), c);
            if (last) break;
        }
    }

private:
    QRgb* row(int y) const { return FBits + static_cast<ptrdiff_t>(y) * FStride; }
    bool inside(int x, int y) const {
        return x >= FClipLeft && x < FClipRight && y >= FClipTop && y < FClipBottom;
    }

    template <class On>
    void straight(int x0, int y0, int x1, int y1, bool includeLast, QRgb c, On on) const {
        const bool across = y0 == y1;
        const int from = across ? x0 : y0, to = across ? x1 : y1;
        const int dir = to < from ? -1 : 1;
        const int n = (to - from) * dir + (includeLast ? 1 : 0);
        // Steps outside the clip in the line's own coordinate, so that the
        // loop below touches only pixels it writes.
        const int lo = across ? FClipLeft : FClipTop, hi = across ? FClipRight : FClipBottom;
        const int other = across ? y0 : x0;
        if (across ? (other < FClipTop || other >= FClipBottom)
                   : (other < FClipLeft || other >= FClipRight))
            return;
        int k0 = 0, k1 = n;
        if (dir > 0) {
            k0 = std::max(k0, lo - from);
            k1 = std::min(k1, hi - from);
        } else {
            k0 = std::max(k0, from - (hi - 1));
            k1 = std::min(k1, from - lo + 1);
        }
        const ptrdiff_t step = across ? dir : dir * FStride;
        QRgb* p = across ? row(other) + from : row(from) + other;
        for (int k = k0; k < k1; ++k)
            if (on(k)) p[k * step] = c;
    }

    QRgb* FBits = nullptr;
    ptrdiff_t FStride = 0;
    int FWidth = 0, FHeight = 0;
    int FClipLeft = 0, FClipTop = 0, FClipRight = 0, FClipBottom = 0;
};
