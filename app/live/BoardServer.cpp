#include "BoardServer.h"

#include <QDateTime>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <memory>

#include <cmath>

namespace {
QByteArray Resource(const char* name) {
    QFile f(QStringLiteral(":/board/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Everything the board serves is its own: no other site's script, style or
// frame, no referrer sent away, nothing kept by a cache.
const std::pair<const char*, const char*> CommonHeaders[] = {
    {"Content-Security-Policy",
     "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
     "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"},
    {"X-Frame-Options", "DENY"},
    {"Cache-Control", "no-store"},
};

TBoardRequest PartsOf(const QHttpServerRequest& q) {
    TBoardRequest r;
    const QUrl url = q.url();
    r.Path = url.path(QUrl::FullyEncoded).toLatin1();
    r.Query = url.query(QUrl::FullyEncoded).toLatin1();
    r.UrlBytes = int(std::min<qsizetype>(url.toEncoded().size(), INT_MAX));
    qsizetype bytes = 0;
    const auto headers = q.headers();
    for (const auto& [name, value] : headers)
        bytes += name.size() + value.size();
    r.HeaderBytes = int(std::min<qsizetype>(bytes, INT_MAX));
    r.HeaderCount = int(headers.size());
    r.Host = q.value("host");
    r.Origin = q.value("origin");
    r.Cookie = q.value("cookie");
    r.Get = q.method() == QHttpServerRequest::Method::Get;
    r.Upgrade = q.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
    return r;
}
} // namespace

void TBoardListener::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (FOpen >= BoardLimits::MaxConnections) {
        socket->abort();
        delete socket;
        return;
    }
    // The HTTP server keeps a request's bytes until it is whole: a bound on
    // what a connection may hold unread keeps a request with an endless
    // body from growing without bound (it stalls until its time is up).
    socket->setReadBufferSize(BoardLimits::MaxRequestBytes);
    // A lap is one small message: sent at once, not held back to be joined
    // with the next (with the peer's delayed acknowledgement, up to 40 ms).
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // A request Qt's parser cannot read is dropped without a word; it gets
    // its 400 here, as the connection closes with nothing answered yet.
    auto answered = std::make_shared<bool>(false), heard = std::make_shared<bool>(false);
    connect(socket, &QTcpSocket::bytesWritten, socket, [answered] { *answered = true; });
    connect(socket, &QTcpSocket::readyRead, socket, [heard] { *heard = true; });
    connect(socket, &QAbstractSocket::stateChanged, socket,
            [socket, answered, heard](QAbstractSocket::SocketState state) {
                if (state != QAbstractSocket::ClosingState || *answered || !*heard ||
                    socket->bytesToWrite() > 0)
                    return;
                *answered = true;
                socket->write("HTTP/1.1 400 Bad Request\r\nContent-Type: text/plain; "
                              "charset=utf-8\r\nContent-Length: 12\r\nConnection: "
                              "close\r\n\r\nBad request\n");
            });
    ++FOpen;
    connect(socket, &QObject::destroyed, this, [this] { --FOpen; });
    // A plain connection is closed after a while, however it is used, so
    // that one sent a byte at a time cannot hold a place for ever; a viewer's
    // stream stays.
    QTimer::singleShot(Lifetime, socket, [this, socket] {
        if (!Keeps || !Keeps(*socket)) socket->abort();
    });
    addPendingConnection(socket);
}

TBoardServer::TBoardServer(const TBoardOptions& options, TickFn tick, QObject* parent)
    : QAbstractHttpServer(parent), FOptions(options), FTick(std::move(tick)),
      FAccess(options.Network, options.Port, options.Code, options.LapCode) {
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &TBoardServer::acceptViewers);
    FListener = new TBoardListener(this);
    FListener->Keeps = [this](const QTcpSocket& s) {
        return std::any_of(FViewers.begin(), FViewers.end(), [&](const TViewer& v) {
            return v.Socket && v.Socket->peerPort() == s.peerPort() &&
                   v.Socket->peerAddress() == s.peerAddress();
        });
    };
    FSecond = new QTimer(this);
    FSecond->setInterval(1000);
    connect(FSecond, &QTimer::timeout, this, [this] {
        for (TViewer& v : FViewers)
            v.Messages = 0;
    });
    FSecond->start();
}

TBoardServer::~TBoardServer() {
    for (TViewer& v : FViewers)
        if (v.Socket) v.Socket->abort();
}

bool TBoardServer::Open(QString* why) {
    const QHostAddress address = FOptions.Network == TBoardNetwork::Local
                                     ? QHostAddress(QHostAddress::LocalHost)
                                     : QHostAddress(QHostAddress::Any);
    if (!FListener->listen(address, FOptions.Port)) {
        if (why) *why = FListener->errorString();
        return false;
    }
    bind(FListener);
    // Asked for any port, the Host header names the one taken.
    FAccess =
        TBoardAccess(FOptions.Network, FListener->serverPort(), FOptions.Code, FOptions.LapCode);
    FAccess.SetOwnNames(TBoardAccess::MachineNames(FOptions.Network));
    return true;
}

uint16_t TBoardServer::Port() const {
    return FListener ? FListener->serverPort() : 0;
}

bool TBoardServer::hostKnown(const QByteArray& host) {
    if (FAccess.HostAllowed(host)) return true;
    // An address the machine took since the board opened (a network joined)
    // is learnt again, at most every few seconds.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (FOptions.Network != TBoardNetwork::Lan || now - FNamesRefreshed < 5000) return false;
    FNamesRefreshed = now;
    FAccess.SetOwnNames(TBoardAccess::MachineNames(FOptions.Network));
    return FAccess.HostAllowed(host);
}

bool TBoardServer::handleRequest(const QHttpServerRequest& q, QTcpSocket* socket) {
    auto reply = [&](int status, const QByteArray& type, const QByteArray& body,
                     const QList<std::pair<QByteArray, QByteArray>>& extra = {}) {
        QHttpServerResponder w = makeResponder(q, socket);
        w.writeStatusLine(QHttpServerResponder::StatusCode(status));
        w.writeHeader("Content-Type", type);
        for (const auto& [k, v] : CommonHeaders)
            w.writeHeader(k, v);
        for (const auto& [k, v] : extra)
            w.writeHeader(k, v);
        w.writeHeader("Content-Length", QByteArray::number(body.size()));
        w.writeBody(body);
    };
    const TBoardRequest r = PartsOf(q);
    // Loopback is this computer's own: only a network is kept to a rate.
    if (!q.remoteAddress().isLoopback() &&
        !FRate.Take(q.remoteAddress(), TRateLimit::Clock::now())) {
        reply(429, "text/plain; charset=utf-8", "Too many requests\n", {{"Retry-After", "1"}});
        return !r.Upgrade;
    }
    hostKnown(r.Host);
    const TBoardVerdict v = FAccess.Check(r);
    if (r.Upgrade && v.Status == 200 && int(FViewers.size()) >= BoardLimits::MaxViewers) {
        reply(503, "text/plain; charset=utf-8", "Too many viewers\n", {{"Retry-After", "5"}});
        return false;
    }
    if (v.Status == 303) {
        QList<std::pair<QByteArray, QByteArray>> extra{{"Location", v.Location}};
        for (const QByteArray& c : v.SetCookies)
            extra.append({"Set-Cookie", c});
        reply(303, "text/plain; charset=utf-8", "", extra);
        return !r.Upgrade;
    }
    if (v.Status != 200) {
        reply(v.Status, "text/plain; charset=utf-8", v.Why + '\n');
        // Not handled, a refused upgrade never reaches the WebSocket handshake:
        // the connection is closed after the answer.
        return !r.Upgrade;
    }
    // Only the event stream is upgraded: any other answer, once written,
    // closes an upgrade request's connection (not handled).
    static const QByteArray page = Resource("index.html"), style = Resource("board.css"),
                            script = Resource("board.js");
    switch (v.Path) {
    case TBoardPath::Page:
        reply(200, "text/html; charset=utf-8", page);
        break;
    case TBoardPath::Style:
        reply(200, "text/css; charset=utf-8", style);
        break;
    case TBoardPath::Script:
        reply(200, "text/javascript; charset=utf-8", script);
        break;
    case TBoardPath::Run:
        reply(200, "application/json", FFeed.Snapshot(v.MayPress && FOptions.RemoteLaps, FTick()));
        break;
    case TBoardPath::Csv:
        reply(200, "text/csv; charset=utf-8", FFeed.Csv(),
              {{"Content-Disposition", "inline; filename=\"laps.csv\""}});
        break;
    case TBoardPath::Events:
        // Handled, an upgrade goes on to the WebSocket server, which answers it.
        if (r.Upgrade) return true;
        reply(426, "text/plain; charset=utf-8", "Upgrade to a WebSocket\n",
              {{"Upgrade", "websocket"}});
        break;
    case TBoardPath::None:
        reply(404, "text/plain; charset=utf-8", "Not found\n");
        break;
    }
    return !r.Upgrade;
}

void TBoardServer::missingHandler(const QHttpServerRequest& q, QTcpSocket* socket) {
    if (PartsOf(q).Upgrade) return; // left to the WebSocket server
    makeResponder(q, socket).write(QHttpServerResponder::StatusCode::NotFound);
}

void TBoardServer::acceptViewers() {
    while (hasPendingWebSocketConnections()) {
        QWebSocket* s = nextPendingWebSocketConnection().release();
        if (!s) continue;
        s->setParent(this);
        connect(s, &QWebSocket::disconnected, s, &QObject::deleteLater);
        const QNetworkRequest nr = s->request();
        TBoardRequest r;
        r.Path = s->requestUrl().path(QUrl::FullyEncoded).toLatin1();
        r.Query = s->requestUrl().query(QUrl::FullyEncoded).toLatin1();
        r.Host = nr.rawHeader("Host");
        r.Origin = nr.hasRawHeader("Origin") ? nr.rawHeader("Origin") : s->origin().toUtf8();
        r.Cookie = nr.rawHeader("Cookie");
        r.Upgrade = true;
        hostKnown(r.Host);
        TBoardVerdict v = FAccess.Check(r);
        if (v.Status == 200 && v.Path != TBoardPath::Events)
            v = {404, {}, {}, {}, false, "Not found"};
        else if (v.Status == 200 && int(FViewers.size()) >= BoardLimits::MaxViewers)
            v = {503, {}, {}, {}, false, "Too many viewers"};
        if (v.Status != 200) {
            // Nothing of the run has gone out: the socket is closed with why.
            s->close(QWebSocketProtocol::CloseCodePolicyViolated, QString::fromUtf8(v.Why));
            continue;
        }
        s->setMaxAllowedIncomingFrameSize(BoardLimits::MaxMessageBytes);
        s->setMaxAllowedIncomingMessageSize(BoardLimits::MaxMessageBytes);
        s->setReadBufferSize(BoardLimits::MaxMessageBytes * 4);
        const quint64 id = FNextViewer++;
        connect(s, &QWebSocket::textMessageReceived, this,
                [this, id](const QString& text) { message(id, text); });
        connect(s, &QWebSocket::binaryMessageReceived, this, [this, id] { drop(id); });
        connect(s, &QWebSocket::disconnected, this, [this, id] { drop(id); });
        FViewers.push_back({id, s, v.MayPress});
        send(FViewers.back(),
             QString::fromUtf8(FFeed.Snapshot(v.MayPress && FOptions.RemoteLaps, FTick())));
        emit ViewersChanged(int(FViewers.size()));
    }
}

TBoardServer::TViewer* TBoardServer::viewer(quint64 id) {
    for (TViewer& v : FViewers)
        if (v.Id == id) return &v;
    return nullptr;
}

void TBoardServer::drop(quint64 id) {
    const auto it = std::find_if(FViewers.begin(), FViewers.end(),
                                 [id](const TViewer& v) { return v.Id == id; });
    if (it == FViewers.end()) return;
    if (it->Socket) {
        it->Socket->disconnect(this);
        it->Socket->abort();
        it->Socket->deleteLater();
    }
    FViewers.erase(it);
    emit ViewersChanged(int(FViewers.size()));
}

void TBoardServer::send(TViewer& v, const QString& text) {
    if (!v.Socket) return;
    // A viewer that has stopped reading is let go before its backlog grows
    // without bound; its page reconnects and takes the whole run again.
    if (v.Socket->bytesToWrite() > BoardLimits::MaxQueuedBytes) {
        const quint64 id = v.Id;
        QTimer::singleShot(0, this, [this, id] { drop(id); });
        return;
    }
    v.Socket->sendTextMessage(text);
}

void TBoardServer::broadcast(const QByteArray& message) {
    const QString text = QString::fromUtf8(message);
    for (TViewer& v : FViewers)
        send(v, text);
}

void TBoardServer::Take(const TBoardCapture& capture) {
    for (const QByteArray& m : FFeed.Take(capture, FTick()))
        broadcast(m);
}

void TBoardServer::SetRemoteLaps(bool on) {
    if (FOptions.RemoteLaps == on) return;
    FOptions.RemoteLaps = on;
    const auto messages = FFeed.RemoteMessages();
    const QString texts[2] = {QString::fromUtf8(messages[0]), QString::fromUtf8(messages[1])};
    for (TViewer& v : FViewers)
        send(v, texts[v.MayPress && on]);
}

void TBoardServer::Answer(quint64 id, int msg, bool ok, const QString& why) {
    TViewer* v = viewer(id);
    if (!v) return;
    QJsonObject o{{"type", "pressed"}, {"id", msg}, {"ok", ok}};
    if (!ok) o["why"] = why;
    send(*v, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
}

void TBoardServer::message(quint64 id, const QString& text) {
    TViewer* v = viewer(id);
    if (!v) return;
    if (++v->Messages > BoardLimits::RequestsPerSecond) {
        drop(id); // nothing the page sends comes this often
        return;
    }
    const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
    const QString type = m.value("type").toString();
    if (type == u"ping") {
        QJsonObject pong{{"type", "pong"}, {"id", m.value("id")}, {"now", qint64(FTick())}};
        if (m.value("t").isDouble()) pong["t"] = m.value("t");
        send(*v, QString::fromUtf8(QJsonDocument(pong).toJson(QJsonDocument::Compact)));
    } else if (type == u"press") {
        const int msg = m.value("id").toInt();
        const QString action = m.value("action").toString();
        const double tick = m.value("tick").toDouble(-1);
        const bool known = action == u"lap" || action == u"lap2" || action == u"lap3";
        if (!v->MayPress || !FOptions.RemoteLaps)
            Answer(id, msg, false, QStringLiteral("Remote laps are off"));
        else if (!known || !std::isfinite(tick) || tick < 0 || tick >= 4294967296.0)
            Answer(id, msg, false, QStringLiteral("Not a lap press"));
        else
            emit PressAsked(id, msg, action, uint32_t(tick));
    }
}

namespace {
// The HTTP server warns of every request it cannot parse and every upgrade
// refused: anyone on the network could fill the program's log with them.
QLoggingCategory::CategoryFilter PreviousFilter = nullptr;
void QuietServer(QLoggingCategory* category) {
    if (PreviousFilter) PreviousFilter(category);
    if (qstrcmp(category->categoryName(), "qt.httpserver") == 0)
        category->setEnabled(QtWarningMsg, false);
}
} // namespace

TBoardThread::TBoardThread(QObject* parent)
    : QObject(parent), FThread(new QThread(this)), FContext(new QObject) {
    static const bool quiet = [] {
        PreviousFilter = QLoggingCategory::installFilter(QuietServer);
        return true;
    }();
    (void)quiet;
    FThread->setObjectName(QStringLiteral("LiveBoard"));
    FContext->moveToThread(FThread);
    FThread->start();
}

TBoardThread::~TBoardThread() {
    QMetaObject::invokeMethod(
        FContext, [this] { delete FServer; }, Qt::BlockingQueuedConnection);
    FContext->deleteLater();
    FThread->quit();
    FThread->wait(2000);
}

void TBoardThread::Open(const TBoardOptions& options, TBoardServer::TickFn tick) {
    QMetaObject::invokeMethod(
        FContext,
        [this, options, tick] {
            delete FServer;
            auto* s = new TBoardServer(options, tick, FContext);
            QString why;
            if (!s->Open(&why)) {
                delete s;
                emit Failed(why);
                emit ViewersChanged(0);
                return;
            }
            FServer = s;
            connect(s, &TBoardServer::ViewersChanged, this, &TBoardThread::ViewersChanged);
            connect(s, &TBoardServer::PressAsked, this, &TBoardThread::PressAsked);
            emit Opened(s->Port());
            emit ViewersChanged(0);
        },
        Qt::QueuedConnection);
}

void TBoardThread::Close() {
    QMetaObject::invokeMethod(
        FContext,
        [this] {
            delete FServer;
            emit ViewersChanged(0);
        },
        Qt::QueuedConnection);
}

void TBoardThread::Take(TBoardCapture capture) {
    QMetaObject::invokeMethod(
        FContext,
        [this, c = std::move(capture)] {
            if (FServer) FServer->Take(c);
        },
        Qt::QueuedConnection);
}

void TBoardThread::SetRemoteLaps(bool on) {
    QMetaObject::invokeMethod(
        FContext,
        [this, on] {
            if (FServer) FServer->SetRemoteLaps(on);
        },
        Qt::QueuedConnection);
}

void TBoardThread::Answer(quint64 viewer, int id, bool ok, const QString& why) {
    QMetaObject::invokeMethod(
        FContext,
        [=, this] {
            if (FServer) FServer->Answer(viewer, id, ok, why);
        },
        Qt::QueuedConnection);
}
