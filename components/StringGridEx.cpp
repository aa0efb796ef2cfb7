#include "StringGridEx.h"

#include "Canvas.h"

#include <QTextCursor>

// --- TGridColumn ----------------------------------------------------------------

TGridColumn::TGridColumn(TGridColumns* collection) : FCollection(collection) {
    if (TStringGridEx* grid = collection->Grid()) {
        FProps.Color = grid->Color();
        FProps.Font = grid->Font();
        FProps.FixCellFont = grid->Font();
    }
    FProps.Font.OnChange = [this] { repaint(); };
    FProps.FixCellFont.OnChange = [this] { repaint(); };
}

TGridColumn::~TGridColumn() {
    FProps.Font.OnChange = nullptr;
    FProps.FixCellFont.OnChange = nullptr;
}

int TGridColumn::Index() const {
    for (int i = 0; i < FCollection->Count(); ++i)
        if (FCollection->Items(i) == this) return i;
    return -1;
}

void TGridColumn::repaint() {
    if (TStringGridEx* grid = FCollection->Grid()) grid->Repaint();
}

void TGridColumn::SetCaption(const QString& v) {
    if (FProps.Caption == v) return;
    FProps.Caption = v;
    // An empty caption would let the fixed cell fall back to nothing at all;
    // a blank keeps it visibly "set".
    if (FProps.Caption.isEmpty()) FProps.Caption = QStringLiteral(" ");
    repaint();
}

void TGridColumn::SetFixCellFont(const TFont& f) {
    FProps.FixCellFont.Assign(f);
    repaint();
}

void TGridColumn::SetFont(const TFont& f) {
    FProps.Font.Assign(f);
    repaint();
}

void TGridColumn::AssignProps(const GridColumnProps& p) {
    // The fonts are filled, never replaced, so their change handlers stay.
    FProps.Caption = p.Caption;
    FProps.Alignment = p.Alignment;
    FProps.DataType = p.DataType;
    FProps.DisplayMask = p.DisplayMask;
    FProps.CanEdit = p.CanEdit;
    FProps.Color = p.Color;
    FProps.FixCellFont.Assign(p.FixCellFont);
    FProps.Font.Assign(p.Font);
    FProps.ImeMode = p.ImeMode;
    FProps.MultiLine = p.MultiLine;
    FProps.Wordwrap = p.Wordwrap;
    repaint();
}

void TGridColumn::Assign(const TGridColumn& source) {
    if (&source == this) return;
    AssignProps(source.FProps);
}

// --- TGridColumns -----------------------------------------------------------------

TGridColumns::TGridColumns(TStringGridEx* grid) : FGrid(grid) {}

TGridColumns::~TGridColumns() {
    // No change notices while the grid itself is going away.
    FGrid = nullptr;
    FItems.clear();
}

TGridColumn* TGridColumns::Items(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return FItems[static_cast<size_t>(index)].get();
}

TGridColumn* TGridColumns::Add() {
    FItems.push_back(std::make_unique<TGridColumn>(this));
    TGridColumn* item = FItems.back().get();
    changed();
    return item;
}

void TGridColumns::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    FItems.erase(FItems.begin() + index);
    changed();
}

void TGridColumns::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    FItems.clear();
    FPendingChange = true;
    EndUpdate();
}

void TGridColumns::Assign(const TGridColumns& source) {
    if (&source == this) return;
    BeginUpdate();
    FItems.clear();
    for (const auto& item : source.FItems) {
        FItems.push_back(std::make_unique<TGridColumn>(this));
        FItems.back()->AssignProps(item->Props());
    }
    FPendingChange = true;
    EndUpdate();
}

void TGridColumns::Assign(const std::vector<GridColumnProps>& definitions) {
    BeginUpdate();
    FItems.clear();
    for (const GridColumnProps& p : definitions) {
        FItems.push_back(std::make_unique<TGridColumn>(this));
        FItems.back()->AssignProps(p);
    }
    FPendingChange = true;
    EndUpdate();
}

void TGridColumns::BeginUpdate() {
    ++FUpdateCount;
}

void TGridColumns::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0 && FPendingChange) {
        FPendingChange = false;
        update();
    }
}

void TGridColumns::changed() {
    if (FUpdateCount > 0) {
        FPendingChange = true;
        return;
    }
    update();
}

void TGridColumns::update() {
    if (!FGrid) return;
    if (SyncColCount && Count() != FGrid->ColCount()) FGrid->SetColCount(Count());
    FGrid->Repaint();
}

// --- TInplaceEditEx ------------------------------------------------------------------

TInplaceEditEx::TInplaceEditEx(TStringGrid* grid) : TInplaceEdit(grid) {
    SetAutoHScroll(!FWordWrap);
    SetImeMode(FImeMode);
}

void TInplaceEditEx::SetImeMode(TImeMode v) {
    FImeMode = v;
    setAttribute(Qt::WA_InputMethodEnabled, v != imDisable);
    switch (v) {
    case imClose:
    case imSAlpha:
    case imAlpha:
        setInputMethodHints(Qt::ImhPreferLatin);
        break;
    default:
        setInputMethodHints(Qt::ImhNone);
        break;
    }
}

void TInplaceEditEx::SetWordWrap(bool v) {
    if (FWordWrap == v) return;
    FWordWrap = v;
    // Automatic sideways scrolling is what keeps long lines from wrapping.
    SetAutoHScroll(!FWordWrap);
    ++FRecreateCount;
}

void TInplaceEditEx::caretToEnd() {
    SetSelStart(static_cast<int>(Text().size()));
}

void TInplaceEditEx::KeyDown(int& key, TShiftState shift) {
    switch (DecideEditorKey(FMultiLine, key, shift)) {
    case EditorKeyAction::CloseEditor:
        Grid()->HideEditor();
        key = 0;
        return;
    case EditorKeyAction::EditWindowOnly:
        return;
    case EditorKeyAction::MoveGridCaretEnd: {
        int gridKey = key;
        Grid()->KeyDown(gridKey, 0);
        caretToEnd();
        key = 0;
        return;
    }
    case EditorKeyAction::EnterAsRight:
        key = VK_RIGHT;
        TInplaceEdit::KeyDown(key, shift);
        return;
    case EditorKeyAction::Inherited:
        TInplaceEdit::KeyDown(key, shift);
        return;
    }
}

void TInplaceEditEx::KeyPress(QChar& ch) {
    if (FMultiLine && ch == QChar(13)) ch = QChar(10);
    TInplaceEdit::KeyPress(ch);
}

// --- TStringGridEx ---------------------------------------------------------------------

TStringGridEx::TStringGridEx(QWidget* parent) : TStringGrid(parent) {
    SetDefaultRowHeight(20);
    FGridColumns = std::make_unique<TGridColumns>(this);
    FStripeColor = Color();
    SetColCount(4);
}

TStringGridEx::~TStringGridEx() {
    FGridColumns.reset();
}

void TStringGridEx::SetGridColumns(const TGridColumns& source) {
    FGridColumns->Assign(source);
    Repaint();
}

void TStringGridEx::Repaint() {
    ++FRepaintCount;
    InvalidateGrid();
}

TGridColumn* TStringGridEx::ColumnDef(int col) const {
    return FGridColumns ? FGridColumns->Items(col) : nullptr;
}

const GridColumnProps* TStringGridEx::columnProps(int col) const {
    const TGridColumn* c = ColumnDef(col);
    return c ? &c->Props() : nullptr;
}

TInplaceEditEx* TStringGridEx::InplaceEditorEx() const {
    return qobject_cast<TInplaceEditEx*>(InplaceEditor());
}

TColor TStringGridEx::GetCellColor(int col, int row) const {
    std::optional<TColor> columnColor;
    if (const TGridColumn* c = ColumnDef(col)) columnColor = c->Color();
    return GridCellColor(FGridStyle, Color(), FStripeColor, row, columnColor);
}

void TStringGridEx::DrawCell(TCanvas& canvas, int col, int row, TRect rect, TGridDrawState state) {
    // The toolkit grid has already selected its font and, with DefaultDrawing,
    // filled the cell; cells without a definition keep just that.
    CellDrawInput in;
    in.Row = row;
    in.Rect = rect;
    in.State = state;
    in.Text = Cells(col, row);
    in.DefaultDrawing = DefaultDrawing();
    in.Column = columnProps(col);
    in.CellColor = GetCellColor(col, row);
    const CellDrawPlan plan = PlanCellDraw(in);

    if (plan.Fill) {
        canvas.Brush.Color = plan.FillColor;
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(plan.FillRect);
    }
    if (plan.DrawsText) {
        canvas.Font = plan.Font;
        canvas.TransparentText = true;
        TRect textRect = plan.TextRect;
        canvas.DrawText(plan.Text, textRect, plan.Flags);
    }
    if (OnDrawCell) {
        const TRect eventRect = plan.EventRect;
        Dispatch([&] { OnDrawCell(this, col, row, eventRect, state); });
    }
}

TColor TStringGridEx::CellBackground(int col, int row, TGridDrawState state) const {
    // As DrawCell fills: a defined data cell keeps its colour even when selected.
    if (DefaultDrawing() && !(state & gdFixed) && columnProps(col)) return GetCellColor(col, row);
    return TStringGrid::CellBackground(col, row, state);
}

QString TStringGridEx::GetEditText(int col, int row) {
    return TStringGrid::GetEditText(col, row);
}

void TStringGridEx::UpdateEditor() {
    TStringGrid::UpdateEditor();
    TInplaceEditEx* editor = InplaceEditorEx();
    if (!editor) return;
    if (const TGridColumn* c = ColumnDef(Col())) {
        editor->SetImeMode(c->ImeMode());
        editor->SetEditFont(c->Font());
        editor->SetMultiLine(c->MultiLine());
        editor->SetWordWrap(c->Wordwrap());
    } else {
        editor->SetImeMode(imClose);
        editor->SetEditFont(Font());
    }
    editor->SetColor(GetCellColor(Col(), Row()));
}

void TStringGridEx::SetEditText(int col, int row, const QString& value) {
    const TGridColumn* c = ColumnDef(col);
    if (!c || c->DataType() != dtInteger) {
        TStringGrid::SetEditText(col, row, value);
        return;
    }
    if (const std::optional<QString> stored = IntegerStoredText(value)) {
        TStringGrid::SetEditText(col, row, *stored);
        return;
    }
    // Not an integer: the previous content wins and the caret goes back to
    // where the rejected character was typed.
    const QString previous = Cells(col, row);
    if (TInplaceEdit* editor = InplaceEditor()) {
        const int caret = editor->SelStart();
        editor->SetText(previous);
        editor->SetSelStart(std::max(0, caret - 1));
    }
    TStringGrid::SetEditText(col, row, previous);
}

bool TStringGridEx::CanEditAcceptKey(QChar key) {
    const bool accepted = ColumnAcceptsKey(columnProps(Col()), key);
    if (!accepted) ++FRefusedKeyCount;
    return accepted;
}

bool TStringGridEx::CanEditModify() {
    return ColumnMayModify(columnProps(Col()));
}

void TStringGridEx::SizeChanged(int oldColCount, int oldRowCount) {
    if (FGridColumns) {
        FGridColumns->SyncColCount = false;
        while (FGridColumns->Count() < ColCount())
            FGridColumns->Add();
        while (FGridColumns->Count() > ColCount())
            FGridColumns->Delete(FGridColumns->Count() - 1);
        FGridColumns->SyncColCount = true;
    }
    TStringGrid::SizeChanged(oldColCount, oldRowCount);
}

TInplaceEdit* TStringGridEx::CreateEditor() {
    return new TInplaceEditEx(this);
}

void TStringGridEx::KeyDown(int& key, TShiftState shift) {
    const int pressed = key;
    TStringGrid::KeyDown(key, shift);
    if (pressed != VK_F2) return;
    const TGridColumn* c = ColumnDef(Col());
    TInplaceEdit* editor = InplaceEditor();
    if (c && c->MultiLine() && editor) editor->SetSelStart(static_cast<int>(editor->Text().size()));
}

void TStringGridEx::KeyPress(QChar& ch) {
    const TGridColumn* c = ColumnDef(Col());
    if (ch != QChar(13) || !c || !c->MultiLine()) {
        TStringGrid::KeyPress(ch);
        return;
    }
    TStringGrid::KeyPress(ch);
    if (TInplaceEdit* editor = InplaceEditor())
        editor->SetSelStart(static_cast<int>(editor->Text().size()));
}

// --- The main window's lap grid ------------------------------------------------------------

std::vector<GridColumnProps> LapGridColumnDefinitions() {
    struct Def {
        const char* caption;
        TColor color;
        TColor fontColor;
        TColor fixFontColor;
    };
    static const Def defs[10] = {
        {"LAP", col::rgb(26, 122, 210), clWhite, clLime},
        {"Number", col::rgb(136, 106, 96), clWhite, clWhite},
        {"Total", clMaroon, clWhite, clWhite},
        {"LAPtime", col::rgb(26, 78, 149), clWhite, clWhite},
        {"LAP+-milli", col::rgb(136, 106, 96), clWhite, clWhite},
        {"Realtime", clMaroon, clWhite, clWhite},
        {"LAP milli", col::rgb(134, 63, 220), clLime, clLime},
        {"LAP Km/h", clMaroon, clWhite, clWhite},
        {"Ave milli", col::rgb(26, 78, 149), col::rgb(255, 176, 176), col::rgb(255, 176, 176)},
        {"Ave Km/h", clMaroon, clWhite, clWhite},
    };
    std::vector<GridColumnProps> out;
    out.reserve(10);
    for (int i = 0; i < 10; ++i) {
        const int charset = i == 0 ? SHIFTJIS_CHARSET : ANSI_CHARSET;
        GridColumnProps p;
        p.Alignment = taRightJustify;
        p.CanEdit = true;
        p.Caption = QString::fromUtf8(defs[i].caption);
        p.Color = defs[i].color;
        p.DataType = dtString;
        p.DisplayMask.clear();
        p.Font = TFont(QStringLiteral("Times New Roman"), -13, defs[i].fontColor, 0, charset);
        p.FixCellFont =
            TFont(QStringLiteral("Times New Roman"), -12, defs[i].fixFontColor, 0, charset);
        p.ImeMode = imDisable;
        p.Wordwrap = false;
        p.MultiLine = false;
        out.push_back(p);
    }
    return out;
}

void LoadLapGridLayout(TStringGridEx* grid) {
    grid->setObjectName(QStringLiteral("StringGridEx1"));
    grid->SetColCount(10);
    grid->SetRowCount(20);
    grid->SetFixedCols(0);
    grid->SetDefaultColWidth(73);
    grid->SetDefaultRowHeight(18);
    grid->SetColor(clBlack);
    grid->SetFixedColor(col::rgb(26, 122, 210));
    grid->SetStripeColor(clWindow);
    grid->SetGridStyle(gsNormal);
    // Read after ColCount, as the stored layout does: the ten stored
    // definitions replace the ten default ones in one change.
    grid->GridColumns().Assign(LapGridColumnDefinitions());
}
