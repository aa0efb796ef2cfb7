// Spreadsheet export of the mix grid at 100 000 rows x 10 columns through
// the built-in server to a workbook file: time per export, and the process's
// memory before the first export and at its peak.
#include "Automation.h"
#include "ExcelUtil.h"
#include "Messages.h"
#include "SheetModel.h"
#include "SpreadsheetServer.h"
#include "XlsxFile.h"
#include "bench_common.h"

#include <benchmark/benchmark.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <memory>
#include <sys/resource.h>

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 10;

double peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0; // kilobytes on Linux
}

QString timeText(int v) {
    return QStringLiteral(" %1:%2:%3:%4")
        .arg(v / 3600000 % 100, 2, 10, QLatin1Char('0'))
        .arg(v / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(v / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(v % 1000, 3, 10, QLatin1Char('0'));
}

// Lap rows as the lap buttons write them: numbers, time texts and speeds.
std::unique_ptr<TXlsStringGrid> makeGrid() {
    auto g = std::make_unique<TXlsStringGrid>();
    g->SetColCount(kCols);
    g->SetRowCount(kRows + 1);
    g->SetFixedCols(0);
    g->SetRowText(0, Msg::MixHeader());
    uint32_t seed = 12345;
    int total = 0;
    for (int r = 1; r <= kRows; ++r) {
        seed = seed * 1103515245u + 12345u;
        const int lap = 5000 + int(seed >> 16) % 1000;
        total += lap;
        const QStringList cells = {QString::number(r),
                                   QStringLiteral(" 1 "),
                                   timeText(total),
                                   timeText(lap),
                                   QStringLiteral("+") + timeText(lap % 700).mid(1),
                                   timeText(43200000 + total).mid(1, 8),
                                   QString::number(lap),
                                   QString::number(400 * 3600 / lap),
                                   QString::number(total / r),
                                   QString::number(400 * 3600 / (total / r))};
        for (int c = 0; c < kCols; ++c)
            g->SetCells(c, r, cells[c]);
    }
    g->SetCellFont(TFont(QStringLiteral("Times New Roman"), -13, clWhite));
    g->SetCellColor(clBlack);
    return g;
}

void BM_CopyExcel(benchmark::State& state) {
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Spreadsheet::Register();
    Spreadsheet::SetFileOpener([](const QString&) { return true; });
    auto g = makeGrid();
    const double before = peakMb();
    int64_t bytes = 0;
    for (auto _ : state) {
        if (g->CopyExcel() != 1) state.SkipWithError("export failed");
        state.PauseTiming();
        // A fresh application and directory for each pass, as at the first export.
        Automation::Call(Automation::GetActiveOleObject(Spreadsheet::ProgId),
                         QStringLiteral("Quit"));
        bytes = QFileInfo(QStringLiteral("Book1.xlsx")).size();
        QFile::remove(QStringLiteral("Book1.xlsx"));
        state.ResumeTiming();
    }
    state.counters["file_mb"] = double(bytes) / 1e6;
    state.counters["rss_before_mb"] = before;
    state.counters["peak_rss_mb"] = peakMb();
    Spreadsheet::SetFileOpener(nullptr);
    Spreadsheet::Unregister();
    QDir::setCurrent(old);
}
BENCHMARK(BM_CopyExcel)->Unit(benchmark::kMillisecond)->Iterations(3);

// The parts of one export, to see where the time goes.
struct Parts {
    std::unique_ptr<TXlsStringGrid> grid = makeGrid();
    QString text;
    Parts() {
        grid->CopyClipboard();
        text = QGuiApplication::clipboard()->text();
    }
    Sheet::TSheet pasted() const {
        Sheet::TSheet s;
        s.Name = QStringLiteral("Sheet1");
        s.PasteText(0, 0, text);
        s.Format(Sheet::WholeSheet, [] {
            Sheet::TCellFormat f;
            f.FontName = QStringLiteral("Times New Roman");
            f.FontSize = 8;
            f.FontColor = 0xFFFFFF;
            return f;
        }());
        s.Format(Sheet::TCellRect{0, 0, kRows, kCols - 1}, [] {
            Sheet::TCellFormat f;
            f.Fill = 0;
            return f;
        }());
        return s;
    }
};
Parts& parts() {
    static Parts p;
    return p;
}

void BM_ClipboardText(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(parts().grid->CopyClipboard());
}
BENCHMARK(BM_ClipboardText)->Unit(benchmark::kMillisecond);

void BM_Paste(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(parts().pasted().RowCount());
}
BENCHMARK(BM_Paste)->Unit(benchmark::kMillisecond);

void BM_AutoFit(benchmark::State& state) {
    Sheet::TSheet s = parts().pasted();
    for (auto _ : state)
        s.AutoFitColumns(0, Sheet::MaxCols - 1);
}
BENCHMARK(BM_AutoFit)->Unit(benchmark::kMillisecond);

void BM_WriteFile(benchmark::State& state) {
    QTemporaryDir dir;
    Sheet::TSheet s = parts().pasted();
    s.AutoFitColumns(0, Sheet::MaxCols - 1);
    const QString path = dir.filePath(QStringLiteral("w.xlsx"));
    for (auto _ : state) {
        if (!Sheet::WriteXlsxFile(path, {&s}).isEmpty()) state.SkipWithError("write failed");
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv);
}
