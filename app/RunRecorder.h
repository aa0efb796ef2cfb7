#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TVantel;
class TLabel;
namespace RunJournal {
class TWriter;
struct TContents;
struct TFound;
struct TRecord;
} // namespace RunJournal

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
    Save
};

// Keeps the window's run in a journal beside it, so that a run survives
// whatever ends the process, and brings an interrupted run back at the next
// start by running the recorded actions through the same handlers, fed with
// the tick and wall-clock readings they made the first time.
class TRunRecorder {
public:
    // What the clock needs besides the tick to go on after a restart:
    // injectable so that the replay harness never reads the machine's.
    struct TSystem {
        std::function<QByteArray()> BootId; // changes with every boot
        std::function<qint64()> RealTime;   // ms since the epoch, UTC
    };
    static TSystem RealSystem();

    // Keeps `window`'s run from now on: the window's handlers go through
    // this recorder, and trouble shows in the window (OnTrouble), until the
    // recorder is gone. The window must outlive it.
    TRunRecorder(TVantel& window, QString dir, TSystem system = RealSystem());
    // Closes the journal (the run stays unfinished in it) and lets go of the
    // window.
    ~TRunRecorder();
    TRunRecorder(const TRunRecorder&) = delete;
    TRunRecorder& operator=(const TRunRecorder&) = delete;

    // Runs one handler, noting what it read. The record reaches the kernel
    // before this returns, also when the handler raises an error.
    void Around(TRunAction action, const std::function<void()>& handler);

    // Start-up: looks for an interrupted run. Journals that cannot be read are
    // moved aside, and the message service tells which and where. Returns the
    // question to ask when there is a run to offer.
    std::optional<QString> Offer();
    // Rebuilds the offered run in the window and goes on writing its journal.
    void Restore();
    // Moves the offered run's journal aside (never deletes it).
    void Discard();
    // Offer, the question through `ask` (true: restore), then Restore or
    // Discard.
    void StartUp(const std::function<bool(const QString& question)>& ask);

    // Gives the focus back as the last restored action left it; called once
    // the window is shown.
    void RestoreFocus();

    // Told once when records stop reaching the journal (with why), and once
    // with an empty text when they reach it again; by default the window's
    // note over the chart.
    std::function<void(const QString& trouble)> OnTrouble;
    // The path of the journal being written, empty when none is open.
    QString JournalPath() const;
    // Waits until the journal is on stable storage (tests, benchmarks).
    void WaitSynced();

    // Whether a readable journal's run was finished: reset, or saved while
    // stopped with nothing changed after the save.
    static bool Finished(const RunJournal::TContents& c);
    // The restore question for a readable, unfinished journal.
    static QString Question(const RunJournal::TContents& c);

private:
    RunJournal::TRecord carryRecord() const;
    RunJournal::TRecord anchorRecord(const char* kind) const;
    void write(const QByteArray& lines);
    void replay(const RunJournal::TRecord& r, uint32_t delta);
    void applyCarry(const RunJournal::TRecord& r, uint32_t delta);
    void trouble(const QString& why);

    TVantel& W;
    QString FDir;
    TSystem FSystem;
    std::unique_ptr<RunJournal::TWriter> FWriter;
    QByteArray FUnwritten; // records of a journal that could not be created yet
    bool FOpen = false;    // a journal of the current run is begun (maybe unwritten)
    QString FTrouble;
    std::vector<uint32_t> FResetTicks; // what the last reset read, for the next carry
    bool FWasReset = false;
    std::unique_ptr<RunJournal::TFound> FOffered;
    QString FFocus; // the focus the last restored action left
};
