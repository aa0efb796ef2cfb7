#pragma once
// What the window shows of a run, as plain values for views outside it (the
// live board): texts as they stand, the stopwatch as numbers to run on from,
// the mix grid's cells. Strings are shared, not copied, so a capture is cheap
// and may cross to another thread.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct TWindowShows {
    // The figures' texts.
    QString Total, Lap, LapReal, Fast, FastLap, Average, LapCount, Diff, LapKmh, AveKmh;
    QString Distance; // the distance list's text
    // The stopwatch: running, its elapsed time at tick t is t - Origin
    // (modulo 2^32); stopped, it stays at Elapsed.
    bool Running = false;
    uint32_t Origin = 0;
    int32_t Elapsed = 0;
    int32_t PrevTotal = 0; // the running lap is the elapsed time less this
    // The mix grid: every stored row (row 0 its header), each of MixCols cells.
    int MixCols = 0;
    std::vector<QStringList> MixRows;
    std::vector<int> MixPresses; // the press each row shows (0: none)
};
