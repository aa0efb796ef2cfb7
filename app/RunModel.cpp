#include "RunModel.h"

#include "Clock.h"
#include "Messages.h"
#include "TimeText.h"
#include "Wrap.h"

#include <QTimer>

#include <algorithm>
#include <exception>
#include <utility>

namespace {

// Notes every reading of the clock while an action runs. A press made
// `late` ms before it runs reads the clock as it stood at the press.
struct TCapture : Clock::TReadHook {
    TCapture(TClockReadings& into, uint32_t late) : Into(into), Late(late) {
        Clock::SetReadHook(this);
    }
    ~TCapture() override { Clock::SetReadHook(nullptr); }
    TCapture(const TCapture&) = delete;
    TCapture& operator=(const TCapture&) = delete;
    uint32_t Tick(uint32_t read) override {
        const uint32_t at = read - Late; // modulo 2^32, as the counter itself
        Into.Ticks.push_back(at);
        return at;
    }
    QDateTime Time(const QDateTime& read) override {
        const QDateTime at = read.addMSecs(-qint64(Late));
        Into.Times.push_back(at);
        return at;
    }
    TClockReadings& Into;
    uint32_t Late;
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
    // A reset is the last action of its run; the next one begins another,
    // from the window as it stands.
    const bool afterReset = !FActions.empty() && FActions.back().Action == TRunAction::Reset;
    if (afterReset) FLastReset = FActions.back().Readings;
    if (afterReset || FActions.empty()) {
        FActions.clear();
        FShown.clear();
        FCorrections.Clear();
        if (!r.Rebuilt) FStart = TRunStart{FHost.Carry(), FLastReset};
    }
    r.Input.Press = int(FActions.size()) + 1;
    // A copy: an observer may perform nothing, but the list may grow under it.
    const std::vector<TRunObserver*> observers = FObservers;
    for (TRunObserver* o : observers)
        o->ActionBegins(r);
}

void TRunModel::Perform(TRunAction action, const TActionInput& input) {
    if (FPerforming) {
        // A handler opened a box (a refusal), whose loop let another input
        // in: that one waits until this action is done, timed at its arrival.
        TActionInput in = input;
        if (!in.PressTick) in.PressTick = Clock::TickUnseen();
        QTimer::singleShot(0, [this, action, in] { perform(action, in, true); });
        return;
    }
    perform(action, input, false);
}

void TRunModel::perform(TRunAction action, const TActionInput& input, bool waited) {
    if (IsCorrection(action)) {
        Correct(action, input);
        return;
    }
    struct TBusy {
        bool& B;
        explicit TBusy(bool& b) : B(b) { B = true; }
        ~TBusy() { B = false; }
    } busy(FPerforming);
    TActionRecord r;
    r.Action = action;
    r.Input = input;
    begin(r);
    const int before = distancesBefore(r.Action);
    std::exception_ptr error;
    {
        TCapture capture(r.Readings, lateness(r.Input.PressTick, waited));
        try {
            FHost.Perform(action, r.Input);
        } catch (...) {
            error = std::current_exception();
            r.Raised = true;
        }
    }
    finish(r, before);
    // The error is reported where every handler's is, after the record is kept.
    if (error) std::rethrow_exception(error);
}

void TRunModel::Press(TRunAction action, std::optional<uint32_t> pressTick) {
    TActionInput in = FHost.Read(action);
    in.PressTick = pressTick;
    Perform(action, in);
}

// How long before now the press was made, when that can be trusted: not
// ahead of the clock, not older than a press may be, and never before what
// the run already read, so that presses keep their order and no lap is
// negative.
uint32_t TRunModel::lateness(std::optional<uint32_t> pressTick, bool waited) const {
    if (!pressTick) return 0;
    const uint32_t now = Clock::GetTickCount();
    uint32_t late = now - *pressTick; // modulo 2^32, as the counter itself
    // A press that waited for a box was timed here, however long ago.
    if (late > MaxPressAge && !waited) return 0;
    for (auto a = FActions.rbegin(); a != FActions.rend(); ++a) {
        if (a->Readings.Ticks.empty()) continue;
        const uint32_t since = now - a->Readings.Ticks.back();
        if (since < late) late = since;
        break;
    }
    return late;
}

void TRunModel::finish(TActionRecord& r, int distancesBefore) {
    r.After = FHost.Shown();
    // Enter on a distance already listed changes nothing, nor does a removal
    // of an entry that stays.
    r.Changed = !(ChangesDistances(r.Action) && r.After.Distances == distancesBefore);
    // A save is kept with the file it wrote, so that a rebuilt run does not
    // write it again.
    if (r.Action == TRunAction::Save) {
        r.Input.File = r.After.CsvFile;
        r.Input.FileDir = r.After.CsvDir;
    }
    if (r.Changed) {
        FActions.push_back(r);
        FShown.push_back(r);
    }
    notifyDone(r);
}

void TRunModel::notifyDone(const TActionRecord& r) {
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
    // The run is kept on this boot's counter, so that a later correction
    // rebuilds it without the journal.
    for (uint32_t& t : r.Readings.Ticks)
        t += delta; // modulo 2^32, as the counter itself
    if (r.Input.Tick) *r.Input.Tick += delta;
    begin(r);
    if (IsCorrection(r.Action)) {
        // Taken into account once the whole run is back.
        if (FCorrections.Apply(r.Input.Press, r.Action, r.Input)) FCorrectedWhileRebuilt = true;
        r.After = FHost.Shown();
        FActions.push_back(r);
        notifyDone(r);
        return;
    }
    const int before = distancesBefore(r.Action);
    performAgain(r);
    finish(r, before);
}

int TRunModel::distancesBefore(TRunAction action) const {
    // Only the list's actions can leave the run as it was; asking the window
    // for all it shows at every lap press would be work for nothing.
    return ChangesDistances(action) ? FHost.Shown().Distances : 0;
}

// Performs an action with the readings it made the first time. An error it
// raises was reported then; the state it left is what counts now.
void TRunModel::performAgain(TActionRecord& r) {
    TClockPlayback play(r.Readings, 0);
    try {
        FHost.Perform(r.Action, r.Input);
    } catch (const std::exception&) {
        r.Raised = true;
    }
}

// --- corrections ----------------------------------------------------------------

const TActionRecord* TRunModel::ShownPress(int id) const {
    for (const TActionRecord& r : FShown)
        if (r.Input.Press == id && IsPress(r.Action)) return &r;
    return nullptr;
}

namespace {

int32_t lapOf(const TActionRecord& press) {
    const TRunState& s = press.After.State;
    switch (press.Action) {
    case TRunAction::Lap2:
        return s.Lap2Time;
    case TRunAction::Lap3:
        return s.Lap3Time;
    default:
        return s.LapTime;
    }
}

} // namespace

// Checks a correction against the run as shown and works out what it needs:
// an insert's tick and time of day, the button it is about.
std::optional<QString> TRunModel::prepare(TRunAction kind, TActionInput& in) const {
    if (kind == TRunAction::Undo) {
        // A start over laps is the newest thing to take back while it stands
        // alone: the run it began over is still whole.
        if (const std::optional<int> start = StartToTakeBack()) {
            in.Target = *start;
            return std::nullopt;
        }
        in.Target = 0;
        return FCorrections.CanUndo() ? std::nullopt : std::optional(Msg::NothingToUndo());
    }
    if (kind == TRunAction::Redo) {
        const TCorrections::TEdit* undone = FCorrections.LastUndone();
        if (!undone) return Msg::NothingToRedo();
        // A start taken back is made again only onto the run it was taken
        // back from: once the clock has moved on, it belongs to the past.
        if (undone->Kind == TRunAction::Start)
            for (size_t i = size_t(undone->Id); i < FActions.size(); ++i)
                if (MovesTheClock(FActions[i].Action)) return Msg::NothingToRedo();
        return std::nullopt;
    }
    const TActionRecord* target = ShownPress(in.Target);
    if (!target || target->Readings.Ticks.empty()) return Msg::NoPressInRow();
    in.Button = target->Action;
    if (kind == TRunAction::Delete) return std::nullopt;
    const int32_t total = target->After.State.Total;
    const int32_t lap = lapOf(*target);
    const int32_t start = wrap::sub(total, lap);
    if (!in.Total) {
        if (lap < 2) return Msg::TooShortToSplit();
        in.Total = wrap::sub(total, lap / 2);
    }
    // Strictly inside the lap, so that both halves are laps.
    const int32_t before = wrap::sub(total, *in.Total);
    if (before <= 0 || before >= lap)
        return Msg::OutsideTheLap().arg(TimeText(start).trimmed(), TimeText(total).trimmed());
    const uint32_t tick = target->Readings.Ticks.front() - uint32_t(before);
    in.Tick = tick;
    // The time of day from the next press that read it, less the ticks between.
    for (auto it = FShown.begin() + (target - FShown.data()); it != FShown.end(); ++it) {
        if (it->Readings.Times.empty() || it->Readings.Ticks.empty()) continue;
        in.Time = it->Readings.Times.front().addMSecs(
            -qint64(uint32_t(it->Readings.Ticks.front() - tick)));
        break;
    }
    if (!in.Time.isValid())
        in.Time = Clock::Now().addMSecs(-qint64(uint32_t(Clock::GetTickCount() - tick)));
    return std::nullopt;
}

std::optional<int> TRunModel::StartToTakeBack() const {
    return ::StartToTakeBack(FShown);
}

bool TRunModel::CanUndo() const {
    return FCorrections.CanUndo() || StartToTakeBack();
}

std::optional<QString> TRunModel::Correct(TRunAction kind, TActionInput input) {
    if (FActions.empty() || FActions.back().Action == TRunAction::Reset)
        return kind == TRunAction::Redo   ? Msg::NothingToRedo()
               : kind == TRunAction::Undo ? Msg::NothingToUndo()
                                          : Msg::NoPressInRow();
    if (std::optional<QString> refused = prepare(kind, input)) return refused;
    TActionRecord r;
    r.Action = kind;
    r.Input = input;
    begin(r);
    FCorrections.Apply(r.Input.Press, kind, r.Input);
    rebuildShown();
    r.After = FHost.Shown();
    FActions.push_back(r);
    notifyDone(r);
    return std::nullopt;
}

void TRunModel::BeginRebuiltRun(const TRunStart& start) {
    FStart = start;
    FLastReset = start.Reset;
}

void TRunModel::FinishRebuiltRun() {
    if (!std::exchange(FCorrectedWhileRebuilt, false)) return;
    rebuildShown();
}

// Performs the corrected run anew from its beginning, painting nothing until
// it is whole. Each action is fed the readings it made, so every other press
// keeps its tick.
void TRunModel::rebuildShown() {
    const std::vector<TRunItem> items = FCorrections.Run(FActions);
    const bool painting = FHost.SetPainting(false);
    FHost.ReturnToStart(FStart);
    FShown.clear();
    FShown.reserve(items.size());
    for (const TRunItem& item : items) {
        TActionRecord r;
        r.Action = item.Action;
        r.Input = item.Input;
        r.Input.Press = item.Id;
        r.Readings = item.Readings;
        r.Rebuilt = true;
        performAgain(r);
        r.After = FHost.Shown();
        FShown.push_back(std::move(r));
    }
    FHost.SetPainting(painting);
    FHost.Rebuilt(std::nullopt);
}
