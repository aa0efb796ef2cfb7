// The board as the window feeds it: what it serves is what the window shows
// and saves, and a viewer's press goes through the run.
#include "LiveBoard.h"

#include "MessageService.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QWebSocket>

#include <gtest/gtest.h>

namespace {
struct Window {
    FakeClock Clock;
    ScopedMessageRecorder Messages;
    TVantel W;
    Window() {
        Clock.Tick = 4'294'960'000u; // the counter wraps during the run
        W.Timer1->SetEnabled(false);
        W.Run.Perform(TRunAction::Reset);
        W.Run.Perform(TRunAction::Start);
        for (TRunAction a : {TRunAction::Lap, TRunAction::Lap2, TRunAction::Lap, TRunAction::Lap3,
                             TRunAction::Lap}) {
            Clock.Advance(61'234);
            W.Run.Perform(a);
        }
    }
};
} // namespace

TEST(LiveBoard, ServesWhatTheWindowShowsAndSaves) {
    TempCurrentDir cwd;
    Window f;
    TActionInput in;
    in.Target = 2; // the first lap: taken out
    ASSERT_FALSE(f.W.Run.Correct(TRunAction::Delete, in));
    f.W.Run.Perform(TRunAction::Save);
    QFile saved(QDir(cwd.Path()).filePath(f.W.CsvFile()));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));

    TBoardFeed feed;
    feed.Take(TLiveBoard::CaptureOf(f.W), 0);
    EXPECT_EQ(feed.Csv(), saved.readAll());
    const QJsonObject run = QJsonDocument::fromJson(feed.Snapshot(false, 0)).object();
    EXPECT_EQ(run["figures"]["total"].toString(), f.W.GGetStrTime());
    EXPECT_EQ(run["figures"]["lapCount"].toString(), "2"); // three main laps, one taken out
    const QJsonArray corrections = run["corrections"].toArray();
    ASSERT_EQ(corrections.size(), 1);
    EXPECT_EQ(corrections[0]["text"].toString(), "Taken out: LAP at 00:01:01:234");
    // Each lap row names its button; no press of the run is left out.
    int pressed = 0;
    for (const QJsonValue row : run["rows"].toArray())
        pressed += row["press"].toInt() != 0;
    EXPECT_EQ(pressed, 4);
}

TEST(LiveBoard, AViewersPressGoesThroughTheRunAndEveryActionComesBack) {
    Window f;
    TLiveBoardSettings s;
    s.Enabled = true;
    s.Port = 0; // any free one
    s.Code = s.LapCode = "0123456789abcdef0123456789abcdef";
    s.RemoteLaps = true;
    std::vector<std::pair<TRunAction, uint32_t>> presses;
    TLiveBoard board(f.W, s, [&](TRunAction a, uint32_t tick) {
        presses.emplace_back(a, tick);
        f.W.Run.Press(a, tick);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return board.Serving(); }, 5000));
    const QString host = QStringLiteral("127.0.0.1:%1").arg(board.Port());
    QWebSocket viewer(QStringLiteral("http://") + host);
    QList<QJsonObject> got;
    QObject::connect(&viewer, &QWebSocket::textMessageReceived, [&](const QString& m) {
        got << QJsonDocument::fromJson(m.toUtf8()).object();
    });
    QNetworkRequest r(QUrl(QStringLiteral("ws://%1/events").arg(host)));
    r.setRawHeader("Cookie", "vantel_lap=" + s.LapCode);
    viewer.open(r);
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() == 1; }, 5000));
    EXPECT_TRUE(got[0]["remote"].toBool());
    EXPECT_EQ(board.Viewers(), 1);

    // Pressed 2 s ago by the phone's reckoning, and once a little ahead.
    const uint32_t now = f.Clock.Tick;
    viewer.sendTextMessage(
        QStringLiteral(R"({"type":"press","action":"lap3","id":1,"tick":%1})").arg(now - 2000));
    viewer.sendTextMessage(QStringLiteral(R"({"type":"press","action":"lap","id":2,"tick":%1})")
                               .arg(uint32_t(now + 300)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return presses.size() == 2; }, 5000));
    EXPECT_EQ(presses[0], std::pair(TRunAction::Lap3, now - 2000));
    EXPECT_EQ(presses[1], std::pair(TRunAction::Lap, now)); // never later than its arrival
    EXPECT_EQ(f.W.State.Lap3Count, 2);
    // The viewer hears of both laps the presses made, and both answers.
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() == 5; }, 5000));
    int laps = 0, answers = 0;
    for (const QJsonObject& m : got) {
        laps += m["type"] == "lap";
        answers += m["type"] == "pressed" && m["ok"].toBool();
    }
    EXPECT_EQ(laps, 2);
    EXPECT_EQ(answers, 2);
}

TEST(LiveBoard, ACaptureKeptUpToDateIsAFreshOne) {
    Window f;
    TWindowShows kept;
    auto same = [&](const char* after) {
        const TBoardCapture c = TLiveBoard::CaptureOf(f.W, &kept);
        const TWindowShows fresh = f.W.Shows();
        EXPECT_EQ(c.Shows.MixRows, fresh.MixRows) << "after " << after;
        EXPECT_EQ(c.Shows.MixPresses, fresh.MixPresses) << "after " << after;
    };
    same("the run's laps");
    TActionInput in;
    in.Target = 3; // a LAP2 press: the rows after it move up
    ASSERT_FALSE(f.W.Run.Correct(TRunAction::Delete, in));
    same("a press taken out");
    f.W.Run.Perform(TRunAction::Up);
    same("a row moved up");
    ASSERT_FALSE(f.W.Run.Correct(TRunAction::Undo, {}));
    same("the correction undone");
    f.W.Run.Perform(TRunAction::Reset);
    same("a reset");
}
