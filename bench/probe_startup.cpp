// Start-up time to the first painted main window, on the real platform.
//
//   probe_startup
//
// Records the time at the start of main and the age of the process (from the
// kernel's start time in /proc/self/stat), creates the application and the
// main window, shows it, and when the window's first paint has been fully
// processed (the event loop is back after the paint) prints the elapsed
// milliseconds and exits:
//   main->painted=... process->painted=... app=... window=... show->painted=...
#include "probe_common.h"

#include "Application.h"
#include "Unit1.h"

#include <QEvent>
#include <QTimer>

#include <cstdio>

namespace {

class FirstPaint : public QObject {
public:
    double MainStart = 0, ProcessAgeAtMain = 0, AppReady = 0, WindowReady = 0, Shown = 0;
    bool Seen = false;

    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::Paint || Seen) return false;
        Seen = true;
        const double paintEvent = probe::NowMs();
        // A zero timer runs once the paint, the children's paints and the
        // flush to the X server have returned to the event loop.
        QTimer::singleShot(0, [this, paintEvent] {
            const double done = probe::NowMs();
            const double age = probe::MsSinceProcessStart();
            std::printf("main->painted=%.1f process->painted=%.1f app=%.1f window=%.1f show=%.1f "
                        "show->paint-event=%.1f paint=%.1f (ms)\n",
                        done - MainStart, age, AppReady - MainStart, WindowReady - AppReady,
                        Shown - WindowReady, paintEvent - Shown, done - paintEvent);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    const probe::ScratchSettings settings;
    FirstPaint probe;
    probe.MainStart = probe::NowMs();
    probe.ProcessAgeAtMain = probe::MsSinceProcessStart();

    TApplication app(argc, argv);
    probe.AppReady = probe::NowMs();
    TVantel window;
    probe.WindowReady = probe::NowMs();
    window.installEventFilter(&probe);
    window.show();
    probe.Shown = probe::NowMs();
    // Never hang a measuring script: give up after ten seconds.
    QTimer::singleShot(10000, [] {
        std::fprintf(stderr, "no paint within 10 s\n");
        QCoreApplication::exit(1);
    });
    return app.exec();
}
