#include "Label.h"

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
    FCaption = text;
    adjustBounds();
    update();
}

void TLabel::SetAlignment(LabelAlign a) {
    if (FAlignment == a) return;
    FAlignment = a;
    update();
}

void TLabel::SetAutoSize(bool on) {
    if (FAutoSize == on) return;
    FAutoSize = on;
    adjustBounds();
}

void TLabel::SetColor(TColor c) {
    if (FColor == c) return;
    FColor = c;
    update();
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
