// Costs of the string grid: painting must not grow with the number of rows,
// and appending a lap row (row text plus RowCount growth) must stay cheap in
// a long run.
#include "StringGrid.h"
#include "bench_common.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

// The main lap grid's layout: 761 x 214, ten columns of 73, rows of 18.
void MakeLapGrid(TStringGrid& g, int rows) {
    g.resize(761, 214);
    g.SetColCount(10);
    g.SetFixedCols(0);
    g.SetDefaultColWidth(73);
    g.SetDefaultRowHeight(18);
    g.SetRowCount(rows);
}

void BM_PaintGrid(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TStringGrid g;
    MakeLapGrid(g, rows);
    PaintScrolledToEnd(state, g, rows);
}
BENCHMARK(BM_PaintGrid)->Arg(20)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// One lap: grow RowCount by one, write the row, scroll it into view, as the
// lap handler does.
void BM_AppendLapRow(benchmark::State& state) {
    const int start = static_cast<int>(state.range(0));
    TStringGrid g;
    MakeLapGrid(g, start);
    int lap = start - 1;
    for (auto _ : state) {
        ++lap;
        g.SetRowCount(lap + 1);
        g.SetRowText(lap, LapRowText(lap));
        g.SetSelection({0, 0, 0, lap});
        const int vis = g.VisibleRowCount();
        if (vis < lap) g.SetTopRow(lap - vis + 1);
    }
    state.counters["rows"] = lap;
}
BENCHMARK(BM_AppendLapRow)->Arg(20)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv, true);
}
