#include "RunModel.h"

#include "Clock.h"

#include <algorithm>
#include <exception>

namespace {

// Notes every reading of the clock while an action runs.
struct TCapture : Clock::TReadHook {
    explicit TCapture(TClockReadings& into) : Into(into) { Clock::SetReadHook(this); }
    ~TCapture() override { Clock::SetReadHook(nullptr); }
    TCapture(const TCapture&) = delete;
    TCapture& operator=(const TCapture&) = delete;
    uint32_t Tick(uint32_t read) override {
        Into.Ticks.push_back(read);
        return read;
    }
    QDateTime Time(const QDateTime& read) override {
        Into.Times.push_back(read);
        return read;
    }
    TClockReadings& Into;
};

} // namespace

struct TClockPlayback::THook : Clock::TReadHook {
    TClockReadings R;
    uint32_t Delta = 0;
    size_t NextTick = 0, NextTime = 0;
    uint32_t Tick(uint32_t read) override {
        if (R.Ticks.empty()) return read;
        const uint32_t t = R.Ticks[std::min(NextTick++, R.Ticks.size() - 1)];
        return t + Delta; // modulo 2^32, as the counter itself
    }
    QDateTime Time(const QDateTime& read) override {
        if (R.Times.empty()) return read;
        return R.Times[std::min(NextTime++, R.Times.size() - 1)];
    }
};

TClockPlayback::TClockPlayback(const TClockReadings& readings, uint32_t delta)
    : FHook(std::make_unique<THook>()) {
    FHook->R = readings;
    FHook->Delta = delta;
    Clock::SetReadHook(FHook.get());
}

TClockPlayback::~TClockPlayback() {
    Clock::SetReadHook(nullptr);
}

void TRunModel::Observe(TRunObserver* o) {
    if (std::find(FObservers.begin(), FObservers.end(), o) == FObservers.end())
        FObservers.push_back(o);
}

void TRunModel::Forget(TRunObserver* o) {
    FObservers.erase(std::remove(FObservers.begin(), FObservers.end(), o), FObservers.end());
}

void TRunModel::Perform(TRunAction action) {
    Perform(action, FHost.Read(action));
}

void TRunModel::begin(TActionRecord& r) {
    // A reset is the last action of its run; the next one begins another.
    if (!FActions.empty() && FActions.back().Action == TRunAction::Reset) FActions.clear();
    // A copy: an observer may perform nothing, but the list may grow under it.
    const std::vector<TRunObserver*> observers = FObservers;
    for (TRunObserver* o : observers)
        o->ActionBegins(r);
}

void TRunModel::Perform(TRunAction action, const TActionInput& input) {
    TActionRecord r;
    r.Action = action;
    r.Input = input;
    begin(r);
    const int before = FHost.Shown().Distances;
    std::exception_ptr error;
    {
        TCapture capture(r.Readings);
        try {
            FHost.Perform(action, input);
        } catch (...) {
            error = std::current_exception();
            r.Raised = true;
        }
    }
    finish(r, before);
    // The error is reported where every handler's is, after the record is kept.
    if (error) std::rethrow_exception(error);
}

void TRunModel::finish(TActionRecord& r, int distancesBefore) {
    r.After = FHost.Shown();
    // Enter on a distance already listed changes nothing.
    r.Changed = !(r.Action == TRunAction::Add && r.After.Distances == distancesBefore);
    if (r.Changed) FActions.push_back(r);
    const std::vector<TRunObserver*> observers = FObservers;
    for (TRunObserver* o : observers)
        o->ActionDone(r);
}

void TRunModel::Rebuild(const TActionRecord& record, uint32_t delta) {
    TActionRecord r;
    r.Action = record.Action;
    r.Input = record.Input;
    r.Readings = record.Readings;
    r.Rebuilt = true;
    begin(r);
    const int before = FHost.Shown().Distances;
    {
        TClockPlayback play(r.Readings, delta);
        try {
            FHost.Perform(r.Action, r.Input);
        } catch (const std::exception&) {
            // The report was seen the first time; the state it left is what
            // counts now.
            r.Raised = true;
        }
    }
    finish(r, before);
}
