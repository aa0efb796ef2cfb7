#pragma once
// Small helpers shared by the whole-process probes: clocks, CPU time and the
// start time of the process. Header-only so each probe stays one program.
#include "ScratchHome.h"

#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace probe {

// The window reads the remembered distances: the probes read none of the
// operator's. HOME stays, for the X server's authority file.
struct ScratchSettings {
    QTemporaryDir Dir;
    ScratchSettings() { UseScratchHome(Dir.path(), false); }
};

// Monotonic wall time in milliseconds (fractional).
inline double NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// User + system CPU time of the whole process so far, in seconds.
inline double CpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
           (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// Milliseconds between the kernel's start of this process and now, from the
// start time in /proc/self/stat (clock ticks since boot, so its resolution is
// one tick, usually 10 ms) and the boot-based clock. Negative if unreadable.
inline double MsSinceProcessStart() {
    std::FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return -1;
    char buf[2048];
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    // The command name may hold blanks; the fields after it start past ')'.
    std::string s(buf);
    const size_t close = s.rfind(')');
    if (close == std::string::npos) return -1;
    unsigned long long start = 0;
    const char* p = s.c_str() + close + 2; // field 3 (state)
    int field = 3;
    while (*p && field < 22) {
        if (*p == ' ') ++field;
        ++p;
    }
    if (std::sscanf(p, "%llu", &start) != 1) return -1;
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const double nowMs = ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    return nowMs - start * 1e3 / sysconf(_SC_CLK_TCK);
}

// Integer value of "--name N" in argv, or the fallback.
inline int IntArg(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String(name)) return std::atoi(argv[i + 1]);
    return fallback;
}

inline bool FlagArg(int argc, char** argv, const char* name) {
    for (int i = 1; i < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String(name)) return true;
    return false;
}

// "min median p90 max" of a sample, in the given printf format.
inline void PrintDistribution(const char* what, std::vector<double> v) {
    if (v.empty()) {
        std::printf("%s: no samples\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) { return v[static_cast<size_t>(q * (v.size() - 1) + 0.5)]; };
    std::printf("%s: n=%zu min=%.2f median=%.2f p90=%.2f max=%.2f ms\n", what, v.size(), v.front(),
                at(0.5), at(0.9), v.back());
}

} // namespace probe
