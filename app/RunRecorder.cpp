#include "RunRecorder.h"

#include "Clock.h"
#include "ComboBox.h"
#include "ExcelUtil.h"
#include "Label.h"
#include "Menu.h"
#include "MessageService.h"
#include "Messages.h"
#include "RunJournal.h"
#include "StringGridEx.h"
#include "Unit1.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>

using RunJournal::TRecord;

namespace {

const char* const kActionNames[] = {"start", "stop", "restart", "reset", "lap",  "lap2", "lap3",
                                    "pick",  "add",  "key",     "up",    "down", "save"};

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

// Notes every reading of the clock while a handler runs.
struct TCapture : Clock::TReadHook {
    std::vector<uint32_t> Ticks;
    std::vector<QDateTime> Times;
    uint32_t Tick(uint32_t read) override {
        Ticks.push_back(read);
        return read;
    }
    QDateTime Time(const QDateTime& read) override {
        Times.push_back(read);
        return read;
    }
};

// Hands a record's readings back in the order they were made; the tick
// moved onto the current boot's counter by `Delta`. Past the recorded
// readings the last one repeats.
struct TPlayback : Clock::TReadHook {
    std::vector<uint32_t> Ticks;
    std::vector<QDateTime> Times;
    uint32_t Delta = 0;
    size_t NextTick = 0, NextTime = 0;
    uint32_t Tick(uint32_t read) override {
        if (Ticks.empty()) return read;
        const uint32_t t = Ticks[std::min(NextTick++, Ticks.size() - 1)];
        return t + Delta; // modulo 2^32, as the counter itself
    }
    QDateTime Time(const QDateTime& read) override {
        if (Times.empty()) return read;
        return Times[std::min(NextTime++, Times.size() - 1)];
    }
};

struct THookScope {
    explicit THookScope(Clock::TReadHook* h) { Clock::SetReadHook(h); }
    ~THookScope() { Clock::SetReadHook(nullptr); }
    THookScope(const THookScope&) = delete;
    THookScope& operator=(const THookScope&) = delete;
};

QString focusName(TVantel& w) {
    QWidget* f = w.focusWidget();
    while (f && f != &w && f->parentWidget() != &w)
        f = f->parentWidget();
    return f && f != &w ? f->objectName() : QString();
}

QByteArray readBootId() {
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().trimmed();
}

bool isAction(const TRecord& r) {
    for (const char* n : kActionNames)
        if (r.Kind == n) return true;
    return false;
}

} // namespace

TRunRecorder::TSystem TRunRecorder::RealSystem() {
    return TSystem{readBootId, [] { return QDateTime::currentMSecsSinceEpoch(); }};
}

TRunRecorder::TRunRecorder(TVantel& window, QString dir, TSystem system)
    : W(window), FDir(std::move(dir)), FSystem(std::move(system)) {
    OnTrouble = [this](const QString& why) { W.ShowJournalTrouble(why); };
    W.Recorder = this;
}

TRunRecorder::~TRunRecorder() {
    if (W.Recorder == this) W.Recorder = nullptr;
    if (FOffered) ::close(FOffered->File.Fd);
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
TRecord TRunRecorder::carryRecord() const {
    TRecord r("carry");
    r.Add("key", qint64(W.Key->Checked()));
    const QStringList items = W.ComboBox1->Items();
    for (qsizetype i = TVantel::DistanceCount; i < items.size(); ++i)
        r.Add("item", items[i]);
    r.Add("i", qint64(W.ComboBox1->ItemIndex()));
    r.Add("text", W.ComboBox1->Text());
    r.Add("mix", qint64(W.XlsStringGrid1->Font().Color));
    if (FWasReset) r.Add("reset", joinNumbers(FResetTicks));
    int g = 0;
    for (TStringGrid* grid : {static_cast<TStringGrid*>(W.StringGridEx1),
                              static_cast<TStringGrid*>(W.XlsStringGrid1)}) {
        const TGridRect s = grid->Selection();
        r.Add("grid" + QByteArray::number(++g),
              joinNumbers({grid->RowCount(), grid->TopRow(), s.Left, s.Top, s.Right, s.Bottom}));
    }
    r.Add("csv", W.CsvFileName);
    W.State.ForEachField([&](const char* name, const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, QString>)
            r.Add(QByteArray("s.") + name, v);
        else
            r.Add(QByteArray("s.") + name, qint64(v));
    });
    return r;
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
    trouble(ok ? QString() : FWriter->Path() + QStringLiteral(": ") + FWriter->Error());
}

void TRunRecorder::Around(TRunAction action, const std::function<void()>& handler) {
    // A run's journal begins with its first action.
    QByteArray lines;
    if (!FOpen) {
        FOpen = true;
        lines = RunJournal::EncodeLine(anchorRecord(RunJournal::HeaderKind)) +
                RunJournal::EncodeLine(carryRecord());
    }
    TRecord r(kActionNames[int(action)]);
    // What the handler reads from the window besides the clock.
    switch (action) {
    case TRunAction::Up:
    case TRunAction::Down: {
        const TGridRect s = W.XlsStringGrid1->Selection();
        r.Add("sel", joinNumbers({s.Left, s.Top, s.Right, s.Bottom}));
        r.Add("top", qint64(W.XlsStringGrid1->TopRow()));
        break;
    }
    case TRunAction::Add:
        r.Add("text", W.ComboBox1->Text());
        break;
    default:
        break;
    }
    const int itemsBefore = W.ComboBox1->ItemCount();
    TCapture capture;
    bool raised = false;
    auto finish = [&] {
        Clock::SetReadHook(nullptr);
        // Enter on a text already in the list changes nothing: no record.
        if (action == TRunAction::Add && W.ComboBox1->ItemCount() == itemsBefore) {
            if (!lines.isEmpty()) write(lines);
            return;
        }
        if (action == TRunAction::Pick) {
            r.Add("i", qint64(W.ComboBox1->ItemIndex()));
            r.Add("text", W.ComboBox1->Text());
        }
        if (action == TRunAction::Save) r.Add("file", W.CsvFileName);
        if (!capture.Ticks.empty()) r.Add("t", joinNumbers(capture.Ticks));
        for (const QDateTime& t : capture.Times)
            r.Add("w", timeText(t));
        r.Add("at", timeText(capture.Times.empty() ? Clock::Now() : capture.Times.front()));
        r.Add("run", qint64(W.State.Running));
        r.Add("c", joinNumbers({W.State.LapCount, W.State.Lap2Count, W.State.Lap3Count}));
        r.Add("live", qint64(W.State.LiveLap));
        r.Add("f", focusName(W));
        if (raised) r.Add("x", qint64(1));
        write(lines + RunJournal::EncodeLine(r));
        if (action == TRunAction::Reset) {
            // The run is finished: the next action begins a new journal.
            FResetTicks = capture.Ticks;
            FWasReset = true;
            FOpen = false;
            if (FWriter) {
                const QString path = FWriter->Path();
                FWriter.reset();
                RunJournal::MoveAside(path, RunJournal::DoneSuffix);
            }
            FUnwritten.clear();
        }
    };
    Clock::SetReadHook(&capture);
    try {
        handler();
    } catch (...) {
        raised = true;
        finish();
        throw;
    }
    finish();
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
    auto clock = [](const TRecord* r) { return Clock::LongTimeText(parseTime(r->ValueOr("at"))); };
    const QList<QByteArray> counts = last->ValueOr("c", "0,0,0").split(',');
    auto count = [&](int i) { return counts.value(i).toInt(); };
    return Msg::RestoreQuestion()
        .arg(clock(first), clock(last))
        .arg(count(0))
        .arg(count(1))
        .arg(count(2));
}

std::optional<QString> TRunRecorder::Offer() {
    FOffered.reset();
    RunJournal::TScan scan = RunJournal::Scan(FDir, &TRunRecorder::Finished);
    for (const QString& m : scan.Unreadable)
        MessageService::Instance().Show(Msg::AppName(), m, MsgIcon::Warning);
    if (!scan.Unfinished) return std::nullopt;
    FOffered = std::make_unique<RunJournal::TFound>(std::move(*scan.Unfinished));
    return Question(FOffered->Contents);
}

void TRunRecorder::Discard() {
    if (!FOffered) return;
    const QString path = FOffered->File.Path;
    ::close(FOffered->File.Fd); // drops the lock too
    FOffered.reset();
    RunJournal::MoveAside(path, RunJournal::DiscardedSuffix);
}

void TRunRecorder::StartUp(const std::function<bool(const QString&)>& ask) {
    const std::optional<QString> question = Offer();
    if (!question) return;
    if (ask(*question))
        Restore();
    else
        Discard();
}

void TRunRecorder::applyCarry(const TRecord& r, uint32_t delta) {
    for (const QByteArray& item : r.Values("item"))
        W.ComboBox1->AddItem(QString::fromUtf8(item));
    if (r.ValueOr("key") == "0") W.KeyClick(&W);
    if (const auto reset = r.Value("reset")) {
        TPlayback play;
        play.Ticks = splitTicks(*reset);
        play.Delta = delta;
        THookScope scope(&play);
        W.ResetClick(&W);
    }
    W.XlsStringGrid1->Font().SetColor(
        TColor(toInt(r.Value("mix"), int(W.XlsStringGrid1->Font().Color))));
    W.ComboBox1->SetItemIndex(toInt(r.Value("i"), -1));
    if (W.ComboBox1->ItemIndex() < 0) W.ComboBox1->SetText(QString::fromUtf8(r.ValueOr("text")));
    int g = 0;
    for (TStringGrid* grid : {static_cast<TStringGrid*>(W.StringGridEx1),
                              static_cast<TStringGrid*>(W.XlsStringGrid1)}) {
        const QList<QByteArray> v = r.ValueOr("grid" + QByteArray::number(++g)).split(',');
        if (v.size() != 6) continue;
        grid->SetRowCount(v[0].toInt());
        grid->SetSelection(TGridRect{v[2].toInt(), v[3].toInt(), v[4].toInt(), v[5].toInt()});
        grid->SetTopRow(v[1].toInt());
    }
    W.CsvFileName = QString::fromUtf8(r.ValueOr("csv"));
    W.XlsStringGrid1->SetCSVFileName(W.CsvFileName);
    W.State.ForEachField([&](const char* name, auto& v) {
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
}

void TRunRecorder::replay(const TRecord& r, uint32_t delta) {
    TPlayback play;
    play.Ticks = splitTicks(r.ValueOr("t"));
    play.Delta = delta;
    for (const QByteArray& w : r.Values("w"))
        play.Times.push_back(parseTime(w));
    THookScope scope(&play);
    const QByteArray& k = r.Kind;
    // A handler that raised an error the first time raises it again: the
    // report was seen then, the state it left is what counts now.
    auto run = [](auto&& f) {
        try {
            f();
        } catch (const std::exception&) {
        }
    };
    // The buttons whose records carry nothing but the clock readings.
    static const struct {
        const char* Kind;
        void (TVantel::*Click)(QObject*);
    } clicks[] = {{"start", &TVantel::StartClick},    {"stop", &TVantel::StopClick},
                  {"restart", &TVantel::ResartClick}, {"reset", &TVantel::ResetClick},
                  {"lap", &TVantel::LapClick},        {"lap2", &TVantel::LAP2Click},
                  {"lap3", &TVantel::LAP3Click},      {"key", &TVantel::KeyClick}};
    for (const auto& c : clicks)
        if (k == c.Kind) return run([&] { (W.*c.Click)(&W); });
    if (k == "pick") {
        W.ComboBox1->SetItemIndex(toInt(r.Value("i"), -1));
        if (W.ComboBox1->ItemIndex() < 0)
            W.ComboBox1->SetText(QString::fromUtf8(r.ValueOr("text")));
        run([&] { W.ComboBox1Change(W.ComboBox1); });
    } else if (k == "add") {
        W.ComboBox1->SetText(QString::fromUtf8(r.ValueOr("text")));
        QChar enter(13);
        run([&] { W.ComboBox1KeyPress(W.ComboBox1, enter); });
    } else if (k == "up" || k == "down") {
        const QList<QByteArray> s = r.ValueOr("sel").split(',');
        if (s.size() == 4)
            W.XlsStringGrid1->SetSelection(
                TGridRect{s[0].toInt(), s[1].toInt(), s[2].toInt(), s[3].toInt()});
        W.XlsStringGrid1->SetTopRow(toInt(r.Value("top"), W.XlsStringGrid1->TopRow()));
        run([&] { k == "up" ? W.CuteButton3Click(&W) : W.CuteButton4Click(&W); });
    } else if (k == "save") {
        // The file was written then; it is not written again.
        W.CsvFileName = QString::fromUtf8(r.ValueOr("file"));
        W.XlsStringGrid1->SetCSVFileName(W.CsvFileName);
    }
}

void TRunRecorder::Restore() {
    if (!FOffered) return;
    std::unique_ptr<RunJournal::TFound> found = std::move(FOffered);
    const QByteArray bootNow = FSystem.BootId();
    const uint32_t tickNow = Clock::GetTickCount();
    const qint64 realNow = FSystem.RealTime();
    uint32_t delta = 0;
    const TRecord* last = nullptr;
    // Nothing is painted until the whole run is back.
    const bool updates = W.updatesEnabled();
    W.setUpdatesEnabled(false);
    for (const TRecord& r : found->Contents.Records) {
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
            replay(r, delta);
            last = &r;
        }
    }
    W.setUpdatesEnabled(updates);
    if (last) {
        W.State.LiveLap = toInt(last->Value("live"), W.State.LiveLap);
        FFocus = QString::fromUtf8(last->ValueOr("f"));
        if (last->Kind == "reset") FWasReset = true;
    }
    W.DisplayTick();
    RestoreFocus();

    // The run goes on in the same journal, after an anchor for this boot's
    // counter; a torn last line is closed first so that it stays one line.
    FWriter = std::make_unique<RunJournal::TWriter>(found->File);
    found->File.Fd = -1;
    FOpen = true;
    write((found->Contents.EndsWithNewline ? QByteArray() : QByteArray("\n")) +
          RunJournal::EncodeLine(anchorRecord("anchor")));
}

void TRunRecorder::RestoreFocus() {
    if (FFocus.isEmpty()) return;
    if (QWidget* f = W.findChild<QWidget*>(FFocus, Qt::FindDirectChildrenOnly))
        f->setFocus(Qt::OtherFocusReason);
}
