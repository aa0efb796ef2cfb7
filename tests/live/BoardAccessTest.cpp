#include "BoardAccess.h"

#include <gtest/gtest.h>

namespace {
const QByteArray Code = "0123456789abcdef0123456789abcdef";
const QByteArray LapCode = "fedcba9876543210fedcba9876543210";

TBoardAccess Lan() {
    TBoardAccess a(TBoardNetwork::Lan, 8642, Code, LapCode);
    a.SetOwnNames(
        {"localhost", "127.0.0.1", "::1", "timer", "timer.local", "192.168.1.20", "fe80::1"});
    return a;
}

TBoardRequest Get(QByteArray path, QByteArray host = "192.168.1.20:8642") {
    TBoardRequest r;
    r.Path = std::move(path);
    r.Host = std::move(host);
    r.Cookie = "vantel_code=" + Code;
    return r;
}
} // namespace

TEST(BoardAccess, HostMustNameThisMachineOnItsPort) {
    const TBoardAccess a = Lan();
    const struct {
        const char* Host;
        bool Allowed;
    } cases[] = {
        {"192.168.1.20:8642", true},
        {"TIMER.local:8642", true},
        {"[::1]:8642", true},
        {"[fe80::1]:8642", true},
        {"localhost:8642", true},
        {"192.168.1.20", false},
        {"192.168.1.20:8643", false},
        {"rebound.example:8642", false},
        {"timer.local.evil:8642", false},
        {"user@timer:8642", false},
        {"", false},
        {"192.168.1.20:8642/x", false},
        {"[::1:8642", false},
        {"timer:8642:1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(a.HostAllowed(c.Host), c.Allowed) << c.Host;
    // This computer only: the loopback names, whatever the network calls it.
    const TBoardAccess local(TBoardNetwork::Local, 8642, Code, LapCode);
    EXPECT_TRUE(local.HostAllowed("127.0.0.1:8642"));
    EXPECT_FALSE(local.HostAllowed("192.168.1.20:8642"));
}

TEST(BoardAccess, VerdictsOfRequests) {
    const TBoardAccess a = Lan();
    auto with = [](TBoardRequest r, auto change) {
        change(r);
        return r;
    };
    const struct {
        const char* What;
        TBoardRequest Request;
        int Status;
    } cases[] = {
        {"the page", Get("/"), 200},
        {"the run", Get("/run.json"), 200},
        {"no code", with(Get("/run.json"), [](auto& r) { r.Cookie.clear(); }), 401},
        {"a wrong code",
         with(Get("/run.json"), [](auto& r) { r.Cookie = "vantel_code=" + LapCode; }), 401},
        {"a code cut short", with(Get("/run.json"), [](auto& r) { r.Cookie.chop(1); }), 401},
        {"the code in the query",
         with(Get("/laps.csv"),
              [](auto& r) {
                  r.Cookie.clear();
                  r.Query = "code=" + Code;
              }),
         200},
        {"a foreign host", Get("/run.json", "rebound.example:8642"), 421},
        {"dot segments", Get("/../run.json"), 404},
        {"encoded dots", Get("/%2e%2e/run.json"), 404},
        {"an encoded slash", Get("/%2Frun.json"), 404},
        {"a second slash", Get("//run.json"), 404},
        {"a trailing slash", Get("/run.json/"), 404},
        {"a file of the machine", Get("/etc/passwd"), 404},
        {"a change", with(Get("/run.json"), [](auto& r) { r.Get = false; }), 405},
        {"a long target", with(Get("/"), [](auto& r) { r.UrlBytes = 5000; }), 414},
        {"large headers", with(Get("/"), [](auto& r) { r.HeaderBytes = 9000; }), 431},
        {"many headers", with(Get("/"), [](auto& r) { r.HeaderCount = 65; }), 431},
        {"the stream from its page",
         with(Get("/events"), [](auto& r) { r.Origin = "http://192.168.1.20:8642"; }), 200},
        {"the stream from another site",
         with(Get("/events"), [](auto& r) { r.Origin = "http://evil.example"; }), 403},
        {"the stream with no origin", Get("/events"), 403},
        {"the stream from another port",
         with(Get("/events"), [](auto& r) { r.Origin = "http://192.168.1.20:8643"; }), 403},
    };
    for (const auto& c : cases)
        EXPECT_EQ(a.Check(c.Request).Status, c.Status) << c.What;
    // On this computer only no code is asked for.
    const TBoardAccess local(TBoardNetwork::Local, 8642, Code, LapCode);
    EXPECT_EQ(local.Check(Get("/run.json", "127.0.0.1:8642")).Status, 200);
}

TEST(BoardAccess, CodesInTheAddressBecomeCookies) {
    const TBoardAccess a = Lan();
    TBoardRequest r = Get("/");
    r.Cookie.clear();
    r.Query = "code=" + Code + "&lap=" + LapCode + "&kiosk=1&x=2";
    const TBoardVerdict v = a.Check(r);
    EXPECT_EQ(v.Status, 303);
    EXPECT_EQ(v.Location, "/?kiosk=1");
    ASSERT_EQ(v.SetCookies.size(), 2);
    EXPECT_TRUE(v.SetCookies[0].startsWith("vantel_code=" + Code + "; Path=/; HttpOnly"));
    EXPECT_TRUE(v.SetCookies[1].startsWith("vantel_lap=" + LapCode));
    EXPECT_TRUE(v.MayPress);
    // A wrong lap code is not kept, and gives no presses.
    r.Query = "code=" + Code + "&lap=" + Code;
    const TBoardVerdict wrong = a.Check(r);
    EXPECT_EQ(wrong.SetCookies.size(), 1);
    EXPECT_FALSE(wrong.MayPress);
}

TEST(BoardAccess, NewCodesAreRandom128Bit) {
    const QByteArray a = TBoardAccess::NewCode(), b = TBoardAccess::NewCode();
    EXPECT_EQ(a.size(), 32);
    EXPECT_NE(a, b);
    EXPECT_EQ(QByteArray::fromHex(a).toHex(), a);
}

TEST(BoardRateLimit, BurstThenRateAndABoundedTable) {
    TRateLimit limit(10, 5, 3);
    const auto t0 = TRateLimit::Clock::now();
    const QHostAddress one("10.0.0.1");
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(limit.Take(one, t0)) << i;
    EXPECT_FALSE(limit.Take(one, t0));
    EXPECT_FALSE(limit.Take(one, t0 + std::chrono::milliseconds(50))); // half a token
    EXPECT_TRUE(limit.Take(one, t0 + std::chrono::milliseconds(160)));
    // Another address has a bucket of its own; past the bound the quietest goes.
    for (const char* a : {"10.0.0.2", "10.0.0.3", "10.0.0.4"})
        EXPECT_TRUE(limit.Take(QHostAddress(a), t0 + std::chrono::seconds(1)));
    EXPECT_EQ(limit.Addresses(), 3);
}
