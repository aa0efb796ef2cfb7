#pragma once
// The distances the operator added, remembered from one start to the next
// in the user's settings ($XDG_CONFIG_HOME/vantel/vantel.conf, group
// [Distances]).
#include "RunModel.h"

#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <mutex>
#include <optional>

// The settings file's part: read at start-up, written on a worker thread of
// its own so that the caller never waits on the disk.
class TDistanceStore {
public:
    TDistanceStore();
    // Every write handed over is on disk before it returns.
    ~TDistanceStore();
    TDistanceStore(const TDistanceStore&) = delete;
    TDistanceStore& operator=(const TDistanceStore&) = delete;

    // The entries remembered, in the order they were added. Only entries
    // the keyboard would add come back (a hand-edited file may hold
    // anything), each once, none already in `listed`.
    static QStringList Load(const QStringList& listed);
    // Remembers `added` in place of what was remembered. Writes handed over
    // faster than the disk takes them are merged; the last one wins.
    void Save(const QStringList& added);
    // Waits until every write handed over is on disk.
    void Flush();

private:
    void writePending();
    QThreadPool FPool;
    std::mutex FLock;
    std::optional<QStringList> FPending; // under FLock
};

// Remembers the list each time an add or a removal of the run changes it,
// also one brought back from the journal (which shows the list as it was).
class TDistanceMemory : public TRunObserver {
public:
    // `added`: the operator's entries as the window lists them now.
    TDistanceMemory(TRunModel& run, std::function<QStringList()> added);
    ~TDistanceMemory() override;
    TDistanceMemory(const TDistanceMemory&) = delete;
    TDistanceMemory& operator=(const TDistanceMemory&) = delete;
    static QStringList Load(const QStringList& listed) { return TDistanceStore::Load(listed); }
    void ActionDone(const TActionRecord& r) override;

private:
    TRunModel& FRun;
    std::function<QStringList()> FAdded;
    TDistanceStore FStore;
};
