#pragma once
#include "Clock.h"

#include <QDateTime>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

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

// Names a parameterised case after its `name`, spaces made underscores since
// a test name may not hold them.
struct NameOfCase {
    template <class Case> std::string operator()(const ::testing::TestParamInfo<Case>& i) const {
        std::string n = i.param.name;
        for (char& ch : n)
            if (ch == ' ') ch = '_';
        return n;
    }
};

// A fresh temporary directory that is the current directory for the life of
// the object, so that files written under plain names land in it. The old
// current directory comes back before the temporary one is removed.
class TempCurrentDir {
public:
    TempCurrentDir() {
        if (dir.isValid()) QDir::setCurrent(dir.path());
    }
    ~TempCurrentDir() { QDir::setCurrent(old); }
    TempCurrentDir(const TempCurrentDir&) = delete;
    TempCurrentDir& operator=(const TempCurrentDir&) = delete;
    bool IsValid() const { return dir.isValid(); }
    QString Path() const { return dir.path(); }

private:
    QString old = QDir::currentPath();
    QTemporaryDir dir;
};
