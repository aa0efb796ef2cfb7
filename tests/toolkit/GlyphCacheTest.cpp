#include "GlyphCache.h"
#include "Canvas.h"
#include "Label.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPaintEvent>
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

namespace {

// The region of each paint a widget receives.
class PaintRegions : public QObject {
public:
    QRegion Last;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) Last = static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

struct ChangeCase {
    const char* name;
    QString before, after;
    FontCase font;
    LabelAlign align;
    bool autoSize;
    bool partial; // only a part of the label is repainted
};

} // namespace

TEST(GlyphCache, ACaptionChangeRepaintsOnlyWhatChangesAndGivesTheNewPicture) {
    const ChangeCase cases[] = {
        {"millisecond tick",
         " 00:00:01:230",
         " 00:00:01:240",
         {17, fsBold},
         LabelAlign::Center,
         true,
         true},
        {"second rolls over",
         " 00:00:59:990",
         " 00:01:00:000",
         {17, fsBold},
         LabelAlign::Center,
         true,
         true},
        {"kerned pair appears",
         " 00:00:10:990",
         " 00:00:11:000",
         {17, fsBold},
         LabelAlign::Center,
         false,
         true},
        {"kerned pair, right-aligned",
         " 00:00:10:990",
         " 00:00:11:000",
         {17, fsBold},
         LabelAlign::Right,
         false,
         true},
        {"italic figures", "12", "13", {13, fsItalic}, LabelAlign::Right, false, true},
        {"one more digit", "9", "10", {13, fsBold}, LabelAlign::Left, false, true},
        {"first tick after the quotes",
         "\"00:00:00:000\"",
         " 00:00:00:010",
         {17, fsBold},
         LabelAlign::Center,
         false,
         true},
        {"words are repainted whole",
         "Total",
         " 00:00:00:010",
         {17, fsBold},
         LabelAlign::Center,
         false,
         false},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget parent;
        parent.setAttribute(Qt::WA_DontShowOnScreen);
        parent.setAutoFillBackground(true);
        QPalette pal;
        pal.setColor(QPalette::Window, Qt::black);
        parent.setPalette(pal);
        parent.resize(200, 30);
        TLabel label(&parent);
        label.SetFont(WindowFont(c.font));
        label.SetAlignment(c.align);
        label.SetAutoSize(c.autoSize);
        label.setGeometry(20, 5, 150, 19);
        label.SetCaption(c.before);
        parent.show();
        QCoreApplication::processEvents();
        QImage picture(parent.size(), QImage::Format_RGB32);
        parent.render(&picture);

        PaintRegions regions;
        label.installEventFilter(&regions);
        const QRect bounds = label.geometry();
        label.SetCaption(c.after);
        QCoreApplication::processEvents();
        ASSERT_EQ(label.geometry(), bounds) << "the case needs a label that keeps its size";
        // A label that fits its caption is exactly as wide as the shaper measures it.
        if (c.autoSize) {
            EXPECT_EQ(label.width(),
                      QFontMetrics(label.Font().ToQFont()).horizontalAdvance(c.after));
        }
        ASSERT_FALSE(regions.Last.isEmpty());
        const QRect damage = regions.Last.boundingRect();
        EXPECT_EQ(damage != label.rect(), c.partial) << damage.x() << "," << damage.width();

        // Repainting only the damage over the old picture gives the new one.
        const QRegion area = regions.Last.translated(label.pos());
        parent.render(&picture, area.boundingRect().topLeft(), area);
        QImage fresh(parent.size(), QImage::Format_RGB32);
        parent.render(&fresh);
        EXPECT_EQ(picture, fresh);
    }
}
