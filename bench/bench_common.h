#pragma once
// What the benchmark programs share: the lap row the grids are filled with,
// their painting loop and the program entry.
#include "ScratchHome.h"
#include "StringGrid.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>

// A lap grid row as the lap handler writes it, with the lap number in the
// first cell and in the seconds of two times.
inline QString LapRowText(int lap) {
    return QStringLiteral("%1, 00:01:%2:000, 00:00:%3:500,+1200, 12:34:56, 61500,98, 61000,99")
        .arg(lap)
        .arg(lap % 60, 2, 10, QLatin1Char('0'))
        .arg(lap % 60, 2, 10, QLatin1Char('0'));
}

// Times each paint of a grid of `rows` rows scrolled to its end, as a long run
// shows it. Only the rows around the shown part are filled: painting must not
// depend on the others.
inline void PaintScrolledToEnd(benchmark::State& state, TStringGrid& g, int rows) {
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

// The widgets need an application object, on the offscreen platform so that
// no display is needed. With `strictArgs` an argument that neither Qt nor the
// benchmark library takes fails the run instead of being passed over.
template <class App, class Body> int WithScratchApp(int& argc, char** argv, Body&& body) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window reads the remembered distances and a run writes its
    // journal: never the operator's.
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    UseScratchHome(home.path());
    App app(argc, argv);
    return body();
}

template <class App> int RunBenchmarks(int argc, char** argv, bool strictArgs = false) {
    return WithScratchApp<App>(argc, argv, [&] {
        benchmark::Initialize(&argc, argv);
        if (strictArgs && benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    });
}
