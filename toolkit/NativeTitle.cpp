#include "NativeTitle.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace NativeTitle {
namespace {

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    const auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr),
                                                  &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// What the server is asked once per connection, and once per window.
struct Known {
    xcb_connection_t* Connection = nullptr;
    xcb_atom_t NetWmName = XCB_ATOM_NONE;
    xcb_atom_t Utf8String = XCB_ATOM_NONE;
    // The events Qt selected on the window, for a window id and the flags
    // it was made with: Qt chooses the mask when it creates a window and
    // when its flags change.
    xcb_window_t Window = XCB_WINDOW_NONE;
    Qt::WindowFlags Flags;
    uint32_t EventMask = 0;
};

Known& known() {
    static Known k;
    return k;
}

// Qt's X connection, looked up once per application object: the caption asks
// for it a hundred times a second.
xcb_connection_t* x11Connection() {
    static QCoreApplication* app = nullptr;
    static xcb_connection_t* connection = nullptr;
    if (app != QCoreApplication::instance()) {
        app = QCoreApplication::instance();
        auto* gui = qobject_cast<QGuiApplication*>(app);
        auto* x11 = gui && QGuiApplication::platformName() == QLatin1String("xcb")
                        ? gui->nativeInterface<QNativeInterface::QX11Application>()
                        : nullptr;
        connection = x11 ? x11->connection() : nullptr;
    }
    return connection;
}

bool atomsKnown(xcb_connection_t* c) {
    Known& k = known();
    if (k.Connection != c) {
        k = Known{};
        k.Connection = c;
        k.NetWmName = internAtom(c, "_NET_WM_NAME");
        k.Utf8String = internAtom(c, "UTF8_STRING");
    }
    return k.NetWmName != XCB_ATOM_NONE && k.Utf8String != XCB_ATOM_NONE;
}

uint32_t eventMask(xcb_connection_t* c, xcb_window_t w, Qt::WindowFlags flags) {
    Known& k = known();
    if (k.Window != w || k.Flags != flags) {
        const auto cookie = xcb_get_window_attributes(c, w);
        const ReplyPtr<xcb_get_window_attributes_reply_t> reply(
            xcb_get_window_attributes_reply(c, cookie, nullptr), &std::free);
        k.Window = w;
        k.Flags = flags;
        k.EventMask = reply ? reply->your_event_mask : 0;
    }
    return k.EventMask;
}

bool latin1Only(const QString& s) {
    for (const QChar ch : s)
        if (ch.unicode() > 0xFF) return false;
    return true;
}

// The window has an X window of its own, and the connection its atoms.
bool windowReady(QWidget* window) {
    if (!window || !window->isWindow() || !window->testAttribute(Qt::WA_WState_Created) ||
        !window->windowHandle())
        return false;
    xcb_connection_t* c = x11Connection();
    return c && atomsKnown(c);
}

} // namespace

bool Applies(QWidget* window, const QString& title) {
    return !title.contains(QLatin1String("[*]")) && latin1Only(title) && windowReady(window);
}

bool Write(QWidget* window, const QString& title) {
    // The text was vetted by Applies when it was set; the window may have
    // gone since.
    if (!windowReady(window)) return false;
    xcb_connection_t* c = x11Connection();
    const Known& k = known();
    const auto id = static_cast<xcb_window_t>(window->winId());
    const uint32_t mask = eventMask(c, id, window->windowHandle()->flags());
    const QByteArray utf8 = title.toUtf8();
    const QByteArray latin1 = title.toLatin1();
    // The window stops listening to its own property changes for the two
    // writes: their events would only wake the program twice more a tick to
    // learn nothing. The server runs one client's buffered requests back to
    // back, so a window manager's change of the window's state cannot fall
    // in between and go unheard; the window manager and any taskbar hear the
    // title change as usual, since each client has its own selection.
    const uint32_t quiet = mask & ~uint32_t(XCB_EVENT_MASK_PROPERTY_CHANGE);
    const bool silence = quiet != mask;
    if (silence) xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &quiet);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, k.NetWmName, k.Utf8String, 8,
                        static_cast<uint32_t>(utf8.size()), utf8.constData());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(latin1.size()), latin1.constData());
    if (silence) xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &mask);
    return true;
}

void Flush() {
    if (xcb_connection_t* c = x11Connection()) xcb_flush(c);
}

} // namespace NativeTitle
