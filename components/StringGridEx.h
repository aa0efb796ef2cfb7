#pragma once
// A string grid with one definition per column: caption, colours, fonts,
// alignment, editing and input rules per column, optional striped rows, and
// an in-place editor tuned to the column being edited.
#include "Change.h"
#include "DisplayFormat.h"
#include "GridColumnLogic.h"
#include "StringGrid.h"

#include <memory>
#include <vector>

class TStringGridEx;
class TGridColumns;

// One column definition. It belongs to a TGridColumns collection, which
// belongs to a grid; its two fonts are its own.
class TGridColumn {
public:
    // Appends a definition to `collection`, coloured like the grid and with
    // copies of the grid's font. Use TGridColumns::Add.
    explicit TGridColumn(TGridColumns* collection);
    ~TGridColumn();
    TGridColumn(const TGridColumn&) = delete;
    TGridColumn& operator=(const TGridColumn&) = delete;

    TGridColumns* Collection() const { return FCollection; }
    int Index() const;

    TAlignment Alignment() const { return FProps.Alignment; }
    void SetAlignment(TAlignment v) { set(FProps.Alignment, v); }
    bool CanEdit() const { return FProps.CanEdit; }
    void SetCanEdit(bool v) { FProps.CanEdit = v; }
    TColor Color() const { return FProps.Color; }
    void SetColor(TColor v) { set(FProps.Color, v); }
    QString Caption() const { return FProps.Caption; }
    // An empty caption is kept as a single blank.
    void SetCaption(const QString& v);
    TInputDataType DataType() const { return FProps.DataType; }
    void SetDataType(TInputDataType v) { FProps.DataType = v; }
    QString DisplayMask() const { return FProps.DisplayMask; }
    void SetDisplayMask(const QString& v) { FProps.DisplayMask = v; }
    // The column's own font objects: changing them repaints the grid.
    TFont& FixCellFont() { return FProps.FixCellFont; }
    const TFont& FixCellFont() const { return FProps.FixCellFont; }
    void SetFixCellFont(const TFont& f);
    TFont& Font() { return FProps.Font; }
    const TFont& Font() const { return FProps.Font; }
    void SetFont(const TFont& f);
    TImeMode ImeMode() const { return FProps.ImeMode; }
    void SetImeMode(TImeMode v) { FProps.ImeMode = v; }
    bool MultiLine() const { return FProps.MultiLine; }
    void SetMultiLine(bool v) { FProps.MultiLine = v; }
    bool Wordwrap() const { return FProps.Wordwrap; }
    void SetWordwrap(bool v) { set(FProps.Wordwrap, v); }

    // All eleven properties at once (the fonts by their attributes).
    const GridColumnProps& Props() const { return FProps; }
    // Copies all eleven properties of another definition and repaints. Any
    // other kind of source does not compile: there is nothing to take from it.
    void Assign(const TGridColumn& source);
    void AssignProps(const GridColumnProps& props);
    template <class T> void Assign(const T&) = delete;

private:
    // Stores a property; only a real change notifies.
    template <class T, class U> void set(T& field, U&& v) {
        if (Change(field, std::forward<U>(v))) repaint();
    }
    void repaint();
    TGridColumns* FCollection;
    GridColumnProps FProps;
};

// The grid's column definitions. With SyncColCount set, every change of the
// collection as a whole (items added or removed, a new set assigned) makes
// the grid's ColCount follow the item count; every change repaints the grid.
class TGridColumns {
public:
    explicit TGridColumns(TStringGridEx* grid);
    ~TGridColumns();
    TGridColumns(const TGridColumns&) = delete;
    TGridColumns& operator=(const TGridColumns&) = delete;

    // The owner, for the stored layout.
    TStringGridEx* Grid() const { return FGrid; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TGridColumn* Items(int index) const;
    TGridColumn* operator[](int index) const { return Items(index); }
    // Appends a definition with the default values.
    TGridColumn* Add();
    // Frees the item at `index`.
    void Delete(int index);
    void Clear();
    // Replaces all definitions by copies of `source`'s (one change).
    void Assign(const TGridColumns& source);
    // Replaces all definitions by new ones with these values (one change).
    void Assign(const std::vector<GridColumnProps>& definitions);

    // Changes inside an update lock are announced once, at the outermost
    // EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    bool SyncColCount = true;

private:
    friend class TGridColumn;
    void changed();
    void update();
    TStringGridEx* FGrid;
    std::vector<std::unique_ptr<TGridColumn>> FItems;
    int FUpdateCount = 0;
    bool FPendingChange = false;
};

// The in-place editor of TStringGridEx.
class TInplaceEditEx : public TInplaceEdit {
    Q_OBJECT
public:
    explicit TInplaceEditEx(TStringGrid* grid);

    // Input-method mode. Under X11/Wayland there is no per-window IME state to
    // switch; imDisable turns input methods off for the editor, imClose and the
    // alphanumeric modes ask for Latin input, the others leave the input
    // method free.
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode v);
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool v) { FMultiLine = v; }
    // Wrapping at the right edge instead of scrolling sideways. A change
    // re-creates the edit window's wrapping mode.
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    // How often the wrapping mode was re-created (for tests).
    int RecreateCount() const { return FRecreateCount; }

    void KeyDown(int& key, TShiftState shift) override;
    void KeyPress(QChar& ch) override;

private:
    void caretToEnd();
    TImeMode FImeMode = imDontCare;
    bool FMultiLine = false;
    bool FWordWrap = false;
    int FRecreateCount = 0;
};

class TStringGridEx : public TStringGrid {
    Q_OBJECT
public:
    explicit TStringGridEx(QWidget* parent = nullptr);
    ~TStringGridEx() override;

    TGridColumns& GridColumns() { return *FGridColumns; }
    const TGridColumns& GridColumns() const { return *FGridColumns; }
    // Copies the given definitions into the grid's own collection.
    void SetGridColumns(const TGridColumns& source);
    TGridStyle GridStyle() const { return FGridStyle; }
    void SetGridStyle(TGridStyle v) { set(FGridStyle, v); }
    TColor StripeColor() const { return FStripeColor; }
    void SetStripeColor(TColor v) { set(FStripeColor, v); }

    // Background of a cell, for painting and for the editor.
    TColor GetCellColor(int col, int row) const;
    static QString FormatDisplayText(const QString& text, const QString& mask) {
        return ::FormatDisplayText(text, mask);
    }
    // The definition of a column, or nullptr when it has none.
    TGridColumn* ColumnDef(int col) const;
    TInplaceEditEx* InplaceEditorEx() const;

    // Repaints the whole grid (the columns' setters use this).
    void Repaint();
    // Whole-grid repaints asked for so far (for tests of the setters).
    int RepaintCount() const { return FRepaintCount; }
    // Typed characters refused so far (the toolkit editor beeps for each).
    int RefusedKeyCount() const { return FRefusedKeyCount; }

    void KeyDown(int& key, TShiftState shift) override;
    void KeyPress(QChar& ch) override;

protected:
    void DrawCell(TCanvas& canvas, int col, int row, TRect rect, TGridDrawState state) override;
    TColor CellBackground(int col, int row, TGridDrawState state) const override;
    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString& value) override;
    bool CanEditAcceptKey(QChar key) override;
    bool CanEditModify() override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    TInplaceEdit* CreateEditor() override;
    void UpdateEditor() override;

private:
    // Stores a property; only a real change notifies.
    template <class T, class U> void set(T& field, U&& v) {
        if (Change(field, std::forward<U>(v))) Repaint();
    }
    const GridColumnProps* columnProps(int col) const;
    std::unique_ptr<TGridColumns> FGridColumns;
    TGridStyle FGridStyle = gsNormal;
    TColor FStripeColor = clWindow;
    int FRepaintCount = 0;
    int FRefusedKeyCount = 0;
};

// The ten column definitions of the main window's lap grid.
std::vector<GridColumnProps> LapGridColumnDefinitions();
// Gives `grid` the main window's lap grid layout (StringGridEx1): size, colours
// and the ten column definitions.
void LoadLapGridLayout(TStringGridEx* grid);
