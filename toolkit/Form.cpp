#include "Form.h"

#include "Menu.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

TForm::TForm(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TForm::SetCaption(const QString& c) {
    if (windowTitle() != c) setWindowTitle(c);
}

void TForm::SetColor(TColor c) {
    if (FColor == c) return;
    FColor = c;
    update();
}

void TForm::CenterOnScreen() {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect avail = s->geometry();
    move(avail.x() + (avail.width() - width()) / 2, avail.y() + (avail.height() - height()) / 2);
}

void TForm::contextMenuEvent(QContextMenuEvent* e) {
    if (FPopupMenu) {
        FPopupMenu->Popup(e->globalPos().x(), e->globalPos().y());
        e->accept();
        return;
    }
    QWidget::contextMenuEvent(e);
}

void TForm::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(e->rect(), ToQColor(FColor));
}
