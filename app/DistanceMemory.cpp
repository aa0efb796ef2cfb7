#include "DistanceMemory.h"

#include "Distances.h"
#include "ProgramSettings.h"

#include <QSettings>

#include <utility>

namespace {

const QString kGroup = QStringLiteral("Distances");
const QString kKey = QStringLiteral("Metres");

QSettings openSettings() {
    return ProgramSettings();
}

} // namespace

TDistanceStore::TDistanceStore() {
    // One writer: the writes reach the file in the order they were made.
    FPool.setMaxThreadCount(1);
}

TDistanceStore::~TDistanceStore() {
    Flush();
}

QStringList TDistanceStore::Load(const QStringList& listed) {
    QSettings s = openSettings();
    QStringList out;
    const int n = s.beginReadArray(kGroup);
    for (int i = 0; i < n; ++i) {
        s.setArrayIndex(i);
        const std::optional<QString> entry = Distances::Typed(s.value(kKey).toString());
        if (entry && !Distances::Listed(listed, *entry) && !Distances::Listed(out, *entry))
            out << *entry;
    }
    s.endArray();
    return out;
}

void TDistanceStore::Save(const QStringList& added) {
    bool idle = false;
    {
        std::lock_guard<std::mutex> hold(FLock);
        idle = !FPending;
        FPending = added;
    }
    // A write still queued takes the newer list along.
    if (idle) FPool.start([this] { writePending(); });
}

void TDistanceStore::Flush() {
    FPool.waitForDone();
}

void TDistanceStore::writePending() {
    QStringList added;
    {
        std::lock_guard<std::mutex> hold(FLock);
        if (!FPending) return;
        added = std::move(*FPending);
        FPending.reset();
    }
    QSettings s = openSettings();
    // An array shorter than the last one would leave the old tail behind.
    s.remove(kGroup);
    s.beginWriteArray(kGroup, int(added.size()));
    for (int i = 0; i < added.size(); ++i) {
        s.setArrayIndex(i);
        s.setValue(kKey, added[i]);
    }
    s.endArray();
    s.sync();
}

TDistanceMemory::TDistanceMemory(TRunModel& run, std::function<QStringList()> added)
    : FRun(run), FAdded(std::move(added)) {
    FRun.Observe(this);
}

TDistanceMemory::~TDistanceMemory() {
    FRun.Forget(this);
}

void TDistanceMemory::ActionDone(const TActionRecord& r) {
    if (ChangesDistances(r.Action) && r.Changed && !r.Raised) FStore.Save(FAdded());
}
