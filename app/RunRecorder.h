#pragma once
#include "RunModel.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TRunModel;
namespace RunJournal {
class TWriter;
struct TContents;
struct TFound;
struct TRecord;
} // namespace RunJournal

// Keeps a run in a journal beside it, so that a run survives whatever ends
// the process, and brings an interrupted run back at the next start by
// performing the recorded actions again through the window's one path, fed
// with the tick and wall-clock readings they made the first time.
class TRunRecorder : private TRunObserver {
public:
    // What the clock needs besides the tick to go on after a restart:
    // injectable so that the replay harness never reads the machine's.
    struct TSystem {
        std::function<QByteArray()> BootId; // changes with every boot
        std::function<qint64()> RealTime;   // ms since the epoch, UTC
    };
    static TSystem RealSystem();

    // Keeps `run` in a journal from now on, and tells trouble to the run's
    // window (OnTrouble), until the recorder is gone. The run must outlive it.
    TRunRecorder(TRunModel& run, QString dir, TSystem system = RealSystem());
    // Closes the journal (the run stays unfinished in it) and stops observing.
    ~TRunRecorder() override;
    TRunRecorder(const TRunRecorder&) = delete;
    TRunRecorder& operator=(const TRunRecorder&) = delete;

    // Every interrupted run of `dir`, newest first, each held locked.
    // Journals that cannot be read are moved aside, and the message service
    // tells which and where.
    static std::vector<RunJournal::TFound> Interrupted(const QString& dir);
    // Holds `found` to be restored or discarded; returns its question.
    QString Offer(RunJournal::TFound found);
    // Offers the newest interrupted run of the recorder's folder; the others
    // stay unfinished for a later start.
    std::optional<QString> Offer();
    // Rebuilds the offered run in the window and goes on writing its journal
    // (a damaged one in a new journal of its good records).
    void Restore();
    // Moves the offered run's journal aside (never deletes it).
    void Discard();
    static void Discard(RunJournal::TFound& found);
    // Start-up: asks about every interrupted run of `dir`, newest first, one
    // question after the other (true: restore), then restores the runs
    // chosen. One window holds one run, so each is given to a recorder from
    // `freeRun`, whose window holds none yet; each run discarded is moved
    // aside. Returns how many were restored.
    static int StartUp(const QString& dir, const std::function<bool(const QString& question)>& ask,
                       const std::function<TRunRecorder&()>& freeRun);

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

    // The records of the journal's lines and back. An action's record
    // reaches the kernel before the action's error, if any, is reported.
    static RunJournal::TRecord Encode(const TActionRecord& a);
    static TActionRecord Decode(const RunJournal::TRecord& r);
    static RunJournal::TRecord EncodeCarry(const TRunCarry& c,
                                           const std::vector<uint32_t>* resetTicks);
    // `base` gives what a record leaves out.
    static TRunCarry DecodeCarry(const RunJournal::TRecord& r, TRunCarry base);

private:
    void ActionBegins(const TActionRecord& a) override;
    void ActionDone(const TActionRecord& a) override;
    RunJournal::TRecord anchorRecord(const char* kind) const;
    void write(const QByteArray& lines);
    void applyCarry(const RunJournal::TRecord& r, uint32_t delta);
    void trouble(const QString& why);

    TRunModel& FRun;
    QByteArray FBegun; // the header and carry of a journal begun by this action
    QString FDir;
    TSystem FSystem;
    std::unique_ptr<RunJournal::TWriter> FWriter;
    QByteArray FUnwritten; // records of a journal that could not be created yet
    bool FOpen = false;    // a journal of the current run is begun (maybe unwritten)
    QString FTrouble;
    std::vector<uint32_t> FResetTicks; // what the last reset read, for the next carry
    bool FWasReset = false;
    std::unique_ptr<RunJournal::TFound> FOffered;
    // A damaged journal, held locked until the copy of its good records is
    // written, then moved aside.
    int FReplacedFd = -1;
    QString FReplacedPath;
    QString FFocus; // the focus the last restored action left
};
