#pragma once
#include "Clock.h"

#include <QDateTime>
#include <cstdint>

// A tick counter and wall clock under the test's control, installed for the
// life of the object.
class FakeClock {
public:
    FakeClock() {
        Clock::SetTickSource([this] { return Tick; });
        Clock::SetWallClock([this] { return Now; });
    }
    ~FakeClock() {
        Clock::SetTickSource({});
        Clock::SetWallClock({});
    }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;
    void Advance(uint32_t ms) { Tick += ms; }

    uint32_t Tick = 0;
    QDateTime Now{QDate(2000, 1, 1), QTime(0, 0, 0)};
};
