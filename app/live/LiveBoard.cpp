#include "LiveBoard.h"

#include "Clock.h"
#include "ProgramSettings.h"
#include "TimeText.h"
#include "Unit1.h"
#include "Wrap.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QTimer>

namespace {
bool WellFormedCode(const QByteArray& c) {
    if (c.size() != 32) return false;
    for (char ch : c)
        if (!((ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f'))) return false;
    return true;
}

const char* ButtonName(TRunAction a) {
    return a == TRunAction::Lap2 ? "LAP2" : a == TRunAction::Lap3 ? "LAP3" : "LAP";
}
// Past this many actions in one turn of the event loop (a run restored
// from its journal) the viewers get the last of them only: each message
// carries the whole of the figures anyway.
constexpr size_t MaxBatch = 16;
} // namespace

TLiveBoardSettings TLiveBoardSettings::Load(QSettings& s, bool* fresh) {
    TLiveBoardSettings b;
    s.beginGroup(QStringLiteral("LiveBoard"));
    b.Enabled = s.value(QStringLiteral("Enabled"), false).toBool();
    bool ok = false;
    const int port = s.value(QStringLiteral("Port"), 8642).toInt(&ok);
    b.Port = ok && port > 0 && port < 65536 ? uint16_t(port) : uint16_t(8642);
    b.Network = s.value(QStringLiteral("Network")).toString() == u"lan" ? TBoardNetwork::Lan
                                                                        : TBoardNetwork::Local;
    b.Code = s.value(QStringLiteral("Code")).toString().toLatin1().toLower();
    b.LapCode = s.value(QStringLiteral("LapCode")).toString().toLatin1().toLower();
    b.RemoteLaps = s.value(QStringLiteral("RemoteLaps"), false).toBool();
    s.endGroup();
    bool made = false;
    for (QByteArray* code : {&b.Code, &b.LapCode})
        if (!WellFormedCode(*code)) {
            *code = TBoardAccess::NewCode();
            made = true;
        }
    if (fresh) *fresh = made;
    return b;
}

void TLiveBoardSettings::Write(QSettings& s) const {
    s.beginGroup(QStringLiteral("LiveBoard"));
    s.setValue(QStringLiteral("Enabled"), Enabled);
    s.setValue(QStringLiteral("Port"), int(Port));
    s.setValue(QStringLiteral("Network"),
               Network == TBoardNetwork::Lan ? QStringLiteral("lan") : QStringLiteral("local"));
    s.setValue(QStringLiteral("Code"), QString::fromLatin1(Code));
    s.setValue(QStringLiteral("RemoteLaps"), RemoteLaps);
    s.setValue(QStringLiteral("LapCode"), QString::fromLatin1(LapCode));
    s.endGroup();
}

TLiveBoard::TLiveBoard(TVantel& window, TLiveBoardSettings settings, TPress press, QObject* parent)
    : QObject(parent), FWindow(window), FSettings(std::move(settings)), FPress(std::move(press)) {
    FWriter.setMaxThreadCount(1);
    connect(&FThread, &TBoardThread::Opened, this, [this](uint16_t port) {
        FPort = port;
        FProblem.clear();
        emit Changed();
    });
    connect(&FThread, &TBoardThread::Failed, this, [this](const QString& why) {
        FPort = 0;
        FProblem = why;
        emit Changed();
    });
    connect(&FThread, &TBoardThread::ViewersChanged, this, [this](int n) {
        FViewers = n;
        emit Changed();
    });
    connect(&FThread, &TBoardThread::PressAsked, this, &TLiveBoard::pressAsked);
    FWindow.Run.Observe(this);
    if (FSettings.Enabled) open();
}

TLiveBoard::~TLiveBoard() {
    FWindow.Run.Forget(this);
    FWriter.waitForDone(); // every setting handed over reaches the disk
}

void TLiveBoard::open() {
    TBoardOptions o;
    o.Network = FSettings.Network;
    o.Port = FSettings.Port;
    o.Code = FSettings.Code;
    o.LapCode = FSettings.LapCode;
    o.RemoteLaps = FSettings.RemoteLaps;
    FThread.Open(o, [] { return Clock::RealTick(); });
    FThread.Take(CaptureOf(FWindow, &FShown));
}

void TLiveBoard::Apply(const TLiveBoardSettings& s) {
    const TLiveBoardSettings before = std::exchange(FSettings, s);
    FWriter.start([s] {
        QSettings settings = ProgramSettings();
        s.Write(settings);
        settings.sync();
    });
    TLiveBoardSettings sameServer = s, wasServer = before;
    sameServer.RemoteLaps = wasServer.RemoteLaps = false;
    if (!s.Enabled) {
        if (before.Enabled) {
            FThread.Close();
            FPort = 0;
            FProblem.clear();
            emit Changed();
        }
    } else if (!before.Enabled || !(sameServer == wasServer) || !Serving()) {
        open();
    } else if (before.RemoteLaps != s.RemoteLaps) {
        FThread.SetRemoteLaps(s.RemoteLaps);
    }
}

QStringList TLiveBoard::Addresses() const {
    const QString port = QString::number(FSettings.Port);
    if (FSettings.Network == TBoardNetwork::Local)
        return {QStringLiteral("http://localhost:%1/").arg(port)};
    QStringList out;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        if (!(i.flags() & QNetworkInterface::IsUp) || (i.flags() & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                out << QStringLiteral("http://%1:%2/").arg(e.ip().toString(), port);
    }
    if (out.isEmpty()) out << QStringLiteral("http://localhost:%1/").arg(port);
    return out;
}

QString TLiveBoard::ShareAddress(bool withLapCode) const {
    QString a = Addresses().value(0);
    QStringList query;
    if (FSettings.Network == TBoardNetwork::Lan)
        query << QStringLiteral("code=") + QString::fromLatin1(FSettings.Code);
    if (withLapCode && FSettings.RemoteLaps)
        query << QStringLiteral("lap=") + QString::fromLatin1(FSettings.LapCode);
    return query.isEmpty() ? a : a + QLatin1Char('?') + query.join(QLatin1Char('&'));
}

TBoardCapture TLiveBoard::CaptureOf(const TVantel& window, TWindowShows* kept) {
    TBoardCapture c;
    if (kept) {
        window.Shows(*kept);
        c.Shows = *kept; // shared: a row that changes later is copied then
    } else {
        c.Shows = window.Shows();
    }
    const TRunModel& run = window.Run;
    const std::vector<TActionRecord>& actions = run.Actions();
    auto isInsert = [&](int id) {
        return id >= 1 && size_t(id) <= actions.size() &&
               actions[size_t(id) - 1].Action == TRunAction::Insert;
    };
    for (const TActionRecord& r : run.Shown()) {
        if (!IsPress(r.Action)) continue;
        const TRunState& s = r.After.State;
        TBoardPress p;
        p.Id = r.Input.Press;
        p.Button = r.Action == TRunAction::Lap2 ? 2 : r.Action == TRunAction::Lap3 ? 3 : 1;
        p.LapMs = p.Button == 2 ? s.Lap2Time : p.Button == 3 ? s.Lap3Time : s.LapTime;
        p.Inserted = isInsert(p.Id);
        c.Presses.push_back(p);
    }
    for (const TCorrections::TEdit& e : run.Corrections().Done()) {
        if (e.Kind == TRunAction::Delete) {
            const TActionRecord* gone = e.Target >= 1 && size_t(e.Target) <= actions.size()
                                            ? &actions[size_t(e.Target) - 1]
                                            : nullptr;
            c.Corrections.push_back(
                {QStringLiteral("delete"), gone ? QStringLiteral("Taken out: %1 at%2")
                                                      .arg(QLatin1String(ButtonName(gone->Action)),
                                                           TimeText(gone->After.State.Total))
                                                : QStringLiteral("Taken out: a press")});
        } else if (e.Kind == TRunAction::Insert) {
            const TActionRecord* in = run.ShownPress(e.Id);
            c.Corrections.push_back(
                {QStringLiteral("insert"),
                 in ? QStringLiteral("Put in: %1 at%2")
                          .arg(QLatin1String(ButtonName(e.Button)), TimeText(in->After.State.Total))
                    : QStringLiteral("Put in: a press")});
        } else {
            c.Corrections.push_back(
                {QStringLiteral("start"), QStringLiteral("A start taken back")});
        }
    }
    return c;
}

void TLiveBoard::ActionDone(const TActionRecord& r) {
    if (!FSettings.Enabled) return;
    const QString name = QString::fromLatin1(ActionName(r.Action));
    TBoardCapture::TAction a{TBoardFeed::TypeOf(name), name, std::nullopt, r.Input.Press};
    if (!r.Readings.Ticks.empty()) a.Tick = r.Readings.Ticks.front();
    if (FPending.size() >= MaxBatch) FPending.erase(FPending.begin());
    FPending.push_back(std::move(a));
    if (std::exchange(FFlushDue, true)) return;
    // After the press has painted: the capture waits for the events the
    // action posted (its repaint among them).
    QTimer::singleShot(0, this, &TLiveBoard::flush);
}

void TLiveBoard::flush() {
    FFlushDue = false;
    if (FPending.empty() || !FSettings.Enabled) return;
    TBoardCapture c = CaptureOf(FWindow, &FShown);
    c.Actions = std::exchange(FPending, {});
    FThread.Take(std::move(c));
}

void TLiveBoard::pressAsked(quint64 viewer, int id, const QString& action, uint32_t tick) {
    if (!FSettings.RemoteLaps) {
        FThread.Answer(viewer, id, false, QStringLiteral("Remote laps are off"));
        return;
    }
    const TRunAction a = action == u"lap2"   ? TRunAction::Lap2
                         : action == u"lap3" ? TRunAction::Lap3
                                             : TRunAction::Lap;
    // The phone's reckoning of the moment may run a little ahead of this
    // clock; a press is never later than its arrival.
    const uint32_t now = Clock::GetTickCount();
    if (wrap::fromU(tick - now) > 0) tick = now;
    FPress(a, tick);
    FThread.Answer(viewer, id, true, QString());
}
