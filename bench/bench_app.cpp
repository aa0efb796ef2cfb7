// Cost of a lap press at different run lengths, of one display tick and of
// the time text. Run: build/bench/bench_app
#include "Application.h"
#include "Clock.h"
#include "ComboBox.h"
#include "MessageService.h"
#include "TimeText.h"
#include "Timer.h"
#include "Unit1.h"
#include "bench_common.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Fixture {
    uint32_t tick = 0;
    RecordingMessageService messages;
    std::unique_ptr<TVantel> window;
    Fixture() {
        Clock::SetTickSource([this] { return tick; });
        MessageService::SetInstance(&messages);
        window = std::make_unique<TVantel>();
        window->Timer1->SetEnabled(false);
        window->ComboBox1->PickFromList(8); // 5864 m
        window->ResetClick(nullptr);
        window->StartClick(nullptr);
    }
    ~Fixture() {
        window.reset();
        MessageService::SetInstance(nullptr);
        Clock::SetTickSource({});
    }
};

void BM_LapClick(benchmark::State& state) {
    Fixture f;
    const int32_t laps = static_cast<int32_t>(state.range(0));
    for (int32_t i = 0; i < laps; ++i) {
        f.tick += 60000;
        f.window->LapClick(nullptr);
    }
    for (auto _ : state) {
        f.tick += 60000;
        f.window->LapClick(nullptr);
        state.PauseTiming();
        // Keep the run at the same length: the next press rewrites the same row.
        f.window->State.LapCount = laps;
        state.ResumeTiming();
    }
    state.counters["laps"] = laps;
}
BENCHMARK(BM_LapClick)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_DisplayTick(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.tick += 1;
        f.window->DisplayTick();
    }
}
BENCHMARK(BM_DisplayTick);

void BM_Timer1Timer(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.tick += 1;
        f.window->Timer1Timer(nullptr);
    }
}
BENCHMARK(BM_Timer1Timer);

void BM_TimeText(benchmark::State& state) {
    int32_t ms = 65432;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TimeText(ms));
        ms += 7;
    }
}
BENCHMARK(BM_TimeText);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<TApplication>(argc, argv);
}
