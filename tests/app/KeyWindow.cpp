// Another program's window for the global key test: it takes the focus and
// writes every key it gets to a file, one Qt key name a line. Given a key
// too, it first grabs that key on the root window as a global key of its
// own, and says "grabbed" on its standard output once the server agreed.
//
//   KeyWindow LOG [KEYSYM]
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class TLogged : public QLineEdit {
public:
    explicit TLogged(const QString& path) : FLog(path) {
        if (!FLog.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::exit(2);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        FLog.write(QKeySequence(e->key()).toString(QKeySequence::PortableText).toUtf8() + '\n');
        FLog.flush();
        QLineEdit::keyPressEvent(e);
    }

private:
    QFile FLog;
};

// The first keycode the keysym is on, 0 if none.
uint8_t keycodeOf(xcb_connection_t* c, uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
        xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr),
        &std::free);
    if (!reply) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    for (int k = 0; k < count; ++k)
        if (syms[k * reply->keysyms_per_keycode] == keysym) return uint8_t(setup->min_keycode + k);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    if (argc > 2) {
        auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* c = x11 ? x11->connection() : nullptr;
        if (!c) return 3;
        const uint8_t keycode = keycodeOf(c, uint32_t(std::strtoul(argv[2], nullptr, 0)));
        if (keycode == 0) return 4;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
            xcb_request_check(c, xcb_grab_key_checked(c, 1, root, 0, keycode, XCB_GRAB_MODE_ASYNC,
                                                      XCB_GRAB_MODE_ASYNC)),
            &std::free);
        if (error) return 5;
        std::printf("grabbed\n");
        std::fflush(stdout);
    }
    TLogged edit(QString::fromLocal8Bit(argv[1]));
    edit.setWindowTitle(QStringLiteral("KeyWindow"));
    edit.show();
    return app.exec();
}
