#include "Clock.h"

#include <ctime>

namespace Clock {
namespace {
TickFn& tickFn() {
    static TickFn fn;
    return fn;
}
NowFn& nowFn() {
    static NowFn fn;
    return fn;
}
TReadHook* readHook = nullptr;
uint32_t millisOf(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return Clock::TickAt(ts);
}
uint32_t realTick() {
    return millisOf(CLOCK_BOOTTIME);
}
} // namespace

uint32_t RealTick() {
    return realTick();
}

uint32_t MonotonicMillis() {
    return millisOf(CLOCK_MONOTONIC);
}

std::optional<uint32_t> TickOfMonotonic(uint32_t stampMs, uint32_t monotonicNow, uint32_t tickNow,
                                        uint32_t maxAge) {
    const uint32_t age = monotonicNow - stampMs; // modulo 2^32, as both clocks
    if (age > maxAge) return std::nullopt;       // older, or ahead of the clock
    return tickNow - age;
}

uint32_t TickAt(const timespec& ts) {
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

uint32_t TickUnseen() {
    const TickFn& fn = tickFn();
    return fn ? fn() : realTick();
}

uint32_t GetTickCount() {
    const uint32_t t = TickUnseen();
    return readHook ? readHook->Tick(t) : t;
}

namespace {
QDateTime sourceNow() {
    const NowFn& fn = nowFn();
    if (fn) return fn();
    static TLocalTime local(
        [](qint64 utcMs) { return QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc(); });
    return local.At(QDateTime::currentMSecsSinceEpoch());
}
} // namespace

QDateTime Now() {
    return readHook ? readHook->Time(sourceNow()) : sourceNow();
}

void SetReadHook(TReadHook* hook) {
    readHook = hook;
}

QDateTime TLocalTime::At(qint64 utcMs) {
    // Floor division: the minute of an instant before 1970 is the one it lies in.
    const qint64 minute = utcMs / 60000 - (utcMs % 60000 < 0 ? 1 : 0);
    if (!FKnown || minute != FMinute) {
        FKnown = true;
        FMinute = minute;
        FOffsetSecs = FOffset(utcMs);
    }
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::OffsetFromUTC, FOffsetSecs);
}

void SetTickSource(TickFn fn) {
    tickFn() = std::move(fn);
}
void SetWallClock(NowFn fn) {
    nowFn() = std::move(fn);
}

QString LongTimeText(const QDateTime& t) {
    const QTime tm = t.time();
    char buf[16];
    const int n =
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.hour(), tm.minute(), tm.second());
    return QString::fromLatin1(buf, n);
}

QString ShortDayName(const QDateTime& t) {
    static const char* const names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const int d = t.date().dayOfWeek(); // 1 = Monday
    return QString::fromLatin1(d >= 1 && d <= 7 ? names[d - 1] : "");
}

} // namespace Clock
