#include "PressMoments.h"

#include "Clock.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputEvent>
#include <QWidget>

#include <utility>

namespace {

// The click a press makes comes within the same event; a moment older than
// this belongs to a press that clicked nothing.
constexpr qint64 kSameEventMs = 50;

} // namespace

TPressMoments::TPressMoments(QWidget* window)
    : QObject(window), FWindow(window),
      FX11(QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (FX11) qApp->installEventFilter(this);
}

std::optional<uint32_t> TPressMoments::Take() {
    if (!FTick || !FSeen.isValid() || FSeen.elapsed() > kSameEventMs) return std::nullopt;
    return std::exchange(FTick, std::nullopt);
}

bool TPressMoments::eventFilter(QObject* obj, QEvent* ev) {
    switch (ev->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        break;
    default:
        return false;
    }
    if (!obj->isWidgetType() || !FWindow) return false;
    const QWidget* top = static_cast<QWidget*>(obj)->window();
    if (top != FWindow && top != QApplication::activeModalWidget()) return false;
    const auto* ie = static_cast<QInputEvent*>(ev);
    FTick = Clock::TickOfMonotonic(uint32_t(ie->timestamp()), Clock::MonotonicMillis(),
                                   Clock::TickUnseen());
    FSeen.start();
    return false;
}
