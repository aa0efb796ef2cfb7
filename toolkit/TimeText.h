#pragma once
#include <QString>
#include <cstdint>

// " hh:mm:ss:zzz" of a signed millisecond count: one leading blank, hours
// widen past 99, a negative count keeps its sign only in the milliseconds and
// runs the seconds through an unsigned step (so -1500 ms reads
// " 1193046:28:15:-500").
QString TimeText(int32_t ms);

// The same into a caller's buffer (at least 32 bytes), for the display tick.
int TimeTextInto(char* buf, int32_t ms);
