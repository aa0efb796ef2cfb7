// What the run journal costs: a lap press painted with and without it in the
// same run, one record on its own, and bringing back a run of 10 000 laps.
// The journals go to a temporary folder. Run: build/bench/bench_journal
#include "Application.h"
#include "Clock.h"
#include "ComboBox.h"
#include "CuteBtn.h"
#include "MessageService.h"
#include "RunRecorder.h"
#include "Timer.h"
#include "Unit1.h"
#include "bench_common.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

TRunRecorder::TSystem benchSystem() {
    return {[] { return QByteArray("bench-boot"); }, [] { return qint64(1796735142000); }};
}

struct Fixture {
    uint32_t tick = 0;
    RecordingMessageService messages;
    QTemporaryDir dir;
    std::unique_ptr<TVantel> window;
    std::unique_ptr<TRunRecorder> recorder;
    explicit Fixture(bool journal) {
        Clock::SetTickSource([this] { return tick; });
        MessageService::SetInstance(&messages);
        window = std::make_unique<TVantel>();
        window->Timer1->SetEnabled(false);
        if (journal) {
            recorder = std::make_unique<TRunRecorder>(window->Run, dir.path(), benchSystem());
        }
        window->show();
        press(window->CuteButton2);
        press(window->start);
    }
    ~Fixture() {
        recorder.reset();
        window.reset();
        MessageService::SetInstance(nullptr);
        Clock::SetTickSource({});
    }
    static void press(TCuteButton* b) { b->OnClick(b); }
};

// LAP's handler as a click reaches it, then the window painted: the part of
// key-to-painted that the journal can change.
void BM_LapPressPainted(benchmark::State& state) {
    Fixture f(state.range(0) != 0);
    for (auto _ : state) {
        f.tick += 60000 + uint32_t(state.iterations() % 977);
        Fixture::press(f.window->LAP);
        f.window->repaint();
    }
    state.counters["journal"] = double(state.range(0));
}
// Interleaved, so both see the same machine load.
BENCHMARK(BM_LapPressPainted)
    ->ArgName("journal")
    ->Arg(0)
    ->Arg(1)
    ->Arg(0)
    ->Arg(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

// A window that only reads the clock, so that one record costs the journal
// alone.
struct ClockOnlyHost : TRunHost {
    TActionInput Read(TRunAction) const override { return {}; }
    void Perform(TRunAction, const TActionInput&) override {
        benchmark::DoNotOptimize(Clock::GetTickCount());
    }
    TRunShown Shown() const override { return {}; }
    TRunCarry Carry() const override { return {}; }
    void ApplyCarry(const TRunCarry&) override {}
    void ReturnToStart(const TRunStart&) override {}
    void Rebuilt(std::optional<int32_t>) override {}
    void Focus(const QString&) override {}
    bool SetPainting(bool) override { return true; }
    void ShowJournalTrouble(const QString&) override {}
};

// One record: the clock readings noted, the line encoded and written.
void BM_OneRecord(benchmark::State& state) {
    QTemporaryDir dir;
    ClockOnlyHost host;
    TRunModel run(host);
    TRunRecorder rec(run, dir.path(), benchSystem());
    for (auto _ : state)
        run.Perform(TRunAction::Lap);
}
BENCHMARK(BM_OneRecord)->Unit(benchmark::kMicrosecond);

// A run of 10 000 laps brought back into a new window.
void BM_Restore10000Laps(benchmark::State& state) {
    QTemporaryDir dir;
    {
        Fixture f(false);
        TRunRecorder rec(f.window->Run, dir.path(), benchSystem());
        Fixture::press(f.window->CuteButton2);
        Fixture::press(f.window->start);
        for (int i = 0; i < 10000; ++i) {
            f.tick += 60000 + uint32_t(i % 977);
            Fixture::press(i % 10 == 9 ? f.window->LAP2 : f.window->LAP);
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        Fixture f(false);
        TRunRecorder rec(f.window->Run, dir.path(), benchSystem());
        if (!rec.Offer()) {
            state.SkipWithError("no run offered");
            break;
        }
        state.ResumeTiming();
        rec.Restore();
        state.PauseTiming();
        state.counters["laps"] = f.window->State.LapCount;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Restore10000Laps)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<TApplication>(argc, argv);
}
