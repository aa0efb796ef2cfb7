#pragma once
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

// Time sources, injectable so that tests and the replay harness control time.
namespace Clock {

// Milliseconds since boot, modulo 2^32. The real source counts time spent in
// suspend, so a laptop whose lid closes mid-run loses nothing.
uint32_t GetTickCount();
// Local date and time.
QDateTime Now();

using TickFn = std::function<uint32_t()>;
using NowFn = std::function<QDateTime()>;
// Replace the sources; an empty function restores the real one.
void SetTickSource(TickFn fn);
void SetWallClock(NowFn fn);

// Time of day as 24-hour hh:mm:ss: no blank and no comma, so it stays one
// field of a row text.
QString LongTimeText(const QDateTime& t);
// Short day name ("Mon" .. "Sun").
QString ShortDayName(const QDateTime& t);

} // namespace Clock
