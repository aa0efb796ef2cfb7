#pragma once
// Laps that look like a mistake at the button (a double press, a missed pass)
// are marked for the user to judge, never removed: only the user knows whether
// the runner really stopped or sprinted.
#include <QString>

#include <cstdint>
#include <functional>
#include <queue>
#include <span>
#include <vector>

// One lap as pressed: which button (1 LAP, 2 LAP2, 3 LAP3) and its length.
struct TPressedLap {
    int Button;
    int32_t LapMs;
};

enum class TLapMark { None, Short, Long };

// The median of the values added so far, kept in two heaps so that each
// value costs O(log n): a run of 10 000 laps is re-marked after every
// correction.
class TRunningMedian {
public:
    void Add(int32_t v);
    int Count() const { return static_cast<int>(FLow.size() + FHigh.size()); }
    // Twice the median, so that the mean of the two middle values of an even
    // count stays exact; 0 before the first value. 64-bit: two int32 never
    // overflow it.
    int64_t TwiceMedian() const;

private:
    std::priority_queue<int32_t> FLow;                                        // lower half
    std::priority_queue<int32_t, std::vector<int32_t>, std::greater<>> FHigh; // upper half
};

// Below this share of its button's median a lap is short, above the other long.
constexpr int ShortPercent = 40;
constexpr int LongPercent = 180;
// A button's first laps are never marked: one or two laps tell nothing of
// the pace yet.
constexpr int UnmarkedLaps = 2;

// The mark of each lap, in the order given. A lap is measured against the
// median of the earlier laps of its own button only (not itself: a lap
// would pull the median it is judged by towards itself), so LAP2 and LAP3
// splits never judge the main laps or each other. Exactly at 40 % or 180 %
// a lap is not marked. Marked laps count towards the median all the same:
// they stay in the run, and a few outliers barely move a median.
std::vector<TLapMark> LapMarksOf(std::span<const TPressedLap> laps);

// What assistive tools say of a marked lap; empty for TLapMark::None.
QString LapMarkDescription(TLapMark mark);
