// What an operator's slips must never cost: a save beside another run's file
// in the same minute, a restart pressed while the clock runs, a start made
// over laps not yet saved, a window on a screen too small for it.
#include "Chart.h"
#include "CuteBtn.h"
#include "ExcelUtil.h"
#include "Label.h"
#include "MessageService.h"
#include "RowCorrector.h"
#include "RunRecorder.h"
#include "SaveNames.h"
#include "Series.h"
#include "StringGridEx.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

struct Window {
    FakeClock Clock;
    ScopedMessageRecorder Messages;
    std::unique_ptr<TVantel> W;
    Window() {
        Clock.Tick = 4'294'900'000u; // the counter wraps during the run
        Clock.Now = QDateTime(QDate(2026, 12, 10), QTime(10, 39, 6));
        W = std::make_unique<TVantel>();
        W->Timer1->SetEnabled(false);
    }
    void Do(TRunAction a, uint32_t after = 0) {
        Clock.Advance(after);
        Clock.Now = Clock.Now.addMSecs(after);
        W->Run.Perform(a);
    }
    void Laps(int n, uint32_t each) {
        for (int i = 0; i < n; ++i)
            Do(TRunAction::Lap, each);
    }
    QString Note() const {
        return W->RunNote && !W->RunNote->isHidden() ? W->RunNote->Caption() : QString();
    }
};

// Everything the window shows of a stopped run.
QString Shown(TVantel& w) {
    w.DisplayTick();
    QString out;
    for (TLabel* l : {w.Label1, w.Label2, w.Label3, w.Label7, w.Label9, w.Label11, w.Label12,
                      w.Label13, w.Label14, w.Label16})
        out += l->Caption() + u'\n';
    for (TStringGrid* g :
         {static_cast<TStringGrid*>(w.StringGridEx1), static_cast<TStringGrid*>(w.XlsStringGrid1)})
        for (int r = 0; r < g->RowCount(); ++r)
            out += g->RowCells(r).join(u'|') + u'\n';
    for (int i = 0; i < 2; ++i)
        out += QString::number(w.Chart1->Series(i)->Count()) + u'\n';
    w.State.ForEachField([&](const char* name, const auto& v) {
        out += QLatin1String(name) + u'=' + QVariant::fromValue(v).toString() + u'\n';
    });
    return out;
}

TEST(RaceDay, AStartOverUnsavedLapsIsTakenBackWhileNoLapFollows) {
    QTemporaryDir journal;
    const TRunRecorder::TSystem sys{[] { return QByteArray("boot"); }, [] { return qint64(0); }};
    Window f;
    QString stopped, again;
    {
        TRunRecorder rec(f.W->Run, journal.path(), sys);
        f.Do(TRunAction::Reset);
        f.Do(TRunAction::Start);
        f.Laps(3, 61000);
        f.Clock.Advance(4000);
        f.W->DisplayTick(); // the display's last tick before the stop
        f.Do(TRunAction::Stop);
        stopped = Shown(*f.W);

        f.Do(TRunAction::Start, 9000);
        EXPECT_EQ(f.Note(), QStringLiteral("New count started over 3 unsaved laps; Ctrl+Z brings "
                                           "them back."));
        EXPECT_EQ(f.W->State.LapCount, 0);
        ASSERT_TRUE(f.W->Corrector->Undo());
        EXPECT_EQ(Shown(*f.W).toStdString(), stopped.toStdString())
            << "the stopped run exactly as it was";
        EXPECT_EQ(f.W->Run.Actions().back().After.Focus, QStringLiteral("start"))
            << "not on LAP, which would time a lap of the stopped clock";
        EXPECT_FALSE(f.W->Run.StartToTakeBack()) << "taken back once";

        // Made again, the new count goes on from its own start.
        ASSERT_TRUE(f.W->Corrector->Redo());
        f.Do(TRunAction::Lap, 5000);
        EXPECT_EQ(f.W->State.LapCount, 1);
        EXPECT_EQ(f.W->State.LapTime, 5000) << "timed from the start made again";
        EXPECT_FALSE(f.W->Run.StartToTakeBack()) << "a lap since: the old run is overwritten";
        again = Shown(*f.W);
    }
    // The journal holds the take-back and the redo like any correction.
    f.W = std::make_unique<TVantel>();
    f.W->Timer1->SetEnabled(false);
    TRunRecorder rec(f.W->Run, journal.path(), sys);
    ASSERT_TRUE(rec.Offer());
    rec.Restore();
    EXPECT_EQ(Shown(*f.W), again);
}

TEST(RaceDay, OnlyUnsavedLapsAreToldOfAndOnlyLapsAreTakenBack) {
    struct Case {
        const char* Name;
        int Laps;
        bool SaveAfter;
        const char* Note;
    } cases[] = {
        {"one unsaved", 1, false, "New count started over 1 unsaved lap; Ctrl+Z brings it back."},
        {"saved", 2, true, ""},
        {"no laps", 0, false, ""},
    };
    for (const Case& c : cases) {
        TempCurrentDir cwd;
        Window f;
        f.Do(TRunAction::Reset);
        f.Do(TRunAction::Start);
        f.Laps(c.Laps, 30000);
        f.Do(TRunAction::Stop, 100);
        if (c.SaveAfter) f.Do(TRunAction::Save);
        f.Do(TRunAction::Start, 100);
        if (*c.Note)
            EXPECT_EQ(f.Note(), QString::fromUtf8(c.Note)) << c.Name;
        else
            EXPECT_FALSE(f.Note().startsWith(QStringLiteral("New count"))) << c.Name;
        EXPECT_EQ(f.W->Run.StartToTakeBack().has_value(), c.Laps > 0) << c.Name;
    }
}

TEST(RaceDay, RestartWhileRunningLeavesTheClockAlone) {
    Window f;
    f.Do(TRunAction::Reset);
    f.Do(TRunAction::Start);
    f.Do(TRunAction::Lap, 10000);
    f.Do(TRunAction::Restart, 5000);
    f.Do(TRunAction::Lap, 10000);
    EXPECT_EQ(f.W->State.LapTime, 15000);
    EXPECT_EQ(f.W->State.Total, 25000);
    EXPECT_TRUE(f.W->State.Running);
    // Stopped, a restart goes on from the stop as it always has.
    f.Do(TRunAction::Stop, 1000);
    f.Do(TRunAction::Restart, 60000);
    f.Do(TRunAction::Lap, 2000);
    EXPECT_EQ(f.W->State.LapTime, 3000);
}

TEST(RaceDay, ASaveNeverReplacesAnotherRunsFile) {
    const QString dir = QStringLiteral("/srv/t");
    auto at = [&](const char* n) { return dir + u'/' + QLatin1String(n); };
    struct Case {
        const char* Name;
        QStringList Existing, Own;
        const char* Want;
    } cases[] = {
        {"free", {}, {}, "2612101039.csv"},
        {"own file again", {at("2612101039.csv")}, {at("2612101039.csv")}, "2612101039.csv"},
        {"another run's", {at("2612101039.csv")}, {}, "2612101039-2.csv"},
        {"two others", {at("2612101039.csv"), at("2612101039-2.csv")}, {}, "2612101039-3.csv"},
        {"own second",
         {at("2612101039.csv"), at("2612101039-2.csv")},
         {at("2612101039-2.csv")},
         "2612101039-2.csv"},
        {"a gap is free", {at("2612101039.csv"), at("2612101039-3.csv")}, {}, "2612101039-2.csv"},
    };
    for (const Case& c : cases) {
        const QString got =
            SaveNames::Choose(dir, QStringLiteral("2612101039"), c.Own,
                              [&](const QString& p) { return c.Existing.contains(p); });
        EXPECT_EQ(got, QLatin1String(c.Want)) << c.Name;
    }
    EXPECT_TRUE(SaveNames::Choose(dir, QStringLiteral("s"), {}, [](const QString&) {
                    return true;
                }).isEmpty());
    const std::pair<const char*, const char*> readable[] = {{"/home/op/laps", "~/laps"},
                                                            {"/home/op", "~"},
                                                            {"/home/operator", "/home/operator"},
                                                            {"/srv/t", "/srv/t"}};
    for (const auto& [path, want] : readable)
        EXPECT_EQ(SaveNames::Readable(QLatin1String(path), QStringLiteral("/home/op/")),
                  QLatin1String(want));

    // The window: the first run's file is left as it was, the second run
    // saves beside it and then replaces only its own.
    TempCurrentDir cwd;
    Window f;
    f.Do(TRunAction::Reset);
    f.Do(TRunAction::Start);
    f.Laps(6, 20000);
    f.Do(TRunAction::Stop);
    f.Do(TRunAction::Save);
    EXPECT_EQ(f.Note(), QStringLiteral("Saved 2612101041.csv: 6 laps, in ") +
                            SaveNames::Readable(cwd.Path(), QDir::homePath()));
    QFile first(QStringLiteral("2612101041.csv"));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QByteArray firstBytes = first.readAll();
    first.close();
    f.Do(TRunAction::Reset, 1000);
    f.Do(TRunAction::Start);
    f.Do(TRunAction::Lap, 3000);
    f.Do(TRunAction::Stop);
    f.Do(TRunAction::Save);
    EXPECT_EQ(f.W->CsvFile(), QStringLiteral("2612101041-2.csv"));
    EXPECT_TRUE(f.Note().startsWith(QStringLiteral("Saved 2612101041-2.csv: 1 lap, in ")));
    f.Do(TRunAction::Lap, 1000); // stopped: a lap of the stopped clock
    f.Do(TRunAction::Save);
    EXPECT_EQ(f.W->CsvFile(), QStringLiteral("2612101041-2.csv")) << "its own file again";
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), firstBytes);
    EXPECT_FALSE(QFile::exists(QStringLiteral("2612101041-3.csv")));
    EXPECT_TRUE(f.Messages.Records().isEmpty()) << "no box, only the note";
}

TEST(RaceDay, TheWindowIsPlacedWhollyInsideTheUsableArea) {
    const QSize layout(792, 566);
    struct Case {
        const char* Name;
        QRect Avail;
        QMargins Frame;
        QRect Want;
    } cases[] = {
        {"fits, centred", {0, 0, 1280, 1024}, {}, {244, 229, 792, 566}},
        {"panel at the top", {0, 30, 1280, 994}, {4, 24, 4, 4}, {244, 254, 792, 566}},
        {"scaled twice", {0, 0, 640, 512}, {}, {0, 0, 640, 512}},
        {"second screen", {1280, 0, 800, 600}, {}, {1284, 17, 792, 566}},
        {"too small with frame", {0, 0, 700, 500}, {2, 20, 2, 2}, {2, 20, 696, 478}},
    };
    for (const Case& c : cases) {
        const QRect got = TForm::Placement(c.Avail, layout, c.Frame);
        EXPECT_EQ(got, c.Want) << c.Name;
        EXPECT_TRUE(c.Avail.contains(got.marginsAdded(c.Frame))) << c.Name;
    }
    Window f;
    EXPECT_EQ(f.W->minimumSize(), layout) << "the offscreen screen holds the layout";
    EXPECT_EQ(f.W->size(), layout);
}

} // namespace
