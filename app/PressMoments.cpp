#include "PressMoments.h"

#include "Clock.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputEvent>
#include <QWidget>

#include <ctime>
#include <utility>

namespace {

uint32_t monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

// A press handled later than this is not a busy moment but a clock that
// means something else.
constexpr uint32_t kMostAge = 1000;
// The click a press makes comes within the same event; a moment older than
// this belongs to a press that clicked nothing.
constexpr qint64 kSameEventMs = 50;

} // namespace

TPressMoments::TPressMoments(QWidget* window)
    : QObject(window), FWindow(window),
      FX11(QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (FX11) qApp->installEventFilter(this);
}

std::optional<uint32_t> TPressMoments::TickOf(uint32_t eventMs, uint32_t monoMs, uint32_t tick) {
    const uint32_t age = monoMs - eventMs; // modulo 2^32, as both clocks
    if (age > kMostAge) return std::nullopt;
    return tick - age;
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
    FTick = TickOf(uint32_t(ie->timestamp()), monotonicMs(), Clock::TickUnseen());
    FSeen.start();
    return false;
}
