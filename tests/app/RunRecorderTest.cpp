// The run journal kept and read back against a window that is only a record
// of what it was asked to do.
#include "RunRecorder.h"
#include "RunJournal.h"
#include "RunModel.h"
#include "TestUtil.h"

#include <QFile>

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

} // namespace
