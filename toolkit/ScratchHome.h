#pragma once
#include <QString>

// Points HOME (with `withHome`) and the XDG folders of settings, state, data
// and caches at folders under `root`, made if missing. Called before Qt first
// looks at them, it keeps the tests, the replay harness and the benchmarks
// away from the operator's settings, runs and caches.
void UseScratchHome(const QString& root, bool withHome = true);
