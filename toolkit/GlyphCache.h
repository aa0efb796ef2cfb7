#pragma once
#include <QFont>
#include <QRawFont>
#include <QRect>
#include <QStringView>

#include <array>
#include <cstdint>

class QFontMetrics;
class QPainter;
class QPointF;

// Glyphs and advances of the characters of figure texts (digits, blanks,
// colons, signs, quotes) in one font, learnt once, so that a clock text that
// changes a hundred times a second is placed without shaping it again: the
// shaper would give the same glyphs at the same positions. A character is
// taken only when the font draws it itself as one glyph; a neighbouring pair
// only once the shaper has been seen to place it as those two glyphs (no
// ligature), and its kerning (Liberation Serif kerns "11") is learnt with it.
// Anything else is left to the shaper.
class TGlyphCache {
public:
    // The cache of a font, made on first use and kept for the process.
    static TGlyphCache& For(const QFont& font);

    explicit TGlyphCache(const QFont& font);
    TGlyphCache(const TGlyphCache&) = delete;
    TGlyphCache& operator=(const TGlyphCache&) = delete;

    // True when the text can be measured and drawn from the cache. Learns the
    // characters and pairs it has not seen yet (one shaping each, once).
    bool Covers(QStringView text);
    // Width in pixels, rounded as QFontMetrics::horizontalAdvance rounds it.
    // Only for covered texts.
    int Advance(QStringView text) const;
    // Draws a covered text in the painter's pen with its baseline starting at
    // `origin`, as QPainter::drawText would.
    void Draw(QPainter& p, const QPointF& origin, QStringView text) const;
    // Pixels that can differ between two covered texts drawn with their pens
    // starting at (xBefore, baseline) and (xAfter, baseline): the ink of every
    // glyph that is not the same glyph at the same place in both.
    QRect ChangedInk(QStringView before, int xBefore, QStringView after, int xAfter,
                     int baseline) const;

private:
    static constexpr char16_t First = u' ';
    static constexpr int Count = u':' - First + 1; // ' ' .. ':' in one table
    enum class Known : uint8_t { Unknown, Yes, No };
    static int slot(char16_t c);
    bool learnChar(int s);
    bool learnPair(int a, int b);
    int advance(QStringView text, qsizetype i) const;
    QRectF inkAt(int s, int pen, int baseline) const;

    QFont FFont;
    QRawFont FRaw;
    bool FUsable = false;
    std::array<Known, Count> FCharKnown{};
    std::array<quint32, Count> FGlyph{};
    // Advances in 1/64 pixel, the shaper's own fixed-point unit, so that sums
    // round exactly as its do.
    std::array<int, Count> FAdvance{};
    std::array<QRectF, Count> FInk{};
    std::array<std::array<Known, Count>, Count> FPairKnown{};
    // Advance of the first character of a pair, kerned against the second.
    std::array<std::array<int, Count>, Count> FPairAdvance{};
};

// Width of a text as QFontMetrics measures it, from the cache when it can.
int TextAdvance(const QFontMetrics& fm, TGlyphCache& cache, const QString& text);
