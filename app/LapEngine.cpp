#include "LapEngine.h"

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

int32_t SpeedOrZero(int32_t meter, int32_t ms) { return Speed(meter, ms).value_or(0); }

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

QString SecondaryRowText(int32_t count, int button, const QString& totalText, const QString& lapTimeText,
                         int32_t diff) {
    return QString::number(count) + QLatin1String(",\" ") + QString::number(button) + QLatin1String(" \",") +
           totalText + QLatin1Char(',') + lapTimeText + QLatin1Char(',') + QString::number(diff);
}

std::optional<int32_t> ScrollTopFor(int32_t lastRow, int32_t visibleRows) {
    if (visibleRows >= lastRow) return std::nullopt;
    return wrap::add(wrap::sub(lastRow, visibleRows), 1);
}

} // namespace LapEngine
