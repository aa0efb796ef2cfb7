#include "Form.h"

#include "Menu.h"
#include "NativeTitle.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {
const auto kCaptionFlush = static_cast<QEvent::Type>(QEvent::registerEventType());
}

TForm::TForm(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TForm::SetCaption(const QString& c) {
    if (FCaption == c) return;
    FCaption = c;
    // Qt's copy, which accessibility tools read, follows a running clock's
    // caption once a second; in between the caption goes out directly.
    if (!FQtCaptionAge.isValid() || FQtCaptionAge.hasExpired(1000) ||
        !NativeTitle::Applies(this, c)) {
        sendCaptionThroughQt();
        return;
    }
    FCaptionPending = true;
    // The clock that changed the caption has changed a label too: the
    // caption rides with that repaint (see event()). This event, queued
    // behind the repaint at the same low priority, sends it if none came.
    if (!FCaptionFlushPosted) {
        FCaptionFlushPosted = true;
        QCoreApplication::postEvent(this, new QEvent(kCaptionFlush), Qt::LowEventPriority);
    }
}

void TForm::sendCaptionThroughQt() {
    FCaptionPending = false;
    FQtCaptionAge.start();
    setWindowTitle(FCaption);
}

void TForm::writePendingCaption() {
    if (!FCaptionPending) return;
    FCaptionPending = false;
    if (!NativeTitle::Write(this, FCaption)) sendCaptionThroughQt();
}

bool TForm::event(QEvent* e) {
    // Buffered before the repaint, the caption reaches the server in the
    // repaint's own flush: one write a tick instead of two.
    if (e->type() == QEvent::UpdateRequest) writePendingCaption();
    return QWidget::event(e);
}

void TForm::customEvent(QEvent* e) {
    if (e->type() != kCaptionFlush) return QWidget::customEvent(e);
    FCaptionFlushPosted = false;
    writePendingCaption();
    NativeTitle::Flush();
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
