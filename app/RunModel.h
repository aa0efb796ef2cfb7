#pragma once
#include "Corrections.h"
#include "RunAction.h"

#include <cstdint>
#include <memory>
#include <vector>

// Learns of each action of a run as the window performs it. An observer is
// told twice: before the action runs (what the run was), and once it is done
// (what it read and left), also when it raised an error.
class TRunObserver {
public:
    virtual ~TRunObserver() = default;
    // `r` holds the action and its input (and whether it is rebuilt) so far.
    virtual void ActionBegins(const TActionRecord& r) { (void)r; }
    virtual void ActionDone(const TActionRecord& r) { (void)r; }
};

// The run as data: every action in order, with the clock readings it made and
// what it left shown, performed through the window's one path.
//
// Observers are a plain list of interface pointers rather than Qt signals:
// the "begins" call must reach the journal before the action runs, in the
// same stack, and an observer must see the error flag of an action that is
// about to raise; a direct call says that plainly, and needs no QObject.
class TRunModel {
public:
    explicit TRunModel(TRunHost& host) : FHost(host) {}
    TRunModel(const TRunModel&) = delete;
    TRunModel& operator=(const TRunModel&) = delete;

    TRunHost& Host() const { return FHost; }

    // Performs an action now, reading its input from the window. The handler's
    // error, if any, is raised again once the observers know of it.
    void Perform(TRunAction action);
    // The same with the input given, for inputs from outside the window.
    void Perform(TRunAction action, const TActionInput& input);
    // A press from outside the window, made at `pressTick` when known: the
    // rest of its input is read from the window.
    void Press(TRunAction action, std::optional<uint32_t> pressTick);
    // How long ago a press may have been made and still be timed at its
    // moment; an older one, or one ahead of the clock, is timed when it runs.
    static constexpr uint32_t MaxPressAge = 60000;
    // Performs a recorded action again, its clock readings handed back in the
    // order they were made and its ticks moved on by `delta` (another boot's
    // counter). Its error, reported the first time, is not reported again.
    void Rebuild(const TActionRecord& record, uint32_t delta);

    // The actions of the current run as they were made, corrections
    // included: since the action after the last reset. An action's number in
    // the run is its place here, from 1.
    const std::vector<TActionRecord>& Actions() const { return FActions; }
    // The run as the window shows it: the actions without the corrections,
    // corrected, each with what it left (Input.Press its number).
    const std::vector<TActionRecord>& Shown() const { return FShown; }
    // The press numbered `id` as the window shows it; nullptr for none.
    const TActionRecord* ShownPress(int id) const;

    // Corrects the run now: takes a press out (Delete, Input.Target), puts
    // one in (Insert: Input.Target the press whose lap it splits, Input.Total
    // where, none for the middle), or takes the last correction back (Undo)
    // or makes it again (Redo). The window is rebuilt as the corrected run
    // would have left it. Returns why nothing was done, or nullopt when done.
    std::optional<QString> Correct(TRunAction kind, TActionInput input);
    const TCorrections& Corrections() const { return FCorrections; }
    // Whether an undo would do something now: take back a correction, or a
    // start made over laps with no lap since.
    bool CanUndo() const;
    // The start an undo would take back now, if any.
    std::optional<int> StartToTakeBack() const;

    // A run is rebuilt from its journal: it began so.
    void BeginRebuiltRun(const TRunStart& start);
    // Every action of a rebuilt run is back: the corrections among them take
    // effect, once.
    void FinishRebuiltRun();

    void Observe(TRunObserver* o);
    void Forget(TRunObserver* o);

private:
    void begin(TActionRecord& r);
    void finish(TActionRecord& r, int distancesBefore);
    void notifyDone(const TActionRecord& r);
    int distancesBefore(TRunAction action) const;
    void performAgain(TActionRecord& r);
    void perform(TRunAction action, const TActionInput& input, bool waited);
    uint32_t lateness(std::optional<uint32_t> pressTick, bool waited) const;
    void rebuildShown();
    std::optional<QString> prepare(TRunAction kind, TActionInput& input) const;
    TRunHost& FHost;
    std::vector<TActionRecord> FActions;
    std::vector<TActionRecord> FShown;
    TCorrections FCorrections;
    TRunStart FStart;
    std::optional<TClockReadings> FLastReset; // the reset that ended the previous run
    bool FCorrectedWhileRebuilt = false;
    bool FPerforming = false; // an action's handler runs
    std::vector<TRunObserver*> FObservers;
};

// Hands readings back in the order they were made while it is installed;
// the tick moved on by `Delta` (modulo 2^32, as the counter itself). Past the
// recorded readings the last one repeats.
class TClockPlayback {
public:
    TClockPlayback(const TClockReadings& readings, uint32_t delta);
    ~TClockPlayback();
    TClockPlayback(const TClockPlayback&) = delete;
    TClockPlayback& operator=(const TClockPlayback&) = delete;

    struct THook;

private:
    std::unique_ptr<THook> FHook;
};
