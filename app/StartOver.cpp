#include "StartOver.h"

#include "Messages.h"

TStartedOver StartedOver(const std::vector<TActionRecord>& shown) {
    TStartedOver over;
    if (shown.size() < 2 || shown.back().Action != TRunAction::Start) return over;
    over.Laps = PressesOf(shown[shown.size() - 2].After.State);
    // Back from the start: a press before any save is unsaved.
    for (size_t i = shown.size() - 1; i-- > 0;) {
        if (shown[i].Action == TRunAction::Save && !shown[i].Raised) break;
        if (IsPress(shown[i].Action)) {
            over.Unsaved = true;
            break;
        }
    }
    return over;
}

QString StartedOverNote(const TStartedOver& over) {
    if (!over.Unsaved || over.Laps <= 0) return QString();
    return over.Laps == 1 ? Msg::StartedOverOneLap() : Msg::StartedOverLaps().arg(over.Laps);
}

TStartOverNotes::TStartOverNotes(TRunModel& run, std::function<void(const QString&)> note)
    : FRun(run), FNote(std::move(note)) {
    FRun.Observe(this);
}

TStartOverNotes::~TStartOverNotes() {
    FRun.Forget(this);
}

void TStartOverNotes::ActionDone(const TActionRecord& a) {
    if (a.Rebuilt || a.Action != TRunAction::Start) return;
    const QString note = StartedOverNote(StartedOver(FRun.Shown()));
    if (!note.isEmpty()) FNote(note);
}
