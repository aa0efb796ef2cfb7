#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// Where SAVE writes. The file is named after the minute of the save; a run
// that saves again in the same minute replaces its own file, but a file of
// the same name written by another run (or by anything else) is never
// replaced: the save takes the next free name, "2612101039-2.csv", "-3", ...
// Which files are a run's own is known from the run's own saves, never
// guessed from what a file holds.
namespace SaveNames {

// "yymmddhhnn" of the local time `now`: the name's stem.
QString Stem(const QDateTime& now);

// The name in `dir` for a save of `stem`: "stem.csv" when no such file is
// there or the run wrote it (`own`: absolute paths the run saved), else the
// first "stem-N.csv" (N from 2) that is; empty when none of the first 9999
// is. `exists` is asked of absolute paths.
QString Choose(const QString& dir, const QString& stem, const QStringList& own,
               const std::function<bool(const QString& path)>& exists);

// `path` as the operator reads it: under `home`, from "~".
QString Readable(const QString& path, const QString& home);

// The note after a save: "Saved 2612101039.csv: 7 laps, in ~/laps".
QString SavedNote(const QString& file, const QString& dir, int laps, const QString& home);

} // namespace SaveNames
