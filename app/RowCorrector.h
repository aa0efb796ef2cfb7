#pragma once
#include "Corrections.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class TRunModel;
struct TActionRecord;
class TStringGrid;
class QLineEdit;

// Corrections asked for by row, from the keyboard and from the harness: the
// row's press is found, the run corrected, the row kept in view and a note
// shown that takes no focus.
//
// Keys, on either lap grid: Delete takes the selected row's press out;
// Insert puts a press in the middle of its lap; Shift+Insert opens a field
// over the row for the new press's total. Anywhere in the window: Ctrl+Z
// undoes, Ctrl+Y and Ctrl+Shift+Z redo. None of them is a key the grids, the
// distance text or the lap buttons use. With the mouse: a right click on a
// row that shows a press opens a menu of the same (elsewhere the window's
// own menu opens, as always).
class TRowCorrector : public QObject {
public:
    struct TViews {
        TStringGrid* Main; // the main lap grid
        TStringGrid* Mix;  // the mix grid
        QWidget* Window;   // Ctrl+Z and Ctrl+Y reach it from every control
        std::function<void(const QString&)> Note;
    };
    TRowCorrector(TRunModel& run, const TRowPresses& rows, TViews views);

    // Each tells the operator what was done or why not, in the note; false
    // when nothing was done.
    bool Delete(TStringGrid* grid, int row);
    bool Split(TStringGrid* grid, int row);
    bool Insert(TStringGrid* grid, int row, int32_t total);
    bool Undo();
    bool Redo();

    // The text of a press for the note: "LAP lap 7 (00:00:00:312)".
    QString PressText(int press) const;

    // A total typed into the field: "00:01:02:500" (as the grids show it) or
    // plain milliseconds; nullopt for anything else.
    static std::optional<int32_t> ParseTotal(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool correct(TRunAction kind, TStringGrid* grid, int row, std::optional<int32_t> total);
    void askTotal(TStringGrid* grid, int row);
    bool rowMenu(TStringGrid* grid, const QPoint& at, const QPoint& global);
    TRowPresses::TGrid which(TStringGrid* grid) const;
    TRunModel& FRun;
    const TRowPresses& FRows;
    TViews FViews;
    QPointer<QLineEdit> FField;
};

// Frames the rows of both grids whose lap looks like a mistake at the button
// (far shorter or longer than that button's laps so far), as the corrected
// run `shown` has them; worked out afresh each time, so a correction or an
// undo moves the marks with the laps.
void MarkLapRows(const std::vector<TActionRecord>& shown, const TRowPresses& rows,
                 TStringGrid* main, TStringGrid* mix);
