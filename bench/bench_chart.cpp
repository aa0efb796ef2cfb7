// Cost of a full redraw of the window's chart with both lines holding N
// points, of a paint without change, and of the same two lines drawn into an
// image of the same size by two other chart libraries, when they are there.
// Run: build-rel/bench/bench_chart
#include "Application.h"
#include "Chart.h"
#include "MessageService.h"
#include "Series.h"
#include "Timer.h"
#include "Unit1.h"
#include "Wrap.h"
#include "bench_common.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#ifdef VANTEL_HAVE_QTCHARTS
#include <QChart>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QValueAxis>
#endif
#ifdef VANTEL_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

namespace {

constexpr int kWidth = 762;
constexpr int kHeight = 209;

// Lap times of a random walk around 65 s and their running average, the
// average in the lap handler's 32-bit arithmetic.
struct Laps {
    std::vector<double> lap, ave;
    explicit Laps(int n) {
        uint64_t s = 0x9E3779B97F4A7C15ull;
        double w = 0;
        int32_t sum = 0;
        for (int k = 1; k <= n; ++k) {
            s ^= s << 13;
            s ^= s >> 7;
            s ^= s << 17;
            const double u = static_cast<double>(s >> 11) * 0x1p-53;
            w += (2 * u - 1) * 1000;
            if (w > 3000) w = 6000 - w;
            if (w < -3000) w = -6000 - w;
            const int32_t ms = static_cast<int32_t>(std::lround(65000 + w));
            sum = wrap::add(sum, ms);
            lap.push_back(ms);
            ave.push_back(wrap::quot(sum, k).value_or(0));
        }
    }
};

const Laps& LapsOf(int n) {
    static std::map<int, std::unique_ptr<Laps>> cache;
    auto& p = cache[n];
    if (!p) p = std::make_unique<Laps>(n);
    return *p;
}

// The point counts the redraws are timed at, from a short run to a million
// laps, the same for every chart library.
void ChartPointCounts(benchmark::internal::Benchmark* b) {
    b->Arg(10)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

struct Window {
    RecordingMessageService messages;
    std::unique_ptr<TVantel> window;
    explicit Window(int n) {
        MessageService::SetInstance(&messages);
        window = std::make_unique<TVantel>();
        window->Timer1->SetEnabled(false);
        const Laps& d = LapsOf(n);
        for (size_t i = 0; i < d.lap.size(); ++i) {
            window->Series1->AddValue(d.lap[i], QString(), window->Series1->SeriesColor());
            window->Series2->AddValue(d.ave[i], QString(), window->Series2->SeriesColor());
        }
    }
    ~Window() {
        window.reset();
        MessageService::SetInstance(nullptr);
    }
};

void BM_ChartRedraw(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)));
    TChart* chart = w.window->Chart1;
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        chart->Invalidate();
        QPainter p(&target);
        chart->Draw(&p, TRect{0, 0, kWidth, kHeight});
    }
    benchmark::DoNotOptimize(target.bits());
}
BENCHMARK(BM_ChartRedraw)->Apply(ChartPointCounts);

void BM_ChartRepaintUnchanged(benchmark::State& state) {
    Window w(1000);
    TChart* chart = w.window->Chart1;
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    {
        QPainter p(&target);
        chart->Draw(&p, TRect{0, 0, kWidth, kHeight});
    }
    for (auto _ : state) {
        QPainter p(&target);
        chart->Canvas().AttachPainter(&p);
        if (!chart->Canvas().RepaintFromBuffer()) state.SkipWithError("buffer not reused");
        chart->Canvas().AttachPainter(nullptr);
    }
}
BENCHMARK(BM_ChartRepaintUnchanged)->Unit(benchmark::kMillisecond);

#ifdef VANTEL_HAVE_QTCHARTS
void BM_QtChartsRedraw(benchmark::State& state) {
    const Laps& d = LapsOf(static_cast<int>(state.range(0)));
    QGraphicsScene scene;
    auto* chart = new QChart;
    chart->legend()->hide();
    QList<QPointF> a, b;
    for (size_t i = 0; i < d.lap.size(); ++i) {
        a.append(QPointF(static_cast<double>(i), d.lap[i]));
        b.append(QPointF(static_cast<double>(i), d.ave[i]));
    }
    auto* s1 = new QLineSeries;
    auto* s2 = new QLineSeries;
    s1->replace(a);
    s2->replace(b);
    chart->addSeries(s1);
    chart->addSeries(s2);
    chart->createDefaultAxes();
    scene.addItem(chart);
    chart->setGeometry(0, 0, kWidth, kHeight);
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        chart->update();
        QPainter p(&target);
        scene.render(&p, QRectF(0, 0, kWidth, kHeight), QRectF(0, 0, kWidth, kHeight));
    }
}
BENCHMARK(BM_QtChartsRedraw)->Apply(ChartPointCounts);
#endif

#ifdef VANTEL_HAVE_QCUSTOMPLOT
void BM_QCustomPlotRedraw(benchmark::State& state) {
    const Laps& d = LapsOf(static_cast<int>(state.range(0)));
    QCustomPlot plot;
    plot.resize(kWidth, kHeight);
    QVector<double> x(static_cast<int>(d.lap.size()));
    for (int i = 0; i < x.size(); ++i)
        x[i] = i;
    const QVector<double> y1(d.lap.begin(), d.lap.end()), y2(d.ave.begin(), d.ave.end());
    plot.addGraph()->setData(x, y1, true);
    plot.addGraph()->setData(x, y2, true);
    plot.rescaleAxes();
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QCPPainter p(&target);
        plot.toPainter(&p, kWidth, kHeight);
    }
}
BENCHMARK(BM_QCustomPlotRedraw)->Apply(ChartPointCounts);
#endif

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<TApplication>(argc, argv);
}
