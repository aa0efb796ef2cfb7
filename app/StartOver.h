#pragma once
#include "RunModel.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// A start over a stopped run's laps begins a new count whose laps overwrite
// the earlier rows one by one. Until the new count's first lap the start can
// be taken back (StartToTakeBack, Ctrl+Z); the operator is told so when laps
// not yet saved are about to go.

// What a start at the end of `shown` began over: the presses of the count
// before it, and whether any came after that count's last save.
struct TStartedOver {
    int Laps = 0;
    bool Unsaved = false;
};
TStartedOver StartedOver(const std::vector<TActionRecord>& shown);
// The note after such a start; empty when nothing unsaved is at stake.
QString StartedOverNote(const TStartedOver& over);

// Tells the operator, through `note`, of each start the operator makes over
// unsaved laps; a run rebuilt from its journal tells nothing.
class TStartOverNotes : private TRunObserver {
public:
    TStartOverNotes(TRunModel& run, std::function<void(const QString&)> note);
    ~TStartOverNotes() override;
    TStartOverNotes(const TStartOverNotes&) = delete;
    TStartOverNotes& operator=(const TStartOverNotes&) = delete;

private:
    void ActionDone(const TActionRecord& a) override;
    TRunModel& FRun;
    std::function<void(const QString&)> FNote;
};
