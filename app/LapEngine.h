#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// The values of one timing run. Every text on screen is made afresh from them.
// Each field is written once, here: the struct and whatever lists
// its fields (the harness's state dump) are both made from this list, so a
// new field cannot be left out of either.
#define VANTEL_RUN_STATE_FIELDS(X)                                                                 \
    X(bool, Running, false)                                                                        \
    X(int32_t, Total, 0)                                                                           \
    X(int32_t, PrevTotal, 0)                                                                       \
    X(int32_t, LapTime, 0)                                                                         \
    X(int32_t, PrevLap, 0)                                                                         \
    X(int32_t, LapDiff, 0)                                                                         \
    X(int32_t, FastLap, 0)                                                                         \
    X(int32_t, LapSum, 0)                                                                          \
    X(int32_t, AveLap, 0)                                                                          \
    X(int32_t, LapCount, 0)                                                                        \
    X(int32_t, Meter, 0)                                                                           \
    X(QString, MeterText, QString())                                                               \
    X(int32_t, LapKmh, 0)                                                                          \
    X(int32_t, AveKmh, 0)                                                                          \
    X(int32_t, LiveLap, 0)                                                                         \
    X(int32_t, Lap2Time, 0)                                                                        \
    X(int32_t, Lap3Time, 0)                                                                        \
    X(int32_t, Lap2PrevTotal, 0)                                                                   \
    X(int32_t, Lap3PrevTotal, 0)                                                                   \
    X(int32_t, Lap2Diff, 0)                                                                        \
    X(int32_t, Lap3Diff, 0)                                                                        \
    X(int32_t, Lap2PrevLap, 0)                                                                     \
    X(int32_t, Lap3PrevLap, 0)                                                                     \
    X(int32_t, Lap2Count, 0)                                                                       \
    X(int32_t, Lap3Count, 0)                                                                       \
    X(int32_t, MixLap1Count, 0)                                                                    \
    X(int32_t, MixRow, 0)

struct TRunState {
#define VANTEL_RUN_STATE_FIELD(type, name, init) type name = init;
    VANTEL_RUN_STATE_FIELDS(VANTEL_RUN_STATE_FIELD)
#undef VANTEL_RUN_STATE_FIELD

    // Calls f(name, value) for every field, in declaration order.
    template <class F> void ForEachField(F&& f) const {
#define VANTEL_RUN_STATE_FIELD(type, name, init) f(#name, name);
        VANTEL_RUN_STATE_FIELDS(VANTEL_RUN_STATE_FIELD)
#undef VANTEL_RUN_STATE_FIELD
    }
    // The same with each field writable (the run journal reads a state back).
    template <class F> void ForEachField(F&& f) {
#define VANTEL_RUN_STATE_FIELD(type, name, init) f(#name, name);
        VANTEL_RUN_STATE_FIELDS(VANTEL_RUN_STATE_FIELD)
#undef VANTEL_RUN_STATE_FIELD
    }
};

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
QString SecondaryRowText(int32_t count, int button, const QString& totalText,
                         const QString& lapTimeText, int32_t diff);

// The figures of a main lap press: the run state after the press, from the
// state before it, the stopwatch's elapsed time and whether a distance is
// picked from the list (the speeds change only then).
struct MainLapResult {
    TRunState State;
    bool NewFastLap = false; // the lap is the fastest so far (or ties it)
};
MainLapResult MainLap(const TRunState& before, int32_t elapsed, bool distancePicked);

// The figures of one of the two other lap buttons (2 or 3) as one value. The
// run state keeps them under names of their own (Lap2Time, Lap3Count), which
// the journal and the harness's dumps write; this is the same five fields
// taken together.
struct TSecondaryLap {
    int32_t Time = 0;      // the last lap
    int32_t PrevTotal = 0; // the total at the press before
    int32_t Diff = 0;      // the last lap minus the one before
    int32_t PrevLap = 0;   // the lap before the last one
    int32_t Count = 0;     // presses so far
    bool operator==(const TSecondaryLap&) const = default;
};
TSecondaryLap SecondaryOf(const TRunState& s, int button);
void SetSecondary(TRunState& s, int button, const TSecondaryLap& lap);

// The run state after a press of lap button `button` (2 or 3), from the state
// before it and the stopwatch's elapsed time. Only the total, that button's
// figures and the mix grid's row move.
TRunState SecondaryLap(const TRunState& before, int button, int32_t elapsed);

// Clears the lap figures that start and reset both begin afresh from.
void ClearLapFigures(TRunState& s);

// The top visible row that makes `lastRow` the last fully visible one, or
// nullopt when it is already in view from the top.
std::optional<int32_t> ScrollTopFor(int32_t lastRow, int32_t visibleRows);

} // namespace LapEngine
