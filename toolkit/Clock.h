#pragma once
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>

// Time sources, injectable so that tests and the replay harness control time.
namespace Clock {

// Milliseconds since boot, modulo 2^32. The real source counts time spent in
// suspend, so a laptop whose lid closes mid-run loses nothing.
uint32_t GetTickCount();
// The same, unseen by the read hook: for bookkeeping that is none of the
// running action's own readings.
uint32_t TickUnseen();
// Local date and time.
QDateTime Now();
// The real counter's value at an instant of CLOCK_BOOTTIME (a device event's
// kernel time, a process's start): a press timed where it happened.
uint32_t TickAt(const timespec& boottime);

// The real counter now, past any source or hook installed: to place an
// instant another clock told against it, never to time an action.
uint32_t RealTick();
// CLOCK_MONOTONIC in milliseconds, modulo 2^32: the X server's clock on
// Linux. It stands still while the machine is suspended.
uint32_t MonotonicMillis();
// The tick of an event stamped `stampMs` on the monotonic clock (an X
// server's event time, on Linux), read as both clocks stand now: they differ
// by the time spent suspended. Only a stamp up to `maxAge` ms before now is
// trusted: a stamp of another clock (another machine, a nested server) gives
// nothing, and the press takes the handler's time.
std::optional<uint32_t> TickOfMonotonic(uint32_t stampMs, uint32_t monotonicNow, uint32_t tickNow,
                                        uint32_t maxAge = 1000);

using TickFn = std::function<uint32_t()>;
using NowFn = std::function<QDateTime()>;
// Replace the sources; an empty function restores the real one.
void SetTickSource(TickFn fn);
void SetWallClock(NowFn fn);

// Sees every reading of either source while installed: the run journal notes
// what a handler read, and hands the same readings back when it rebuilds the
// run. Each function gets the reading and returns the one to use.
struct TReadHook {
    virtual ~TReadHook() = default;
    virtual uint32_t Tick(uint32_t read) = 0;
    virtual QDateTime Time(const QDateTime& read) = 0;
};
// Installs a hook (not owned); nullptr removes it.
void SetReadHook(TReadHook* hook);

// Local time from the UTC clock and the zone's offset from UTC. Asking the
// zone costs a file-system look-up of the zone data each time, and the window
// caption wants the time a hundred times a second; an offset changes only at
// a zone transition, and those fall on whole minutes, so the offset is asked
// again only when the minute changes.
class TLocalTime {
public:
    using OffsetFn = std::function<int(qint64 utcMs)>; // seconds east of UTC
    explicit TLocalTime(OffsetFn offset) : FOffset(std::move(offset)) {}
    QDateTime At(qint64 utcMs);

private:
    OffsetFn FOffset;
    qint64 FMinute = 0;
    bool FKnown = false;
    int FOffsetSecs = 0;
};

// Time of day as 24-hour hh:mm:ss: no blank and no comma, so it stays one
// field of a row text.
QString LongTimeText(const QDateTime& t);
// Short day name ("Mon" .. "Sun").
QString ShortDayName(const QDateTime& t);

} // namespace Clock
