#include "TimeText.h"

#include <cstdio>

int TimeTextInto(char* buf, int32_t ms) {
    // Neither division can overflow: the divisors are positive constants.
    const int32_t milli = ms % 1000;
    const uint32_t u = static_cast<uint32_t>(ms / 1000);
    const uint32_t sec = u % 60;
    const uint32_t min = (u / 60) % 60;
    const uint32_t hours = (u / 60) / 60; // at most 1193046, fits in int
    return std::snprintf(buf, 32, " %2.2u:%2.2u:%2.2u:%3.3d", hours, min, sec, milli);
}

QString TimeText(int32_t ms) {
    char buf[32];
    const int n = TimeTextInto(buf, ms);
    return QString::fromLatin1(buf, n);
}
