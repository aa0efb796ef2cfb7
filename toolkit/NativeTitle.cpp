#include "NativeTitle.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace NativeTitle {
namespace {

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

struct Atoms {
    xcb_connection_t* Connection = nullptr;
    xcb_atom_t NetWmName = XCB_ATOM_NONE;
    xcb_atom_t Utf8String = XCB_ATOM_NONE;
};

// The two atoms, asked of the server once per connection.
const Atoms* atomsFor(xcb_connection_t* c) {
    static Atoms atoms;
    if (atoms.Connection != c) {
        atoms.Connection = c;
        atoms.NetWmName = internAtom(c, "_NET_WM_NAME");
        atoms.Utf8String = internAtom(c, "UTF8_STRING");
    }
    return atoms.NetWmName != XCB_ATOM_NONE && atoms.Utf8String != XCB_ATOM_NONE ? &atoms : nullptr;
}

xcb_connection_t* x11Connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

bool latin1Only(const QString& s) {
    for (const QChar ch : s)
        if (ch.unicode() > 0xFF) return false;
    return true;
}

} // namespace

bool Set(QWidget* window, const QString& title) {
    if (!window || !window->isWindow() || !window->testAttribute(Qt::WA_WState_Created) ||
        !window->windowHandle() || title.contains(QLatin1String("[*]")) || !latin1Only(title))
        return false;
    xcb_connection_t* c = x11Connection();
    const Atoms* atoms = c ? atomsFor(c) : nullptr;
    if (!atoms) return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const QByteArray utf8 = title.toUtf8();
    const QByteArray latin1 = title.toLatin1();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atoms->NetWmName, atoms->Utf8String, 8,
                        static_cast<uint32_t>(utf8.size()), utf8.constData());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(latin1.size()), latin1.constData());
    xcb_flush(c);
    return true;
}

} // namespace NativeTitle
