// The run journal kept and read back against a window that is only a record
// of what it was asked to do.
#include "RunRecorder.h"
#include "Messages.h"
#include "RunJournal.h"
#include "RunModel.h"
#include "TestUtil.h"

#include <QFile>
#include <QThread>

#include <ctime>
#include <memory>
#include <stdexcept>
#include <utility>

namespace {

struct FakeHost : TRunHost {
    struct Call {
        TRunAction Action;
        TActionInput Input;
        uint32_t Tick;
        QDateTime Time;
    };
    std::vector<Call> Calls;
    TRunShown Now;
    TRunCarry Applied;
    std::optional<int32_t> Live;
    QString Focused;
    int FilesWritten = 0;
    bool FailUp = false, Painting = true;
    int PerformedPainting = 0;

    TActionInput Read(TRunAction a) const override {
        TActionInput in;
        if (a == TRunAction::Up) in.Sel = TGridRect{0, 1, 0, 3}, in.Top = 2;
        if (a == TRunAction::Add || a == TRunAction::Pick)
            if (a == TRunAction::Add || a == TRunAction::Pick) in.Text = QStringLiteral("5864");
        if (a == TRunAction::Pick) in.Index = 8;
        return in;
    }
    void Perform(TRunAction a, const TActionInput& in) override {
        if (Painting) ++PerformedPainting;
        Calls.push_back({a, in, Clock::GetTickCount(), Clock::Now()});
        TRunState& s = Now.State;
        s.Total = int32_t(Calls.back().Tick);
        if (a == TRunAction::Lap) ++s.LapCount;
        if (a == TRunAction::Lap2) ++s.Lap2Count;
        if (a == TRunAction::Start) s.Running = true;
        if (a == TRunAction::Reset) s = TRunState();
        if (a == TRunAction::Add && in.Text != QStringLiteral("100")) ++Now.Distances;
        if (a == TRunAction::Save)
            Now.CsvFile = in.File.isEmpty() ? QString::number(++FilesWritten) : in.File;
        if (a == TRunAction::Up && FailUp) throw std::runtime_error("first row");
        s.LiveLap = s.LapCount * 10;
        Now.Focus = QStringLiteral("LAP");
    }
    TRunShown Shown() const override { return Now; }
    TRunCarry Carry() const override {
        TRunCarry c;
        c.Keyed = false;
        c.AddedDistances = {QStringLiteral("777")};
        c.MixColor = 0x123456;
        c.Grids[1] = {31, 4, {0, 0, 0, 30}};
        c.State = Now.State;
        return c;
    }
    void ApplyCarry(const TRunCarry& c) override { Applied = c; }
    void ReturnToStart(const TRunStart&) override {}
    void Rebuilt(std::optional<int32_t> live) override { Live = live; }
    void Focus(const QString& name) override { Focused = name; }
    bool SetPainting(bool on) override { return std::exchange(Painting, on); }
    void ShowJournalTrouble(const QString&) override {}
};

struct Fixture {
    QTemporaryDir Dir;
    FakeClock Clock;
    QByteArray Boot = "boot-a";
    qint64 Real = 1'000'000;
    TRunRecorder::TSystem System{[this] { return Boot; }, [this] { return Real; }};
};

const TRunAction kSome[] = {TRunAction::Reset, TRunAction::Add,  TRunAction::Start,
                            TRunAction::Lap,   TRunAction::Lap2, TRunAction::Up,
                            TRunAction::Save,  TRunAction::Lap,  TRunAction::Pick};

void expectSameCalls(const std::vector<FakeHost::Call>& was, const std::vector<FakeHost::Call>& now,
                     uint32_t delta) {
    ASSERT_EQ(now.size(), was.size());
    for (size_t i = 0; i < was.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(now[i].Action, was[i].Action);
        EXPECT_EQ(now[i].Input.Text, was[i].Input.Text);
        EXPECT_EQ(now[i].Input.Index, was[i].Input.Index);
        EXPECT_EQ(now[i].Input.Sel, was[i].Input.Sel);
        EXPECT_EQ(now[i].Input.Top, was[i].Input.Top);
        EXPECT_EQ(now[i].Tick, was[i].Tick + delta);
        // The previous run's reset comes back with its ticks only.
        if (i > 0) {
            EXPECT_EQ(now[i].Time, was[i].Time);
        }
    }
}

// A run performed, the process gone, the run rebuilt: same boot (the ticks
// as they were) and after a reboot (the ticks moved onto the new counter).
TEST(RunRecorderFakeHost, ARunComesBackThroughTheSameActionsWithTheirReadings) {
    for (const bool reboot : {false, true}) {
        SCOPED_TRACE(reboot ? "reboot" : "same boot");
        Fixture f;
        f.Clock.Tick = 4'000'000'000u; // wraps during the run
        FakeHost was;
        {
            TRunModel run(was);
            TRunRecorder rec(run, f.Dir.path(), f.System);
            for (TRunAction a : kSome) {
                f.Clock.Advance(150'000'000);
                f.Clock.Now = f.Clock.Now.addSecs(150'000);
                run.Perform(a);
            }
            EXPECT_EQ(run.Actions().size(), 8u) << "the run since the reset";
        }
        uint32_t delta = 0;
        if (reboot) {
            f.Boot = "boot-b";
            f.Real += 5000; // 5 s later, on a counter standing at 77
            // The journal's anchor is the tick of its first action, the add.
            delta = 77u - (was.Calls[1].Tick + 5000u);
            f.Clock.Tick = 77;
        }
        FakeHost now;
        TRunModel run(now);
        TRunRecorder rec(run, f.Dir.path(), f.System);
        ASSERT_TRUE(rec.Offer());
        rec.Restore();
        // The first reset belongs to the previous run: it comes back through
        // the carry, the rest as actions.
        expectSameCalls(was.Calls, now.Calls, delta);
        EXPECT_EQ(now.FilesWritten, 0) << "a saved file is never written twice";
        EXPECT_EQ(now.Now.CsvFile, QStringLiteral("1"));
        EXPECT_EQ(now.Live, 20);
        EXPECT_EQ(now.Focused, QStringLiteral("LAP"));
        EXPECT_TRUE(now.Painting);
        EXPECT_EQ(now.PerformedPainting, 0) << "nothing painted until the run is whole";
        EXPECT_FALSE(now.Applied.Keyed);
        EXPECT_EQ(now.Applied.MixColor, 0x123456);
        EXPECT_EQ(now.Applied.Grids[1].Sel, (TGridRect{0, 0, 0, 30}));
        EXPECT_EQ(now.Applied.AddedDistances, QStringList{QStringLiteral("777")});
    }
}

TEST(RunRecorderFakeHost, AnErrorIsJournaledBeforeItIsReportedAndNotReportedAgain) {
    Fixture f;
    FakeHost was;
    was.FailUp = true;
    {
        TRunModel run(was);
        TRunRecorder rec(run, f.Dir.path(), f.System);
        run.Perform(TRunAction::Start);
        try {
            run.Perform(TRunAction::Up);
            ADD_FAILURE() << "the error reaches the caller";
        } catch (const std::runtime_error&) {
            QFile file(rec.JournalPath());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const RunJournal::TContents c = RunJournal::Read(file.readAll());
            ASSERT_EQ(c.Records.size(), 4u);
            EXPECT_EQ(c.Records[3].Kind, "up");
            EXPECT_EQ(c.Records[3].ValueOr("x"), "1");
        }
        ASSERT_TRUE(run.Actions().back().Raised);
    }
    FakeHost now;
    now.FailUp = true;
    TRunModel run(now);
    TRunRecorder rec(run, f.Dir.path(), f.System);
    ASSERT_TRUE(rec.Offer());
    EXPECT_NO_THROW(rec.Restore());
    ASSERT_EQ(run.Actions().size(), 2u);
    EXPECT_TRUE(run.Actions()[1].Raised);
    EXPECT_TRUE(run.Actions()[1].Rebuilt);
}

// Enter on a listed distance changes nothing and leaves no record, but the
// journal it begins is there.
TEST(RunRecorderFakeHost, AnUnchangedAddLeavesNoRecord) {
    Fixture f;
    FakeHost host;
    TRunModel run(host);
    TRunRecorder rec(run, f.Dir.path(), f.System);
    host.Now.Distances = 28;
    TActionInput listed;
    listed.Text = QStringLiteral("100");
    run.Perform(TRunAction::Add, listed);
    run.Perform(TRunAction::Lap);
    QFile file(rec.JournalPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const RunJournal::TContents c = RunJournal::Read(file.readAll());
    ASSERT_EQ(c.Records.size(), 3u);
    EXPECT_EQ(c.Records[0].Kind, RunJournal::HeaderKind);
    EXPECT_EQ(c.Records[1].Kind, "carry");
    EXPECT_EQ(c.Records[2].Kind, "lap");
    EXPECT_EQ(run.Actions().size(), 1u);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A run (start, `laps` laps) killed; its journal.
QString killedRun(Fixture& f, int laps) {
    FakeHost host;
    TRunModel run(host);
    TRunRecorder rec(run, f.Dir.path(), f.System);
    run.Perform(TRunAction::Start);
    for (int i = 0; i < laps; ++i) {
        f.Clock.Advance(60'000 + uint32_t(i));
        run.Perform(TRunAction::Lap);
    }
    return rec.JournalPath();
}

QString beside(QString path, const QString& suffix) {
    return path.chopped(RunJournal::LiveSuffix.size()) + suffix;
}

// A run restored from a damaged journal (one changed character on a line of
// nine: header, carry, start, six laps) is killed and restored again: what
// it did after the first restore comes back too, and the damaged file stays
// as it was.
TEST(RunRecorderDamage, ARunComesBackUpToTheDamageAndGoesOnInAWholeJournal) {
    const struct {
        int line;        // damaged
        size_t restored; // actions back after the first restore
        QString told;    // added to the question
    } cases[] = {
        {6, 3, u' ' + Msg::RestoreUnread(4).arg(5)},
        {8, 5, u' ' + Msg::RestoreUnread(2).arg(7)},
        {9, 6, {}}, // as a crash leaves a torn last line: the same journal goes on
        {2, 7, u' ' + Msg::RestoreCarryLost()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Fixture f;
        const QString path = killedRun(f, 6);
        QList<QByteArray> lines = readFile(path).split('\n');
        QByteArray& l = lines[c.line - 1];
        l[l.size() - 12] = char(l[l.size() - 12] ^ 0x01);
        const QByteArray bytes = lines.join('\n');
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        FakeHost now;
        TRunModel run(now);
        auto rec = std::make_unique<TRunRecorder>(run, f.Dir.path(), f.System);
        const std::optional<QString> q = rec->Offer();
        ASSERT_TRUE(q);
        EXPECT_TRUE(q->endsWith(QStringLiteral("Restore it?") + c.told)) << q->toStdString();
        EXPECT_EQ(readFile(path), bytes) << "offering changes no byte";
        rec->Restore();
        ASSERT_EQ(now.Calls.size(), c.restored);
        EXPECT_EQ(now.Applied.MixColor == 0x123456, c.line != 2) << "a lost carry is not applied";
        EXPECT_EQ(rec->JournalPath() == path, c.told.isEmpty());
        if (!c.told.isEmpty()) {
            EXPECT_EQ(readFile(beside(path, RunJournal::DamagedSuffix)), bytes);
            EXPECT_FALSE(RunJournal::Read(readFile(rec->JournalPath())).Damaged());
        }
        f.Clock.Advance(61'000);
        run.Perform(TRunAction::Lap);
        run.Perform(TRunAction::Lap2);
        rec.reset(); // killed again

        FakeHost again;
        TRunModel run2(again);
        TRunRecorder rec2(run2, f.Dir.path(), f.System);
        const std::optional<QString> q2 = rec2.Offer();
        ASSERT_TRUE(q2 && q2->endsWith(QStringLiteral("Restore it?")))
            << q2.value_or("").toStdString();
        rec2.Restore();
        expectSameCalls(now.Calls, again.Calls, 0);
        EXPECT_EQ(again.Applied.MixColor, 0x123456) << "the carry the run began on";
    }
}

// The process's zone, set for the scope of a test.
struct ScopedZone {
    explicit ScopedZone(const char* tz) : had(qEnvironmentVariableIsSet("TZ")), was(qgetenv("TZ")) {
        qputenv("TZ", tz);
        ::tzset();
    }
    ~ScopedZone() {
        had ? qputenv("TZ", was) : qunsetenv("TZ");
        ::tzset();
    }
    bool had;
    QByteArray was;
};

// Counts read as words do, and times in the zone the program runs in now,
// whatever zone they were made in.
TEST(RunRecorderQuestion, CountsInWordsAndTimesInTheZoneOfNow) {
    const struct {
        const char* tz;
        QByteArray counts;
        const char* want;
    } cases[] = {
        {"JST-9", "1,0,1", "13:05:42 was interrupted at 13:17:03 after 1 lap (LAP2: 0, LAP3: 1)"},
        {"UTC0", "0,1,0", "04:05:42 was interrupted at 04:17:03 after 0 laps (LAP2: 1, LAP3: 0)"},
        {"EST5", "21,2,1", "23:05:42 was interrupted at 23:17:03 after 21 laps (LAP2: 2, LAP3: 1)"},
    };
    for (const auto& c : cases) {
        ScopedZone zone(c.tz);
        auto at = [](const char* t) { return QByteArray("2026-12-08T") + t + ".000+09:00"; };
        RunJournal::TRecord start("start"), lap("lap");
        start.Add("at", at("13:05:42"));
        lap.Add("at", at("13:17:03")).Add("c", c.counts);
        RunJournal::TContents run;
        run.Records = {start, lap};
        EXPECT_EQ(TRunRecorder::Question(run), QStringLiteral("The run started at ") +
                                                   QString::fromUtf8(c.want) +
                                                   QStringLiteral(". Restore it?"));
    }
}

// Two copies killed: each run is asked about, newest first, and each one
// restored comes back on a window of its own, going on in its own journal.
TEST(RunRecorderStartUp, EveryInterruptedRunIsOfferedNewestFirst) {
    for (const bool restoreNewest : {true, false}) {
        SCOPED_TRACE(restoreNewest);
        Fixture f;
        const QString older = killedRun(f, 2);
        QThread::msleep(5); // journal names sort by their creation time
        const QString newer = killedRun(f, 3);
        struct Window {
            FakeHost Host;
            TRunModel Run{Host};
            TRunRecorder Rec;
            explicit Window(Fixture& f) : Rec(Run, f.Dir.path(), f.System) {}
        };
        std::vector<std::unique_ptr<Window>> windows;
        QStringList asked;
        const int restored = TRunRecorder::StartUp(
            f.Dir.path(),
            [&](const QString& q) {
                asked << q;
                return restoreNewest || asked.size() > 1;
            },
            [&]() -> TRunRecorder& {
                windows.push_back(std::make_unique<Window>(f));
                return windows.back()->Rec;
            });
        ASSERT_EQ(asked.size(), 2);
        EXPECT_TRUE(asked[0].contains(QStringLiteral("after 3 laps"))) << asked[0].toStdString();
        EXPECT_TRUE(asked[1].contains(QStringLiteral("after 2 laps"))) << asked[1].toStdString();
        ASSERT_EQ(windows.size(), size_t(restored));
        ASSERT_EQ(restored, restoreNewest ? 2 : 1);
        EXPECT_EQ(windows.back()->Host.Now.State.LapCount, 2);
        EXPECT_EQ(windows.back()->Rec.JournalPath(), older);
        if (restoreNewest) {
            EXPECT_EQ(windows[0]->Host.Now.State.LapCount, 3);
            EXPECT_EQ(windows[0]->Rec.JournalPath(), newer);
        }
        EXPECT_EQ(QFile::exists(beside(newer, RunJournal::DiscardedSuffix)), !restoreNewest);
    }
}

} // namespace
