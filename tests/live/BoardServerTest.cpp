#include "BoardServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <memory>

namespace {
const QByteArray Code = "0123456789abcdef0123456789abcdef";
const QByteArray LapCode = "fedcba9876543210fedcba9876543210";

TBoardCapture Capture(int laps, const QString& action = QStringLiteral("lap")) {
    TBoardCapture c;
    c.Shows.MixCols = 3;
    c.Shows.MixRows.push_back({"Lap", "Number", "Total"});
    for (int i = 1; i <= laps; ++i) {
        c.Shows.MixRows.push_back(
            {QString::number(i), " 1 ", QStringLiteral(" 00:00:0%1:000").arg(i)});
        c.Shows.MixPresses.resize(size_t(i) + 1);
        c.Shows.MixPresses[size_t(i)] = i + 1;
        c.Presses.push_back({i + 1, 1, 1000, false});
    }
    c.Shows.LapCount = QString::number(laps);
    c.Actions.push_back({TBoardFeed::TypeOf(action), action, 5000u + uint32_t(laps), laps + 1});
    return c;
}

struct TServer {
    explicit TServer(TBoardNetwork network = TBoardNetwork::Local, bool remote = false)
        : Server({network, 0, Code, LapCode, remote}, [] { return 123456u; }) {
        QString why;
        EXPECT_TRUE(Server.Open(&why)) << why.toStdString();
        Server.Take(Capture(0)); // the run as the board opened on it
    }
    QByteArray Host() const { return "127.0.0.1:" + QByteArray::number(Server.Port()); }
    TBoardServer Server;
};

// One raw request and the whole answer, on a connection of its own.
QByteArray Ask(uint16_t port, const QByteArray& request) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(2000)) return {};
    s.write(request);
    QByteArray answer;
    // The server runs on this thread: its events are served while waiting.
    (void)QTest::qWaitFor(
        [&] {
            answer += s.readAll();
            return s.state() != QAbstractSocket::ConnectedState || answer.contains("\r\n\r\n");
        },
        2000);
    QTest::qWait(20);
    answer += s.readAll();
    return answer;
}

QByteArray GetRequest(const QByteArray& path, const QByteArray& host,
                      const QByteArray& extra = {}) {
    return "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\n" + extra + "\r\n";
}

int StatusOf(const QByteArray& answer) {
    return answer.startsWith("HTTP/1.1 ") ? answer.mid(9, 3).toInt() : 0;
}

struct TViewer {
    TViewer(uint16_t port, const QString& origin, const QByteArray& cookie = {}) : Socket(origin) {
        QObject::connect(&Socket, &QWebSocket::textMessageReceived, [this](const QString& m) {
            Messages << QJsonDocument::fromJson(m.toUtf8()).object();
        });
        QNetworkRequest r(QUrl(QStringLiteral("ws://127.0.0.1:%1/events").arg(port)));
        if (!cookie.isEmpty()) r.setRawHeader("Cookie", cookie);
        Socket.open(r);
    }
    bool WaitFor(int count, int ms = 3000) {
        return QTest::qWaitFor([&] { return Messages.size() >= count; }, ms);
    }
    QWebSocket Socket;
    QList<QJsonObject> Messages;
};

QString OriginOf(const TServer& s) {
    return QStringLiteral("http://") + QString::fromLatin1(s.Host());
}
} // namespace

TEST(BoardServer, ViewerGetsTheRunThenEveryAction) {
    TServer s;
    TViewer v(s.Server.Port(), OriginOf(s));
    ASSERT_TRUE(v.WaitFor(1));
    EXPECT_EQ(v.Messages[0]["type"].toString(), "run");
    EXPECT_EQ(v.Messages[0]["seq"].toInt(), 0);
    s.Server.Take(Capture(1));
    s.Server.Take(Capture(2));
    ASSERT_TRUE(v.WaitFor(3));
    const QJsonObject second = v.Messages[2];
    EXPECT_EQ(second["type"].toString(), "lap");
    EXPECT_EQ(second["seq"].toInt(), 2);
    EXPECT_EQ(second["tick"].toInt(), 5002);
    // Only the row that came is sent again.
    EXPECT_EQ(second["table"]["from"].toInt(), 2);
    EXPECT_EQ(second["table"]["rows"].toArray().size(), 1);
    EXPECT_EQ(second["figures"]["lapCount"].toString(), "2");
    // The stream's own answers: the clock.
    v.Socket.sendTextMessage(R"({"type":"ping","id":4,"t":99.5})");
    ASSERT_TRUE(v.WaitFor(4));
    EXPECT_EQ(v.Messages[3]["type"].toString(), "pong");
    EXPECT_EQ(v.Messages[3]["now"].toInt(), 123456);
    EXPECT_EQ(v.Messages[3]["t"].toDouble(), 99.5);
    // The CSV is the rows as SAVE writes them.
    const QByteArray csv = Ask(s.Server.Port(), GetRequest("/laps.csv", s.Host()));
    EXPECT_TRUE(csv.endsWith("1,1,00:00:01:000\r\n2,1,00:00:02:000\r\n")) << csv.toStdString();
}

TEST(BoardServer, OnTheNetworkNobodyGetsInWithoutTheCode) {
    TServer s(TBoardNetwork::Lan);
    const uint16_t port = s.Server.Port();
    const QByteArray cookie = "Cookie: vantel_code=" + Code + "\r\n";
    const struct {
        const char* What;
        QByteArray Request;
        int Status;
    } cases[] = {
        {"no code", GetRequest("/run.json", s.Host()), 401},
        {"not HTTP", "GARBAGE\r\n\r\n", 400},
        {"bytes", QByteArray("\x00\x01\x02\r\n\r\n", 7), 400},
        {"the code", GetRequest("/run.json", s.Host(), cookie), 200},
        {"a foreign host",
         GetRequest("/run.json", "rebound.example:" + QByteArray::number(port), cookie), 421},
        {"dot segments", GetRequest("/../run.json", s.Host(), cookie), 404},
        {"encoded slash", GetRequest("/%2F..%2Frun.json", s.Host(), cookie), 404},
        {"a post",
         "POST /run.json HTTP/1.1\r\nHost: " + s.Host() + "\r\n" + cookie +
             "Content-Length: 2\r\n\r\n{}",
         405},
        {"the stream unasked",
         GetRequest("/events", s.Host(), cookie + "Origin: " + OriginOf(s).toLatin1() + "\r\n"),
         426},
    };
    for (const auto& c : cases) {
        const QByteArray answer = Ask(port, c.Request);
        EXPECT_EQ(StatusOf(answer), c.Status) << c.What;
        if (c.Status != 200) {
            EXPECT_FALSE(answer.contains("\"rows\"")) << c.What;
        }
    }
    // A socket from another site's page, or without the code, hears nothing.
    TViewer foreign(port, QStringLiteral("http://evil.example"), "vantel_code=" + Code);
    TViewer noCode(port, OriginOf(s));
    TViewer admitted(port, OriginOf(s), "vantel_code=" + Code);
    ASSERT_TRUE(admitted.WaitFor(1));
    (void)QTest::qWaitFor(
        [&] {
            return foreign.Socket.state() == QAbstractSocket::UnconnectedState &&
                   noCode.Socket.state() == QAbstractSocket::UnconnectedState;
        },
        2000);
    EXPECT_TRUE(foreign.Messages.isEmpty());
    EXPECT_TRUE(noCode.Messages.isEmpty());
    EXPECT_EQ(s.Server.Viewers(), 1);
}

TEST(BoardServer, LapPressesNeedTheSwitchAndTheLapCode) {
    TServer s;
    QSignalSpy asked(&s.Server, &TBoardServer::PressAsked);
    TViewer presser(s.Server.Port(), OriginOf(s), "vantel_lap=" + LapCode);
    TViewer watcher(s.Server.Port(), OriginOf(s));
    ASSERT_TRUE(presser.WaitFor(1) && watcher.WaitFor(1));
    EXPECT_FALSE(presser.Messages[0]["remote"].toBool());
    const QString press = R"({"type":"press","action":"lap2","id":7,"tick":4294967295})";
    presser.Socket.sendTextMessage(press);
    ASSERT_TRUE(presser.WaitFor(2));
    EXPECT_EQ(presser.Messages[1]["type"].toString(), "pressed");
    EXPECT_FALSE(presser.Messages[1]["ok"].toBool());
    s.Server.SetRemoteLaps(true);
    ASSERT_TRUE(presser.WaitFor(3) && watcher.WaitFor(2));
    EXPECT_TRUE(presser.Messages[2]["remote"].toBool());
    EXPECT_FALSE(watcher.Messages[1]["remote"].toBool());
    presser.Socket.sendTextMessage(press);
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked.size() == 1; }, 2000));
    EXPECT_EQ(asked[0][2].toString(), "lap2");
    EXPECT_EQ(asked[0][3].toUInt(), 4294967295u);
    // Without the lap code, or with a press that is none, nothing is pressed.
    watcher.Socket.sendTextMessage(press);
    presser.Socket.sendTextMessage(R"({"type":"press","action":"reset","id":8,"tick":1})");
    presser.Socket.sendTextMessage(R"({"type":"press","action":"lap","id":9,"tick":-1})");
    ASSERT_TRUE(watcher.WaitFor(3) && presser.WaitFor(5));
    EXPECT_FALSE(watcher.Messages[2]["ok"].toBool());
    EXPECT_FALSE(presser.Messages[3]["ok"].toBool());
    EXPECT_FALSE(presser.Messages[4]["ok"].toBool());
    EXPECT_EQ(asked.size(), 1);
}

TEST(BoardServer, MalformedRequestsLeaveItServing) {
    TServer s;
    s.Server.Listener().Lifetime = 500;
    const uint16_t port = s.Server.Port();
    TViewer early(port, OriginOf(s)); // outlives the plain connections' time
    const QByteArray good = GetRequest("/run.json", s.Host());
    QRandomGenerator random(31); // the same requests every run
    // All at once, each on a connection of its own; many never end.
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < 150; ++i) {
        QByteArray r = good;
        switch (i % 5) {
        case 0: // bytes flipped
            for (int k = 0; k < 4; ++k)
                r[random.bounded(int(r.size()))] = char(random.bounded(256));
            break;
        case 1:
            r.truncate(random.bounded(int(r.size())));
            break; // cut short
        case 2:
            r = QByteArray(random.bounded(1, 400), char(random.bounded(1, 256)));
            break;
        case 3:
            r.insert(r.indexOf("\r\n") + 2, "X: " + QByteArray(20000, 'a') + "\r\n");
            break;
        default:
            r.replace("/run.json", "/" + QByteArray(3000, '%'));
            break;
        }
        auto& socket = sockets.emplace_back(std::make_unique<QTcpSocket>());
        socket->connectToHost(QHostAddress::LocalHost, port);
        QObject::connect(socket.get(), &QTcpSocket::connected,
                         [r, so = socket.get()] { so->write(r); });
    }
    // Each is answered, or closed once its time is up (however loaded the
    // machine, within a few seconds).
    auto open = [&] {
        return std::count_if(sockets.begin(), sockets.end(), [](const auto& so) {
            return so->state() != QAbstractSocket::UnconnectedState;
        });
    };
    int refused = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            for (auto& socket : sockets)
                refused += StatusOf(socket->readAll()) >= 400;
            return open() == 0;
        },
        10000))
        << open() << " connections outlived their time";
    EXPECT_GT(refused, 0);
    EXPECT_EQ(s.Server.Listener().Open(), 1); // the viewer's
    EXPECT_EQ(s.Server.Viewers(), 1);
    // Nothing above stopped it.
    EXPECT_EQ(StatusOf(Ask(port, good)), 200);
    TViewer v(port, OriginOf(s));
    EXPECT_TRUE(v.WaitFor(1));
}

namespace {
// A viewer that asks for the stream, then never reads again.
std::unique_ptr<QTcpSocket> Stalled(const TServer& s) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->setReadBufferSize(1);
    socket->connectToHost(QHostAddress::LocalHost, s.Server.Port());
    QObject::connect(socket.get(), &QTcpSocket::connected, [&s, so = socket.get()] {
        so->write("GET /events HTTP/1.1\r\nHost: " + s.Host() +
                  "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: "
                  "13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nOrigin: " +
                  OriginOf(s).toLatin1() + "\r\n\r\n");
    });
    return socket;
}
} // namespace

TEST(BoardServer, TwoHundredViewersTwentyStalledAndNoMore) {
    TServer s;
    std::vector<std::unique_ptr<TViewer>> viewers;
    std::vector<std::unique_ptr<QTcpSocket>> stalled;
    for (int i = 0; i < BoardLimits::MaxViewers - 20; ++i)
        viewers.push_back(std::make_unique<TViewer>(s.Server.Port(), OriginOf(s)));
    for (int i = 0; i < 20; ++i)
        stalled.push_back(Stalled(s));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return s.Server.Viewers() == BoardLimits::MaxViewers; }, 20000));
    TViewer late(s.Server.Port(), OriginOf(s));
    (void)QTest::qWaitFor([&] { return late.Socket.state() == QAbstractSocket::UnconnectedState; },
                          3000);
    EXPECT_TRUE(late.Messages.isEmpty());
    s.Server.Take(Capture(1));
    for (auto& v : viewers)
        ASSERT_TRUE(v->WaitFor(2)) << "a viewer missed the lap";
}

TEST(BoardServer, AViewerThatStopsReadingIsLetGo) {
    TServer s;
    TViewer live(s.Server.Port(), OriginOf(s));
    const auto stalled = Stalled(s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.Server.Viewers() == 2; }, 3000));
    // Large messages (every row changes each time) until the backlog tells.
    int sent = 0;
    for (; sent < 400 && s.Server.Viewers() == 2; ++sent) {
        TBoardCapture c = Capture(400);
        for (QStringList& row : c.Shows.MixRows)
            row[2] += QString::number(sent);
        s.Server.Take(c);
        QTest::qWait(2);
    }
    EXPECT_EQ(s.Server.Viewers(), 1) << "after " << sent << " messages";
    ASSERT_TRUE(live.WaitFor(sent + 1, 20000));
    EXPECT_EQ(live.Messages.back()["seq"].toInt(), sent);
}
