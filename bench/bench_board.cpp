// What the live board costs the window, and how soon a lap reaches a viewer.
// Run: build/bench/bench_board
//
// - press to event: a LAP pressed in the window until the lap's message is
//   read by every viewer (1, 50 and 200 of them, on a thread of their own as
//   phones would be), median and 99th percentile over all viewers' readings.
// - press painted: a LAP until the window is painted, and the window's whole
//   turn (the board's capture included), with the board off and with it on
//   for 200 viewers of whom 20 have stopped reading. Goal: on is within 5 ms
//   of off.
// - CPU: the program's (every thread but the viewers') over 5 s of a running
//   clock, the board off and on with 200 idle viewers, in the same run.
// - capture: what the window's thread spends, after each action, handing
//   what it shows to the board, at 100 and 10 000 laps.
#include "Application.h"
#include "LiveBoard.h"
#include "MessageService.h"
#include "Timer.h"
#include "Unit1.h"
#include "bench_common.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <vector>

namespace {
using Steady = std::chrono::steady_clock;

// Viewers on their own thread: each reads every message and notes when a
// lap's arrived; the stalled ones ask for the stream and never read again.
class TViewers : public QObject {
public:
    void Open(uint16_t port, int live, int stalled) {
        const QString host = QStringLiteral("127.0.0.1:%1").arg(port);
        for (int i = 0; i < live; ++i) {
            auto* s = new QWebSocket(QStringLiteral("http://") + host,
                                     QWebSocketProtocol::VersionLatest, this);
            connect(s, &QWebSocket::connected, this, [this] { ++Connected; });
            connect(s, &QWebSocket::textMessageReceived, this, [this](const QString& m) {
                if (!m.contains(u"\"type\":\"lap\"")) return;
                const auto at = Steady::now();
                std::lock_guard lock(Mutex);
                Arrivals.push_back(at);
            });
            s->open(QUrl(QStringLiteral("ws://%1/events").arg(host)));
        }
        for (int i = 0; i < stalled; ++i) {
            auto* s = new QTcpSocket(this);
            s->setReadBufferSize(1);
            s->connectToHost(QHostAddress::LocalHost, port);
            connect(s, &QTcpSocket::connected, this, [s, host] {
                s->write("GET /events HTTP/1.1\r\nHost: " + host.toLatin1() +
                         "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                         "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: "
                         "dGhlIHNhbXBsZSBub25jZQ==\r\nOrigin: http://" +
                         host.toLatin1() + "\r\n\r\n");
            });
        }
    }
    void Close() { qDeleteAll(children()); }
    std::vector<Steady::time_point> Take() {
        std::lock_guard lock(Mutex);
        return std::exchange(Arrivals, {});
    }
    std::atomic<int> Connected{0};
    clockid_t Cpu{};

private:
    std::mutex Mutex;
    std::vector<Steady::time_point> Arrivals;
};

struct TViewerThread {
    QThread Thread;
    TViewers* Viewers = new TViewers;
    TViewerThread() {
        Viewers->moveToThread(&Thread);
        Thread.start();
        QMetaObject::invokeMethod(
            Viewers, [v = Viewers] { pthread_getcpuclockid(pthread_self(), &v->Cpu); },
            Qt::BlockingQueuedConnection);
    }
    ~TViewerThread() {
        QMetaObject::invokeMethod(
            Viewers, [v = Viewers] { delete v; }, Qt::BlockingQueuedConnection);
        Thread.quit();
        Thread.wait();
    }
    void Open(uint16_t port, int live, int stalled) {
        QMetaObject::invokeMethod(
            Viewers, [=, v = Viewers] { v->Open(port, live, stalled); },
            Qt::BlockingQueuedConnection);
    }
    void Close() {
        QMetaObject::invokeMethod(
            Viewers,
            [v = Viewers] {
                v->Close();
                v->Connected = 0;
            },
            Qt::BlockingQueuedConnection);
    }
};

struct TWindow {
    RecordingMessageService Messages;
    TVantel W;
    TWindow() {
        MessageService::SetInstance(&Messages);
        W.Timer1->SetEnabled(false);
        W.show();
        W.Run.Perform(TRunAction::Start);
        QCoreApplication::processEvents();
    }
    ~TWindow() { MessageService::SetInstance(nullptr); }
};

std::unique_ptr<TLiveBoard> Board(TVantel& w) {
    TLiveBoardSettings s;
    s.Enabled = true;
    s.Port = 0;
    s.Code = s.LapCode = TBoardAccess::NewCode();
    auto board = std::make_unique<TLiveBoard>(w, s, [](TRunAction, uint32_t) {});
    const auto end = Steady::now() + std::chrono::seconds(5);
    while (!board->Serving() && Steady::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return board;
}

double Ms(Steady::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct TStats {
    double Median = 0, P99 = 0;
};
TStats StatsOf(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[size_t(double(v.size() - 1) * 0.99)]};
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    const auto end = Steady::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (Steady::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

void PressToEvent(TViewerThread& viewers, int count) {
    TWindow f;
    const auto board = Board(f.W);
    viewers.Open(board->Port(), count, 0);
    if (!WaitFor([&] { return board->Viewers() == count && viewers.Viewers->Connected == count; },
                 20000))
        std::printf("only %d of %d viewers connected\n", board->Viewers(), count);
    std::vector<double> latencies;
    for (int i = 0; i < 100; ++i) {
        const auto t0 = Steady::now();
        f.W.Run.Perform(TRunAction::Lap);
        std::vector<Steady::time_point> got;
        WaitFor(
            [&] {
                for (auto t : viewers.Viewers->Take())
                    got.push_back(t);
                return int(got.size()) >= count;
            },
            2000);
        for (auto t : got)
            latencies.push_back(Ms(t - t0));
    }
    const TStats s = StatsOf(latencies);
    std::printf("press to event, %3d viewers: median %.2f ms, p99 %.2f ms (%zu readings)\n", count,
                s.Median, s.P99, latencies.size());
    viewers.Close();
}

void PressPainted(TViewerThread& viewers, bool on) {
    TWindow f;
    std::unique_ptr<TLiveBoard> board;
    if (on) {
        board = Board(f.W);
        viewers.Open(board->Port(), 180, 20);
        WaitFor([&] { return board->Viewers() == 200; }, 20000);
    }
    std::vector<double> painted, turn;
    for (int i = 0; i < 300; ++i) {
        const auto t0 = Steady::now();
        f.W.Run.Perform(TRunAction::Lap);
        f.W.repaint();
        const auto t1 = Steady::now();
        QCoreApplication::processEvents(); // the lap marks, the board's capture
        painted.push_back(Ms(t1 - t0));
        turn.push_back(Ms(Steady::now() - t0));
    }
    const TStats p = StatsOf(painted), t = StatsOf(turn);
    std::printf(
        "press painted, board %s: median %.3f ms, p99 %.3f ms; whole turn median %.3f ms, p99 "
        "%.3f ms%s\n",
        on ? "on " : "off", p.Median, p.P99, t.Median, t.P99,
        on ? QStringLiteral(" (%1 viewers left, 20 stalled at the start)")
                 .arg(board->Viewers())
                 .toLatin1()
                 .constData()
           : "");
    viewers.Close();
}

// What the window's thread spends handing a long run over after a lap.
void CaptureCost(int laps) {
    TWindow f;
    for (int i = 0; i < laps; ++i)
        f.W.Run.Perform(TRunAction::Lap);
    std::vector<double> took;
    TWindowShows kept;
    for (int i = 0; i < 30; ++i) {
        f.W.Run.Perform(TRunAction::Lap); // one row more each time, as in a race
        const auto t0 = Steady::now();
        const TBoardCapture c = TLiveBoard::CaptureOf(f.W, &kept);
        took.push_back(Ms(Steady::now() - t0));
        if (c.Presses.empty()) std::printf("no presses\n");
    }
    const TStats s = StatsOf(took);
    std::printf("capture of the window at %d laps: median %.3f ms, p99 %.3f ms\n", laps, s.Median,
                s.P99);
}

double CpuSeconds(clockid_t id) {
    timespec t{};
    clock_gettime(id, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void Cpu(TViewerThread& viewers) {
    TWindow f;
    f.W.Timer1->SetEnabled(true); // the clock runs, as in a race
    auto measure = [&](const char* what) {
        const double p0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID),
                     v0 = CpuSeconds(viewers.Viewers->Cpu);
        QEventLoop loop; // idle as the program is, between the display's ticks
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        const double p = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - p0;
        const double v = CpuSeconds(viewers.Viewers->Cpu) - v0;
        std::printf("CPU over 5 s, %s: %.1f %% of a core\n", what, (p - v) / 5 * 100);
    };
    measure("board off");
    const auto board = Board(f.W);
    viewers.Open(board->Port(), 200, 0);
    WaitFor([&] { return board->Viewers() == 200; }, 20000);
    measure("board on, 200 idle viewers");
    viewers.Close();
}
} // namespace

int main(int argc, char** argv) {
    return WithScratchApp<TApplication>(argc, argv, [] {
        TViewerThread viewers;
        for (int n : {1, 50, 200})
            PressToEvent(viewers, n);
        for (int laps : {100, 10000})
            CaptureCost(laps);
        PressPainted(viewers, false);
        PressPainted(viewers, true);
        Cpu(viewers);
        return 0;
    });
}
