#pragma once
// The actions of a run as data: what each one carries and what the window
// must offer to perform one. Nothing here knows a widget, so the journal, the
// replay and any other input can drive the window without reaching into it.
#include "GridTypes.h"
#include "LapEngine.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The actions of a run that change what the window shows.
enum class TRunAction : int {
    Start,
    Stop,
    Restart,
    Reset,
    Lap,
    Lap2,
    Lap3,
    Pick,
    Add,
    Key,
    Up,
    Down,
    Save,
    Remove, // an entry the operator added is taken out of the distance list
    // Corrections of the run: they change which presses it holds, never what
    // the journal keeps of the presses themselves.
    Delete, // a press is taken out of the run
    Insert, // a press the operator missed is put in
    Undo,   // the last correction still in force is taken back
    Redo    // the last correction taken back is made again
};

// The lap buttons' actions, the presses a correction can take out or put in.
inline bool IsPress(TRunAction a) {
    return a == TRunAction::Lap || a == TRunAction::Lap2 || a == TRunAction::Lap3;
}
// The distance list's own actions, which may leave the list as it was.
inline bool ChangesDistances(TRunAction a) {
    return a == TRunAction::Add || a == TRunAction::Remove;
}
inline bool IsCorrection(TRunAction a) {
    return a >= TRunAction::Delete;
}

// The action's name in the journal ("lap2"), and the action of a name.
const char* ActionName(TRunAction a);
std::optional<TRunAction> ActionNamed(const QByteArray& name);

// What an action reads of the window besides the clock. Each action fills
// only what it reads; the rest stays at its default.
struct TActionInput {
    QString Text;   // Add: the typed distance; Pick: the distance shown; Remove: the entry's
    int Index = -1; // Pick, Remove: the list's entry (-1: none)
    std::optional<TGridRect> Sel; // Up, Down: the mix grid's selection
    std::optional<int> Top;       // Up, Down: the mix grid's top row
    // Save: the file the action wrote. Given, the file is taken as written
    // already (a rebuilt run never writes it twice); empty, a new one is written.
    QString File;
    QString FileDir; // Save: the folder of File, absolute
    // Delete, Insert: the press the correction is about (its number in the
    // run, 1 for the run's first action). An insert goes into that press's
    // lap, before it. Undo: the start it takes back, 0 for a correction.
    int Target = 0;
    // Insert: the new press's stopwatch total; none, the middle of the lap.
    std::optional<int32_t> Total;
    // Insert, once worked out: the new press's button, tick and time of day.
    TRunAction Button = TRunAction::Lap;
    std::optional<uint32_t> Tick;
    QDateTime Time;
    // When the press was made, on the tick counter, where the input knows it
    // (a device's event time, a command line's start, a portal's timestamp):
    // the action reads the clock as it stood then, so a busy moment between
    // the press and its handler costs the lap nothing. None: when it runs.
    std::optional<uint32_t> PressTick;
    // A press's number in the run while it is performed, so that the window
    // knows which press each row shows; not journaled (the order gives it).
    int Press = 0;
};

// Every reading of the clock an action made, in order.
struct TClockReadings {
    std::vector<uint32_t> Ticks;
    std::vector<QDateTime> Times;
};

// What the window shows of the run after an action, as far as anything
// outside the window needs it.
struct TRunShown {
    TRunState State;
    QString Focus;     // the component holding the keyboard focus ("" for none)
    int Distances = 0; // entries of the distance list
    QString CsvFile;   // the last file SAVE wrote
    QString CsvDir;    // its folder, absolute
};

// One action of the run as it happened.
struct TActionRecord {
    TRunAction Action = TRunAction::Start;
    TActionInput Input;
    TClockReadings Readings;
    TRunShown After;
    bool Raised = false;  // the action ended with an error report
    bool Rebuilt = false; // replayed from the journal, not performed now
    // Enter on a distance already listed, or a removal of an entry that may
    // not go: the action changed nothing.
    bool Changed = true;
};

// The settings and shapes a run starts from that its own actions do not
// make: what the previous run left behind.
struct TRunCarry {
    bool Keyed = true;          // the lap buttons' accelerators
    QStringList AddedDistances; // the operator's entries, after the built-in ones
    int Index = -1;
    QString Text;
    int32_t MixColor = 0;
    struct TGridShape {
        int RowCount = 0, TopRow = 0;
        TGridRect Sel;
    };
    std::array<TGridShape, 2> Grids{}; // main lap grid, mix grid
    QString CsvFile;
    TRunState State;
};

// Where a run begins: the window as the previous run left it.
struct TRunStart {
    TRunCarry Carry;
    // The reset that ended the previous run, with its readings; none when the
    // run began on a window as the program opened it.
    std::optional<TClockReadings> Reset;
};

// What a window offers the run: it reads and performs each action (the one
// path every input takes), and tells what it shows.
class TRunHost {
public:
    virtual ~TRunHost() = default;
    // What `action` would read of the window if it were performed now.
    virtual TActionInput Read(TRunAction action) const = 0;
    // Performs `action` fed with `input`: the window's widgets are set from
    // the input first, then the action's handler runs. It may raise the
    // handler's error.
    virtual void Perform(TRunAction action, const TActionInput& input) = 0;
    virtual TRunShown Shown() const = 0;

    virtual TRunCarry Carry() const = 0;
    virtual void ApplyCarry(const TRunCarry& carry) = 0;
    // Makes the window show the run's beginning again, so that its actions
    // can be performed anew (a correction rebuilds the run from there).
    virtual void ReturnToStart(const TRunStart& start) = 0;
    // A run is rebuilt; its last action left the running lap so (nullopt:
    // not known, the window works it out). The window shows the run as it
    // stands.
    virtual void Rebuilt(std::optional<int32_t> liveLap) = 0;
    // Gives the focus to the component named, when there is one.
    virtual void Focus(const QString& name) = 0;
    // Nothing is painted while a run is rebuilt; returns what it was.
    virtual bool SetPainting(bool on) = 0;
    // Tells the operator that the journal is not written (why), or that it is
    // again (empty), without taking the focus.
    virtual void ShowJournalTrouble(const QString& why) = 0;
};
