#pragma once
#include "RunAction.h"

#include <optional>
#include <vector>

// One action of a run as the window performs it when the run is rebuilt: a
// press or any other action the operator made, or a press a correction put in.
struct TRunItem {
    int Id = 0; // the action's number in the run (an inserted press: its insert's)
    TRunAction Action = TRunAction::Start;
    TActionInput Input;
    TClockReadings Readings;
};

// The corrections in force over a run, and the run they make of its actions.
// The actions themselves are never changed: a deleted press stays in the
// journal, and an undo only takes the correction back.
class TCorrections {
public:
    struct TEdit {
        // Delete or Insert; Start: a start taken back (only ever waiting
        // to be made again, among the undone)
        TRunAction Kind = TRunAction::Delete;
        int Id = 0;                          // the correction's own number in the run
        int Target = 0;                      // the press deleted, or the one inserted before
        TRunAction Button = TRunAction::Lap; // Insert: the button of the new press
        uint32_t Tick = 0;                   // Insert: the new press's readings
        QDateTime Time;
    };

    // Takes a correction into account (`id` its number in the run). An undo
    // with nothing to undo, or a redo with nothing to redo, changes nothing:
    // false. An undo with a target takes that start back: the run goes on as
    // if it had never been made, and a redo makes it again.
    bool Apply(int id, TRunAction kind, const TActionInput& input);
    bool CanUndo() const { return !FDone.empty(); }
    bool CanRedo() const { return !FUndone.empty(); }
    const TEdit* LastDone() const { return FDone.empty() ? nullptr : &FDone.back(); }
    const TEdit* LastUndone() const { return FUndone.empty() ? nullptr : &FUndone.back(); }
    bool Any() const { return !FDone.empty(); }
    // The corrections in force, oldest first.
    const std::vector<TEdit>& Done() const { return FDone; }
    void Clear();

    // The run the window shows: the actions (numbered from 1 in their
    // order) without the corrections, the deleted presses left out and the
    // inserted ones in their place. An inserted press goes right after the
    // last action before its lap's end that read the clock at or before its
    // tick, so that it meets the other buttons' presses in the order of time.
    std::vector<TRunItem> Run(const std::vector<TActionRecord>& actions) const;

private:
    std::vector<TEdit> FDone, FUndone;
    std::vector<int> FTakenBack; // starts taken back
};

// A start over a stopped run's laps begins a new count whose laps overwrite
// the earlier rows one by one; until the new count's first lap nothing of the
// earlier run is gone for good, and an undo takes the start back.
// The presses of all three buttons a run's state counts.
int PressesOf(const TRunState& s);

// Actions after which the clock runs on from another base: a start before
// them is part of the run's history, no longer a slip of the keyboard.
bool MovesTheClock(TRunAction a);

// The start of `shown` that can still be taken back: the last start, made
// over laps, with no press and no other clock action after it.
std::optional<int> StartToTakeBack(const std::vector<TActionRecord>& shown);

// Which press each row of the two lap grids shows, as the window writes and
// moves the rows: a correction is asked for by row.
class TRowPresses {
public:
    enum TGrid { Main, Mix };
    void Clear() { FRows[0].clear(), FRows[1].clear(); }
    // Row `row` of `grid` now shows press `press`.
    void Wrote(TGrid grid, int row, int press);
    void Swapped(TGrid grid, int a, int b);
    // 0 when the row shows no press of the run.
    int PressAt(TGrid grid, int row) const;
    // The row that shows `press`; -1 when none does.
    int RowOf(TGrid grid, int press) const;
    // The press of each row, 0 for none.
    const std::vector<int>& Presses(TGrid grid) const { return FRows[grid]; }

private:
    std::vector<int> FRows[2];
};
