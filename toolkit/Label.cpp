#include "Label.h"

#include "Announce.h"
#include "Canvas.h"
#include "GlyphCache.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

TLabel::TLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground, false);
    setAutoFillBackground(false);
    FQFont = FFont.ToQFont();
    FFont.OnChange = [this] {
        FQFont = FFont.ToQFont();
        adjustBounds();
        update();
    };
}

void TLabel::SetCaption(const QString& text) {
    if (FCaption == text) return;
    const QString before = FCaption;
    const QRect bounds = geometry();
    FCaption = text;
    adjustBounds();
    // A running clock changes only its last digits on most ticks: repainting
    // just their ink saves drawing the background and the other glyphs again.
    // Painting nothing now (a run rebuilt), the whole label is painted when
    // it resumes: no damage to work out.
    if (updatesEnabled()) {
        if (geometry() == bounds)
            update(CaptionDamage(before, text, FQFont, FAlignment, size()));
        else
            update();
    }
    if (FAnnounced) Accessible::Notify(this, QAccessible::NameChanged);
}

QRect CaptionDamage(const QString& before, const QString& after, const QFont& font,
                    LabelAlign align, const QSize& size) {
    const QRect all(QPoint(0, 0), size);
    TGlyphCache& glyphs = TGlyphCache::For(font);
    if (!glyphs.Covers(before) || !glyphs.Covers(after)) return all;
    const int wb = glyphs.Advance(before), wa = glyphs.Advance(after);
    // Wider than the label, a text breaks into lines.
    if (wb > size.width() || wa > size.width()) return all;
    // Where the text drawing puts a line of width w.
    auto left = [&](int w) {
        return align == LabelAlign::Right    ? size.width() - w
               : align == LabelAlign::Center ? (size.width() - w) / 2
                                             : 0;
    };
    return glyphs.ChangedInk(before, left(wb), after, left(wa), QFontMetrics(font).ascent()) & all;
}

void TLabel::SetAutoSize(bool on) {
    if (Change(FAutoSize, on)) adjustBounds();
}

void TLabel::adjustBounds() {
    if (!FAutoSize) return;
    const QFontMetrics fm(FQFont);
    const PrefixText pt = StripPrefix(FCaption);
    const int w = TextAdvance(fm, TGlyphCache::For(FQFont), pt.Text);
    const int h = fm.height();
    const QRect g = geometry();
    // A right-aligned figure grows to the left, so its digits stay put.
    const int left = FAlignment == LabelAlign::Right ? g.x() + g.width() - w : g.x();
    if (g == QRect(left, g.y(), w, h)) return;
    setGeometry(left, g.y(), w, h);
}

void TLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    TCanvas c(&p);
    TRect r{0, 0, width(), height()};
    if (FColor != clNone) {
        c.Brush.Color = FColor;
        c.FillRect(r);
    }
    c.Font = FFont;
    uint32_t flags = DT_WORDBREAK;
    if (FAlignment == LabelAlign::Right)
        flags |= DT_RIGHT;
    else if (FAlignment == LabelAlign::Center)
        flags |= DT_CENTER;
    c.DrawText(FCaption, r, flags);
}

void TLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) FPressed = true;
    QWidget::mousePressEvent(e);
}

void TLabel::mouseReleaseEvent(QMouseEvent* e) {
    const bool click =
        FPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    FPressed = false;
    if (click)
        CallEvent(OnClick, this);
    else
        QWidget::mouseReleaseEvent(e);
}

QImage TLabel::Render() {
    QImage img(size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}
