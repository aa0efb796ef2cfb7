#include "GlyphCache.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The shaper's result for a short text: its glyphs, their pen positions and
// the font they come from. Empty when it takes more than one run.
struct Shaped {
    QRawFont Font;
    QList<quint32> Glyphs;
    QList<QPointF> Positions;
};

Shaped shape(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.setCacheEnabled(false);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = line.glyphRuns();
    if (runs.size() != 1) return {};
    return {runs[0].rawFont(), runs[0].glyphIndexes(), runs[0].positions()};
}

int toFixed(qreal px) {
    return static_cast<int>(std::lround(px * 64));
}

} // namespace

TGlyphCache& TGlyphCache::For(const QFont& font) {
    static QHash<QFont, std::shared_ptr<TGlyphCache>> caches;
    auto it = caches.find(font);
    if (it == caches.end()) it = caches.insert(font, std::make_shared<TGlyphCache>(font));
    return **it;
}

TGlyphCache::TGlyphCache(const QFont& font) : FFont(font), FRaw(QRawFont::fromFont(font)) {
    for (auto& row : FPairKnown)
        row.fill(Known::Unknown);
    FCharKnown.fill(Known::Unknown);
    // Decorations and spacing are drawn by the text layout, not per glyph.
    FUsable = FRaw.isValid() && !font.underline() && !font.strikeOut() && !font.overline() &&
              font.letterSpacing() == 0 && font.wordSpacing() == 0 &&
              font.capitalization() == QFont::MixedCase;
}

int TGlyphCache::slot(char16_t c) {
    switch (c) {
    case u' ':
    case u'"':
    case u'+':
    case u',':
    case u'-':
    case u'.':
    case u':':
        return c - First;
    default:
        return c >= u'0' && c <= u'9' ? c - First : -1;
    }
}

bool TGlyphCache::learnChar(int s) {
    Known& k = FCharKnown[s];
    if (k == Known::Unknown) {
        const QString one(QChar(char16_t(First + s)));
        const Shaped sh = shape(one, FFont);
        // One glyph of the font itself: a fallback font is the shaper's to pick.
        const bool ok = sh.Glyphs.size() == 1 && sh.Font == FRaw && sh.Glyphs[0] != 0;
        if (ok) {
            FGlyph[s] = sh.Glyphs[0];
            FAdvance[s] = toFixed(QFontMetricsF(FFont).horizontalAdvance(one));
            FInk[s] = FRaw.boundingRect(FGlyph[s]);
        }
        k = ok ? Known::Yes : Known::No;
    }
    return k == Known::Yes;
}

bool TGlyphCache::learnPair(int a, int b) {
    Known& k = FPairKnown[a][b];
    if (k == Known::Unknown) {
        QString two;
        two += QChar(char16_t(First + a));
        two += QChar(char16_t(First + b));
        const Shaped sh = shape(two, FFont);
        // The two single glyphs (no ligature) on one baseline; the second may
        // sit closer or further than one advance (kerning), and the pair's
        // width must be that kerned advance plus the second's own.
        const bool ok = sh.Glyphs.size() == 2 && sh.Font == FRaw && sh.Glyphs[0] == FGlyph[a] &&
                        sh.Glyphs[1] == FGlyph[b] &&
                        toFixed(sh.Positions[1].y() - sh.Positions[0].y()) == 0;
        const int kerned = ok ? toFixed(sh.Positions[1].x() - sh.Positions[0].x()) : 0;
        const bool sums =
            ok && toFixed(QFontMetricsF(FFont).horizontalAdvance(two)) == kerned + FAdvance[b];
        if (sums) FPairAdvance[a][b] = kerned;
        k = sums ? Known::Yes : Known::No;
    }
    return k == Known::Yes;
}

bool TGlyphCache::Covers(QStringView text) {
    if (!FUsable) return false;
    int prev = -1;
    for (const QChar c : text) {
        const int s = slot(c.unicode());
        if (s < 0 || !learnChar(s)) return false;
        if (prev >= 0 && !learnPair(prev, s)) return false;
        prev = s;
    }
    return true;
}

int TGlyphCache::advance(QStringView text, qsizetype i) const {
    const int s = slot(text[i].unicode());
    return i + 1 < text.size() ? FPairAdvance[s][slot(text[i + 1].unicode())] : FAdvance[s];
}

int TGlyphCache::Advance(QStringView text) const {
    int sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        sum += advance(text, i);
    // The shaper's rounding of a fixed-point width: halves go up.
    return (sum + 32) >> 6;
}

void TGlyphCache::Draw(QPainter& p, const QPointF& origin, QStringView text) const {
    if (text.isEmpty()) return;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    int x = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        glyphs.append(FGlyph[slot(text[i].unicode())]);
        positions.append(QPointF(x / 64.0, 0));
        x += advance(text, i);
    }
    QGlyphRun run;
    run.setRawFont(FRaw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    p.drawGlyphRun(origin, run);
}

QRectF TGlyphCache::inkAt(int s, int pen, int baseline) const {
    return FInk[s].translated(pen / 64.0, baseline);
}

QRect TGlyphCache::ChangedInk(QStringView before, int xBefore, QStringView after, int xAfter,
                              int baseline) const {
    QRectF ink;
    int penB = xBefore * 64, penA = xAfter * 64;
    const qsizetype n = std::max(before.size(), after.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int sb = i < before.size() ? slot(before[i].unicode()) : -1;
        const int sa = i < after.size() ? slot(after[i].unicode()) : -1;
        if (sb != sa || penB != penA) {
            if (sb >= 0) ink |= inkAt(sb, penB, baseline);
            if (sa >= 0) ink |= inkAt(sa, penA, baseline);
        }
        if (sb >= 0) penB += advance(before, i);
        if (sa >= 0) penA += advance(after, i);
    }
    if (ink.isEmpty()) return {};
    // The rasterised glyph may reach a pixel past its outline (hinting, the
    // antialiased edge).
    return ink.toAlignedRect().adjusted(-1, -1, 1, 1);
}

int TextAdvance(const QFontMetrics& fm, TGlyphCache& cache, const QString& text) {
    return cache.Covers(text) ? cache.Advance(text) : fm.horizontalAdvance(text);
}
