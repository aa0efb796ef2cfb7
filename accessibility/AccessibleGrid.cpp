#include "AccessibleGrid.h"

#include "StringGrid.h"

#include <limits>

namespace {

qint64 cellKey(int row, int col) {
    return (static_cast<qint64>(row) << 32) | static_cast<quint32>(col);
}

int clampToInt(qint64 n) {
    return static_cast<int>(std::clamp<qint64>(n, 0, std::numeric_limits<int>::max()));
}

// The selection clipped to the grid.
TGridRect shownSelection(const TStringGrid* g) {
    TGridRect s = g->Selection();
    s.Right = std::min(s.Right, g->ColCount() - 1);
    s.Bottom = std::min(s.Bottom, g->RowCount() - 1);
    return s;
}

template <class Keep> QList<int> indicesWhere(int first, int last, Keep keep) {
    QList<int> out;
    for (int i = first; i <= last; ++i)
        if (keep(i)) out.append(i);
    return out;
}

// The `headers` first cells of a cell's column or row, for a cell at `at`
// past them; a header cell has none.
template <class CellAt>
QList<QAccessibleInterface*> headerCells(int headers, int at, CellAt cellAt) {
    QList<QAccessibleInterface*> cells;
    if (at >= headers)
        for (int i = 0; i < headers; ++i)
            cells.append(cellAt(i));
    return cells;
}

} // namespace

// ---- any table

TAccessibleTable::TAccessibleTable(QWidget* widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role) {}

TAccessibleTable::~TAccessibleTable() {
    for (QAccessible::Id id : std::as_const(FCells))
        QAccessible::deleteAccessibleInterface(id);
}

int TAccessibleTable::CellIndex(int row, int col) const {
    const qint64 i = static_cast<qint64>(row) * columnCount() + col;
    return i < 0 || i > std::numeric_limits<int>::max() ? -1 : static_cast<int>(i);
}

QAccessible::State TAccessibleTable::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = !CellsEditable();
    return s;
}

int TAccessibleTable::childCount() const {
    return clampToInt(static_cast<qint64>(rowCount()) * columnCount());
}

QAccessibleInterface* TAccessibleTable::child(int index) const {
    const int cols = columnCount();
    if (index < 0 || cols <= 0) return nullptr;
    return cellAt(index / cols, index % cols);
}

int TAccessibleTable::indexOfChild(const QAccessibleInterface* child) const {
    auto* cell = child ? dynamic_cast<const QAccessibleTableCellInterface*>(child) : nullptr;
    if (!cell || child->parent() != this) return -1;
    return CellIndex(cell->rowIndex(), cell->columnIndex());
}

QAccessibleInterface* TAccessibleTable::childAt(int x, int y) const {
    // Few rows have a place on screen; a table that scrolls knows them better.
    for (int r = 0; r < std::min(rowCount(), 1000); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (CellRect(r, c).contains(x, y)) return cellAt(r, c);
    return nullptr;
}

void* TAccessibleTable::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessibleInterface* TAccessibleTable::cellAt(int row, int column) const {
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return nullptr;
    const qint64 key = cellKey(row, column);
    if (auto it = FCells.constFind(key); it != FCells.cend())
        if (QAccessibleInterface* cell = QAccessible::accessibleInterface(*it)) return cell;
    auto* cell = new TAccessibleTableCell(widget(), row, column);
    FCells.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

QString TAccessibleTable::columnDescription(int column) const {
    return HeaderRows() > 0 ? CellText(0, column) : QString();
}

// ---- string grid

TAccessibleGrid::TAccessibleGrid(TStringGrid* grid) : TAccessibleTable(grid, QAccessible::Table) {}

TStringGrid* TAccessibleGrid::Grid() const {
    return static_cast<TStringGrid*>(widget());
}

QString TAccessibleGrid::CellText(int row, int col) const {
    return Grid()->Cells(col, row);
}

QString TAccessibleGrid::CellDescription(int row, int) const {
    return Grid()->RowMark(row);
}

int TAccessibleGrid::HeaderRows() const {
    return Grid()->FixedRows();
}

int TAccessibleGrid::HeaderCols() const {
    return Grid()->FixedCols();
}

QRect TAccessibleGrid::CellRect(int row, int col) const {
    const QRect local = Grid()->CellRect(col, row).ToQRect();
    if (local.isEmpty()) return {};
    return local.translated(Grid()->viewport()->mapToGlobal(QPoint(0, 0)));
}

bool TAccessibleGrid::CellSelected(int row, int col) const {
    return shownSelection(Grid()).Contains(col, row);
}

bool TAccessibleGrid::CellCurrent(int row, int col) const {
    return Grid()->Row() == row && Grid()->Col() == col;
}

bool TAccessibleGrid::CellsEditable() const {
    return Grid()->Options() & goEditing;
}

QAccessibleInterface* TAccessibleGrid::childAt(int x, int y) const {
    const QPoint p = Grid()->viewport()->mapFromGlobal(QPoint(x, y));
    int col, row;
    return Grid()->MouseToCell(p.x(), p.y(), col, row) ? cellAt(row, col) : nullptr;
}

QAccessibleInterface* TAccessibleGrid::focusChild() const {
    return cellAt(Grid()->Row(), Grid()->Col());
}

int TAccessibleGrid::columnCount() const {
    return Grid()->ColCount();
}

int TAccessibleGrid::rowCount() const {
    return Grid()->RowCount();
}

int TAccessibleGrid::selectedCellCount() const {
    const TGridRect s = shownSelection(Grid());
    return clampToInt(static_cast<qint64>(s.Right - s.Left + 1) * (s.Bottom - s.Top + 1));
}

QList<QAccessibleInterface*> TAccessibleGrid::selectedCells() const {
    const TGridRect s = shownSelection(Grid());
    QList<QAccessibleInterface*> cells;
    for (int r = s.Top; r <= s.Bottom; ++r)
        for (int c = s.Left; c <= s.Right; ++c)
            cells.append(cellAt(r, c));
    return cells;
}

QList<int> TAccessibleGrid::selectedColumns() const {
    const TGridRect s = shownSelection(Grid());
    return indicesWhere(s.Left, s.Right, [this](int c) { return isColumnSelected(c); });
}

QList<int> TAccessibleGrid::selectedRows() const {
    const TGridRect s = shownSelection(Grid());
    return indicesWhere(s.Top, s.Bottom, [this](int r) { return isRowSelected(r); });
}

bool TAccessibleGrid::isColumnSelected(int column) const {
    const TGridRect s = shownSelection(Grid());
    return s.Top == 0 && s.Bottom == Grid()->RowCount() - 1 && column >= s.Left &&
           column <= s.Right;
}

bool TAccessibleGrid::isRowSelected(int row) const {
    const TGridRect s = shownSelection(Grid());
    return s.Left == 0 && s.Right == Grid()->ColCount() - 1 && row >= s.Top && row <= s.Bottom;
}

// ---- cell

TAccessibleTableCell::TAccessibleTableCell(QWidget* table, int row, int col)
    : FTable(table), FRow(row), FCol(col) {}

TAccessibleTable* TAccessibleTableCell::tableInterface() const {
    return FTable ? dynamic_cast<TAccessibleTable*>(QAccessible::queryAccessibleInterface(FTable))
                  : nullptr;
}

bool TAccessibleTableCell::isValid() const {
    const TAccessibleTable* t = tableInterface();
    return t && FRow < t->rowCount() && FCol < t->columnCount();
}

QWindow* TAccessibleTableCell::window() const {
    return FTable ? FTable->window()->windowHandle() : nullptr;
}

QAccessibleInterface* TAccessibleTableCell::parent() const {
    return tableInterface();
}

QAccessibleInterface* TAccessibleTableCell::table() const {
    return tableInterface();
}

QString TAccessibleTableCell::text(QAccessible::Text t) const {
    if (!isValid()) return {};
    if (t == QAccessible::Name) return tableInterface()->CellText(FRow, FCol);
    if (t == QAccessible::Description) return tableInterface()->CellDescription(FRow, FCol);
    return {};
}

QRect TAccessibleTableCell::rect() const {
    return isValid() ? tableInterface()->CellRect(FRow, FCol) : QRect();
}

QAccessible::Role TAccessibleTableCell::role() const {
    const TAccessibleTable* t = tableInterface();
    if (t && FRow < t->HeaderRows()) return QAccessible::ColumnHeader;
    if (t && FCol < t->HeaderCols()) return QAccessible::RowHeader;
    return QAccessible::Cell;
}

QAccessible::State TAccessibleTableCell::state() const {
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    const TAccessibleTable* t = tableInterface();
    s.selectable = true;
    s.selected = t->CellSelected(FRow, FCol);
    s.focusable = FTable->focusPolicy() != Qt::NoFocus;
    s.focused = FTable->hasFocus() && t->CellCurrent(FRow, FCol);
    s.active = t->CellCurrent(FRow, FCol);
    s.readOnly = !t->CellsEditable();
    s.offscreen = t->CellRect(FRow, FCol).isEmpty();
    return s;
}

void* TAccessibleTableCell::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
}

bool TAccessibleTableCell::isSelected() const {
    return isValid() && tableInterface()->CellSelected(FRow, FCol);
}

QList<QAccessibleInterface*> TAccessibleTableCell::columnHeaderCells() const {
    const TAccessibleTable* t = tableInterface();
    if (!t) return {};
    return headerCells(t->HeaderRows(), FRow, [&](int r) { return t->cellAt(r, FCol); });
}

QList<QAccessibleInterface*> TAccessibleTableCell::rowHeaderCells() const {
    const TAccessibleTable* t = tableInterface();
    if (!t) return {};
    return headerCells(t->HeaderCols(), FCol, [&](int c) { return t->cellAt(FRow, c); });
}
