#pragma once
#include "Application.h"
#include "Canvas.h"
#include "Font.h"
#include "TColor.h"

#include <QAbstractScrollArea>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <span>
#include <vector>

// Grid options.
enum : unsigned {
    goFixedVertLine = 0x1,
    goFixedHorzLine = 0x2,
    goVertLine = 0x4,
    goHorzLine = 0x8,
    goRangeSelect = 0x10,
    goDrawFocusSelected = 0x20,
    goRowSizing = 0x40,
    goColSizing = 0x80,
    goRowMoving = 0x100,
    goColMoving = 0x200,
    goEditing = 0x400,
    goTabs = 0x800,
    goRowSelect = 0x1000,
    goAlwaysShowEditor = 0x2000,
    goThumbTracking = 0x4000,
};
using TGridOptions = unsigned;
constexpr TGridOptions DefaultGridOptions =
    goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;

// Drawing state of a cell.
enum : unsigned { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
using TGridDrawState = unsigned;

// A block of cells, inclusive on all sides (cell coordinates).
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr bool operator==(const TGridRect&) const = default;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Modifier keys of a key or mouse event.
enum : unsigned {
    ssShift = 0x1,
    ssAlt = 0x2,
    ssCtrl = 0x4,
    ssLeft = 0x8,
    ssRight = 0x10,
    ssMiddle = 0x20
};
using TShiftState = unsigned;

// Virtual key codes used by the grid and its editor.
enum : int {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_F2 = 113,
};
// The virtual key of a Qt key event (0 when it has none).
int VirtualKeyOf(int qtKey);
TShiftState ShiftStateOf(Qt::KeyboardModifiers m);
// The Qt key of a virtual key (0 when none).
int QtKeyOf(int virtualKey);
// The character a key event types, as the classic key-press handling sees it:
// Backspace #8, Tab #9, Enter #13, Escape #27, Ctrl+letter #1..#26, else the
// event's text (a null QChar when it types nothing).
QChar KeyCharOf(const QKeyEvent* e);

class TStringGrid;

// The grid's in-place editor: a multi-line edit window over the current cell.
class TInplaceEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit(TStringGrid* grid);
    TStringGrid* Grid() const { return FGrid; }

    QString Text() const;
    void SetText(const QString& t);
    int SelStart() const;      // caret position (characters)
    void SetSelStart(int pos); // caret there, nothing selected
    int SelLength() const;
    void SelectAll();
    TColor Color() const { return FColor; }
    void SetColor(TColor c);
    void SetEditFont(const TFont& f);
    // Wrapping at the right edge instead of scrolling sideways.
    bool AutoHScroll() const { return FAutoHScroll; }
    void SetAutoHScroll(bool on);

    // Hooks for editors derived from this one. Setting key to 0 (or ch to a
    // null QChar) swallows the key.
    virtual void KeyDown(int& key, TShiftState shift);
    virtual void KeyPress(QChar& ch);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    // Text committed by an input method goes through KeyPress character by
    // character, like typed keys.
    void inputMethodEvent(QInputMethodEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void textEdited();
    void applyChar(QChar c);
    bool leftSide() const;
    bool rightSide() const;
    TStringGrid* FGrid;
    TColor FColor = clWindow;
    bool FAutoHScroll = true;
    bool FSettingText = false;
    int FInKey = 0;              // nesting of keyPressEvent
    bool FPendingChange = false; // text changed while a key was handled
    friend class TStringGrid;
};

// A grid of text cells that paints itself. Cells live independently of
// RowCount and ColCount: a write beyond the shown rows or columns is kept (and
// shown again once the grid grows), never out of bounds.
class TStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    // Cells. Reads of cells never written, or at negative indices, give "".
    QString Cells(int col, int row) const;
    // The same text without a copy of the string (whose shared count every
    // copy would change): for reading many cells in a row, as the CSV writer
    // does. Valid until the cell is next changed.
    QStringView CellView(int col, int row) const {
        const QString* c = storedCell(col, row);
        return c ? QStringView(*c) : QStringView();
    }
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

    int ColCount() const { return FColCount; }
    void SetColCount(int v);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int v); // below FixedRows + 1 lowers FixedRows
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int v);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int v);

    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int v);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int v);
    int ColWidths(int col) const;
    void SetColWidths(int col, int w);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int h);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int v);

    // First scrollable row and column shown.
    int TopRow() const { return FTopRow; }
    void SetTopRow(int v);
    int LeftCol() const { return FLeftCol; }
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
    void SetScrollBars(TScrollStyle v);

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
    // Renders the whole widget into an image, for tests and screenshots.
    QImage Render();

    std::function<void(TStringGrid* sender, int col, int row, TRect rect, TGridDrawState state)>
        OnDrawCell;
    TNotifyEvent OnClick;

    // Key handling the editor hands on (arrow keys, Tab, Enter...).
    virtual void KeyDown(int& key, TShiftState shift);
    virtual void KeyPress(QChar& ch);

    // Cells ever stored (rows of storage), for tests of the storage rule.
    int StoredRowCount() const { return static_cast<int>(FCells.size()); }

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

private:
    struct Layout {
        int ClientWidth = 0, ClientHeight = 0;
        bool HBar = false, VBar = false;
    };
    struct Span {
        int Index, Pos, Size;
    };
    Layout layout() const;
    int colExtent(int col) const;
    int rowExtent(int row) const;
    int vertLineWidth() const;
    int horzLineWidth() const;
    bool colsFit(int width) const;
    bool rowsFit(int height) const;
    int fixedWidth() const;
    int fixedHeight() const;
    int maxTopRow(int clientHeight) const;
    int maxLeftCol(int clientWidth) const;
    std::vector<Span> visibleCols(int clientWidth) const;
    std::vector<Span> visibleRows(int clientHeight) const;
    void initializeCurrent();
    void clampTopLeft();
    void moveCurrent(int col, int row, bool moveAnchor, bool show);
    void scrollIntoView(int col, int row);
    bool canEditShow() const;
    void updateEdit();
    void placeEditor();
    void showEditorChar(QChar ch);
    bool hasGridFocus() const;
    void updateScrollBars();
    void clampCurrent();
    std::vector<std::vector<QString>> FCells; // [row][col], grown on write
    // The stored string of a cell, or null for a cell never stored.
    const QString* storedCell(int col, int row) const {
        if (col < 0 || row < 0 || size_t(row) >= FCells.size()) return nullptr;
        const auto& r = FCells[size_t(row)];
        return size_t(col) < r.size() ? &r[size_t(col)] : nullptr;
    }
    int FColCount = 5, FRowCount = 5, FFixedCols = 1, FFixedRows = 1;
    int FDefaultColWidth = 64, FDefaultRowHeight = 24, FGridLineWidth = 1;
    std::vector<int> FColWidths, FRowHeights; // -1 = default
    int FTopRow = 1, FLeftCol = 1;
    int FCol = 1, FRow = 1, FAnchorCol = 1, FAnchorRow = 1;
    TGridOptions FOptions = DefaultGridOptions;
    TColor FColor = clWindow, FFixedColor = clBtnFace;
    TFont FFont;
    bool FDefaultDrawing = true;
    TScrollStyle FScrollBars = ssBoth;
    TInplaceEdit* FEditor = nullptr;
    bool FEditorMode = false;
    bool FUpdatingScroll = false;
    int FEditCol = -1, FEditRow = -1; // cell the editor is loaded with
    QString FEditOrigText;            // its text when loaded, for Escape
    bool FSelecting = false;          // left button held after a press on a data cell
    friend class TInplaceEdit;
};
