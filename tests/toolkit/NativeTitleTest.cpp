// The window caption as the X server holds it, on a real X display (the test
// runs under xvfb-run): what a window manager and a taskbar read.
#include "Application.h"
#include "Form.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// A connection of its own, as a window manager has: it sees only what the
// program has actually sent.
class Observer {
public:
    Observer() : FConnection(xcb_connect(nullptr, nullptr)) {}
    ~Observer() { xcb_disconnect(FConnection); }
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    bool Ok() const { return !xcb_connection_has_error(FConnection); }

    // The raw bytes of a window property, empty when it is not set.
    QByteArray Property(xcb_window_t w, const char* name) {
        const xcb_atom_t atom = Atom(name);
        const auto cookie = xcb_get_property(FConnection, 0, w, atom, XCB_ATOM_ANY, 0, 4096);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(FConnection, cookie, nullptr), &std::free);
        if (!reply) return {};
        return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                          xcb_get_property_value_length(reply.get()));
    }

    void SetProperty(xcb_window_t w, const char* name, const QByteArray& bytes) {
        xcb_change_property(FConnection, XCB_PROP_MODE_REPLACE, w, Atom(name), XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(bytes.size()), bytes.constData());
        xcb_flush(FConnection);
    }

    xcb_atom_t Atom(const char* name) {
        const auto cookie =
            xcb_intern_atom(FConnection, 0, static_cast<uint16_t>(std::strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(FConnection, cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

private:
    xcb_connection_t* FConnection;
};

// The property events the program itself receives, by atom.
class PropertyEvents : public QAbstractNativeEventFilter {
public:
    PropertyEvents() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~PropertyEvents() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        auto* e = static_cast<xcb_generic_event_t*>(message);
        if ((e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
            Atoms.append(reinterpret_cast<xcb_property_notify_event_t*>(e)->atom);
        return false;
    }
    QList<xcb_atom_t> Atoms;
};

class NativeTitleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("xcb"));
        ASSERT_TRUE(Watcher.Ok());
        Form.resize(200, 100);
        Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }
    xcb_window_t Id() { return static_cast<xcb_window_t>(Form.winId()); }
    // Runs the program's event loop until the server holds `bytes` in the
    // window's property `name`, or two seconds have passed.
    bool ServerHolds(const char* name, const QByteArray& bytes) {
        return QTest::qWaitFor([&] { return Watcher.Property(Id(), name) == bytes; }, 2000);
    }
    Observer Watcher;
    TForm Form;
};

TEST_F(NativeTitleTest, TheServerHoldsEveryCaptionInBothProperties) {
    struct Case {
        const char* name;
        QString caption;
        QByteArray wmName; // empty: not checked (Qt's own encoding)
    };
    const QString clock = QStringLiteral(" 00:01:05:432 :: 13:05:42 ::  Tue  ::") +
                          QString(35, QLatin1Char(' ')) + QStringLiteral("Vantel vr.012a");
    const Case cases[] = {
        {"clock caption", clock, clock.toLatin1()},
        {"latin-1 beyond ascii", QStringLiteral("Zeit \u00e9t\u00e9 \u00b0"),
         QByteArray("Zeit \xe9t\xe9 \xb0")},
        {"japanese, through qt", QStringLiteral("\u30a8\u30e9\u30fc 1"), {}},
        {"back to ascii", QStringLiteral("Vantel"), QByteArray("Vantel")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Form.SetCaption(c.caption);
        EXPECT_EQ(Form.Caption(), c.caption);
        EXPECT_TRUE(ServerHolds("_NET_WM_NAME", c.caption.toUtf8()));
        if (!c.wmName.isEmpty()) {
            EXPECT_TRUE(ServerHolds("WM_NAME", c.wmName));
        }
    }
}

TEST_F(NativeTitleTest, ARunningClockLeavesTheLastCaptionOnTheServer) {
    // A hundred captions a second for a little over a second, each followed
    // by one pass of the event loop as a display tick is, so both the direct
    // path and Qt's once-a-second copy take part.
    QString last;
    QElapsedTimer t;
    t.start();
    for (int i = 0; !t.hasExpired(1200); ++i) {
        last = QStringLiteral(" 00:00:%1 :: tick").arg(i, 6, 10, QLatin1Char('0'));
        Form.SetCaption(last);
        QCoreApplication::processEvents();
        QTest::qSleep(10);
    }
    EXPECT_TRUE(ServerHolds("_NET_WM_NAME", last.toUtf8()));
    EXPECT_TRUE(ServerHolds("WM_NAME", last.toLatin1()));
    // Qt's copy lags by at most a second; a steady caption is left as sent.
    EXPECT_TRUE(Form.windowTitle().startsWith(QStringLiteral(" 00:00:")));
}

TEST_F(NativeTitleTest, TheProgramDoesNotHearItsOwnCaptionButStillHearsOthers) {
    PropertyEvents heard;
    const xcb_atom_t netWmName = Watcher.Atom("_NET_WM_NAME");
    // A window's first caption takes Qt's path, which the program hears.
    Form.SetCaption(QStringLiteral("first"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return heard.Atoms.contains(netWmName) && heard.Atoms.contains(XCB_ATOM_WM_NAME); },
        2000));
    heard.Atoms.clear();
    for (int i = 0; i < 20; ++i) {
        const QString caption = QStringLiteral(" 00:00:00:%1").arg(i * 10, 3, 10, QLatin1Char('0'));
        Form.SetCaption(caption);
        ASSERT_TRUE(ServerHolds("_NET_WM_NAME", caption.toUtf8()));
    }
    // A window manager's change of the window's state must still reach it.
    Watcher.SetProperty(Id(), "VANTEL_TEST_STATE", "x");
    const xcb_atom_t state = Watcher.Atom("VANTEL_TEST_STATE");
    EXPECT_TRUE(QTest::qWaitFor([&] { return heard.Atoms.contains(state); }, 2000));
    EXPECT_FALSE(heard.Atoms.contains(netWmName));
    EXPECT_FALSE(heard.Atoms.contains(XCB_ATOM_WM_NAME));
}

TEST_F(NativeTitleTest, ACaptionSetBeforeTheWindowExistsAppearsWithIt) {
    TForm late;
    late.SetCaption(QStringLiteral("before show"));
    late.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&late));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Watcher.Property(static_cast<xcb_window_t>(late.winId()), "_NET_WM_NAME") ==
                   "before show";
        },
        2000));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
