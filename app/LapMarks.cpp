#include "LapMarks.h"

#include "Messages.h"

#include <map>

void TRunningMedian::Add(int32_t v) {
    if (FLow.empty() || v <= FLow.top())
        FLow.push(v);
    else
        FHigh.push(v);
    // The lower half holds the middle value of an odd count.
    if (FLow.size() > FHigh.size() + 1) {
        FHigh.push(FLow.top());
        FLow.pop();
    } else if (FHigh.size() > FLow.size()) {
        FLow.push(FHigh.top());
        FHigh.pop();
    }
}

int64_t TRunningMedian::TwiceMedian() const {
    if (FLow.empty()) return 0;
    if (FLow.size() > FHigh.size()) return 2 * static_cast<int64_t>(FLow.top());
    return static_cast<int64_t>(FLow.top()) + FHigh.top();
}

namespace {

// lap < median * P / 100, with twice the median: 200 * lap < P * twiceMedian.
TLapMark markAgainst(int32_t lapMs, int64_t twiceMedian) {
    const int64_t lap200 = 200 * static_cast<int64_t>(lapMs);
    if (lap200 < ShortPercent * twiceMedian) return TLapMark::Short;
    if (lap200 > LongPercent * twiceMedian) return TLapMark::Long;
    return TLapMark::None;
}

} // namespace

std::vector<TLapMark> LapMarksOf(std::span<const TPressedLap> laps) {
    std::vector<TLapMark> out;
    out.reserve(laps.size());
    std::map<int, TRunningMedian> byButton;
    for (const TPressedLap& lap : laps) {
        TRunningMedian& median = byButton[lap.Button];
        out.push_back(median.Count() < UnmarkedLaps ? TLapMark::None
                                                    : markAgainst(lap.LapMs, median.TwiceMedian()));
        median.Add(lap.LapMs);
    }
    return out;
}

QString LapMarkDescription(TLapMark mark) {
    switch (mark) {
    case TLapMark::Short:
        return Msg::LapMarkShort();
    case TLapMark::Long:
        return Msg::LapMarkLong();
    case TLapMark::None:
        break;
    }
    return {};
}
