#pragma once
// Who may see the live board, decided from a request's parts alone: nothing
// here knows a socket, so every rule is tested exactly, and the server only
// carries the verdict out.
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <optional>

// Where the board listens: this computer only (loopback), or every interface.
enum class TBoardNetwork { Local, Lan };

// The few things the board serves; anything else is "not found", so no path
// trick (dot segments, encoded slashes, a second slash) can name a file.
enum class TBoardPath { Page, Style, Script, Run, Csv, Events, None };
TBoardPath BoardPathOf(const QByteArray& encodedPath);

// Limits that keep one viewer, or a flood of them, from costing the timer.
namespace BoardLimits {
constexpr int MaxViewers = 200;      // live event streams at once
constexpr int MaxConnections = 256;  // sockets at once, viewers included
constexpr int MaxUrlBytes = 2048;    // the request target
constexpr int MaxHeaderBytes = 8192; // every header's name and value together
constexpr int MaxHeaderCount = 64;
constexpr int MaxMessageBytes = 4096;      // one message from a viewer
constexpr int MaxRequestBytes = 65536;     // a request, all of it, held unread
constexpr qint64 MaxQueuedBytes = 1 << 20; // unsent to one viewer: it has stalled
constexpr int RequestsPerSecond = 20;      // per address, with a burst of
constexpr int RequestBurst = 60;
constexpr int MaxAddresses = 4096;    // addresses the rate is kept for
constexpr int HttpLifetimeMs = 30000; // a plain connection, however busy
} // namespace BoardLimits

// The parts of a request that decide whether it is served.
struct TBoardRequest {
    QByteArray Path;   // the target's path, as sent (still encoded)
    QByteArray Query;  // the target's query, as sent
    QByteArray Host;   // the Host header
    QByteArray Origin; // the Origin header (empty: none sent)
    QByteArray Cookie; // the Cookie header
    int UrlBytes = 0;
    int HeaderBytes = 0;
    int HeaderCount = 0;
    bool Get = true;      // GET or HEAD; anything else changes something
    bool Upgrade = false; // asks for the event stream
};

struct TBoardVerdict {
    int Status = 200; // 200: serve `Path`; 303: set the cookies and go to `Location`
    TBoardPath Path = TBoardPath::None;
    QByteArray Location;
    QList<QByteArray> SetCookies;
    bool MayPress = false; // carries the lap code
    QByteArray Why;        // a refusal's reason, for the reply's body
};

class TBoardAccess {
public:
    TBoardAccess(TBoardNetwork network, uint16_t port, QByteArray code, QByteArray lapCode);

    // The machine's own names and addresses, which a Host header must name
    // (a name of someone else's that points here is DNS rebinding).
    void SetOwnNames(QStringList names) { FNames = std::move(names); }
    const QStringList& OwnNames() const { return FNames; }
    // Every name and address this machine answers to now: loopback always,
    // and the host name and every interface's addresses on the network.
    static QStringList MachineNames(TBoardNetwork network);

    TBoardVerdict Check(const TBoardRequest& r) const;
    // Whether the Host header names this machine on the board's port.
    bool HostAllowed(const QByteArray& host) const;
    // Whether a page of this board sent the request (the event stream: a
    // page of another site may open a socket to any address).
    bool OriginAllowed(const QByteArray& origin, const QByteArray& host) const;
    // The access code is carried (cookie or query), or not needed here.
    bool Admitted(const TBoardRequest& r) const;
    bool CarriesLapCode(const TBoardRequest& r) const;

    // A fresh random 128-bit code, as 32 hexadecimal digits.
    static QByteArray NewCode();
    static constexpr const char* CodeCookie = "vantel_code";
    static constexpr const char* LapCookie = "vantel_lap";

private:
    TBoardNetwork FNetwork;
    uint16_t FPort;
    QByteArray FCode, FLapCode;
    QStringList FNames;
};

// A value of the Cookie header, or of the query, by name.
std::optional<QByteArray> CookieValue(const QByteArray& header, const QByteArray& name);
std::optional<QByteArray> QueryValue(const QByteArray& query, const QByteArray& name);

// Requests per address: a token bucket each, the table bounded (the longest
// quiet address goes first), so a flood from many addresses costs memory
// only up to the bound.
class TRateLimit {
public:
    using Clock = std::chrono::steady_clock;
    TRateLimit(int perSecond = BoardLimits::RequestsPerSecond,
               int burst = BoardLimits::RequestBurst, int maxAddresses = BoardLimits::MaxAddresses)
        : FPerSecond(perSecond), FBurst(burst), FMax(maxAddresses) {}
    // Takes one request of `address` at `now`: false when it is over its rate.
    bool Take(const QHostAddress& address, Clock::time_point now);
    int Addresses() const { return int(FBuckets.size()); }

private:
    struct TBucket {
        double Tokens;
        Clock::time_point Last;
    };
    int FPerSecond, FBurst, FMax;
    QHash<QString, TBucket> FBuckets;
};
