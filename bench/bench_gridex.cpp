// Costs of the column-defined lap grid: painting with per-column fonts and
// colours (every cell draws its own text), and the display formatting a
// column with a display mask pays per cell.
#include "StringGridEx.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

QString LapRowText(int lap) {
    return QStringLiteral("%1, 00:01:%2:000, 00:00:%3:500,+1200, 12:34:56, 61500,98, 61000,99")
        .arg(lap)
        .arg(lap % 60, 2, 10, QLatin1Char('0'))
        .arg(lap % 60, 2, 10, QLatin1Char('0'));
}

void BM_PaintLapGridEx(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TStringGridEx g;
    LoadLapGridLayout(&g);
    g.resize(761, 214);
    g.SetRowCount(rows);
    if (state.range(1)) g.SetGridStyle(gsStriped);
    for (int r = std::max(1, rows - 40); r < rows; ++r)
        g.SetRowText(r, LapRowText(r));
    g.SetTopRow(rows);
    QImage img(g.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&img);
        g.PaintGrid(p);
        p.end();
        benchmark::DoNotOptimize(img.bits());
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_PaintLapGridEx)
    ->Args({20, 0})
    ->Args({100000, 0})
    ->Args({20, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_FormatDisplayText(benchmark::State& state) {
    const QString texts[] = {QStringLiteral("1234567.891"), QStringLiteral("-0.5"),
                             QStringLiteral("1.2.3"), QStringLiteral("abc12")};
    const QString masks[] = {QStringLiteral("#,##0.00"), QStringLiteral("0.00E+00"),
                             QStringLiteral("0.0;(0.0);\"zero\""), QStringLiteral(">LLL-00;0;_")};
    const QString& text = texts[state.range(0)];
    const QString& mask = masks[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(FormatDisplayText(text, mask));
}
BENCHMARK(BM_FormatDisplayText)->DenseRange(0, 3);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
