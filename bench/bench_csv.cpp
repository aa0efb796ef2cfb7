// CSV writing and reading of the mix grid on 100 000 rows of ten lap cells.
#include "CsvText.h"
#include "ExcelUtil.h"
#include "Messages.h"
#include "bench_common.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <malloc.h>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 10;

// A grid filled like the mix grid after a long run: one fixed header row, then
// lap rows as the lap buttons write them.
std::unique_ptr<TXlsStringGrid> makeFilledGrid() {
    auto g = std::make_unique<TXlsStringGrid>();
    g->resize(385, 120);
    g->SetColCount(kCols);
    g->SetRowCount(kRows + 1);
    g->SetFixedCols(0);
    g->SetRowText(0, Msg::MixHeader());
    // Laps of 5 to 6 seconds on a 400 m lap, as the lap button writes them:
    // most cells differ from row to row, the button number and the speeds
    // repeat often.
    const auto t = [](int v) {
        return QStringLiteral(" %1:%2:%3:%4")
            .arg(v / 3600000 % 100, 2, 10, QLatin1Char('0'))
            .arg(v / 60000 % 60, 2, 10, QLatin1Char('0'))
            .arg(v / 1000 % 60, 2, 10, QLatin1Char('0'))
            .arg(v % 1000, 3, 10, QLatin1Char('0'));
    };
    uint32_t seed = 12345;
    int total = 0, last = 0;
    for (int r = 1; r <= kRows; ++r) {
        seed = seed * 1103515245u + 12345u;
        const int lap = 5000 + int(seed >> 16) % 1000;
        total += lap;
        const int diff = lap - last;
        last = lap;
        const int kmh = 400 * 3600 / lap;
        const int avg = total / r;
        const QStringList cells = {QString::number(r),
                                   QStringLiteral(" %1 ").arg(1 + r % 3 / 2),
                                   t(total),
                                   t(lap),
                                   (diff < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
                                       t(diff < 0 ? -diff : diff).mid(1),
                                   t(43200000 + total).mid(1, 8),
                                   QString::number(lap),
                                   QString::number(kmh),
                                   QString::number(avg),
                                   QString::number(400 * 3600 / avg)};
        for (int c = 0; c < kCols; ++c)
            g->SetCells(c, r, cells[c]);
    }
    return g;
}

struct Shared {
    QTemporaryDir dir;
    std::unique_ptr<TXlsStringGrid> grid = makeFilledGrid();
    QString file = dir.filePath(QStringLiteral("bench.csv"));
};

Shared& shared() {
    static Shared s;
    return s;
}

void BM_SetCommaText(benchmark::State& state) {
    Shared& s = shared();
    s.grid->SetCSVFileName(s.file);
    for (auto _ : state)
        benchmark::DoNotOptimize(s.grid->SetCommaText());
    state.SetBytesProcessed(state.iterations() * QFileInfo(s.file).size());
}
BENCHMARK(BM_SetCommaText)->Unit(benchmark::kMillisecond);

void BM_GetCommaText(benchmark::State& state) {
    Shared& s = shared();
    s.grid->SetCSVFileName(s.file);
    s.grid->SetCommaText();
    const int64_t size = QFileInfo(s.file).size();
    // Each pass reads into a fresh grid, as a file is read into a grid holding
    // other text; making and freeing the grids is not timed.
    std::unique_ptr<TXlsStringGrid> reader;
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        reader.reset();
        // Hand the freed cells of the last pass back now, so that their
        // clean-up is not charged to the next read.
        malloc_trim(0);
        reader = std::make_unique<TXlsStringGrid>();
        reader->resize(385, 120);
        reader->SetColCount(kCols);
        reader->SetRowCount(30);
        reader->SetFixedCols(0);
        reader->SetCSVFileName(s.file);
        state.ResumeTiming();
        benchmark::DoNotOptimize(reader->GetCommaText());
    }
    rows = reader ? reader->RowCount() : 0;
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_GetCommaText)->Unit(benchmark::kMillisecond);

// The parts without the grid and the file, to see where the time goes.
void BM_BuildCsvText(benchmark::State& state) {
    Shared& s = shared();
    const TXlsStringGrid& g = *s.grid;
    int64_t bytes = 0;
    for (auto _ : state) {
        const QString text = CsvText::BuildCsvText(1, kRows + 1, 0, kCols,
                                                   [&](int c, int r) { return g.CellView(c, r); });
        bytes = CsvText::EncodeText(text).size();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_BuildCsvText)->Unit(benchmark::kMillisecond);

void BM_DecodeAndSplit(benchmark::State& state) {
    Shared& s = shared();
    const QByteArray bytes = CsvText::EncodeText(CsvText::BuildCsvText(
        1, kRows + 1, 0, kCols, [&](int c, int r) { return s.grid->CellView(c, r); }));
    for (auto _ : state) {
        const QString text = CsvText::NormalizeLineEnds(CsvText::DecodeText(bytes));
        int64_t n = 0;
        CsvText::SplitFields(text, [&](QStringView f) { n += f.size(); });
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeAndSplit)->Unit(benchmark::kMillisecond);

// The fields made into strings, as the cells will hold them, without the grid.
void BM_SplitToStrings(benchmark::State& state) {
    Shared& s = shared();
    const QByteArray bytes = CsvText::EncodeText(CsvText::BuildCsvText(
        1, kRows + 1, 0, kCols, [&](int c, int r) { return s.grid->CellView(c, r); }));
    std::vector<QString> cells;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<QString>().swap(cells);
        malloc_trim(0);
        state.ResumeTiming();
        const QString text = CsvText::NormalizeLineEnds(CsvText::DecodeText(bytes));
        CsvText::SplitFields(text, [&](QStringView f) { cells.push_back(CsvText::Trimmed(f)); });
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_SplitToStrings)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv);
}
