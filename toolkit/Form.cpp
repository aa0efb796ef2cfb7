#include "Form.h"

#include "Menu.h"
#include "NativeTitle.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

TForm::TForm(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TForm::SetCaption(const QString& c) {
    if (FCaption == c) return;
    FCaption = c;
    // Qt's copy, which accessibility tools read, follows a running clock's
    // caption once a second; in between the caption goes out directly. It
    // goes out at once, not with the repaint that follows: the server's
    // answer then arrives while the repaint is still being drawn, and does
    // not wake the program a second time.
    if (FQtCaptionAge.isValid() && !FQtCaptionAge.hasExpired(1000) && NativeTitle::Set(this, c))
        return;
    FQtCaptionAge.start();
    setWindowTitle(c);
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
