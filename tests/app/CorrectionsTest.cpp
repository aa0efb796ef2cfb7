// A corrected run shows exactly what the same run would have shown had the
// press never been made (or the missed one been made), every other press at
// the same tick; undo and redo go back and forth between those runs, and a
// journal brings a corrected run back as it was.
#include "Chart.h"
#include "CuteBtn.h"
#include "ExcelUtil.h"
#include "Label.h"
#include "MessageService.h"
#include "RowCorrector.h"
#include "RunRecorder.h"
#include "Series.h"
#include "StringGridEx.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <random>

namespace {

struct Step {
    TRunAction Action;
    uint32_t After; // ms since the step before
};

// A run over the three buttons from a seed: a distance, reset (every third
// run begins on the window as it opened instead), start, laps with now and
// then a stop and a start without reset.
std::vector<Step> RandomRun(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<Step> steps{{TRunAction::Pick, 0},
                            {seed % 3 ? TRunAction::Reset : TRunAction::Pick, 10},
                            {TRunAction::Start, 10}};
    for (int i = 0; i < 40; ++i) {
        const unsigned r = rng() % 20;
        const uint32_t gap = r < 2 ? 300 : 20000 + rng() % 70000; // a double press now and then
        const TRunAction a = r < 12   ? TRunAction::Lap
                             : r < 16 ? TRunAction::Lap2
                             : r < 19 ? TRunAction::Lap3
                                      : TRunAction::Stop;
        steps.push_back({a, gap});
        if (a == TRunAction::Stop) steps.push_back({TRunAction::Start, 5000}); // no reset
    }
    return steps;
}

void Play(TVantel& w, FakeClock& clock, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        clock.Advance(s.After);
        clock.Now = clock.Now.addMSecs(s.After);
        TActionInput in;
        if (s.Action == TRunAction::Pick) in.Index = 8, in.Text = QStringLiteral("5864");
        w.Run.Perform(s.Action, in);
    }
    w.DisplayTick();
}

// Everything the window shows of the run.
QString Shown(TVantel& w) {
    QString out;
    for (TLabel* l : {w.Label1, w.Label2, w.Label3, w.Label7, w.Label9, w.Label11, w.Label12,
                      w.Label13, w.Label14, w.Label16})
        out += l->objectName() + u'=' + l->Caption() + u'\n';
    for (TStringGrid* g :
         {static_cast<TStringGrid*>(w.StringGridEx1), static_cast<TStringGrid*>(w.XlsStringGrid1)})
        for (int r = 0; r < g->RowCount(); ++r)
            out += g->objectName() + QString::number(r) + u'=' + g->RowCells(r).join(u'|') + u'\n';
    for (int i = 0; i < 2; ++i) {
        TChartSeries* s = w.Chart1->Series(i);
        for (int p = 0; p < s->Count(); ++p)
            out += QStringLiteral("s%1 %2 %3\n").arg(i).arg(s->XValue(p)).arg(s->YValue(p));
    }
    w.State.ForEachField([&](const char* name, const auto& v) {
        out += QLatin1String(name) + u'=' + QVariant::fromValue(v).toString() + u'\n';
    });
    return out;
}

struct Windows {
    FakeClock Clock;
    ScopedMessageRecorder Messages;
    // From the same clock readings each time, unless the clock goes on.
    std::unique_ptr<TVantel> Make(bool sameClock = true) {
        if (sameClock) {
            Clock.Tick = 4'294'000'000u; // the counter wraps during the runs
            Clock.Now = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
        }
        auto w = std::make_unique<TVantel>();
        w->Timer1->SetEnabled(false);
        return w;
    }
};

// The press a step made, and the row of a grid that shows it.
struct Row {
    TStringGrid* Grid;
    int Index;
};
// A press's number in its run: a reset at step 1 ends a run, and the run
// counts its actions from the start after it.
int PressOf(const std::vector<Step>& run, size_t step) {
    return run[1].Action == TRunAction::Reset ? int(step) - 1 : int(step) + 1;
}

std::optional<Row> RowOf(TVantel& w, int press) {
    for (auto [g, grid] :
         {std::pair{TRowPresses::Main, static_cast<TStringGrid*>(w.StringGridEx1)},
          std::pair{TRowPresses::Mix, static_cast<TStringGrid*>(w.XlsStringGrid1)}})
        if (const int r = w.Rows.RowOf(g, press); r >= 0) return Row{grid, r};
    return std::nullopt;
}

std::vector<Step> Without(std::vector<Step> steps, size_t k) {
    if (k + 1 < steps.size()) steps[k + 1].After += steps[k].After;
    steps.erase(steps.begin() + std::ptrdiff_t(k));
    return steps;
}

TEST(Corrections, ADeletedOrInsertedPressLeavesTheRunAsIfItHadBeenMadeSo) {
    int deleted = 0, inserted = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        Windows f;
        const std::vector<Step> run = RandomRun(seed);
        // A press with a press of its button after it in the same count
        // (a start begins the laps afresh).
        std::mt19937 rng(seed * 7919);
        size_t k = 0;
        for (int tries = 0; tries < 100 && !k; ++tries) {
            const size_t c = 3 + rng() % (run.size() - 3);
            if (!IsPress(run[c].Action)) continue;
            for (size_t j = c + 1; j < run.size() && IsPress(run[j].Action) && !k; ++j)
                if (run[j].Action == run[c].Action) k = c;
        }
        ASSERT_NE(k, 0u);
        const std::vector<Step> without = Without(run, k);

        auto reference = f.Make();
        Play(*reference, f.Clock, without);
        const QString wantWithout = Shown(*reference);
        reference = f.Make();
        Play(*reference, f.Clock, run);
        const QString wantWith = Shown(*reference);
        const int32_t total = reference->Run.Shown()[size_t(PressOf(run, k) - 1)].After.State.Total;

        auto w = f.Make();
        Play(*w, f.Clock, run);
        const std::optional<Row> row = RowOf(*w, PressOf(run, k));
        if (!row) continue; // overwritten by a later start: not shown, not correctable
        ASSERT_TRUE(w->Corrector->Delete(row->Grid, row->Index));
        ++deleted;
        EXPECT_EQ(Shown(*w), wantWithout) << "deleted";
        ASSERT_TRUE(w->Corrector->Undo());
        EXPECT_EQ(Shown(*w), wantWith) << "undone";
        ASSERT_TRUE(w->Corrector->Redo());
        EXPECT_EQ(Shown(*w), wantWithout) << "redone";

        // Put back by hand at its total, into the lap of the next press of
        // its button: the run as it was made.
        w = f.Make();
        Play(*w, f.Clock, without);
        size_t next = k; // in `without`, the next press of the button sits at k
        while (without[next].Action != run[k].Action)
            ++next;
        const std::optional<Row> nextRow = RowOf(*w, PressOf(without, next));
        if (!nextRow) continue;
        ASSERT_TRUE(w->Corrector->Insert(nextRow->Grid, nextRow->Index, total));
        ++inserted;
        EXPECT_EQ(Shown(*w), wantWith) << "inserted at " << total;
    }
    // Most picks are shown; a run whose pick a later start overwrote is skipped.
    EXPECT_GE(deleted, 8);
    EXPECT_GE(inserted, 8);
}

TEST(Corrections, ASplitHalvesTheLapAndRefusalsChangeNothing) {
    Windows f;
    auto w = f.Make();
    Play(*w, f.Clock,
         {{TRunAction::Reset, 0},
          {TRunAction::Start, 0},
          {TRunAction::Lap, 60001},
          {TRunAction::Lap, 61000}});
    const QString before = Shown(*w);
    EXPECT_FALSE(w->Corrector->Insert(w->StringGridEx1, 2, 60001)) << "at the lap's start";
    EXPECT_FALSE(w->Corrector->Insert(w->StringGridEx1, 2, 121001)) << "at the lap's end";
    EXPECT_FALSE(w->Corrector->Delete(w->StringGridEx1, 5)) << "an empty row";
    EXPECT_FALSE(w->Corrector->Redo());
    EXPECT_EQ(Shown(*w), before);
    ASSERT_TRUE(w->Corrector->Split(w->StringGridEx1, 2));
    EXPECT_EQ(w->State.LapCount, 3);
    EXPECT_EQ(w->StringGridEx1->Cells(6, 2), QStringLiteral("30500"));
    EXPECT_EQ(w->StringGridEx1->Cells(6, 3), QStringLiteral("30500"));
    EXPECT_TRUE(f.Messages.Records().isEmpty()) << "no box, only the note";
    EXPECT_TRUE(w->RunNote && !w->RunNote->isHidden());
}

TEST(Corrections, AJournalBringsACorrectedRunBack) {
    QTemporaryDir dir;
    Windows f;
    const TRunRecorder::TSystem sys{[] { return QByteArray("boot"); }, [] { return qint64(0); }};
    const std::vector<Step> run = RandomRun(3);
    QString want;
    {
        auto w = f.Make();
        TRunRecorder rec(w->Run, dir.path(), sys);
        Play(*w, f.Clock, run);
        ASSERT_TRUE(w->Corrector->Delete(w->StringGridEx1, 2));
        ASSERT_TRUE(w->Corrector->Split(w->XlsStringGrid1, 3));
        ASSERT_TRUE(w->Corrector->Undo());
        ASSERT_TRUE(w->Corrector->Split(w->StringGridEx1, 4));
        want = Shown(*w);
    }
    auto w = f.Make(false);
    TRunRecorder rec(w->Run, dir.path(), sys);
    ASSERT_TRUE(rec.Offer());
    rec.Restore();
    EXPECT_EQ(Shown(*w), want);
    // The history comes back too: the undo goes on from where it was.
    ASSERT_TRUE(w->Corrector->Undo());
    ASSERT_TRUE(w->Corrector->Undo());
    EXPECT_FALSE(w->Corrector->Undo());
}

// The keys as the operator presses them: on a grid row, and Ctrl+Z and
// Ctrl+Y from the control that has the focus (LAP while running).
TEST(Corrections, TheKeysReachTheRunFromTheGridsAndFromLap) {
    Windows f;
    auto w = f.Make();
    w->show();
    QApplication::setActiveWindow(w.get());
    Play(*w, f.Clock,
         {{TRunAction::Reset, 0},
          {TRunAction::Start, 0},
          {TRunAction::Lap, 60000},
          {TRunAction::Lap, 300},
          {TRunAction::Lap, 59000}});
    TStringGrid* grid = w->StringGridEx1;
    grid->setFocus();
    grid->FocusCell(0, 2);
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(w->State.LapCount, 2);
    EXPECT_TRUE(w->LAP->hasFocus()) << "running: back to LAP";
    EXPECT_EQ(w->Run.Actions().back().After.Focus, QStringLiteral("LAP")) << "as journaled";
    QTest::keyClick(w->LAP, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w->State.LapCount, 3);
    QTest::keyClick(w->LAP, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(w->State.LapCount, 2);
    QTest::keyClick(w->LAP, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w->State.LapCount, 2) << "nothing left to redo";
    grid->setFocus();
    grid->FocusCell(0, 2);
    QTest::keyClick(grid, Qt::Key_Insert, Qt::ShiftModifier);
    auto* field = grid->findChild<QLineEdit*>(QStringLiteral("InsertTotal"));
    ASSERT_TRUE(field);
    QTest::keyClicks(field, QStringLiteral("00:01:30:000"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(w->State.LapCount, 3);
    EXPECT_EQ(grid->Cells(6, 2), QStringLiteral("30000"));
    EXPECT_EQ(grid->Cells(6, 3), QStringLiteral("29300"));

    // F1 lists the keys in a window of its own that leaves LAP working.
    QTest::keyClick(w->LAP, Qt::Key_F1);
    auto* keys = w->findChild<QDialog*>(QStringLiteral("KeysHelp"));
    ASSERT_TRUE(keys);
    EXPECT_TRUE(keys->isVisible());
    EXPECT_FALSE(keys->isModal());
    w->LAP->OnClick(w->LAP);
    EXPECT_EQ(w->State.LapCount, 4);

    // Stopped, the keyboard stays on the grid, and the journal says so.
    w->stop->OnClick(w->stop);
    grid->setFocus();
    grid->FocusCell(0, 2);
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(w->Run.Actions().back().After.Focus, QStringLiteral("StringGridEx1"));

    // The mouse: a right click on a row opens its menu; on an empty row the
    // window's own menu is left to open.
    auto rightClick = [&](int row) {
        const TRect r = grid->CellRect(1, row);
        const QPoint at(r.Left + 2, r.Top + 2);
        QContextMenuEvent e(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &e);
        return grid->findChild<QMenu*>(QStringLiteral("RowMenu"));
    };
    w->SetPopupMenu(nullptr); // the window's own menu would wait for a pick
    EXPECT_FALSE(rightClick(8));
    QMenu* menu = rightClick(1);
    ASSERT_TRUE(menu);
    const int before = w->State.LapCount;
    menu->actions().first()->trigger();
    EXPECT_EQ(w->State.LapCount, before - 1);
    menu->close();
}

TEST(Corrections, ATypedTotalReadsAsTheGridsShowIt) {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"00:01:02:500", 62500},        {" 62500 ", 62500},
        {"1:02:03:004", 3723004},       {"00:01:02.5", 62500},
        {"00:60:00:000", std::nullopt}, {"-5", std::nullopt},
        {"1:2", std::nullopt},          {"", std::nullopt}};
    for (const auto& [text, want] : cases)
        EXPECT_EQ(TRowCorrector::ParseTotal(QString::fromLatin1(text)), want) << text;
}

} // namespace
