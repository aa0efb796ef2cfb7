#include "Corrections.h"

#include "Wrap.h"

#include <algorithm>

bool TCorrections::Apply(int id, TRunAction kind, const TActionInput& in) {
    switch (kind) {
    case TRunAction::Undo:
        if (in.Target > 0) {
            TEdit e;
            e.Kind = TRunAction::Start;
            e.Id = id;
            e.Target = in.Target;
            FTakenBack.push_back(in.Target);
            FUndone.push_back(e);
            return true;
        }
        if (FDone.empty()) return false;
        FUndone.push_back(FDone.back());
        FDone.pop_back();
        return true;
    case TRunAction::Redo:
        if (FUndone.empty()) return false;
        if (FUndone.back().Kind == TRunAction::Start) {
            const int start = FUndone.back().Target;
            FTakenBack.erase(std::remove(FTakenBack.begin(), FTakenBack.end(), start),
                             FTakenBack.end());
        } else {
            FDone.push_back(FUndone.back());
        }
        FUndone.pop_back();
        return true;
    case TRunAction::Delete:
    case TRunAction::Insert: {
        TEdit e;
        e.Kind = kind;
        e.Id = id;
        e.Target = in.Target;
        e.Button = in.Button;
        e.Tick = in.Tick.value_or(0);
        e.Time = in.Time;
        FDone.push_back(e);
        // A new correction after undos starts a new line of history.
        FUndone.clear();
        return true;
    }
    default:
        return false;
    }
}

void TCorrections::Clear() {
    FDone.clear();
    FUndone.clear();
    FTakenBack.clear();
}

namespace {

// Where a press at `tick` goes among items[0, end): after the last one that
// read the clock at or before it. Ticks wrap, so each is compared by how far
// it lies before `before`, the tick of the press that ends the lap.
size_t placeFor(const std::vector<TRunItem>& items, size_t end, uint32_t tick, uint32_t before) {
    const int32_t back = wrap::sub(int32_t(before), int32_t(tick));
    for (size_t i = end; i-- > 0;) {
        const std::vector<uint32_t>& t = items[i].Readings.Ticks;
        if (t.empty()) continue;
        if (wrap::sub(int32_t(before), int32_t(t.front())) >= back) return i + 1;
    }
    return 0;
}

} // namespace

std::vector<TRunItem> TCorrections::Run(const std::vector<TActionRecord>& actions) const {
    std::vector<TRunItem> items;
    items.reserve(actions.size());
    for (size_t i = 0; i < actions.size(); ++i) {
        const TActionRecord& a = actions[i];
        if (IsCorrection(a.Action)) continue;
        const int id = int(i) + 1;
        if (std::find(FTakenBack.begin(), FTakenBack.end(), id) != FTakenBack.end()) continue;
        items.push_back({id, a.Action, a.Input, a.Readings});
    }
    auto find = [&](int id) {
        return std::find_if(items.begin(), items.end(),
                            [id](const TRunItem& x) { return x.Id == id; });
    };
    for (const TEdit& e : FDone) {
        const auto target = find(e.Target);
        if (target == items.end()) continue; // checked when it was made; kept safe
        if (e.Kind == TRunAction::Delete) {
            items.erase(target);
            continue;
        }
        const size_t end = size_t(target - items.begin());
        const uint32_t before =
            target->Readings.Ticks.empty() ? e.Tick : target->Readings.Ticks.front();
        TRunItem press;
        press.Id = e.Id;
        press.Action = e.Button;
        press.Readings.Ticks = {e.Tick};
        press.Readings.Times = {e.Time};
        items.insert(items.begin() + std::ptrdiff_t(placeFor(items, end, e.Tick, before)), press);
    }
    return items;
}

int PressesOf(const TRunState& s) {
    return s.LapCount + s.Lap2Count + s.Lap3Count;
}

bool MovesTheClock(TRunAction a) {
    return IsPress(a) || a == TRunAction::Start || a == TRunAction::Stop ||
           a == TRunAction::Restart || a == TRunAction::Reset;
}

std::optional<int> StartToTakeBack(const std::vector<TActionRecord>& shown) {
    for (size_t i = shown.size(); i-- > 0;) {
        const TActionRecord& a = shown[i];
        if (a.Action != TRunAction::Start) {
            if (MovesTheClock(a.Action)) return std::nullopt;
            continue;
        }
        // Over laps: the action before it left some. A start that raised
        // is taken back all the same: what it left is what shows.
        if (i == 0 || PressesOf(shown[i - 1].After.State) == 0) return std::nullopt;
        return a.Input.Press;
    }
    return std::nullopt;
}

void TRowPresses::Wrote(TGrid grid, int row, int press) {
    if (row < 0) return;
    std::vector<int>& rows = FRows[grid];
    if (size_t(row) >= rows.size()) rows.resize(size_t(row) + 1, 0);
    rows[size_t(row)] = press;
}

void TRowPresses::Swapped(TGrid grid, int a, int b) {
    const int pa = PressAt(grid, a), pb = PressAt(grid, b);
    Wrote(grid, a, pb);
    Wrote(grid, b, pa);
}

int TRowPresses::PressAt(TGrid grid, int row) const {
    const std::vector<int>& rows = FRows[grid];
    return row >= 0 && size_t(row) < rows.size() ? rows[size_t(row)] : 0;
}

int TRowPresses::RowOf(TGrid grid, int press) const {
    const std::vector<int>& rows = FRows[grid];
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == press && press != 0) return int(i);
    return -1;
}
