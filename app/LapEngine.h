#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// Plain lap arithmetic and row texts of the main window's handlers.
namespace LapEngine {

// Speed in whole km/h of `meter` metres in `ms` milliseconds, in wrapping
// 32-bit steps: a = meter*10000, d = ms quot 10, b = a quot d, c = b*36,
// speed = c quot 1000. nullopt when d is 0 (|ms| < 10): the caller shows 0.
std::optional<int32_t> Speed(int32_t meter, int32_t ms);
// Speed with the division by zero caught: 0.
int32_t SpeedOrZero(int32_t meter, int32_t ms);

// The ten-field row text of a main lap press.
struct LapRow {
    int32_t LapCount = 0;
    QString TotalText;   // time text of Total, with its leading blank
    QString LapTimeText; // time text of LapTime
    int32_t LapDiff = 0;
    QString TimeOfDay;
    int32_t LapTime = 0;
    int32_t LapKmh = 0;
    int32_t AveLap = 0;
    int32_t AveKmh = 0;
};
QString LapRowText(const LapRow& r);

// The five-field row text of a secondary lap button (2 or 3).
QString SecondaryRowText(int32_t count, int button, const QString& totalText, const QString& lapTimeText,
                         int32_t diff);

// The top visible row that makes `lastRow` the last fully visible one, or
// nullopt when it is already in view from the top.
std::optional<int32_t> ScrollTopFor(int32_t lastRow, int32_t visibleRows);

} // namespace LapEngine
