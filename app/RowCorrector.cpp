#include "RowCorrector.h"

#include "LapMarks.h"
#include "Messages.h"
#include "RunModel.h"
#include "StringGrid.h"
#include "TimeText.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <unordered_map>

TRowCorrector::TRowCorrector(TRunModel& run, const TRowPresses& rows, TViews views)
    : QObject(views.Window), FRun(run), FRows(rows), FViews(std::move(views)) {
    for (QObject* o : {static_cast<QObject*>(FViews.Main), static_cast<QObject*>(FViews.Mix),
                       static_cast<QObject*>(FViews.Window)})
        o->installEventFilter(this);
    // A right click reaches the grids' viewports.
    FViews.Main->viewport()->installEventFilter(this);
    FViews.Mix->viewport()->installEventFilter(this);
}

TRowPresses::TGrid TRowCorrector::which(TStringGrid* grid) const {
    return grid == FViews.Main ? TRowPresses::Main : TRowPresses::Mix;
}

QString TRowCorrector::PressText(int press) const {
    const TActionRecord* r = FRun.ShownPress(press);
    // A deleted press is told as it was shown before.
    const std::vector<TActionRecord>& made = FRun.Actions();
    if (!r && press >= 1 && size_t(press) <= made.size()) r = &made[size_t(press) - 1];
    if (!r || !IsPress(r->Action)) return QString();
    const TRunState& s = r->After.State;
    struct Shown {
        const char* Name;
        int32_t Count, Lap;
    };
    const Shown shown = r->Action == TRunAction::Lap2   ? Shown{"LAP2", s.Lap2Count, s.Lap2Time}
                        : r->Action == TRunAction::Lap3 ? Shown{"LAP3", s.Lap3Count, s.Lap3Time}
                                                        : Shown{"LAP", s.LapCount, s.LapTime};
    return Msg::CorrectionPress()
        .arg(QLatin1String(shown.Name))
        .arg(shown.Count)
        .arg(TimeText(shown.Lap).trimmed());
}

bool TRowCorrector::correct(TRunAction kind, TStringGrid* grid, int row,
                            std::optional<int32_t> total) {
    TActionInput in;
    in.Total = total;
    if (grid) {
        in.Target = FRows.PressAt(which(grid), row);
        if (!in.Target) {
            FViews.Note(Msg::NoPressInRow());
            return false;
        }
    }
    // What an undo or redo is about, told while its press shows: an inserted
    // press before its undo and after its redo, a deleted one as it was made.
    // An undo takes back a start over laps before any correction.
    const bool takeBack = kind == TRunAction::Undo && FRun.StartToTakeBack();
    const TCorrections::TEdit* edit = takeBack                   ? nullptr
                                      : kind == TRunAction::Undo ? FRun.Corrections().LastDone()
                                      : kind == TRunAction::Redo ? FRun.Corrections().LastUndone()
                                                                 : nullptr;
    const std::optional<TCorrections::TEdit> about = edit ? std::optional(*edit) : std::nullopt;
    auto aboutText = [&] {
        if (!about) return QString();
        if (about->Kind == TRunAction::Start) return Msg::StartOfCount();
        const bool deleted = about->Kind == TRunAction::Delete;
        return (deleted ? Msg::CorrectionDeleteOf() : Msg::CorrectionInsertOf())
            .arg(PressText(deleted ? about->Target : about->Id));
    };
    const QString before = kind == TRunAction::Delete ? PressText(in.Target)
                           : kind == TRunAction::Undo ? aboutText()
                                                      : QString();
    if (const std::optional<QString> refused = FRun.Correct(kind, in)) {
        FViews.Note(*refused);
        return false;
    }
    switch (kind) {
    case TRunAction::Delete:
        FViews.Note(Msg::CorrectionDeleted().arg(before));
        break;
    case TRunAction::Insert:
        FViews.Note(Msg::CorrectionInserted().arg(PressText(FRun.Actions().back().Input.Press)));
        break;
    case TRunAction::Undo:
        FViews.Note(takeBack ? Msg::StartTakenBack() : Msg::CorrectionUndone().arg(before));
        break;
    default:
        FViews.Note(Msg::CorrectionRedone().arg(aboutText()));
        break;
    }
    if (grid) {
        // The corrected row stays in view: the row now in its place.
        const int r =
            std::clamp(row, grid->FixedRows(), std::max(grid->FixedRows(), grid->RowCount() - 1));
        grid->FocusCell(grid->Col(), r);
    }
    return true;
}

bool TRowCorrector::Delete(TStringGrid* grid, int row) {
    return correct(TRunAction::Delete, grid, row, std::nullopt);
}
bool TRowCorrector::Split(TStringGrid* grid, int row) {
    return correct(TRunAction::Insert, grid, row, std::nullopt);
}
bool TRowCorrector::Insert(TStringGrid* grid, int row, int32_t total) {
    return correct(TRunAction::Insert, grid, row, total);
}
bool TRowCorrector::Undo() {
    return correct(TRunAction::Undo, nullptr, 0, std::nullopt);
}
bool TRowCorrector::Redo() {
    return correct(TRunAction::Redo, nullptr, 0, std::nullopt);
}

std::optional<int32_t> TRowCorrector::ParseTotal(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const int ms = t.toInt(&ok);
    if (ok) return ms >= 0 ? std::optional<int32_t>(ms) : std::nullopt;
    static const QRegularExpression clock(
        QStringLiteral("^(\\d{1,3}):(\\d{1,2}):(\\d{1,2})[:.](\\d{1,3})$"));
    const QRegularExpressionMatch m = clock.match(t);
    if (!m.hasMatch()) return std::nullopt;
    const qint64 h = m.captured(1).toLongLong(), mi = m.captured(2).toLongLong(),
                 s = m.captured(3).toLongLong(),
                 // A fraction of a second: ".5" is half of one.
        z = m.captured(4).leftJustified(3, u'0').toLongLong();
    if (mi > 59 || s > 59) return std::nullopt;
    const qint64 total = ((h * 60 + mi) * 60 + s) * 1000 + z;
    if (total > INT32_MAX) return std::nullopt;
    return int32_t(total);
}

void TRowCorrector::askTotal(TStringGrid* grid, int row) {
    if (!FRows.PressAt(which(grid), row)) {
        FViews.Note(Msg::NoPressInRow());
        return;
    }
    delete FField;
    auto* field = new QLineEdit(grid);
    FField = field;
    field->setObjectName(QStringLiteral("InsertTotal"));
    field->setPlaceholderText(Msg::InsertTotalHint());
    field->setToolTip(Msg::InsertTotalHint());
    const TRect cell = grid->CellRect(0, row);
    field->setGeometry(cell.Left, cell.Top, std::min(grid->width(), 220),
                       std::max(20, cell.Bottom - cell.Top + 4));
    field->show();
    field->setFocus(Qt::OtherFocusReason);
    const QPointer<TStringGrid> g = grid;
    connect(field, &QLineEdit::returnPressed, this, [this, g, row, field] {
        const std::optional<int32_t> total = ParseTotal(field->text());
        if (!total) {
            FViews.Note(Msg::InsertTotalHint());
            return;
        }
        field->deleteLater();
        if (g) {
            g->setFocus(Qt::OtherFocusReason);
            Insert(g, row, *total);
        }
    });
    field->installEventFilter(this);
}

bool TRowCorrector::rowMenu(TStringGrid* grid, const QPoint& at, const QPoint& global) {
    int col = 0, row = 0;
    if (!grid->MouseToCell(at.x(), at.y(), col, row) || !FRows.PressAt(which(grid), row))
        return false;
    grid->FocusCell(grid->Col(), row);
    auto* menu = new QMenu(grid);
    menu->setObjectName(QStringLiteral("RowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<TStringGrid> g = grid;
    menu->addAction(Msg::MenuDeletePress(), this, [this, g, row] {
        if (g) Delete(g, row);
    });
    menu->addAction(Msg::MenuSplitLap(), this, [this, g, row] {
        if (g) Split(g, row);
    });
    menu->addAction(Msg::MenuInsertAt(), this, [this, g, row] {
        if (g) askTotal(g, row);
    });
    menu->addSeparator();
    menu->addAction(Msg::MenuUndo(), this, [this] { Undo(); })->setEnabled(FRun.CanUndo());
    menu->addAction(Msg::MenuRedo(), this, [this] { Redo(); })
        ->setEnabled(FRun.Corrections().CanRedo());
    menu->popup(global);
    return true;
}

bool TRowCorrector::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu) {
        for (TStringGrid* g : {FViews.Main, FViews.Mix})
            if (watched == g->viewport()) {
                auto* c = static_cast<QContextMenuEvent*>(event);
                return rowMenu(g, c->pos(), c->globalPos());
            }
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods =
        k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (watched == FField) {
        if (k->key() != Qt::Key_Escape) return false;
        FField->deleteLater();
        if (auto* g = qobject_cast<QWidget*>(FField->parent())) g->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (watched == FViews.Window) {
        if (k->key() == Qt::Key_Z && mods == Qt::ControlModifier) return Undo(), true;
        if ((k->key() == Qt::Key_Y && mods == Qt::ControlModifier) ||
            (k->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)))
            return Redo(), true;
        return false;
    }
    if (watched != FViews.Main && watched != FViews.Mix) return false;
    auto* grid = static_cast<TStringGrid*>(watched);
    if (grid->EditorMode()) return false;
    if (k->key() == Qt::Key_Delete && mods == Qt::NoModifier)
        return Delete(grid, grid->Row()), true;
    if (k->key() == Qt::Key_Insert && mods == Qt::NoModifier) return Split(grid, grid->Row()), true;
    if (k->key() == Qt::Key_Insert && mods == Qt::ShiftModifier)
        return askTotal(grid, grid->Row()), true;
    return false;
}

void MarkLapRows(const std::vector<TActionRecord>& shown, const TRowPresses& rows,
                 TStringGrid* main, TStringGrid* mix) {
    std::vector<TPressedLap> laps;
    std::vector<int> presses;
    for (const TActionRecord& r : shown) {
        if (!IsPress(r.Action)) continue;
        const TRunState& s = r.After.State;
        laps.push_back(r.Action == TRunAction::Lap2   ? TPressedLap{2, s.Lap2Time}
                       : r.Action == TRunAction::Lap3 ? TPressedLap{3, s.Lap3Time}
                                                      : TPressedLap{1, s.LapTime});
        presses.push_back(r.Input.Press);
    }
    const std::vector<TLapMark> marks = LapMarksOf(laps);
    std::unordered_map<int, TLapMark> markOf;
    for (size_t i = 0; i < marks.size(); ++i)
        if (marks[i] != TLapMark::None) markOf[presses[i]] = marks[i];
    for (auto [grid, which] :
         {std::pair{main, TRowPresses::Main}, std::pair{mix, TRowPresses::Mix}}) {
        std::map<int, QString> rowMarks;
        const std::vector<int>& byRow = rows.Presses(which);
        for (size_t row = 0; row < byRow.size(); ++row)
            if (const auto m = markOf.find(byRow[row]); m != markOf.end())
                rowMarks[int(row)] = LapMarkDescription(m->second);
        grid->SetRowMarks(std::move(rowMarks));
    }
}
