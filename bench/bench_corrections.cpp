// What a correction costs from key to painted: a row deleted or the delete
// undone on runs of 1 000 and 10 000 laps, and whether a run that was
// corrected makes the next lap press dearer. Run: build/bench/bench_corrections
//
// Goals: one correction painted within 20 ms at 1 000 laps and within 300 ms
// at 10 000 laps (the window performs the whole corrected run again, so the
// cost grows with the run); a lap press after 100 corrections costs what it
// costs on a run never corrected.
#include "Application.h"
#include "Clock.h"
#include "CuteBtn.h"
#include "MessageService.h"
#include "RowCorrector.h"
#include "StringGridEx.h"
#include "Timer.h"
#include "Unit1.h"
#include "bench_common.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Counts the window's paints. repaint() paints nothing until the platform has
// exposed the window, which takes a pass of the event loop; the count shows
// that every timed repaint really painted.
struct PaintCount : QObject {
    int N = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++N;
        return false;
    }
};

struct Fixture {
    uint32_t tick = 0;
    RecordingMessageService messages;
    std::unique_ptr<TVantel> window;
    PaintCount paints;
    explicit Fixture(int laps) {
        Clock::SetTickSource([this] { return tick; });
        MessageService::SetInstance(&messages);
        window = std::make_unique<TVantel>();
        window->Timer1->SetEnabled(false);
        window->show();
        press(window->CuteButton2);
        press(window->start);
        for (int i = 0; i < laps; ++i)
            lap(i);
        settle(); // also exposes the window, or no repaint() would paint
        window->installEventFilter(&paints);
    }
    ~Fixture() {
        window->removeEventFilter(&paints);
        window.reset();
        MessageService::SetInstance(nullptr);
        Clock::SetTickSource({});
    }
    static void press(TCuteButton* b) { b->OnClick(b); }
    // Every tenth press on LAP2, so that the two grids differ as in a race.
    void lap(int i) {
        tick += 60000 + uint32_t(i % 977);
        press(i % 10 == 9 ? window->LAP2 : window->LAP);
    }
    // The lap marks are worked out after the action's handler returns,
    // in the next pass of the event loop, with the events the action posted
    // (scroll bar layouts among them); that pass is timed apart from the
    // painted figure, as after_ms, so the deferred part is seen too.
    double settle() {
        // Paints of the marks are not the timed ones.
        const int timedPaints = paints.N;
        QElapsedTimer t;
        t.start();
        QCoreApplication::processEvents();
        paints.N = timedPaints;
        return double(t.nsecsElapsed()) / 1e6;
    }
};

// Delete of the middle row of the main lap grid, then its undo, by turns, so
// the run keeps its length; each iteration is one correction and the window
// painted after it.
void BM_CorrectionPainted(benchmark::State& state) {
    Fixture f(int(state.range(0)));
    TStringGrid* grid = f.window->StringGridEx1;
    const int row = grid->RowCount() / 2;
    double afterMs = 0;
    int64_t n = 0;
    for (auto _ : state) {
        const bool done =
            n % 2 == 0 ? f.window->Corrector->Delete(grid, row) : f.window->Corrector->Undo();
        f.window->repaint();
        state.PauseTiming();
        ++n;
        if (!done) {
            state.SkipWithError("correction refused");
            break;
        }
        afterMs += f.settle();
        state.ResumeTiming();
    }
    state.counters["laps"] = f.window->State.LapCount + f.window->State.Lap2Count;
    state.counters["after_ms"] = n ? afterMs / double(n) : 0.0;
    state.counters["paints"] = f.paints.N;
}
BENCHMARK(BM_CorrectionPainted)
    ->ArgName("laps")
    ->Arg(1000)
    ->Iterations(40)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectionPainted)
    ->ArgName("laps")
    ->Arg(10000)
    ->Iterations(6)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// LAP's handler as a click reaches it, then the window painted, on a run of
// 100 laps that was corrected 100 times first (50 rows deleted, 50 laps
// split) or never. The iterations are fixed so the run stays near 100 laps.
void BM_LapPressPaintedAfterCorrections(benchmark::State& state) {
    const bool corrected = state.range(0) != 0;
    Fixture f(100);
    if (corrected) {
        TStringGrid* grid = f.window->StringGridEx1;
        // A press taken out merges its lap into the next, and splitting that
        // row halves it again: the laps keep their length, so none becomes
        // too short to split.
        for (int i = 0; i < 50; ++i) {
            const int row = 5 + i * 7 % 80;
            if (!f.window->Corrector->Delete(grid, row) || !f.window->Corrector->Split(grid, row)) {
                state.SkipWithError("correction refused");
                return;
            }
        }
        f.settle();
        f.paints.N = 0;
    }
    double afterMs = 0;
    int i = 0;
    for (auto _ : state) {
        f.lap(i++);
        f.window->repaint();
        state.PauseTiming();
        afterMs += f.settle();
        state.ResumeTiming();
    }
    state.counters["corrected"] = double(state.range(0));
    state.counters["after_ms"] = i ? afterMs / i : 0.0;
    state.counters["paints"] = f.paints.N;
}
// Interleaved, so both see the same machine load.
BENCHMARK(BM_LapPressPaintedAfterCorrections)
    ->ArgName("corrected")
    ->Arg(0)
    ->Arg(1)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<TApplication>(argc, argv);
}
