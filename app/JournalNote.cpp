#include "JournalNote.h"

#include "Font.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>
#include <utility>

namespace {
constexpr int kGap = 2; // between the widget above and the note, and below it
} // namespace

TJournalNote::TJournalNote(QWidget* window, const QWidget* below, const TFont& font)
    : QWidget(window), FBelow(below), FColor(ToQColor(font.Color)) {
    setObjectName(QStringLiteral("JournalNote"));
    setFont(font.ToQFont());
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

qreal TJournalNote::layout(QTextLayout& l, int width) const {
    QTextOption o;
    o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    l.setText(FText);
    l.setFont(font());
    l.setTextOption(o);
    qreal y = 0;
    l.beginLayout();
    for (QTextLine line = l.createLine(); line.isValid(); line = l.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    l.endLayout();
    return y;
}

int TJournalNote::TextHeight(int width) const {
    QTextLayout l;
    return int(std::ceil(layout(l, width)));
}

void TJournalNote::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(FColor);
    QTextLayout l;
    layout(l, width());
    l.draw(&p, QPointF(0, 0));
}

void TJournalNote::Show(const QString& text) {
    QWidget* window = parentWidget();
    FText = text;
    setAccessibleName(text);
    if (text.isEmpty()) {
        hide();
        if (FWindowHeight >= 0) window->resize(window->width(), std::exchange(FWindowHeight, -1));
        return;
    }
    if (FWindowHeight < 0) FWindowHeight = window->height();
    const QRect b = FBelow->geometry();
    setGeometry(b.left(), b.bottom() + 1 + kGap, b.width(), TextHeight(b.width()));
    window->resize(window->width(), std::max(FWindowHeight, geometry().bottom() + 1 + kGap));
    show();
    update();
}
