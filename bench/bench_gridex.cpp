// Costs of the column-defined lap grid: painting with per-column fonts and
// colours (every cell draws its own text), and the display formatting a
// column with a display mask pays per cell.
#include "StringGridEx.h"
#include "bench_common.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void BM_PaintLapGridEx(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TStringGridEx g;
    LoadLapGridLayout(&g);
    g.resize(761, 214);
    g.SetRowCount(rows);
    if (state.range(1)) g.SetGridStyle(gsStriped);
    PaintScrolledToEnd(state, g, rows);
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
    return RunBenchmarks<QApplication>(argc, argv, true);
}
