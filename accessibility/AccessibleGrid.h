#pragma once
// Tables as assistive tools see them: the string grids, and whatever else
// shows rows of values.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

class TStringGrid;

// A table of text cells on a widget: the rows and columns are the widget's
// own, header rows included, so that a tool's row 3 is the widget's row 3.
// A cell's child index is row * columns + column, as the widgets themselves
// count when they announce a cell (TStringGrid), so the two must not differ.
// Header rows hold column headers, header columns row headers. Cells are made
// when a tool first asks for them and live as long as the table's interface,
// so a table of 100 000 rows costs nothing until read.
class TAccessibleTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    TAccessibleTable(QWidget* widget, QAccessible::Role role);
    ~TAccessibleTable() override;

    // What a table says about its cells.
    virtual QString CellText(int row, int col) const = 0;
    // What a tool reads as the cell's description: empty unless the table
    // has something to say of the cell beyond its text.
    virtual QString CellDescription(int, int) const { return {}; }
    virtual int HeaderRows() const { return 1; }
    virtual int HeaderCols() const { return 0; }
    // A cell's rectangle in screen coordinates (empty when not shown).
    virtual QRect CellRect(int, int) const { return {}; }
    virtual bool CellSelected(int, int) const { return false; }
    virtual bool CellCurrent(int, int) const { return false; }
    virtual bool CellsEditable() const { return false; }

    // The index of a cell among the children, or -1 beyond what an int holds.
    int CellIndex(int row, int col) const;

    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return static_cast<int>(selectedColumns().size()); }
    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    // The selection is the program's: a tool reads it but does not set it.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    mutable QHash<qint64, QAccessible::Id> FCells;
};

// A string grid, with its current cell and selection.
class TAccessibleGrid : public TAccessibleTable {
public:
    explicit TAccessibleGrid(TStringGrid* grid);

    // The text a cell shows. The default is the stored text; grids that draw
    // something else (a column caption, a display mask) override it.
    QString CellText(int row, int col) const override;
    // Why the cell's row is marked, if it is.
    QString CellDescription(int row, int col) const override;
    int HeaderRows() const override;
    int HeaderCols() const override;
    QRect CellRect(int row, int col) const override;
    bool CellSelected(int row, int col) const override;
    bool CellCurrent(int row, int col) const override;
    bool CellsEditable() const override;
    TStringGrid* Grid() const;

    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    int columnCount() const override;
    int rowCount() const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
};

// One cell of a table.
class TAccessibleTableCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    TAccessibleTableCell(QWidget* table, int row, int col);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override { return FCol; }
    int rowIndex() const override { return FRow; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

private:
    TAccessibleTable* tableInterface() const;
    QPointer<QWidget> FTable;
    int FRow, FCol;
};
