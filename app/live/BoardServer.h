#pragma once
// The live board's server: Qt's HTTP server and its WebSockets, on a thread
// of their own, so that no viewer, however slow or hostile, makes the window
// wait. It knows the run only from the captures handed to it.
#include "BoardAccess.h"
#include "BoardFeed.h"

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <vector>

class QWebSocket;
class QTimer;

// What the board is opened with.
struct TBoardOptions {
    TBoardNetwork Network = TBoardNetwork::Local;
    uint16_t Port = 8642;
    QByteArray Code, LapCode;
    bool RemoteLaps = false;
};

// Sockets past the limit are closed as they come, before a byte is read.
class TBoardListener : public QTcpServer {
    Q_OBJECT
public:
    using QTcpServer::QTcpServer;
    int Open() const { return FOpen; }
    // How long a plain connection may stay, and which ones are streams that
    // stay however long.
    int Lifetime = BoardLimits::HttpLifetimeMs;
    std::function<bool(const QTcpSocket&)> Keeps;

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    int FOpen = 0;
};

class TBoardServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    using TickFn = std::function<uint32_t()>;
    TBoardServer(const TBoardOptions& options, TickFn tick, QObject* parent = nullptr);
    ~TBoardServer() override;

    // Listens; the port taken, or why not.
    bool Open(QString* why);
    uint16_t Port() const;
    void Take(const TBoardCapture& capture);
    void SetRemoteLaps(bool on);
    // The answer to a viewer's press, from the window.
    void Answer(quint64 viewer, int id, bool ok, const QString& why);
    int Viewers() const { return int(FViewers.size()); }
    TBoardListener& Listener() const { return *FListener; }

signals:
    void ViewersChanged(int count);
    // A viewer that carries the lap code pressed `action` ("lap", "lap2",
    // "lap3") at the window's tick `tick`.
    void PressAsked(quint64 viewer, int id, QString action, uint32_t tick);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct TViewer {
        quint64 Id;
        QPointer<QWebSocket> Socket;
        bool MayPress;
        int Messages = 0; // this second's
    };
    void acceptViewers();
    void message(quint64 viewer, const QString& text);
    void broadcast(const QByteArray& message);
    void send(TViewer& v, const QString& text);
    void drop(quint64 viewer);
    TViewer* viewer(quint64 id);
    bool hostKnown(const QByteArray& host);
    TBoardOptions FOptions;
    TickFn FTick;
    TBoardAccess FAccess;
    TRateLimit FRate;
    TBoardFeed FFeed;
    TBoardListener* FListener = nullptr;
    std::vector<TViewer> FViewers;
    quint64 FNextViewer = 1;
    QTimer* FSecond = nullptr;
    qint64 FNamesRefreshed = 0;
};

// The server on its thread, driven from the window's: every call returns at
// once, and what comes back arrives as a signal.
class TBoardThread : public QObject {
    Q_OBJECT
public:
    explicit TBoardThread(QObject* parent = nullptr);
    ~TBoardThread() override; // the server closes; waits for its thread briefly

    void Open(const TBoardOptions& options, TBoardServer::TickFn tick);
    void Close();
    void Take(TBoardCapture capture);
    void SetRemoteLaps(bool on);
    void Answer(quint64 viewer, int id, bool ok, const QString& why);

signals:
    void Opened(uint16_t port);
    void Failed(QString why);
    void ViewersChanged(int count);
    void PressAsked(quint64 viewer, int id, QString action, uint32_t tick);

private:
    class QThread* FThread;
    QObject* FContext;              // lives on the thread; the server is its child
    QPointer<TBoardServer> FServer; // touched on the thread only
};
