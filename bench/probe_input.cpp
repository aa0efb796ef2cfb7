// Input to screen: how long after a LAP key press its figures are painted.
//
//   probe_input [--presses N] [--verbose]
//
// Shows the real main window, picks 5864 m and starts a run (the focus goes
// to LAP), prints "READY <window id>" and waits for real key presses from
// outside (bench/measure_input.sh sends Return with xdotool). For each
// Return it records when the application received it, when the lap label
// Label2, the two grids and the chart were next painted, and when that frame
// was done (the event loop back after the paint). After N presses it prints
// the distributions and exits.
#include "probe_common.h"

#include "Application.h"
#include "Chart.h"
#include "ComboBox.h"
#include "ExcelUtil.h"
#include "Label.h"
#include "StringGridEx.h"
#include "Unit1.h"

#include <QKeyEvent>
#include <QTimer>

#include <cstdint>
#include <cstdio>
#include <map>

namespace {

class InputProbe : public QObject {
public:
    InputProbe(TVantel& w, int presses) : W(w), Presses(presses) {
        Watchdog.setSingleShot(true);
        connect(&Watchdog, &QTimer::timeout, this, [this] {
            std::printf("no more keys after %d presses\n", Count + (Pending ? 1 : 0));
            finishPress();
            if (Count < Presses) report();
        });
        Targets = {{W.Label2, "Label2"},
                   {W.StringGridEx1->viewport(), "StringGridEx1"},
                   {W.XlsStringGrid1->viewport(), "XlsStringGrid1"},
                   {W.Chart1, "Chart1"}};
    }

    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            // The same press travels up the parents; count it once.
            if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && !k->isAutoRepeat() &&
                k->timestamp() != LastStamp) {
                LastStamp = k->timestamp();
                finishPress();
                Pending = true;
                KeyAt = probe::NowMs();
                // The X server stamps the event with its own millisecond clock,
                // which on Linux is the monotonic clock too.
                const auto nowLow = static_cast<uint32_t>(static_cast<uint64_t>(KeyAt));
                ServerLag.push_back(static_cast<double>(static_cast<int32_t>(nowLow - LastStamp)));
                LapsBefore = W.State.LapCount;
                LabelBefore = W.Label2->Caption();
                Painted.clear();
                // A press whose figures never paint, or a lost key, must not
                // hang the run: report three seconds after the last key.
                Watchdog.start(3000);
            }
            return false;
        }
        if (e->type() == QEvent::Paint && Pending) {
            for (const auto& [target, name] : Targets) {
                if (o != target || Painted.count(name)) continue;
                const double at = probe::NowMs();
                Painted[name] = at - KeyAt;
                if (W.State.LapCount != LapsBefore + 1) ++Stale;
                // The frame is done when the event loop gets back.
                QTimer::singleShot(0, this, [this, name = name] {
                    if (Pending && !Done.count(name)) Done[name] = probe::NowMs() - KeyAt;
                    if (Pending && Done.size() == Targets.size()) finishPress();
                });
            }
        }
        return false;
    }

    void finishPress() {
        if (!Pending) return;
        Pending = false;
        ++Count;
        for (const auto& [name, ms] : Painted)
            PaintMs[name].push_back(ms);
        double frame = 0;
        for (const auto& [name, ms] : Done)
            frame = std::max(frame, ms);
        for (const auto& [target, name] : Targets)
            if (!Done.count(name)) {
                // Two laps of the same millisecond count leave the label's
                // text as it was: nothing to repaint, nothing missing.
                if (target == W.Label2 && W.Label2->Caption() == LabelBefore) {
                    ++Unchanged;
                    continue;
                }
                ++Missing[name];
                if (Verbose)
                    std::printf("press %d: %s not painted (label now \"%s\")\n", Count, name,
                                qPrintable(W.Label2->Caption()));
            }
        FrameMs.push_back(frame);
        Done.clear();
        if (Count >= Presses) report();
    }

    void report() {
        std::printf("presses=%d laps recorded=%d paints seen before the lap was recorded=%d\n",
                    Count, static_cast<int>(W.State.LapCount), Stale);
        probe::PrintDistribution("X server stamp -> key received by the app", ServerLag);
        for (const auto& [target, name] : Targets) {
            const std::string what = std::string("key -> paint event of ") + name;
            probe::PrintDistribution(what.c_str(), PaintMs[name]);
            if (Missing[name])
                std::printf("  %s not painted after %d presses\n", name, Missing[name]);
        }
        probe::PrintDistribution("key -> frame done (all four painted)", FrameMs);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    TVantel& W;
    int Presses;
    bool Verbose = false;
    QTimer Watchdog;
    std::vector<std::pair<QObject*, const char*>> Targets;
    bool Pending = false;
    double KeyAt = 0;
    unsigned long LastStamp = 0;
    int32_t LapsBefore = 0;
    int Count = 0, Stale = 0, Unchanged = 0;
    QString LabelBefore;
    std::map<std::string, double> Painted, Done;
    std::map<std::string, std::vector<double>> PaintMs;
    std::map<std::string, int> Missing;
    std::vector<double> FrameMs, ServerLag;
};

} // namespace

int main(int argc, char** argv) {
    const probe::ScratchSettings settings;
    const int presses = probe::IntArg(argc, argv, "--presses", 20);
    TApplication app(argc, argv);
    TVantel window;
    window.show();
    window.ComboBox1->PickFromList(8); // 5864 m
    window.ResetClick(nullptr);
    window.StartClick(nullptr);
    InputProbe probe(window, presses);
    probe.Verbose = probe::FlagArg(argc, argv, "--verbose");
    app.installEventFilter(&probe);
    QTimer::singleShot(300, [&window] {
        std::printf("READY %llu\n", static_cast<unsigned long long>(window.winId()));
        std::fflush(stdout);
    });
    QTimer::singleShot(120000, [&probe] {
        std::printf("timed out after %d presses\n", probe.Count);
        probe.report();
    });
    return app.exec();
}
