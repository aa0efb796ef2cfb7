// The window caption as the X server holds it, on a real X display (the test
// runs under tests/xvfb.sh): what a window manager and a taskbar read.
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
struct Observer {
    xcb_connection_t* C = xcb_connect(nullptr, nullptr);
    ~Observer() { xcb_disconnect(C); }
    xcb_atom_t Atom(const char* name) {
        const auto ck = xcb_intern_atom(C, 0, static_cast<uint16_t>(std::strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
            xcb_intern_atom_reply(C, ck, nullptr), &std::free);
        return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    QByteArray Property(xcb_window_t w, const char* name) {
        const auto ck = xcb_get_property(C, 0, w, Atom(name), XCB_ATOM_ANY, 0, 4096);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> r(
            xcb_get_property_reply(C, ck, nullptr), &std::free);
        return r ? QByteArray(static_cast<const char*>(xcb_get_property_value(r.get())),
                              xcb_get_property_value_length(r.get()))
                 : QByteArray();
    }
};

// The property events the program itself receives, by atom.
struct PropertyEvents : QAbstractNativeEventFilter {
    PropertyEvents() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~PropertyEvents() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        auto* e = static_cast<xcb_generic_event_t*>(message);
        if ((e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
            Atoms.append(reinterpret_cast<xcb_property_notify_event_t*>(e)->atom);
        return false;
    }
    QList<xcb_atom_t> Atoms;
};

TEST(NativeTitle, TheServerHoldsEachCaptionAndTheProgramHearsOnlyOthersChanges) {
    ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("xcb"));
    Observer watcher;
    TForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const auto id = static_cast<xcb_window_t>(form.winId());
    const xcb_atom_t netWmName = watcher.Atom("_NET_WM_NAME");
    auto holds = [&](const char* name, const QByteArray& bytes) {
        return QTest::qWaitFor([&] { return watcher.Property(id, name) == bytes; }, 2000);
    };
    PropertyEvents heard;
    struct Case {
        const char* name;
        QString caption;
        bool heard; // through Qt's path, whose writes come back as events
    };
    const Case cases[] = {
        {"a window's first caption", QStringLiteral("Vantel"), true},
        {"a clock caption", QStringLiteral(" 00:01:05:432 :: 13:05:42 ::  Tue  ::"), false},
        {"latin-1 beyond ascii", QStringLiteral("Zeit \u00e9t\u00e9 \u00b0"), false},
        {"japanese", QStringLiteral("\u30a8\u30e9\u30fc 1"), true},
        {"back to ascii", QStringLiteral(" 00:01:05:442"), false},
    };
    // Qt's copy follows once a second, through Qt's path: a slow machine may
    // take that path for a later case too, which the check allows.
    QElapsedTimer sinceQt;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        heard.Atoms.clear();
        form.SetCaption(c.caption);
        EXPECT_EQ(form.Caption(), c.caption);
        EXPECT_TRUE(holds("_NET_WM_NAME", c.caption.toUtf8()));
        QTest::qWait(20);
        if (c.heard) {
            EXPECT_TRUE(heard.Atoms.contains(netWmName));
            sinceQt.start();
        } else {
            EXPECT_TRUE(holds("WM_NAME", c.caption.toLatin1()));
            if (sinceQt.elapsed() < 900) {
                EXPECT_FALSE(heard.Atoms.contains(netWmName));
            }
        }
    }
    // A window manager's change of the window's state must still reach it.
    const QByteArray state("x");
    xcb_change_property(watcher.C, XCB_PROP_MODE_REPLACE, id, watcher.Atom("TEST_STATE"),
                        XCB_ATOM_STRING, 8, 1, state.constData());
    xcb_flush(watcher.C);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return heard.Atoms.contains(watcher.Atom("TEST_STATE")); }, 2000));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
