#include "GlyphCache.h"
#include "Canvas.h"
#include "Label.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>

namespace {

// The faces and sizes the window's figure labels and grids draw figures in.
struct FontCase {
    int px;
    TFontStyles style;
};
const FontCase kFonts[] = {{17, fsBold}, {13, fsBold}, {13, fsItalic},         {12, 0},
                           {15, 0},      {18, 0},      {16, fsItalic | fsBold}};

const QString kTexts[] = {
    QStringLiteral(" 00:00:00:000"),
    QStringLiteral("\"00:00:00:000\""),
    QStringLiteral(" 12:34:56:789"),
    QStringLiteral(" 98:76:54:321"),
    QStringLiteral("+ -"),
    QStringLiteral("-1,234.50"),
    QStringLiteral("  11  "),
    QStringLiteral("7"),
    // "11" is kerned in Liberation Serif at most sizes.
    QStringLiteral(" 11:11:11:111"),
    QStringLiteral(" 01:10:21:911"),
};

TFont WindowFont(const FontCase& f) {
    return TFont(QStringLiteral("Times New Roman"), -f.px, clWhite, f.style);
}

QImage Blank(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    return img;
}

// What the text drawing did before the cache: the shaper measures and draws.
QImage DrawnByShaper(const TFont& f, const QString& text, int w, int h, uint32_t align) {
    QImage img = Blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QFont qf = f.ToQFont();
    const QFontMetrics fm(qf);
    const int tw = fm.horizontalAdvance(text);
    const int x = align == DT_CENTER ? (w - tw) / 2 : align == DT_RIGHT ? w - tw : 0;
    p.setFont(qf);
    p.setPen(ToQColor(f.Color));
    p.drawText(x, fm.ascent(), text);
    return img;
}

QImage DrawnByCanvas(const TFont& f, const QString& text, int w, int h, uint32_t align) {
    QImage img = Blank(w, h);
    QPainter p(&img);
    TCanvas c(&p);
    c.Font = f;
    TRect r{0, 0, w, h};
    c.DrawText(text, r, DT_WORDBREAK | align);
    return img;
}

} // namespace

TEST(GlyphCache, FigureTextsLookAndMeasureAsTheShaperMakesThem) {
    for (const FontCase& fc : kFonts) {
        const TFont f = WindowFont(fc);
        const QFont qf = f.ToQFont();
        TGlyphCache& cache = TGlyphCache::For(qf);
        for (const QString& text : kTexts) {
            SCOPED_TRACE(qPrintable(
                QStringLiteral("%1 px style %2: '%3'").arg(fc.px).arg(fc.style).arg(text)));
            // Otherwise the comparison below would only compare the shaper with itself.
            ASSERT_TRUE(cache.Covers(text));
            EXPECT_EQ(cache.Advance(text), QFontMetrics(qf).horizontalAdvance(text));
            for (uint32_t align : {uint32_t(DT_LEFT), uint32_t(DT_CENTER), uint32_t(DT_RIGHT)}) {
                const QImage want = DrawnByShaper(f, text, 160, 24, align);
                EXPECT_EQ(DrawnByCanvas(f, text, 160, 24, align), want) << "align " << align;
                // Something was drawn at all.
                EXPECT_NE(want, Blank(160, 24));
            }
        }
    }
}

TEST(GlyphCache, LeavesOtherTextsAndFontsToTheShaper) {
    QFont plain = WindowFont({17, fsBold}).ToQFont();
    QFont underlined = plain;
    underlined.setUnderline(true);
    QFont spaced = plain;
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    struct Case {
        const char* name;
        QFont font;
        QString text;
        bool covered;
    };
    const Case cases[] = {
        {"clock text", plain, QStringLiteral(" 00:01:05:432"), true},
        {"empty text", plain, QString(), true},
        {"letters", plain, QStringLiteral("Lap 1"), false},
        {"prefix mark", plain, QStringLiteral("&1"), false},
        {"line break", plain, QStringLiteral("1\n2"), false},
        {"non-ASCII digit", plain, QStringLiteral("1\u0661"), false},
        {"underlined font", underlined, QStringLiteral("12:34"), false},
        {"letter-spaced font", spaced, QStringLiteral("12:34"), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TGlyphCache::For(c.font).Covers(c.text), c.covered) << c.name;
        // Covered or not, the measurement is the shaper's.
        EXPECT_EQ(TextAdvance(QFontMetrics(c.font), TGlyphCache::For(c.font), c.text),
                  QFontMetrics(c.font).horizontalAdvance(c.text))
            << c.name;
    }
}

TEST(GlyphCache, ClockLabelSizesAndPaintsItselfAsBefore) {
    for (LabelAlign align : {LabelAlign::Center, LabelAlign::Right}) {
        TLabel label;
        label.SetFont(WindowFont({17, fsBold}));
        label.SetAlignment(align);
        label.setGeometry(126, 12, 39, 19);
        label.SetCaption(QStringLiteral(" 01:23:45:678"));
        const TFont& f = label.Font();
        const QFontMetrics fm(f.ToQFont());
        EXPECT_EQ(label.width(), fm.horizontalAdvance(label.Caption()));
        EXPECT_EQ(label.height(), fm.height());
        if (align == LabelAlign::Right) {
            EXPECT_EQ(label.x() + label.width(), 126 + 39);
        }
        EXPECT_EQ(label.Render(),
                  DrawnByShaper(f, label.Caption(), label.width(), label.height(), DT_LEFT));
    }
}
