// Whole-process CPU cost of a running clock: the real main window on the real
// platform, shown, started, and left to run its event loop.
//
//   probe_cpu [--seconds N] [--interval MS] [--mode MODE] [--single-line-labels]
//             [--fixed-label-size] [--qt-defaults] [--settle MS]
//
// --settle sets how long the window runs before the measured span begins
// (default 500 ms): long enough for it to map and paint once, and, with an
// accessibility client, for the client's start-up questions to be answered.
// --interval sets the display timer's floor (1 = a literal 1 ms timer; the
// default keeps the window's own floor). --mode replaces the timer handler to
// show where the time goes:
//   full          the window's own handler (default)
//   no-caption    without the window caption
//   no-title      without the application title
//   tick-only     only the clock labels
//   qt-caption    the caption through Qt's own window-title path, as the
//                 window wrote it before it wrote to the X server itself
//   caption-10hz  the caption on every tenth tick only
//   idle          timer stopped
//   qt-floor      a plain Qt window of the same size whose one label is
//                 rewritten on the same timer, on Qt's default event loop
//                 and X transport: what any such repaint costs
// --single-line-labels paints the two clock labels with one text layout,
// --fixed-label-size stops them from measuring their text on every change:
// prototypes of cheaper label code. --qt-defaults runs the window on Qt's
// default event loop and X transport, as it ran before the program chose its
// own. Prints the process CPU time (user +
// system) as a percentage of one core over the run, the real tick rate and
// the paints per second.
#include "probe_common.h"

#include "Accessibility.h"
#include "Application.h"
#include "Canvas.h"
#include "Clock.h"
#include "Label.h"
#include "Timer.h"
#include "Unit1.h"

#include <QEvent>
#include <QLabel>
#include <QMap>
#include <QPainter>
#include <QTimer>

#include <cstdio>

// Under valgrind --tool=callgrind --instr-atstart=no, only the measured span
// is instrumented; without the header the marks compile to nothing.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif

namespace {

// Counts paint events per receiver while the clock runs.
class PaintCounter : public QObject {
public:
    QMap<QString, int> Paints;
    int Total = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++Total;
            ++Paints[o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className())
                                               : o->objectName()];
        }
        return false;
    }
};

// Prototype of a label paint that lays out a one-line caption once instead of
// measuring every prefix of it for word breaks: draws the label itself and
// swallows the label's own paint.
class SingleLinePaint : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::Paint) return false;
        auto* l = static_cast<TLabel*>(o);
        QPainter p(l);
        TCanvas c(&p);
        TRect r{0, 0, l->width(), l->height()};
        c.Font = l->Font();
        c.DrawText(l->Caption(), r, DT_CENTER | DT_SINGLELINE);
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    const probe::ScratchSettings settings;
    const int seconds = probe::IntArg(argc, argv, "--seconds", 10);
    const int interval = probe::IntArg(argc, argv, "--interval", 0);
    const int settle = probe::IntArg(argc, argv, "--settle", 500);
    QString mode = QStringLiteral("full");
    for (int i = 1; i + 1 < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String("--mode"))
            mode = QString::fromLocal8Bit(argv[i + 1]);

    const QStringList modes{QStringLiteral("full"),       QStringLiteral("no-caption"),
                            QStringLiteral("no-title"),   QStringLiteral("tick-only"),
                            QStringLiteral("qt-caption"), QStringLiteral("caption-10hz"),
                            QStringLiteral("idle"),       QStringLiteral("qt-floor")};
    if (!modes.contains(mode)) {
        std::fprintf(stderr, "unknown mode %s\n", qPrintable(mode));
        return 2;
    }

    if (mode == QLatin1String("qt-floor") || probe::FlagArg(argc, argv, "--qt-defaults"))
        qputenv("VANTEL_QT_DEFAULTS", "1");
    TApplication app(argc, argv);
    InstallAccessibility(); // as the program does at start-up
    TVantel window;
    if (interval > 0) window.Timer1->SetMinimumInterval(interval);

    int ticks = 0;
    TVantel* w = &window;
    if (mode == QLatin1String("full")) {
        window.Timer1->OnTimer = [w, &ticks](QObject* s) {
            ++ticks;
            w->Timer1Timer(s);
        };
    } else if (mode == QLatin1String("idle")) {
        window.Timer1->SetEnabled(false);
    } else {
        const bool caption =
            mode != QLatin1String("no-caption") && mode != QLatin1String("tick-only");
        const bool title = mode != QLatin1String("no-title") && mode != QLatin1String("tick-only");
        const bool qtCaption = mode == QLatin1String("qt-caption");
        const bool caption10 = mode == QLatin1String("caption-10hz");
        window.Timer1->OnTimer = [=, &ticks](QObject*) {
            ++ticks;
            w->DisplayTick();
            const QDateTime now = Clock::Now();
            const QString titleText = w->TitleText(now);
            // A mode leaves out a step of the tick, or takes Qt's own title
            // path, to show that step's share of the cost.
            if (caption && (!caption10 || ticks % 10 == 0)) {
                if (qtCaption)
                    w->setWindowTitle(w->CaptionText(titleText, now));
                else
                    w->SetCaption(w->CaptionText(titleText, now));
            }
            if (title) Application::SetTitle(titleText);
        };
    }
    SingleLinePaint singleLine;
    if (probe::FlagArg(argc, argv, "--single-line-labels"))
        for (TLabel* l : {window.Label1, window.Label3})
            l->installEventFilter(&singleLine);

    // Reference: a plain Qt window of the same size whose one small label is
    // rewritten on the same timer, i.e. what any 100 Hz repaint costs here.
    QWidget plain;
    QTimer plainTimer;
    QLabel* plainLabel = nullptr;
    if (mode == QLatin1String("qt-floor")) {
        window.Timer1->SetEnabled(false);
        plain.resize(window.size());
        plainLabel = new QLabel(&plain);
        plainLabel->setGeometry(126, 12, 120, 19);
        QObject::connect(&plainTimer, &QTimer::timeout, plainLabel, [plainLabel, &ticks] {
            ++ticks;
            plainLabel->setText(QString::number(probe::NowMs(), 'f', 0));
        });
        plainTimer.setTimerType(Qt::PreciseTimer);
        plainTimer.start(interval > 0 ? interval : TVantel::DisplayInterval);
        plain.show();
    } else {
        window.show();
    }
    window.StartClick(nullptr);
    // Prototype of a label that skips the font metrics when its caption
    // changes but its width cannot (the clock's digits are all one width).
    if (probe::FlagArg(argc, argv, "--fixed-label-size"))
        for (TLabel* l : {window.Label1, window.Label3})
            l->SetAutoSize(false);

    // Let the window map and paint once before the measured span begins.
    PaintCounter counter;
    double cpu0 = 0, wall0 = 0;
    QTimer::singleShot(settle, &app, [&] {
        ticks = 0;
        app.installEventFilter(&counter);
        cpu0 = probe::CpuSeconds();
        wall0 = probe::NowMs();
        CALLGRIND_START_INSTRUMENTATION;
        QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &app, [&] {
            CALLGRIND_STOP_INSTRUMENTATION;
            const double cpu = probe::CpuSeconds() - cpu0;
            const double wall = (probe::NowMs() - wall0) / 1e3;
            std::printf("mode=%s%s%s floor=%d ms effective=%d ms seconds=%.2f cpu=%.3f s "
                        "cpu%%=%.2f ticks/s=%.1f "
                        "paints/s=%.1f\n",
                        qPrintable(mode),
                        probe::FlagArg(argc, argv, "--single-line-labels") ? " +single-line" : "",
                        probe::FlagArg(argc, argv, "--fixed-label-size") ? " +fixed-size" : "",
                        interval > 0 ? interval : TVantel::DisplayInterval,
                        window.Timer1->EffectiveInterval(), wall, cpu, 100.0 * cpu / wall,
                        ticks / wall, counter.Total / wall);
            for (auto it = counter.Paints.cbegin(); it != counter.Paints.cend(); ++it)
                std::printf("  paints/s %-16s %.1f\n", qPrintable(it.key()), it.value() / wall);
            std::fflush(stdout);
            app.quit();
        });
    });
    return app.exec();
}
