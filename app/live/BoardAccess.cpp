#include "BoardAccess.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>

TBoardPath BoardPathOf(const QByteArray& p) {
    if (p == "/") return TBoardPath::Page;
    if (p == "/board.css") return TBoardPath::Style;
    if (p == "/board.js") return TBoardPath::Script;
    if (p == "/run.json") return TBoardPath::Run;
    if (p == "/laps.csv") return TBoardPath::Csv;
    if (p == "/events") return TBoardPath::Events;
    return TBoardPath::None;
}

TBoardAccess::TBoardAccess(TBoardNetwork network, uint16_t port, QByteArray code,
                           QByteArray lapCode)
    : FNetwork(network), FPort(port), FCode(std::move(code)), FLapCode(std::move(lapCode)),
      FNames(MachineNames(TBoardNetwork::Local)) {}

QStringList TBoardAccess::MachineNames(TBoardNetwork network) {
    QStringList names{QStringLiteral("localhost"), QStringLiteral("127.0.0.1"),
                      QStringLiteral("::1")};
    if (network == TBoardNetwork::Local) return names;
    const QString host = QHostInfo::localHostName().toLower();
    if (!host.isEmpty()) names << host << host + QStringLiteral(".local");
    const QString domain = QHostInfo::localDomainName().toLower();
    if (!host.isEmpty() && !domain.isEmpty()) names << host + QLatin1Char('.') + domain;
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        QHostAddress plain(a);
        plain.setScopeId(QString()); // a browser sends no zone in a Host header
        names << plain.toString();
    }
    names.removeDuplicates();
    return names;
}

bool TBoardAccess::HostAllowed(const QByteArray& host) const {
    // The header is parsed as the authority of a URL: Qt takes brackets,
    // ports and letter case apart, no hand-made splitting.
    const QUrl url(QStringLiteral("http://") + QString::fromLatin1(host) + QLatin1Char('/'),
                   QUrl::StrictMode);
    if (host.isEmpty() || !url.isValid() || !url.userInfo().isEmpty() || url.path() != "/")
        return false;
    if (url.port(80) != FPort) return false;
    const QString name = url.host().toLower();
    if (name.isEmpty()) return false;
    return FNames.contains(name);
}

bool TBoardAccess::OriginAllowed(const QByteArray& origin, const QByteArray& host) const {
    // A page of this board names the address it was loaded from, which is
    // the Host the request carries.
    return !origin.isEmpty() && HostAllowed(host) && origin == "http://" + host;
}

namespace {
// Compares in time independent of where the two first differ, so that a
// guess's timing tells nothing of the code.
bool SameCode(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size() || a.isEmpty()) return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

bool Carries(const TBoardRequest& r, const char* cookie, const char* param,
             const QByteArray& code) {
    if (const auto c = CookieValue(r.Cookie, cookie); c && SameCode(*c, code)) return true;
    const auto q = QueryValue(r.Query, param);
    return q && SameCode(*q, code);
}
} // namespace

bool TBoardAccess::Admitted(const TBoardRequest& r) const {
    return FNetwork == TBoardNetwork::Local || Carries(r, CodeCookie, "code", FCode);
}

bool TBoardAccess::CarriesLapCode(const TBoardRequest& r) const {
    return Carries(r, LapCookie, "lap", FLapCode);
}

TBoardVerdict TBoardAccess::Check(const TBoardRequest& r) const {
    TBoardVerdict v;
    auto refuse = [&](int status, const char* why) {
        v.Status = status;
        v.Why = why;
        return v;
    };
    if (r.UrlBytes > BoardLimits::MaxUrlBytes) return refuse(414, "Request target too long");
    if (r.HeaderBytes > BoardLimits::MaxHeaderBytes || r.HeaderCount > BoardLimits::MaxHeaderCount)
        return refuse(431, "Request headers too large");
    if (!HostAllowed(r.Host)) return refuse(421, "This address is not the timing computer's");
    if (!r.Get) return refuse(405, "The board is read-only");
    v.Path = BoardPathOf(r.Path);
    if (v.Path == TBoardPath::None) return refuse(404, "Not found");
    // The event stream is opened by the board's own page only.
    if (v.Path == TBoardPath::Events && !OriginAllowed(r.Origin, r.Host))
        return refuse(403, "Not this board's page");
    if (!Admitted(r)) return refuse(401, "The access code is missing or wrong");
    v.MayPress = CarriesLapCode(r);
    // Codes that came in the address go into cookies, and the address
    // loses them, so that neither a history nor a shoulder keeps them.
    const auto code = QueryValue(r.Query, "code");
    const auto lap = QueryValue(r.Query, "lap");
    if (v.Path == TBoardPath::Page && (code || lap)) {
        const QByteArray attrs = "; Path=/; HttpOnly; SameSite=Strict; Max-Age=31536000";
        if (code && FNetwork == TBoardNetwork::Lan)
            v.SetCookies << CodeCookie + ('=' + *code + attrs);
        if (lap && v.MayPress) v.SetCookies << LapCookie + ('=' + *lap + attrs);
        QByteArray rest;
        for (const char* keep : {"kiosk", "theme"})
            if (const auto value = QueryValue(r.Query, keep))
                rest += (rest.isEmpty() ? "?" : "&") + QByteArray(keep) + '=' +
                        QUrl::toPercentEncoding(QString::fromUtf8(*value));
        v.Status = 303;
        v.Location = "/" + rest;
    }
    return v;
}

std::optional<QByteArray> CookieValue(const QByteArray& header, const QByteArray& name) {
    for (const QByteArray& part : header.split(';')) {
        const QByteArray p = part.trimmed();
        const qsizetype eq = p.indexOf('=');
        if (eq > 0 && p.left(eq).trimmed() == name) return p.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

std::optional<QByteArray> QueryValue(const QByteArray& query, const QByteArray& name) {
    for (const QByteArray& part : query.split('&')) {
        const qsizetype eq = part.indexOf('=');
        const QByteArray key = eq < 0 ? part : part.left(eq);
        if (QByteArray::fromPercentEncoding(key) == name)
            return QByteArray::fromPercentEncoding(eq < 0 ? QByteArray() : part.mid(eq + 1));
    }
    return std::nullopt;
}

QByteArray TBoardAccess::NewCode() {
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
}

bool TRateLimit::Take(const QHostAddress& address, Clock::time_point now) {
    const QString key = address.toString();
    auto it = FBuckets.find(key);
    if (it == FBuckets.end()) {
        if (FBuckets.size() >= FMax) {
            auto oldest = std::min_element(
                FBuckets.begin(), FBuckets.end(),
                [](const TBucket& a, const TBucket& b) { return a.Last < b.Last; });
            FBuckets.erase(oldest);
        }
        it = FBuckets.insert(key, TBucket{double(FBurst), now});
    }
    TBucket& b = *it;
    const double seconds = std::chrono::duration<double>(now - b.Last).count();
    b.Tokens = std::min(double(FBurst), b.Tokens + std::max(0.0, seconds) * FPerSecond);
    b.Last = now;
    if (b.Tokens < 1) return false;
    b.Tokens -= 1;
    return true;
}
