#include "Form.h"

#include "Menu.h"
#include "NativeTitle.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

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
    if (e->type() == QEvent::Show && FFitAfterShow) {
        FFitAfterShow = false;
        // The frame is the window manager's, known only once it has taken
        // the window: placed again with it, after the show is through.
        QTimer::singleShot(0, this, [this] {
            const QRect outer = frameGeometry(), inner = geometry();
            fit(QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom()));
        });
    }
    return QWidget::event(e);
}

QRect TForm::Placement(const QRect& avail, const QSize& wanted, const QMargins& frame) {
    const int roomW = std::max(1, avail.width() - frame.left() - frame.right());
    const int roomH = std::max(1, avail.height() - frame.top() - frame.bottom());
    const int w = std::min(wanted.width(), roomW);
    const int h = std::min(wanted.height(), roomH);
    return QRect(avail.x() + frame.left() + (roomW - w) / 2,
                 avail.y() + frame.top() + (roomH - h) / 2, w, h);
}

void TForm::FitOnScreen(const QSize& layout) {
    FLayout = layout;
    FFitAfterShow = true;
    fit(QMargins());
}

void TForm::fit(const QMargins& frame) {
    if (FLayout.isEmpty()) return;
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect r =
        s ? Placement(s->availableGeometry(), FLayout, frame) : QRect(QPoint(), FLayout);
    setMinimumSize(r.size());
    setGeometry(r);
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
