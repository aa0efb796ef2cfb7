#pragma once
#include "CellStore.h"
#include "Change.h"
#include "Events.h"
#include "Font.h"
#include "GridAxis.h"
#include "GridTypes.h"
#include "InplaceEdit.h"
#include "Keys.h"
#include "Rect.h"
#include "TColor.h"

#include <QAbstractScrollArea>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <vector>

class TCanvas;

// Rows whose mark differs between two sets of row marks (added, removed or
// described anew), ascending: what a change of marks must repaint.
std::vector<int> ChangedMarkRows(const std::map<int, QString>& before,
                                 const std::map<int, QString>& after);
// The colour a row mark is drawn in over a cell of `background`: black over
// light cells, yellow over dark ones, so that the mark reads on every column
// colour and on the selection.
TColor RowMarkColor(TColor background);
// Thickness of a row mark's frame.
constexpr int RowMarkWidth = 2;

// A grid of text cells that paints itself. Cells live independently of
// RowCount and ColCount: a write beyond the shown rows or columns is kept (and
// shown again once the grid grows), never out of bounds.
class TStringGrid : public QAbstractScrollArea, public TInplaceEditHost {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    // Cells. Reads of cells never written, or at negative indices, give "".
    QString Cells(int col, int row) const;
    // The same text without a copy of the string (whose shared count every
    // copy would change): for reading many cells in a row, as the CSV writer
    // does. Valid until the cell is next changed.
    QStringView CellView(int col, int row) const { return FCells.View(col, row); }
    void SetCells(int col, int row, const QString& text);
    // Stores cells[i] at column firstCol + i of `row`, exactly as SetCells
    // from the last of them back to the first would, but sizing the row once
    // and moving the strings in: for reading whole rows at once. The strings
    // of `cells` are left unspecified. Nothing is stored at negative indices.
    // Only sizing the storage can throw, and it does so before any cell changes.
    void StoreRowCells(int row, int firstCol, std::span<QString> cells);
    // Sets row `row` from one comma text by the row-text rule (ColCount cells).
    void SetRowText(int row, const QString& commaText);
    // The ColCount cells of a row.
    QStringList RowCells(int row) const;
    // Empties every cell of a column, in every row ever written.
    void ClearColumn(int col);
    // Exchanges the complete contents of two rows (all columns ever written).
    void ExchangeRows(int a, int b);

    int ColCount() const { return FCols.Count(); }
    void SetColCount(int v);
    int RowCount() const { return FRows.Count(); }
    void SetRowCount(int v); // below FixedRows + 1 lowers FixedRows
    int FixedCols() const { return FCols.Fixed(); }
    void SetFixedCols(int v);
    int FixedRows() const { return FRows.Fixed(); }
    void SetFixedRows(int v);

    int DefaultColWidth() const { return FCols.DefaultSize(); }
    void SetDefaultColWidth(int v);
    int DefaultRowHeight() const { return FRows.DefaultSize(); }
    void SetDefaultRowHeight(int v);
    int ColWidths(int col) const { return FCols.Size(col); }
    void SetColWidths(int col, int w);
    int RowHeights(int row) const { return FRows.Size(row); }
    void SetRowHeights(int row, int h);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int v);

    // First scrollable row and column shown.
    int TopRow() const { return FRows.First(); }
    void SetTopRow(int v);
    int LeftCol() const { return FCols.First(); }
    void SetLeftCol(int v);
    // Scrollable rows (columns) that fit wholly in the view from TopRow
    // (LeftCol), never counting past the last row (column).
    int VisibleRowCount() const;
    int VisibleColCount() const;

    // Current cell and selection.
    int Col() const { return FCol; }
    void SetCol(int v);
    int Row() const { return FRow; }
    void SetRow(int v);
    TGridRect Selection() const;
    // Anchor cell and current cell: the selection spans both.
    void SetSelection(const TGridRect& r);
    // Makes (col,row) current, scrolls it into view and raises OnClick.
    void FocusCell(int col, int row, bool moveAnchor = true);

    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor v);
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& f) { FFont.Assign(f); }
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool v);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v) {
        if (Change(FScrollBars, v)) extentsChanged();
    }

    // Marked rows, each with why it is marked (an empty description is no
    // mark). A marked row is framed across all its columns; its cells keep
    // their text, so copies and exports never see a mark. The marks stay
    // with the row indices: whoever moves rows sets them anew.
    void SetRowMarks(std::map<int, QString> rowToDescription);
    const std::map<int, QString>& RowMarks() const { return FRowMarks; }
    // Why a row is marked; empty when it is not.
    QString RowMark(int row) const;

    // Rectangle of a cell in viewport coordinates (empty when not shown).
    TRect CellRect(int col, int row) const;
    // Cell under a viewport point; false when none.
    bool MouseToCell(int x, int y, int& col, int& row) const;

    // Editing.
    bool EditorMode() const;
    void SetEditorMode(bool on);
    void ShowEditor();
    void HideEditor(); // stores the text and leaves editing mode
    TInplaceEdit* InplaceEditor() const { return FEditor; }

    // Draws the visible part of the grid (the paint event calls this).
    void PaintGrid(QPainter& painter);
    // Sets the scroll bars left unset while the grid painted nothing.
    void SyncScrollBars();
    // Renders the whole widget into an image, for tests and screenshots.
    QImage Render();

    std::function<void(TStringGrid* sender, int col, int row, TRect rect, TGridDrawState state)>
        OnDrawCell;
    TNotifyEvent OnClick;

    // Key handling the editor hands on (arrow keys, Tab, Enter...).
    virtual void KeyDown(int& key, TShiftState shift);
    virtual void KeyPress(QChar& ch);

    // Cells ever stored (rows of storage), for tests of the storage rule.
    int StoredRowCount() const { return FCells.RowCount(); }

protected:
    // Draws one cell. The default fills and draws the text.
    virtual void DrawCell(TCanvas& canvas, int col, int row, TRect rect, TGridDrawState state);
    // The text the editor is loaded with for a cell.
    virtual QString GetEditText(int col, int row);
    // Stores the editor's text (on every change and when the editor closes).
    virtual void SetEditText(int col, int row, const QString& value);
    // Whether the editor takes a typed character (a refused one beeps).
    virtual bool CanEditAcceptKey(QChar key);
    // Whether the editor may change the current cell.
    virtual bool CanEditModify();
    // The colour a cell's background shows, which its row mark must stand
    // out from. Grids that fill cells themselves tell theirs.
    virtual TColor CellBackground(int col, int row, TGridDrawState state) const;
    // Called after ColCount or RowCount changed.
    virtual void SizeChanged(int oldColCount, int oldRowCount);
    // Creates the in-place editor (derived grids make their own kind).
    virtual TInplaceEdit* CreateEditor();
    // Loads the editor for the current cell (font, colour, text).
    virtual void UpdateEditor();

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

    void InvalidateGrid();
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);

private:
    // What the editor asks of its grid.
    TStringGrid* EditorGrid() override { return this; }
    QWidget* EditorParent() override { return viewport(); }
    void EditorTextEdited(const QString& text) override;
    void EditorKeyDown(int& key, TShiftState shift) override { KeyDown(key, shift); }
    void EditorKeyPress(QChar& ch) override { KeyPress(ch); }
    bool EditorAlwaysShown() const override { return FOptions & goAlwaysShowEditor; }
    bool EditorMayModify() override { return CanEditModify(); }
    bool EditorAcceptsKey(QChar ch) override { return CanEditAcceptKey(ch); }
    void EditorFocusChanged() override { InvalidateGrid(); }

    struct Layout {
        int ClientWidth = 0, ClientHeight = 0;
        bool HBar = false, VBar = false;
    };
    Layout layout() const;
    // Width of the line after each column (row): 0 when those lines are off.
    int colLine() const;
    int rowLine() const;
    void initializeCurrent();
    void clampTopLeft();
    // After a change of sizes, line width or scroll bars: the view, its
    // scroll bars, the picture and the editor follow.
    void extentsChanged();
    // After a change of the fixed counts: back to the first scrollable cell.
    void fixedChanged();
    // Sets the count of one direction (at least 1, the fixed ones below it);
    // the old count, or nothing when it stays.
    std::optional<int> setCount(TGridAxis& axis, int v);
    // After a change of a count.
    void countChanged(int oldColCount, int oldRowCount);
    // Sets TopRow or LeftCol of one direction, clamped to its range.
    void setFirst(TGridAxis& axis, int v, int client, int line);
    void moveCurrent(int col, int row, bool moveAnchor, bool show);
    // Tells the active tools that the current cell moved or was written and
    // selected anew: the cell becomes the table's active descendant and is
    // selected, and the focused one when the grid has the keyboard focus.
    void announceCurrentCell();
    // Tells the active tools that the cells of these rows are described anew.
    void announceMarks(const std::vector<int>& rows);
    void scrollIntoView(int col, int row);
    bool canEditShow() const;
    void updateEdit();
    void placeEditor();
    void showEditorChar(QChar ch);
    bool hasGridFocus() const;
    void updateScrollBars();
    void clampCurrent();
    // Stores a changed value of an appearance property and repaints.
    template <class T> void repaintingSet(T& field, T v);

    // What every cell painted in one pass shares.
    struct PaintPass {
        TGridRect Selection;
        bool Focused = false, EditorShown = false;
        int ColLine = 0, RowLine = 0;
    };
    // The steps of painting one cell, in their order.
    TGridDrawState cellState(const PaintPass& pass, int col, int row) const;
    void paintCell(TCanvas& canvas, const PaintPass& pass, const TGridSpan& cs,
                   const TGridSpan& rs);
    void drawCellBackground(TCanvas& canvas, const TRect& rect, int col, int row,
                            TGridDrawState state) const;
    // Whether a data cell shows the selection colour.
    bool highlighted(TGridDrawState state) const;
    void drawFixedEdge(TCanvas& canvas, const TRect& rect) const;
    void drawRowMark(TCanvas& canvas, const TRect& rect, int col, int row,
                     TGridDrawState state) const;
    void drawCellLines(TCanvas& canvas, const PaintPass& pass, const TRect& rect, bool fixed) const;
    void drawFocusFrame(TCanvas& canvas, const PaintPass& pass, const TRect& rect,
                        TGridDrawState state) const;
    // Whatever lies beyond the last column and row shows the grid's colour.
    void fillBeyondCells(TCanvas& canvas, const Layout& l, const std::vector<TGridSpan>& cols,
                         const std::vector<TGridSpan>& rows, const PaintPass& pass) const;

    TCellStore FCells;
    TGridAxis FCols{5, 1, 64}, FRows{5, 1, 24};
    int FGridLineWidth = 1;
    int FCol = 1, FRow = 1, FAnchorCol = 1, FAnchorRow = 1;
    TGridOptions FOptions = DefaultGridOptions;
    TColor FColor = clWindow, FFixedColor = clBtnFace;
    TFont FFont;
    bool FDefaultDrawing = true;
    TScrollStyle FScrollBars = ssBoth;
    TInplaceEdit* FEditor = nullptr;
    bool FEditorMode = false;
    bool FUpdatingScroll = false;
    bool FScrollBarsStale = false;    // left while the grid painted nothing
    int FEditCol = -1, FEditRow = -1; // cell the editor is loaded with
    QString FEditOrigText;            // its text when loaded, for Escape
    bool FSelecting = false;          // left button held after a press on a data cell
    std::map<int, QString> FRowMarks; // only non-empty descriptions
};
