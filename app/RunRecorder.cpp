#include "RunRecorder.h"

#include "Clock.h"
#include "MessageService.h"
#include "Messages.h"
#include "RunJournal.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>
#include <utility>

using RunJournal::TRecord;

namespace {

// With its offset from UTC, so that reading it back needs no time zone
// lookup (the C library's costs a stat of /etc/localtime each time, which
// made bringing back a long run slow) and means the same instant after a
// change of zone or summer time. Lines without an offset are read as local.
QByteArray timeText(const QDateTime& t) {
    return t.toString(Qt::ISODateWithMs).toLatin1();
}

QDateTime parseTime(const QByteArray& s) {
    return QDateTime::fromString(QString::fromLatin1(s), Qt::ISODateWithMs);
}

// Numbers as one value, "12,0,3".
template <class Numbers> QByteArray joinNumbers(const Numbers& numbers) {
    QByteArray out;
    for (const auto n : numbers) {
        if (!out.isEmpty()) out += ',';
        out += QByteArray::number(n);
    }
    return out;
}
QByteArray joinNumbers(std::initializer_list<qint64> numbers) {
    return joinNumbers<std::initializer_list<qint64>>(numbers);
}

std::vector<uint32_t> splitTicks(const QByteArray& s) {
    std::vector<uint32_t> out;
    if (s.isEmpty()) return out;
    for (const QByteArray& part : s.split(',')) {
        bool ok = false;
        const uint32_t v = part.toUInt(&ok);
        if (ok) out.push_back(v);
    }
    return out;
}

int toInt(const std::optional<QByteArray>& v, int fallback = 0) {
    bool ok = false;
    const int n = v ? v->toInt(&ok) : 0;
    return ok ? n : fallback;
}

QByteArray readBootId() {
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().trimmed();
}

bool isAction(const TRecord& r) {
    return ActionNamed(r.Kind).has_value();
}

std::optional<TGridRect> splitBlock(const QByteArray& s) {
    const QList<QByteArray> v = s.split(',');
    if (v.size() != 4) return std::nullopt;
    return TGridRect{v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt()};
}

} // namespace

TRunRecorder::TSystem TRunRecorder::RealSystem() {
    return TSystem{readBootId, [] { return QDateTime::currentMSecsSinceEpoch(); }};
}

TRunRecorder::TRunRecorder(TRunModel& run, QString dir, TSystem system)
    : FRun(run), FDir(std::move(dir)), FSystem(std::move(system)) {
    OnTrouble = [this](const QString& why) { FRun.Host().ShowJournalTrouble(why); };
    FRun.Observe(this);
}

TRunRecorder::~TRunRecorder() {
    FRun.Forget(this);
    if (FOffered) ::close(FOffered->File.Fd);
    if (FReplacedFd >= 0) ::close(FReplacedFd);
}

QString TRunRecorder::JournalPath() const {
    return FWriter ? FWriter->Path() : QString();
}

void TRunRecorder::WaitSynced() {
    if (FWriter) FWriter->WaitSynced();
}

TRecord TRunRecorder::anchorRecord(const char* kind) const {
    TRecord r(kind);
    if (r.Kind == RunJournal::HeaderKind) r.Add("v", RunJournal::Version);
    r.Add("boot", FSystem.BootId());
    r.Add("tick", qint64(Clock::GetTickCount()));
    r.Add("real", FSystem.RealTime());
    r.Add("at", timeText(Clock::Now()));
    return r;
}

// What a new run's journal needs of the window as the previous run left it:
// the settings that outlive a reset, the reset itself and the state after it.
TRecord TRunRecorder::EncodeCarry(const TRunCarry& c, const std::vector<uint32_t>* resetTicks) {
    TRecord r("carry");
    r.Add("key", qint64(c.Keyed));
    for (const QString& item : c.AddedDistances)
        r.Add("item", item);
    r.Add("i", qint64(c.Index));
    r.Add("text", c.Text);
    r.Add("mix", qint64(c.MixColor));
    if (resetTicks) r.Add("reset", joinNumbers(*resetTicks));
    int g = 0;
    for (const TRunCarry::TGridShape& grid : c.Grids)
        r.Add("grid" + QByteArray::number(++g),
              joinNumbers({grid.RowCount, grid.TopRow, grid.Sel.Left, grid.Sel.Top, grid.Sel.Right,
                           grid.Sel.Bottom}));
    r.Add("csv", c.CsvFile);
    c.State.ForEachField([&](const char* name, const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, QString>)
            r.Add(QByteArray("s.") + name, v);
        else
            r.Add(QByteArray("s.") + name, qint64(v));
    });
    return r;
}

TRunCarry TRunRecorder::DecodeCarry(const TRecord& r, TRunCarry c) {
    c.Keyed = r.ValueOr("key") != "0";
    c.AddedDistances.clear();
    for (const QByteArray& item : r.Values("item"))
        c.AddedDistances << QString::fromUtf8(item);
    c.MixColor = toInt(r.Value("mix"), c.MixColor);
    c.Index = toInt(r.Value("i"), -1);
    c.Text = QString::fromUtf8(r.ValueOr("text"));
    int g = 0;
    for (TRunCarry::TGridShape& grid : c.Grids) {
        const QList<QByteArray> v = r.ValueOr("grid" + QByteArray::number(++g)).split(',');
        if (v.size() != 6) continue;
        grid.RowCount = v[0].toInt();
        grid.TopRow = v[1].toInt();
        grid.Sel = TGridRect{v[2].toInt(), v[3].toInt(), v[4].toInt(), v[5].toInt()};
    }
    c.CsvFile = QString::fromUtf8(r.ValueOr("csv"));
    c.State.ForEachField([&](const char* name, auto& v) {
        const std::optional<QByteArray> s = r.Value(QByteArray("s.") + name);
        if (!s) return;
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, QString>)
            v = QString::fromUtf8(*s);
        else if constexpr (std::is_same_v<T, bool>)
            v = *s == "1";
        else
            v = T(s->toLongLong());
    });
    return c;
}

void TRunRecorder::trouble(const QString& why) {
    if (why == FTrouble) return;
    FTrouble = why;
    if (!why.isEmpty())
        std::fprintf(stderr, "vantel: the run journal is not written: %s\n", qPrintable(why));
    if (OnTrouble) OnTrouble(why);
}

void TRunRecorder::write(const QByteArray& lines) {
    FUnwritten += lines;
    if (!FWriter) {
        RunJournal::TOpenFile f = RunJournal::Create(FDir);
        if (f.Fd < 0) {
            trouble(f.Error);
            return;
        }
        FWriter = std::make_unique<RunJournal::TWriter>(std::move(f));
        RunJournal::Prune(FDir, RunJournal::KeepRuns);
    }
    const bool ok = FWriter->Append(FUnwritten);
    FUnwritten.clear();
    if (ok && FReplacedFd >= 0) {
        RunJournal::MoveAside(FReplacedPath, RunJournal::DamagedSuffix);
        ::close(std::exchange(FReplacedFd, -1));
    }
    trouble(ok ? QString() : FWriter->Path() + QStringLiteral(": ") + FWriter->Error());
}

// What an action read besides the clock comes first, as the journal has
// always written it; then its readings and what it left.
TRecord TRunRecorder::Encode(const TActionRecord& a) {
    TRecord r(ActionName(a.Action));
    const TActionInput& in = a.Input;
    switch (a.Action) {
    case TRunAction::Up:
    case TRunAction::Down:
        if (const auto& b = in.Sel)
            r.Add("sel", joinNumbers({b->Left, b->Top, b->Right, b->Bottom}));
        if (in.Top) r.Add("top", qint64(*in.Top));
        break;
    case TRunAction::Add:
        r.Add("text", in.Text);
        break;
    case TRunAction::Pick:
    case TRunAction::Remove:
        r.Add("i", qint64(in.Index));
        r.Add("text", in.Text);
        break;
    case TRunAction::Save:
        r.Add("file", a.After.CsvFile);
        // Where it went: a run brought back in another folder must know its
        // own files from another run's of the same name.
        if (!a.After.CsvDir.isEmpty()) r.Add("dir", a.After.CsvDir);
        break;
    case TRunAction::Delete:
        r.Add("of", qint64(in.Target));
        break;
    case TRunAction::Undo:
        if (in.Target) r.Add("of", qint64(in.Target)); // a start taken back
        break;
    case TRunAction::Insert:
        r.Add("of", qint64(in.Target));
        r.Add("b", QByteArray(ActionName(in.Button)));
        r.Add("tick", qint64(in.Tick.value_or(0)));
        r.Add("when", timeText(in.Time));
        break;
    default:
        break;
    }
    if (!a.Readings.Ticks.empty()) r.Add("t", joinNumbers(a.Readings.Ticks));
    for (const QDateTime& t : a.Readings.Times)
        r.Add("w", timeText(t));
    r.Add("at", timeText(a.Readings.Times.empty() ? Clock::Now() : a.Readings.Times.front()));
    const TRunState& s = a.After.State;
    r.Add("run", qint64(s.Running));
    r.Add("c", joinNumbers({s.LapCount, s.Lap2Count, s.Lap3Count}));
    r.Add("live", qint64(s.LiveLap));
    r.Add("f", a.After.Focus);
    if (a.Raised) r.Add("x", qint64(1));
    return r;
}

TActionRecord TRunRecorder::Decode(const TRecord& r) {
    TActionRecord a;
    a.Action = ActionNamed(r.Kind).value_or(TRunAction::Start);
    a.Readings.Ticks = splitTicks(r.ValueOr("t"));
    for (const QByteArray& w : r.Values("w"))
        a.Readings.Times.push_back(parseTime(w));
    TActionInput& in = a.Input;
    switch (a.Action) {
    case TRunAction::Up:
    case TRunAction::Down:
        in.Sel = splitBlock(r.ValueOr("sel"));
        if (const auto top = r.Value("top")) {
            bool ok = false;
            const int t = top->toInt(&ok);
            if (ok) in.Top = t;
        }
        break;
    case TRunAction::Add:
        in.Text = QString::fromUtf8(r.ValueOr("text"));
        break;
    case TRunAction::Pick:
    case TRunAction::Remove:
        in.Index = toInt(r.Value("i"), -1);
        in.Text = QString::fromUtf8(r.ValueOr("text"));
        break;
    case TRunAction::Save:
        // The file was written then; it is not written again.
        in.File = QString::fromUtf8(r.ValueOr("file"));
        in.FileDir = QString::fromUtf8(r.ValueOr("dir"));
        break;
    case TRunAction::Undo:
        in.Target = toInt(r.Value("of"));
        break;
    case TRunAction::Insert:
        in.Button = ActionNamed(r.ValueOr("b")).value_or(TRunAction::Lap);
        in.Tick = uint32_t(r.ValueOr("tick").toLongLong());
        in.Time = parseTime(r.ValueOr("when"));
        [[fallthrough]];
    case TRunAction::Delete:
        in.Target = toInt(r.Value("of"));
        break;
    default:
        break;
    }
    a.Raised = r.Value("x").has_value();
    return a;
}

void TRunRecorder::ActionBegins(const TActionRecord& a) {
    // A run's journal begins with its first action, and with the window as
    // the action found it.
    if (a.Rebuilt || FOpen) return;
    FOpen = true;
    FBegun = RunJournal::EncodeLine(anchorRecord(RunJournal::HeaderKind)) +
             RunJournal::EncodeLine(
                 EncodeCarry(FRun.Host().Carry(), FWasReset ? &FResetTicks : nullptr));
}

void TRunRecorder::ActionDone(const TActionRecord& a) {
    if (a.Rebuilt) return;
    QByteArray lines = std::exchange(FBegun, QByteArray());
    if (!a.Changed) {
        if (!lines.isEmpty()) write(lines);
        return;
    }
    write(lines + RunJournal::EncodeLine(Encode(a)));
    if (a.Action == TRunAction::Reset) {
        // The run is finished: the next action begins a new journal.
        FResetTicks = a.Readings.Ticks;
        FWasReset = true;
        FOpen = false;
        if (FWriter) {
            const QString path = FWriter->Path();
            FWriter.reset();
            RunJournal::MoveAside(path, RunJournal::DoneSuffix);
        }
        FUnwritten.clear();
    }
}

// --- restore ------------------------------------------------------------------

bool TRunRecorder::Finished(const RunJournal::TContents& c) {
    const TRecord* last = nullptr;
    for (const TRecord& r : c.Records)
        if (isAction(r)) last = &r;
    if (!last) return true; // nothing of a run was recorded
    if (last->Kind == "reset") return true;
    return last->Kind == "save" && last->ValueOr("run") == "0" && !last->Value("x");
}

QString TRunRecorder::Question(const RunJournal::TContents& c) {
    const TRecord* first = nullptr;
    const TRecord* last = nullptr;
    for (const TRecord& r : c.Records) {
        if (!isAction(r)) continue;
        if (!first || (r.Kind == "start" && first->Kind != "start")) first = &r;
        last = &r;
    }
    if (!first) return {};
    // The times keep the offset they were made in; the operator reads the
    // zone the program runs in now.
    auto clock = [](const TRecord* r) {
        return Clock::LongTimeText(parseTime(r->ValueOr("at")).toLocalTime());
    };
    const QList<QByteArray> counts = last->ValueOr("c", "0,0,0").split(',');
    auto count = [&](int i) { return counts.value(i).toInt(); };
    QString q =
        Msg::RestoreQuestion(count(0)).arg(clock(first), clock(last)).arg(count(1)).arg(count(2));
    if (c.CarryLost) q += u' ' + Msg::RestoreCarryLost();
    if (c.LastGoodLine > 0) q += u' ' + Msg::RestoreUnread(c.UnreadLines).arg(c.LastGoodLine);
    return q;
}

std::vector<RunJournal::TFound> TRunRecorder::Interrupted(const QString& dir) {
    RunJournal::TScan scan = RunJournal::Scan(dir, &TRunRecorder::Finished);
    for (const QString& m : scan.Unreadable)
        MessageService::Instance().Show(Msg::AppName(), m, MsgIcon::Warning);
    return std::move(scan.Unfinished);
}

QString TRunRecorder::Offer(RunJournal::TFound found) {
    if (FOffered) ::close(FOffered->File.Fd);
    FOffered = std::make_unique<RunJournal::TFound>(std::move(found));
    return Question(FOffered->Contents);
}

std::optional<QString> TRunRecorder::Offer() {
    std::vector<RunJournal::TFound> found = Interrupted(FDir);
    if (found.empty()) return std::nullopt;
    RunJournal::TFound newest = std::exchange(found.front(), {});
    RunJournal::Release(found);
    return Offer(std::move(newest));
}

void TRunRecorder::Discard(RunJournal::TFound& found) {
    if (found.File.Fd < 0) return;
    ::close(std::exchange(found.File.Fd, -1)); // drops the lock too
    RunJournal::MoveAside(found.File.Path, RunJournal::DiscardedSuffix);
}

void TRunRecorder::Discard() {
    if (!FOffered) return;
    Discard(*FOffered);
    FOffered.reset();
}

int TRunRecorder::StartUp(const QString& dir, const std::function<bool(const QString&)>& ask,
                          const std::function<TRunRecorder&()>& freeRun) {
    std::vector<RunJournal::TFound> found = Interrupted(dir);
    // Every question before any run comes back: no box stands over a running
    // stopwatch.
    std::vector<RunJournal::TFound> chosen;
    for (RunJournal::TFound& f : found) {
        if (ask(Question(f.Contents)))
            chosen.push_back(std::exchange(f, {}));
        else
            Discard(f);
    }
    for (RunJournal::TFound& f : chosen) {
        TRunRecorder& rec = freeRun();
        rec.Offer(std::exchange(f, {}));
        rec.Restore();
    }
    return int(chosen.size());
}

void TRunRecorder::applyCarry(const TRecord& r, uint32_t delta) {
    TRunHost& host = FRun.Host();
    TRunStart start;
    if (const auto reset = r.Value("reset")) {
        // The previous run's reset, fed its own readings; not an action of
        // this run.
        start.Reset = TClockReadings{splitTicks(*reset), {}};
        for (uint32_t& t : start.Reset->Ticks)
            t += delta; // onto this boot's counter
        TClockPlayback play(*start.Reset, 0);
        host.Perform(TRunAction::Reset, TActionInput());
    }
    start.Carry = DecodeCarry(r, host.Carry());
    host.ApplyCarry(start.Carry);
    FRun.BeginRebuiltRun(start);
}

void TRunRecorder::Restore() {
    if (!FOffered) return;
    std::unique_ptr<RunJournal::TFound> found = std::move(FOffered);
    const QByteArray bootNow = FSystem.BootId();
    const uint32_t tickNow = Clock::GetTickCount();
    const qint64 realNow = FSystem.RealTime();
    uint32_t delta = 0;
    const TRecord* last = nullptr;
    TRunHost& host = FRun.Host();
    // Nothing is painted until the whole run is back.
    const bool painting = host.SetPainting(false);
    const RunJournal::TContents& contents = found->Contents;
    TRunCarry opened;
    if (contents.CarryLost) {
        // What the previous run left is gone: the run begins on the window
        // as it opened, which is the best guess of it.
        opened = host.Carry();
        TRunStart start;
        start.Carry = opened;
        FRun.BeginRebuiltRun(start);
    }
    for (const TRecord& r : contents.Records) {
        if (r.Kind == RunJournal::HeaderKind || r.Kind == "anchor") {
            // The same boot: the tick counter still runs from the same base.
            // Another boot: the counter now stands where the old one would
            // stand had it kept counting, by the real-time clock.
            if (r.ValueOr("boot") == bootNow) {
                delta = 0;
            } else {
                const uint32_t oldTick = uint32_t(r.ValueOr("tick").toLongLong());
                const qint64 realThen = r.ValueOr("real").toLongLong();
                delta = tickNow - (oldTick + uint32_t(realNow - realThen));
            }
        } else if (r.Kind == "carry") {
            applyCarry(r, delta);
        } else if (isAction(r)) {
            FRun.Rebuild(Decode(r), delta);
            last = &r;
        }
    }
    FRun.FinishRebuiltRun();
    host.SetPainting(painting);
    std::optional<int32_t> live;
    if (last) {
        bool ok = false;
        const int32_t v = last->ValueOr("live").toInt(&ok);
        if (ok) live = v;
        FFocus = QString::fromUtf8(last->ValueOr("f"));
        if (last->Kind == "reset") FWasReset = true;
    }
    host.Rebuilt(live);
    RestoreFocus();

    FOpen = true;
    if (contents.Damaged()) {
        // Records appended after the damage would be lost again by the next
        // restore, which stops there: the run goes on in a new journal of
        // the good records, and the damaged file is kept, byte for byte,
        // aside once the copy is written. The anchor names it, so that a
        // start after a kill in between finishes the move.
        QByteArray lines;
        for (size_t i = 0; i < contents.Records.size(); ++i) {
            lines += RunJournal::EncodeLine(contents.Records[i]);
            if (i == 0 && contents.CarryLost)
                lines += RunJournal::EncodeLine(EncodeCarry(opened, nullptr));
        }
        TRecord anchor = anchorRecord("anchor");
        anchor.Add(RunJournal::CopiedFrom, QFileInfo(found->File.Path).fileName());
        FReplacedFd = std::exchange(found->File.Fd, -1);
        FReplacedPath = found->File.Path;
        write(lines + RunJournal::EncodeLine(anchor));
        return;
    }
    // The run goes on in the same journal, after an anchor for this boot's
    // counter; a torn last line is closed first so that it stays one line.
    FWriter = std::make_unique<RunJournal::TWriter>(found->File);
    found->File.Fd = -1;
    write((contents.EndsWithNewline ? QByteArray() : QByteArray("\n")) +
          RunJournal::EncodeLine(anchorRecord("anchor")));
}

void TRunRecorder::RestoreFocus() {
    if (!FFocus.isEmpty()) FRun.Host().Focus(FFocus);
}
