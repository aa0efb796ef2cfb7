// A foot pedal's press, from the event written to the lap performed: the
// reader's notifier, the read, the filter and the run's press, through a
// pipe standing in for the device. Reports the median and the 99th
// percentile of the samples. Run: build/bench/bench_devices
#include "Application.h"
#include "DeviceInput.h"
#include "InputHub.h"
#include "Timer.h"
#include "Unit1.h"
#include "bench_common.h"

#include <QCoreApplication>

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

int64_t BootNs() {
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The moment each lap was performed.
struct Done : TRunObserver {
    int64_t At = 0;
    void ActionDone(const TActionRecord& r) override {
        if (r.Action == TRunAction::Lap) At = BootNs();
    }
};

void BM_PedalPressToLap(benchmark::State& state) {
    TVantel w;
    w.Timer1->SetEnabled(false);
    w.Run.Perform(TRunAction::Reset);
    w.Run.Perform(TRunAction::Start);
    TInputHub hub(w);
    Done done;
    w.Run.Observe(&done);
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return state.SkipWithError("pipe2");
    TLapInput pedal;
    pedal.Key = KEY_F13;
    pedal.DebounceMs = 0; // every press a lap, however close
    TDeviceInput in(hub, fds[0], pedal, DeviceEvents::TEventClock::Boottime,
                    QStringLiteral("bench"));
    std::vector<double> us;
    for (auto _ : state) {
        // A run of a race's length: the grids of a run thousands of laps
        // long grow in steps that cost the lap handler milliseconds, which
        // is not what is measured here.
        if (us.size() % 200 == 199) {
            w.Run.Perform(TRunAction::Reset);
            w.Run.Perform(TRunAction::Start);
        }
        done.At = 0;
        const int64_t written = BootNs();
        input_event e[2] = {};
        e[0].input_event_sec = written / 1'000'000'000;
        e[0].input_event_usec = (written % 1'000'000'000) / 1000;
        e[0].type = EV_KEY;
        e[0].code = KEY_F13;
        e[0].value = 1;
        if (::write(fds[1], e, sizeof e) != ssize_t(sizeof e)) return state.SkipWithError("write");
        while (done.At == 0)
            QCoreApplication::processEvents();
        const double took = double(done.At - written) / 1000.0;
        us.push_back(took);
        state.SetIterationTime(took / 1e6);
    }
    w.Run.Forget(&done);
    ::close(fds[1]);
    std::sort(us.begin(), us.end());
    if (!us.empty()) {
        state.counters["median_us"] = us[us.size() / 2];
        state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    }
}
BENCHMARK(BM_PedalPressToLap)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<TApplication>(argc, argv);
}
