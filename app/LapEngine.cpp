#include "LapEngine.h"

#include "IntConv.h"
#include "Wrap.h"

namespace LapEngine {

std::optional<int32_t> Speed(int32_t meter, int32_t ms) {
    const int32_t a = wrap::mul(meter, 10000);
    const int32_t d = *wrap::quot(ms, 10);
    const std::optional<int32_t> b = wrap::quot(a, d); // INT_MIN quot -1 wraps, never traps
    if (!b) return std::nullopt;
    const int32_t c = wrap::mul(*b, 36);
    return *wrap::quot(c, 1000);
}

int32_t SpeedOrZero(int32_t meter, int32_t ms) {
    return Speed(meter, ms).value_or(0);
}

MainLapResult MainLap(const TRunState& before, int32_t elapsed, bool distancePicked) {
    MainLapResult r{before, false};
    TRunState& s = r.State;
    s.Total = elapsed;
    // Intended: after stop a lap press measures from zero, not from the
    // previous lap; the tests and the harness's scenarios pin that figure.
    s.LapTime = s.Running ? wrap::sub(s.Total, s.PrevTotal) : s.Total;
    s.LapCount = wrap::add(s.LapCount, 1);
    s.LapDiff = wrap::sub(s.LapTime, s.PrevLap);
    if (s.LapCount == 1) s.FastLap = s.LapTime;
    if (!(s.FastLap < s.LapTime)) {
        s.FastLap = s.LapTime;
        r.NewFastLap = true;
    }
    if (s.LapCount >= 1) s.LapSum = wrap::add(s.LapSum, s.LapTime);
    // LapCount is 0 or -1 only after 2^32 laps: -1 wraps like every other
    // step, and a zero count gives 0 as a zero divisor does in the speeds.
    s.AveLap = wrap::quot(s.LapSum, s.LapCount).value_or(0);
    s.Meter = StrToIntDef(s.MeterText, 0);
    if (distancePicked) {
        s.LapKmh = SpeedOrZero(s.Meter, s.LapTime);
        s.AveKmh = SpeedOrZero(s.Meter, s.AveLap);
    }
    s.PrevTotal = s.Total;
    s.PrevLap = s.LapTime;
    s.MixLap1Count = s.LapCount;
    s.MixRow = wrap::add(wrap::add(s.LapCount, s.Lap2Count), s.Lap3Count);
    return r;
}

namespace {
struct SecondaryFields {
    int32_t TRunState::*Time;
    int32_t TRunState::*PrevTotal;
    int32_t TRunState::*Diff;
    int32_t TRunState::*PrevLap;
    int32_t TRunState::*Count;
};
constexpr SecondaryFields kSecondary[] = {
    {&TRunState::Lap2Time, &TRunState::Lap2PrevTotal, &TRunState::Lap2Diff, &TRunState::Lap2PrevLap,
     &TRunState::Lap2Count},
    {&TRunState::Lap3Time, &TRunState::Lap3PrevTotal, &TRunState::Lap3Diff, &TRunState::Lap3PrevLap,
     &TRunState::Lap3Count},
};
const SecondaryFields& secondaryFields(int button) {
    return kSecondary[button == 3 ? 1 : 0];
}
} // namespace

TSecondaryLap SecondaryOf(const TRunState& s, int button) {
    const SecondaryFields& f = secondaryFields(button);
    return {s.*f.Time, s.*f.PrevTotal, s.*f.Diff, s.*f.PrevLap, s.*f.Count};
}

void SetSecondary(TRunState& s, int button, const TSecondaryLap& lap) {
    const SecondaryFields& f = secondaryFields(button);
    s.*f.Time = lap.Time;
    s.*f.PrevTotal = lap.PrevTotal;
    s.*f.Diff = lap.Diff;
    s.*f.PrevLap = lap.PrevLap;
    s.*f.Count = lap.Count;
}

TRunState SecondaryLap(const TRunState& before, int button, int32_t elapsed) {
    TRunState s = before;
    s.Total = elapsed;
    TSecondaryLap l = SecondaryOf(s, button);
    // Intended, as for the main lap: after stop a press measures from zero.
    l.Time = s.Running ? wrap::sub(s.Total, l.PrevTotal) : s.Total;
    l.PrevTotal = s.Total;
    l.Count = wrap::add(l.Count, 1);
    l.Diff = wrap::sub(l.Time, l.PrevLap);
    l.PrevLap = l.Time;
    SetSecondary(s, button, l);
    s.MixRow = wrap::add(wrap::add(s.MixLap1Count, s.Lap2Count), s.Lap3Count);
    return s;
}

void ClearLapFigures(TRunState& s) {
    s.PrevTotal = s.Total = s.LapTime = s.LiveLap = s.LapDiff = s.PrevLap = s.FastLap = s.LapSum =
        s.AveLap = s.LapCount = 0;
    s.Lap2PrevTotal = s.Lap2PrevLap = s.Lap3PrevTotal = s.Lap3PrevLap = 0;
}

QString LapRowText(const LapRow& r) {
    QString s;
    s.reserve(96);
    s += QString::number(r.LapCount);
    s += QLatin1String(",\" 1 \",");
    s += r.TotalText;
    s += QLatin1Char(',');
    s += r.LapTimeText;
    s += QLatin1Char(',');
    s += QString::number(r.LapDiff);
    s += QLatin1Char(',');
    s += r.TimeOfDay;
    s += QLatin1Char(',');
    s += QString::number(r.LapTime);
    s += QLatin1Char(',');
    s += QString::number(r.LapKmh);
    s += QLatin1Char(',');
    s += QString::number(r.AveLap);
    s += QLatin1Char(',');
    s += QString::number(r.AveKmh);
    return s;
}

QString SecondaryRowText(int32_t count, int button, const QString& totalText,
                         const QString& lapTimeText, int32_t diff) {
    return QString::number(count) + QLatin1String(",\" ") + QString::number(button) +
           QLatin1String(" \",") + totalText + QLatin1Char(',') + lapTimeText + QLatin1Char(',') +
           QString::number(diff);
}

std::optional<int32_t> ScrollTopFor(int32_t lastRow, int32_t visibleRows) {
    if (visibleRows >= lastRow) return std::nullopt;
    return wrap::add(wrap::sub(lastRow, visibleRows), 1);
}

} // namespace LapEngine
