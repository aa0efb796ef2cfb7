#include "StringGrid.h"

#include "RowText.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

namespace {

// Thickness of the grid's scroll bars. Fixed rather than taken from the
// desktop style, so that how many rows fit in a grid of a given size is the
// same everywhere.
constexpr int ScrollBarThickness = 16;

// Widths, heights and line widths are kept to the classic coordinate range,
// so that sums over the shown cells never leave the int range.
constexpr int MaxCellExtent = 32767;
int clampExtent(int v) {
    return std::clamp(v, 0, MaxCellExtent);
}

// Colours of the grid lines.
constexpr TColor FixedLineColor = clBlack;
constexpr TColor DataLineColor = clSilver;

class TGridScrollBar : public QScrollBar {
public:
    explicit TGridScrollBar(Qt::Orientation o) : QScrollBar(o) {}
    QSize sizeHint() const override {
        const QSize s = QScrollBar::sizeHint();
        return orientation() == Qt::Vertical ? QSize(ScrollBarThickness, s.height())
                                             : QSize(s.width(), ScrollBarThickness);
    }
};

bool inRect(const TGridRect& r, int col, int row) {
    return col >= r.Left && col <= r.Right && row >= r.Top && row <= r.Bottom;
}

} // namespace

// ---------------------------------------------------------------------------
// Keys

int VirtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey; // same codes as ASCII
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
    return 0;
}

int QtKeyOf(int vk) {
    switch (vk) {
    case VK_BACK:
        return Qt::Key_Backspace;
    case VK_TAB:
        return Qt::Key_Tab;
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_ESCAPE:
        return Qt::Key_Escape;
    case VK_SPACE:
        return Qt::Key_Space;
    case VK_PRIOR:
        return Qt::Key_PageUp;
    case VK_NEXT:
        return Qt::Key_PageDown;
    case VK_END:
        return Qt::Key_End;
    case VK_HOME:
        return Qt::Key_Home;
    case VK_LEFT:
        return Qt::Key_Left;
    case VK_UP:
        return Qt::Key_Up;
    case VK_RIGHT:
        return Qt::Key_Right;
    case VK_DOWN:
        return Qt::Key_Down;
    case VK_INSERT:
        return Qt::Key_Insert;
    case VK_DELETE:
        return Qt::Key_Delete;
    default:
        break;
    }
    if (vk >= 112 && vk < 112 + 24) return Qt::Key_F1 + (vk - 112);
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    return 0;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers m) {
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::AltModifier) s |= ssAlt;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    return s;
}

QChar KeyCharOf(const QKeyEvent* e) {
    const auto mods = e->modifiers();
    switch (e->key()) {
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QChar(9);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return (mods & Qt::ControlModifier) ? QChar(10) : QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    default:
        break;
    }
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z) return QChar(e->key() - Qt::Key_A + 1);
        return QChar();
    }
    if (mods & Qt::AltModifier) return QChar();
    const QString t = e->text();
    if (t.size() != 1) return QChar();
    const QChar c = t[0];
    return c.unicode() >= 32 && c.unicode() != 127 ? c : QChar();
}

// ---------------------------------------------------------------------------
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TStringGrid* grid) : QPlainTextEdit(grid->viewport()), FGrid(grid) {
    setFrameStyle(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    // Every change goes through the key rules: no context-menu paste, no drops.
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    document()->setDocumentMargin(1);
    setAutoFillBackground(true);
    hide();
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (FSettingText) return;
        if (FInKey > 0) {
            FPendingChange = true;
            return;
        }
        textEdited();
    });
    SetColor(FColor);
}

void TInplaceEdit::textEdited() {
    FPendingChange = false;
    if (FGrid->FEditCol < 0 || FGrid->FEditRow < 0) return;
    FGrid->SetEditText(FGrid->FEditCol, FGrid->FEditRow, Text());
}

QString TInplaceEdit::Text() const {
    return toPlainText();
}

void TInplaceEdit::SetText(const QString& t) {
    if (t == Text()) return;
    const bool was = FSettingText;
    FSettingText = true;
    setPlainText(t);
    FSettingText = was;
}

int TInplaceEdit::SelStart() const {
    return textCursor().selectionStart();
}

void TInplaceEdit::SetSelStart(int pos) {
    QTextCursor c = textCursor();
    const int len = static_cast<int>(document()->characterCount()) - 1;
    c.setPosition(std::clamp(pos, 0, std::max(0, len)));
    setTextCursor(c);
}

int TInplaceEdit::SelLength() const {
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TInplaceEdit::SelectAll() {
    selectAll();
}

void TInplaceEdit::SetColor(TColor c) {
    FColor = c;
    QPalette p = palette();
    p.setColor(QPalette::Base, ToQColor(c));
    p.setColor(QPalette::Window, ToQColor(c));
    setPalette(p);
}

void TInplaceEdit::SetEditFont(const TFont& f) {
    setFont(f.ToQFont());
    QPalette p = palette();
    p.setColor(QPalette::Text, ToQColor(f.Color));
    setPalette(p);
}

void TInplaceEdit::SetAutoHScroll(bool on) {
    if (FAutoHScroll == on) return;
    FAutoHScroll = on;
    setLineWrapMode(on ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

bool TInplaceEdit::leftSide() const {
    const QTextCursor c = textCursor();
    const int len = Text().size();
    return c.selectionStart() == 0 && (c.selectionEnd() == 0 || c.selectionEnd() == len);
}

bool TInplaceEdit::rightSide() const {
    const QTextCursor c = textCursor();
    const int len = Text().size();
    return (c.selectionStart() == 0 || c.selectionEnd() == c.selectionStart()) &&
           c.selectionEnd() == len;
}

void TInplaceEdit::KeyDown(int& key, TShiftState shift) {
    // Keys that belong to the grid go there and are used up; Left and Right
    // leave the cell only when the editor is always shown and the caret is
    // already at that edge of the text.
    auto sendToGrid = [&] {
        FGrid->KeyDown(key, shift);
        key = 0;
    };
    const bool forward = FGrid->Options() & goAlwaysShowEditor;
    const bool ctrl = shift & ssCtrl;
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
        sendToGrid();
        break;
    case VK_INSERT:
        if (shift == 0)
            sendToGrid();
        else if (shift == ssShift && !FGrid->CanEditModify())
            key = 0;
        break;
    case VK_LEFT:
    case VK_HOME:
        if (forward && (ctrl || leftSide())) sendToGrid();
        break;
    case VK_RIGHT:
    case VK_END:
        if (forward && (ctrl || rightSide())) sendToGrid();
        break;
    case VK_TAB:
        if (!(shift & ssAlt)) sendToGrid();
        break;
    case VK_F2:
        SetSelStart(Text().size());
        key = 0;
        break;
    default:
        break;
    }
    if (key == VK_DELETE && !FGrid->CanEditModify()) key = 0;
}

void TInplaceEdit::KeyPress(QChar& ch) {
    FGrid->KeyPress(ch);
    if (ch.isNull()) return;
    const ushort u = ch.unicode();
    if (u > 31 && !FGrid->CanEditAcceptKey(ch)) {
        ch = QChar();
        QApplication::beep();
        return;
    }
    switch (u) {
    case 9:
    case 27:
        ch = QChar();
        break;
    case 13:
        // Enter that the grid did not take toggles between all selected and
        // the caret at the end.
        if (SelLength() == Text().size() && !Text().isEmpty())
            SetSelStart(Text().size());
        else
            SelectAll();
        ch = QChar();
        break;
    case 8:
    case 22: // Ctrl+V
    case 24: // Ctrl+X
        if (!FGrid->CanEditModify()) ch = QChar();
        break;
    default:
        if (u >= 32 && !FGrid->CanEditModify()) ch = QChar();
        break;
    }
}

void TInplaceEdit::applyChar(QChar c) {
    switch (c.unicode()) {
    case 8: {
        QTextCursor cur = textCursor();
        if (cur.hasSelection())
            cur.removeSelectedText();
        else
            cur.deletePreviousChar();
        setTextCursor(cur);
        return;
    }
    case 1:
        selectAll();
        return;
    case 3:
        copy();
        return;
    case 22:
        paste();
        return;
    case 24:
        cut();
        return;
    case 10:
    case 13:
        insertPlainText(QStringLiteral("\n"));
        return;
    default:
        break;
    }
    if (c.unicode() >= 32) insertPlainText(QString(c));
}

void TInplaceEdit::keyPressEvent(QKeyEvent* e) {
    const int vk = VirtualKeyOf(e->key());
    const TShiftState shift = ShiftStateOf(e->modifiers());
    int key = vk;
    if (vk != 0) {
        KeyDown(key, shift);
        if (key == 0) {
            e->accept();
            return;
        }
    }
    const QChar ch = KeyCharOf(e);
    ++FInKey;
    if (key != vk) {
        // A hook turned the key into another one: the edit handles that key
        // instead, and the character of the original key is not typed.
        QKeyEvent other(QEvent::KeyPress, QtKeyOf(key), e->modifiers());
        QPlainTextEdit::keyPressEvent(&other);
    } else if (!ch.isNull()) {
        QChar c = ch;
        KeyPress(c);
        if (!c.isNull() && isVisible()) {
            if (c == ch)
                QPlainTextEdit::keyPressEvent(e);
            else
                applyChar(c);
        }
    } else {
        QPlainTextEdit::keyPressEvent(e);
    }
    --FInKey;
    e->accept();
    if (FInKey == 0 && FPendingChange) textEdited();
}

void TInplaceEdit::inputMethodEvent(QInputMethodEvent* e) {
    if (e->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    QString accepted;
    for (const QChar c : e->commitString()) {
        QChar k = c;
        KeyPress(k);
        if (!isVisible()) return; // the grid closed the editor
        if (!k.isNull() && k.unicode() >= 32) accepted += k;
    }
    QInputMethodEvent filtered(e->preeditString(), e->attributes());
    filtered.setCommitString(accepted, e->replacementStart(), e->replacementLength());
    ++FInKey;
    QPlainTextEdit::inputMethodEvent(&filtered);
    --FInKey;
    e->accept();
    if (FInKey == 0 && FPendingChange) textEdited();
}

// The grid shows whether it (with its editor) holds the focus.
void TInplaceEdit::focusInEvent(QFocusEvent* e) {
    QPlainTextEdit::focusInEvent(e);
    FGrid->InvalidateGrid();
}

void TInplaceEdit::focusOutEvent(QFocusEvent* e) {
    QPlainTextEdit::focusOutEvent(e);
    FGrid->InvalidateGrid();
}

// ---------------------------------------------------------------------------
// TStringGrid: construction

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setVerticalScrollBar(new TGridScrollBar(Qt::Vertical));
    setHorizontalScrollBar(new TGridScrollBar(Qt::Horizontal));
    // A single sunken border two pixels wide, in the classic bevel colours.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    QPalette pal = palette();
    pal.setColor(QPalette::Light, ToQColor(clBtnHighlight));
    pal.setColor(QPalette::Midlight, ToQColor(cl3DLight));
    pal.setColor(QPalette::Dark, ToQColor(clBtnShadow));
    pal.setColor(QPalette::Shadow, ToQColor(cl3DDkShadow));
    pal.setColor(QPalette::Button, ToQColor(clBtnFace));
    pal.setColor(QPalette::Window, ToQColor(clBtnFace));
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FFont.OnChange = [this] { InvalidateGrid(); };
    updateScrollBars();
}

TStringGrid::~TStringGrid() {
    FFont.OnChange = nullptr;
}

// ---------------------------------------------------------------------------
// Cells

QString TStringGrid::Cells(int col, int row) const {
    const QString* c = storedCell(col, row);
    return c ? *c : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
    if (col < 0 || row < 0) return;
    const auto ur = static_cast<size_t>(row), uc = static_cast<size_t>(col);
    if (ur >= FCells.size() || uc >= FCells[ur].size()) {
        if (text.isEmpty()) return; // an empty cell needs no storage
        if (ur >= FCells.size()) FCells.resize(ur + 1);
        if (uc >= FCells[ur].size()) FCells[ur].resize(uc + 1);
    }
    if (FCells[ur][uc] == text) return;
    FCells[ur][uc] = text;
    InvalidateCell(col, row);
}

void TStringGrid::StoreRowCells(int row, int firstCol, std::span<QString> cells) {
    if (row < 0 || firstCol < 0) return;
    const auto ur = static_cast<size_t>(row), first = static_cast<size_t>(firstCol);
    const size_t stored = ur < FCells.size() ? FCells[ur].size() : 0;
    // Trailing empty cells beyond the stored ones take no storage; every cell
    // before the last one kept lies within the row once it is sized.
    size_t n = cells.size();
    while (n > 0 && first + n - 1 >= stored && cells[n - 1].isEmpty())
        --n;
    if (n == 0) return;
    if (ur >= FCells.size()) FCells.resize(ur + 1);
    auto& r = FCells[ur];
    if (r.size() < first + n) r.resize(first + n);
    for (size_t i = 0; i < n; ++i) {
        QString& cell = r[first + i];
        if (cell == cells[i]) continue;
        cell = std::move(cells[i]);
        InvalidateCell(firstCol + static_cast<int>(i), row);
    }
}

void TStringGrid::SetRowText(int row, const QString& commaText) {
    if (row < 0) return;
    const QStringList cells = RowTextCells(commaText, FColCount);
    for (int c = 0; c < cells.size(); ++c)
        SetCells(c, row, cells[c]);
}

QStringList TStringGrid::RowCells(int row) const {
    QStringList out;
    out.reserve(FColCount);
    for (int c = 0; c < FColCount; ++c)
        out << Cells(c, row);
    return out;
}

void TStringGrid::ClearColumn(int col) {
    if (col < 0) return;
    const auto uc = static_cast<size_t>(col);
    for (auto& r : FCells)
        if (uc < r.size()) r[uc].clear();
    InvalidateGrid();
}

void TStringGrid::ExchangeRows(int a, int b) {
    if (a < 0 || b < 0 || a == b) return;
    const auto need = static_cast<size_t>(std::max(a, b)) + 1;
    if (FCells.size() < need) FCells.resize(need);
    std::swap(FCells[static_cast<size_t>(a)], FCells[static_cast<size_t>(b)]);
    InvalidateGrid();
}

// ---------------------------------------------------------------------------
// Counts and sizes

void TStringGrid::initializeCurrent() {
    FTopRow = FFixedRows;
    FLeftCol = FFixedCols;
    FCol = FAnchorCol = FFixedCols;
    FRow = FAnchorRow = FFixedRows;
    if (FOptions & goRowSelect) FAnchorCol = FColCount - 1;
}

void TStringGrid::SetColCount(int v) {
    if (v < 1) v = 1;
    if (v == FColCount) return;
    if (v <= FFixedCols) SetFixedCols(v - 1);
    const int oldCols = FColCount;
    FColCount = v;
    if (static_cast<int>(FColWidths.size()) > v) FColWidths.resize(static_cast<size_t>(v));
    clampCurrent();
    updateScrollBars();
    SizeChanged(oldCols, FRowCount);
    InvalidateGrid();
    updateEdit();
}

void TStringGrid::SetRowCount(int v) {
    if (v < 1) v = 1;
    if (v == FRowCount) return;
    if (v <= FFixedRows) SetFixedRows(v - 1);
    const int oldRows = FRowCount;
    FRowCount = v;
    if (static_cast<int>(FRowHeights.size()) > v) FRowHeights.resize(static_cast<size_t>(v));
    clampCurrent();
    updateScrollBars();
    SizeChanged(FColCount, oldRows);
    InvalidateGrid();
    updateEdit();
}

void TStringGrid::SetFixedCols(int v) {
    v = std::clamp(v, 0, FColCount - 1);
    if (v == FFixedCols) return;
    FFixedCols = v;
    initializeCurrent();
    updateScrollBars();
    InvalidateGrid();
    updateEdit();
}

void TStringGrid::SetFixedRows(int v) {
    v = std::clamp(v, 0, FRowCount - 1);
    if (v == FFixedRows) return;
    FFixedRows = v;
    initializeCurrent();
    updateScrollBars();
    InvalidateGrid();
    updateEdit();
}

void TStringGrid::SizeChanged(int, int) {}

void TStringGrid::SetDefaultColWidth(int v) {
    v = clampExtent(v);
    if (v == FDefaultColWidth && FColWidths.empty()) return;
    FDefaultColWidth = v;
    FColWidths.clear(); // every column takes the new default
    clampTopLeft();
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

void TStringGrid::SetDefaultRowHeight(int v) {
    v = clampExtent(v);
    if (v == FDefaultRowHeight && FRowHeights.empty()) return;
    FDefaultRowHeight = v;
    FRowHeights.clear();
    clampTopLeft();
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

int TStringGrid::ColWidths(int col) const {
    if (col >= 0 && col < static_cast<int>(FColWidths.size()) &&
        FColWidths[static_cast<size_t>(col)] >= 0)
        return FColWidths[static_cast<size_t>(col)];
    return FDefaultColWidth;
}

void TStringGrid::SetColWidths(int col, int w) {
    if (col < 0 || col >= FColCount) return;
    w = clampExtent(w);
    if (ColWidths(col) == w) return;
    if (static_cast<int>(FColWidths.size()) <= col)
        FColWidths.resize(static_cast<size_t>(col) + 1, -1);
    FColWidths[static_cast<size_t>(col)] = w;
    clampTopLeft();
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

int TStringGrid::RowHeights(int row) const {
    if (row >= 0 && row < static_cast<int>(FRowHeights.size()) &&
        FRowHeights[static_cast<size_t>(row)] >= 0)
        return FRowHeights[static_cast<size_t>(row)];
    return FDefaultRowHeight;
}

void TStringGrid::SetRowHeights(int row, int h) {
    if (row < 0 || row >= FRowCount) return;
    h = clampExtent(h);
    if (RowHeights(row) == h) return;
    if (static_cast<int>(FRowHeights.size()) <= row)
        FRowHeights.resize(static_cast<size_t>(row) + 1, -1);
    FRowHeights[static_cast<size_t>(row)] = h;
    clampTopLeft();
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

void TStringGrid::SetGridLineWidth(int v) {
    v = clampExtent(v);
    if (v == FGridLineWidth) return;
    FGridLineWidth = v;
    clampTopLeft();
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

// ---------------------------------------------------------------------------
// Geometry

int TStringGrid::vertLineWidth() const {
    return (FOptions & goVertLine) ? FGridLineWidth : 0;
}
int TStringGrid::horzLineWidth() const {
    return (FOptions & goHorzLine) ? FGridLineWidth : 0;
}
int TStringGrid::colExtent(int col) const {
    return ColWidths(col) + vertLineWidth();
}
int TStringGrid::rowExtent(int row) const {
    return RowHeights(row) + horzLineWidth();
}

// Sums stop growing once far past any screen size.
int TStringGrid::fixedWidth() const {
    int w = 0;
    for (int c = 0; c < FFixedCols && w <= (1 << 24); ++c)
        w += colExtent(c);
    return w;
}

int TStringGrid::fixedHeight() const {
    int h = 0;
    for (int r = 0; r < FFixedRows && h <= (1 << 24); ++r)
        h += rowExtent(r);
    return h;
}

// Whether every column fits in `width` pixels; stops at the first pixel
// beyond, so it costs no more than the columns that fit.
bool TStringGrid::colsFit(int width) const {
    int x = 0;
    for (int c = 0; c < FColCount; ++c) {
        x += colExtent(c);
        if (x > width) return false;
    }
    return true;
}

bool TStringGrid::rowsFit(int height) const {
    int y = 0;
    for (int r = 0; r < FRowCount; ++r) {
        y += rowExtent(r);
        if (y > height) return false;
    }
    return true;
}

TStringGrid::Layout TStringGrid::layout() const {
    const int fw = frameWidth();
    const int w = std::max(0, width() - 2 * fw);
    const int h = std::max(0, height() - 2 * fw);
    const bool allowH = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    const bool allowV = FScrollBars == ssVertical || FScrollBars == ssBoth;
    Layout l;
    l.VBar = allowV && !rowsFit(h);
    l.HBar = allowH && !colsFit(w - (l.VBar ? ScrollBarThickness : 0));
    if (l.HBar && allowV && !l.VBar) l.VBar = !rowsFit(h - ScrollBarThickness);
    l.ClientWidth = std::max(0, w - (l.VBar ? ScrollBarThickness : 0));
    l.ClientHeight = std::max(0, h - (l.HBar ? ScrollBarThickness : 0));
    return l;
}

// The highest top row that still fills the view: the last rows that fit
// wholly below the fixed rows.
int TStringGrid::maxTopRow(int clientHeight) const {
    const int avail = clientHeight - fixedHeight();
    int top = FRowCount - 1;
    int used = 0;
    for (int r = FRowCount - 1; r >= FFixedRows; --r) {
        used += rowExtent(r);
        if (used > avail) break;
        top = r;
    }
    return std::max(FFixedRows, top);
}

int TStringGrid::maxLeftCol(int clientWidth) const {
    const int avail = clientWidth - fixedWidth();
    int left = FColCount - 1;
    int used = 0;
    for (int c = FColCount - 1; c >= FFixedCols; --c) {
        used += colExtent(c);
        if (used > avail) break;
        left = c;
    }
    return std::max(FFixedCols, left);
}

std::vector<TStringGrid::Span> TStringGrid::visibleCols(int clientWidth) const {
    std::vector<Span> out;
    int x = 0;
    for (int c = 0; c < FFixedCols && x < clientWidth; ++c) {
        out.push_back({c, x, ColWidths(c)});
        x += colExtent(c);
    }
    for (int c = FLeftCol; c < FColCount && x < clientWidth; ++c) {
        out.push_back({c, x, ColWidths(c)});
        x += colExtent(c);
    }
    return out;
}

std::vector<TStringGrid::Span> TStringGrid::visibleRows(int clientHeight) const {
    std::vector<Span> out;
    int y = 0;
    for (int r = 0; r < FFixedRows && y < clientHeight; ++r) {
        out.push_back({r, y, RowHeights(r)});
        y += rowExtent(r);
    }
    for (int r = FTopRow; r < FRowCount && y < clientHeight; ++r) {
        out.push_back({r, y, RowHeights(r)});
        y += rowExtent(r);
    }
    return out;
}

int TStringGrid::VisibleRowCount() const {
    const int avail = layout().ClientHeight - fixedHeight();
    int n = 0, used = 0;
    for (int r = FTopRow; r < FRowCount; ++r) {
        used += rowExtent(r);
        if (used > avail) break;
        ++n;
    }
    return n;
}

int TStringGrid::VisibleColCount() const {
    const int avail = layout().ClientWidth - fixedWidth();
    int n = 0, used = 0;
    for (int c = FLeftCol; c < FColCount; ++c) {
        used += colExtent(c);
        if (used > avail) break;
        ++n;
    }
    return n;
}

TRect TStringGrid::CellRect(int col, int row) const {
    const Layout l = layout();
    if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount) return {};
    int x = -1, y = -1;
    for (const Span& s : visibleCols(l.ClientWidth))
        if (s.Index == col) x = s.Pos;
    if (x < 0) return {};
    for (const Span& s : visibleRows(l.ClientHeight))
        if (s.Index == row) y = s.Pos;
    if (y < 0) return {};
    return {x, y, x + ColWidths(col), y + RowHeights(row)};
}

bool TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    const Layout l = layout();
    col = row = -1;
    if (x < 0 || y < 0 || x >= l.ClientWidth || y >= l.ClientHeight) return false;
    for (const Span& s : visibleCols(l.ClientWidth))
        if (x >= s.Pos && x < s.Pos + s.Size + vertLineWidth()) col = s.Index;
    for (const Span& s : visibleRows(l.ClientHeight))
        if (y >= s.Pos && y < s.Pos + s.Size + horzLineWidth()) row = s.Index;
    if (col < 0 || row < 0) {
        col = row = -1;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Scrolling

void TStringGrid::SetTopRow(int v) {
    const int hi = std::max(FFixedRows, maxTopRow(layout().ClientHeight));
    v = std::clamp(v, FFixedRows, hi);
    if (v == FTopRow) return;
    FTopRow = v;
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

void TStringGrid::SetLeftCol(int v) {
    const int hi = std::max(FFixedCols, maxLeftCol(layout().ClientWidth));
    v = std::clamp(v, FFixedCols, hi);
    if (v == FLeftCol) return;
    FLeftCol = v;
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

void TStringGrid::clampTopLeft() {
    const Layout l = layout();
    FTopRow = std::clamp(FTopRow, FFixedRows, std::max(FFixedRows, maxTopRow(l.ClientHeight)));
    FLeftCol = std::clamp(FLeftCol, FFixedCols, std::max(FFixedCols, maxLeftCol(l.ClientWidth)));
}

void TStringGrid::clampCurrent() {
    auto clampTo = [](int v, int lo, int hi) { return std::clamp(v, std::min(lo, hi), hi); };
    FCol = clampTo(FCol, 0, FColCount - 1);
    FRow = clampTo(FRow, 0, FRowCount - 1);
    FAnchorCol = clampTo(FAnchorCol, 0, FColCount - 1);
    FAnchorRow = clampTo(FAnchorRow, 0, FRowCount - 1);
    clampTopLeft();
}

void TStringGrid::updateScrollBars() {
    const Layout l = layout();
    FUpdatingScroll = true;
    setVerticalScrollBarPolicy(l.VBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(l.HBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    QScrollBar* vb = verticalScrollBar();
    vb->setRange(FFixedRows, std::max(FFixedRows, maxTopRow(l.ClientHeight)));
    vb->setSingleStep(1);
    vb->setPageStep(std::max(1, VisibleRowCount()));
    vb->setValue(FTopRow);
    QScrollBar* hb = horizontalScrollBar();
    hb->setRange(FFixedCols, std::max(FFixedCols, maxLeftCol(l.ClientWidth)));
    hb->setSingleStep(1);
    hb->setPageStep(std::max(1, VisibleColCount()));
    hb->setValue(FLeftCol);
    FUpdatingScroll = false;
}

void TStringGrid::scrollContentsBy(int, int) {
    if (FUpdatingScroll) return;
    const int top = verticalScrollBar()->value();
    const int left = horizontalScrollBar()->value();
    if (top != FTopRow) SetTopRow(top);
    if (left != FLeftCol) SetLeftCol(left);
}

// Scrolls the least needed to show the whole cell.
void TStringGrid::scrollIntoView(int col, int row) {
    const Layout l = layout();
    if (row >= FFixedRows && row < FRowCount) {
        if (row < FTopRow) {
            SetTopRow(row);
        } else {
            const int avail = l.ClientHeight - fixedHeight();
            int used = 0;
            for (int r = FTopRow; r <= row && used <= avail; ++r)
                used += rowExtent(r);
            if (used > avail) {
                int top = row, sum = rowExtent(row);
                while (top - 1 >= FFixedRows && sum + rowExtent(top - 1) <= avail)
                    sum += rowExtent(--top);
                SetTopRow(top);
            }
        }
    }
    if (col >= FFixedCols && col < FColCount) {
        if (col < FLeftCol) {
            SetLeftCol(col);
        } else {
            const int avail = l.ClientWidth - fixedWidth();
            int used = 0;
            for (int c = FLeftCol; c <= col && used <= avail; ++c)
                used += colExtent(c);
            if (used > avail) {
                int left = col, sum = colExtent(col);
                while (left - 1 >= FFixedCols && sum + colExtent(left - 1) <= avail)
                    sum += colExtent(--left);
                SetLeftCol(left);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Current cell and selection

TGridRect TStringGrid::Selection() const {
    if (FOptions & goRowSelect)
        return {FFixedCols, std::min(FAnchorRow, FRow), FColCount - 1, std::max(FAnchorRow, FRow)};
    return {std::min(FAnchorCol, FCol), std::min(FAnchorRow, FRow), std::max(FAnchorCol, FCol),
            std::max(FAnchorRow, FRow)};
}

void TStringGrid::SetSelection(const TGridRect& r) {
    FAnchorCol = std::clamp(r.Left, 0, FColCount - 1);
    FAnchorRow = std::clamp(r.Top, 0, FRowCount - 1);
    FCol = std::clamp(r.Right, 0, FColCount - 1);
    FRow = std::clamp(r.Bottom, 0, FRowCount - 1);
    InvalidateGrid();
    updateEdit();
}

void TStringGrid::moveCurrent(int col, int row, bool moveAnchor, bool show) {
    col = std::clamp(col, FFixedCols, FColCount - 1);
    row = std::clamp(row, FFixedRows, FRowCount - 1);
    FCol = col;
    FRow = row;
    if (moveAnchor || !(FOptions & goRangeSelect)) {
        FAnchorCol = col;
        FAnchorRow = row;
    }
    if (show) scrollIntoView(col, row);
    InvalidateGrid();
}

void TStringGrid::FocusCell(int col, int row, bool moveAnchor) {
    moveCurrent(col, row, moveAnchor, true);
    updateEdit();
    CallEvent(OnClick, this);
}

void TStringGrid::SetCol(int v) {
    if (v != FCol) FocusCell(v, FRow, true);
}

void TStringGrid::SetRow(int v) {
    if (v != FRow) FocusCell(FCol, v, true);
}

// ---------------------------------------------------------------------------
// Appearance

void TStringGrid::SetOptions(TGridOptions v) {
    if (v == FOptions) return;
    FOptions = v;
    if (FOptions & goRowSelect) FAnchorCol = FColCount - 1;
    clampTopLeft();
    updateScrollBars();
    InvalidateGrid();
    if ((FOptions & goEditing) && (FOptions & goAlwaysShowEditor) && !(FOptions & goRowSelect))
        ShowEditor();
    else if (!canEditShow())
        HideEditor();
    else
        placeEditor();
}

void TStringGrid::SetColor(TColor v) {
    if (v == FColor) return;
    FColor = v;
    InvalidateGrid();
}

void TStringGrid::SetFixedColor(TColor v) {
    if (v == FFixedColor) return;
    FFixedColor = v;
    InvalidateGrid();
}

void TStringGrid::SetDefaultDrawing(bool v) {
    if (v == FDefaultDrawing) return;
    FDefaultDrawing = v;
    InvalidateGrid();
}

void TStringGrid::SetScrollBars(TScrollStyle v) {
    if (v == FScrollBars) return;
    FScrollBars = v;
    clampTopLeft();
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

void TStringGrid::InvalidateGrid() {
    viewport()->update();
}

void TStringGrid::InvalidateCell(int col, int row) {
    if (!viewport()->isVisible()) return; // nothing on screen to refresh
    const TRect r = CellRect(col, row);
    if (r.Width() <= 0 && r.Height() <= 0) return;
    viewport()->update(
        QRect(r.Left, r.Top, r.Width() + FGridLineWidth, r.Height() + FGridLineWidth));
}

bool TStringGrid::hasGridFocus() const {
    return hasFocus() || (FEditor && FEditor->hasFocus());
}

// ---------------------------------------------------------------------------
// Painting

void TStringGrid::DrawCell(TCanvas& canvas, int col, int row, TRect rect, TGridDrawState state) {
    if (FDefaultDrawing) {
        // The text starts two pixels in and is cut at the cell's edges.
        QPainter* p = canvas.Handle();
        p->save();
        p->setClipRect(rect.ToQRect(), Qt::IntersectClip);
        canvas.TextOut(rect.Left + 2, rect.Top + 2, Cells(col, row));
        p->restore();
    }
    if (OnDrawCell) Dispatch([&] { OnDrawCell(this, col, row, rect, state); });
}

void TStringGrid::PaintGrid(QPainter& painter) {
    TCanvas canvas(&painter);
    const Layout l = layout();
    const std::vector<Span> cols = visibleCols(l.ClientWidth);
    const std::vector<Span> rows = visibleRows(l.ClientHeight);
    const TGridRect sel = Selection();
    const bool focused = hasGridFocus();
    const bool editorShown = FEditor && FEditor->isVisible();
    const int vlw = vertLineWidth(), hlw = horzLineWidth();

    for (const Span& rs : rows) {
        for (const Span& cs : cols) {
            const int col = cs.Index, row = rs.Index;
            const TRect rect{cs.Pos, rs.Pos, cs.Pos + cs.Size, rs.Pos + rs.Size};
            TGridDrawState state = 0;
            const bool fixed = col < FFixedCols || row < FFixedRows;
            if (fixed)
                state |= gdFixed;
            else {
                if (inRect(sel, col, row)) state |= gdSelected;
                if (focused && col == FCol && row == FRow) state |= gdFocused;
            }

            // Step 1: the grid's font.
            canvas.Font = FFont;
            // Step 2: the background.
            if (FDefaultDrawing) {
                if (fixed) {
                    canvas.Brush.Color = FFixedColor;
                } else if ((state & gdSelected) &&
                           (!(state & gdFocused) ||
                            (FOptions & (goDrawFocusSelected | goRowSelect)))) {
                    canvas.Brush.Color = clHighlight;
                    canvas.Font.Color = clHighlightText;
                } else {
                    canvas.Brush.Color = FColor;
                }
                canvas.Brush.Style = bsSolid;
                canvas.FillRect(rect);
            }
            // Step 3: the cell's contents.
            DrawCell(canvas, col, row, rect, state);
            // Step 4: the raised edge of a fixed cell.
            if (FDefaultDrawing && fixed) {
                const bool v = FOptions & goFixedVertLine, h = FOptions & goFixedHorzLine;
                if (v || h) {
                    canvas.Brush.Style = bsSolid;
                    if (h) {
                        canvas.Brush.Color = clBtnHighlight;
                        canvas.FillRect({rect.Left, rect.Top, rect.Right, rect.Top + 1});
                        canvas.Brush.Color = clBtnShadow;
                        canvas.FillRect({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom});
                    }
                    if (v) {
                        canvas.Brush.Color = clBtnHighlight;
                        canvas.FillRect(
                            {rect.Left, rect.Top, rect.Left + 1, rect.Bottom - (h ? 1 : 0)});
                        canvas.Brush.Color = clBtnShadow;
                        canvas.FillRect(
                            {rect.Right - 1, rect.Top + (h ? 1 : 0), rect.Right, rect.Bottom});
                    }
                }
            }
            // Step 5: the grid lines at the right and bottom of the cell.
            const bool drawV = fixed ? (FOptions & goFixedVertLine) : (FOptions & goVertLine);
            const bool drawH = fixed ? (FOptions & goFixedHorzLine) : (FOptions & goHorzLine);
            const TColor lineColor = fixed ? FixedLineColor : DataLineColor;
            const TColor gapColor = fixed ? FFixedColor : FColor;
            canvas.Brush.Style = bsSolid;
            if (vlw > 0) {
                canvas.Brush.Color = drawV ? lineColor : gapColor;
                canvas.FillRect({rect.Right, rect.Top, rect.Right + vlw, rect.Bottom + hlw});
            }
            if (hlw > 0) {
                canvas.Brush.Color = drawH ? lineColor : gapColor;
                canvas.FillRect({rect.Left, rect.Bottom, rect.Right + vlw, rect.Bottom + hlw});
            }
            // Step 6: the focus frame.
            if (FDefaultDrawing && (state & gdFocused) && !editorShown && !(FOptions & goRowSelect))
                canvas.DrawFocusRect(rect);
        }
    }

    // Whatever lies beyond the last column and row shows the grid's colour.
    int right = 0, bottom = 0;
    if (!cols.empty()) right = cols.back().Pos + cols.back().Size + vlw;
    if (!rows.empty()) bottom = rows.back().Pos + rows.back().Size + hlw;
    canvas.Brush.Color = FColor;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect({right, 0, l.ClientWidth, l.ClientHeight});
    canvas.FillRect({0, bottom, std::min(right, l.ClientWidth), l.ClientHeight});
}

void TStringGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    PaintGrid(p);
}

QImage TStringGrid::Render() {
    updateScrollBars();
    QImage img(size(), QImage::Format_RGB32);
    img.fill(ToQColor(clBtnFace));
    render(&img);
    return img;
}

void TStringGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    clampTopLeft();
    updateScrollBars();
    placeEditor();
}

// ---------------------------------------------------------------------------
// Editing

bool TStringGrid::EditorMode() const {
    return FEditorMode;
}

void TStringGrid::SetEditorMode(bool on) {
    if (on) {
        ShowEditor();
        if (FEditor && FEditor->isVisible()) FEditor->SetSelStart(FEditor->Text().size());
    } else {
        HideEditor();
    }
}

bool TStringGrid::canEditShow() const {
    return (FOptions & goEditing) && !(FOptions & goRowSelect) &&
           (FEditorMode || (FOptions & goAlwaysShowEditor));
}

QString TStringGrid::GetEditText(int col, int row) {
    return Cells(col, row);
}
void TStringGrid::SetEditText(int col, int row, const QString& value) {
    SetCells(col, row, value);
}
bool TStringGrid::CanEditAcceptKey(QChar) {
    return true;
}
bool TStringGrid::CanEditModify() {
    return true;
}
TInplaceEdit* TStringGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

void TStringGrid::UpdateEditor() {
    FEditor->SetEditFont(FFont);
    FEditor->SetColor(FColor);
    FEditor->SetText(GetEditText(FCol, FRow));
}

void TStringGrid::ShowEditor() {
    if (!(FOptions & goEditing) || (FOptions & goRowSelect)) return;
    FEditorMode = true;
    updateEdit();
}

void TStringGrid::HideEditor() {
    FEditorMode = false;
    if (!FEditor) return;
    const bool hadFocus = FEditor->hasFocus();
    if (FEditCol >= 0 && FEditRow >= 0 && FEditor->isVisible())
        SetEditText(FEditCol, FEditRow, FEditor->Text());
    FEditCol = FEditRow = -1;
    FEditor->hide();
    if (hadFocus) setFocus();
    InvalidateGrid();
}

// Brings the editor to the current cell: stores the cell it left, loads the
// one it moves to, and shows it there.
void TStringGrid::updateEdit() {
    if (!canEditShow()) {
        if (FEditor && FEditor->isVisible()) {
            if (FEditCol >= 0 && FEditRow >= 0) SetEditText(FEditCol, FEditRow, FEditor->Text());
            FEditCol = FEditRow = -1;
            const bool hadFocus = FEditor->hasFocus();
            FEditor->hide();
            if (hadFocus) setFocus();
        }
        return;
    }
    if (!FEditor) FEditor = CreateEditor();
    if (FEditCol != FCol || FEditRow != FRow) {
        if (FEditCol >= 0 && FEditRow >= 0 && FEditor->isVisible())
            SetEditText(FEditCol, FEditRow, FEditor->Text());
        FEditCol = FCol;
        FEditRow = FRow;
        UpdateEditor();
        FEditOrigText = FEditor->Text();
        FEditor->SelectAll();
    }
    placeEditor();
    if (hasFocus() && FEditor->isVisible()) FEditor->setFocus();
    InvalidateGrid();
}

void TStringGrid::placeEditor() {
    if (!FEditor || FEditCol < 0 || FEditRow < 0) return;
    const TRect r = CellRect(FEditCol, FEditRow);
    const bool fixed = FEditCol < FFixedCols || FEditRow < FFixedRows;
    if (r.Width() <= 0 || r.Height() <= 0 || fixed) {
        FEditor->hide();
        return;
    }
    FEditor->setGeometry(r.ToQRect());
    FEditor->show();
}

void TStringGrid::showEditorChar(QChar ch) {
    ShowEditor();
    if (!FEditor || !FEditor->isVisible()) return;
    FEditor->setFocus();
    // The character goes through the editor's own key-press rules, as if it
    // had been typed there.
    QChar c = ch;
    FEditor->KeyPress(c);
    if (c.isNull()) return;
    ++FEditor->FInKey;
    FEditor->applyChar(c);
    --FEditor->FInKey;
    if (FEditor->FInKey == 0 && FEditor->FPendingChange) FEditor->textEdited();
}

// ---------------------------------------------------------------------------
// Keyboard and mouse

void TStringGrid::KeyDown(int& key, TShiftState shift) {
    const bool ctrl = shift & ssCtrl;
    int col = FCol, row = FRow;
    switch (key) {
    case VK_UP:
        --row;
        break;
    case VK_DOWN:
        ++row;
        break;
    case VK_PRIOR:
        row -= std::max(1, VisibleRowCount());
        break;
    case VK_NEXT:
        row += std::max(1, VisibleRowCount());
        break;
    case VK_HOME:
        if (ctrl)
            row = FFixedRows;
        else
            col = FFixedCols;
        break;
    case VK_END:
        if (ctrl)
            row = FRowCount - 1;
        else
            col = FColCount - 1;
        break;
    case VK_LEFT:
        --col;
        break;
    case VK_RIGHT:
        ++col;
        break;
    case VK_TAB:
        if (!(FOptions & goTabs) || (shift & ssAlt)) return;
        if (shift & ssShift) {
            if (--col < FFixedCols) {
                col = FColCount - 1;
                if (--row < FFixedRows) row = FRowCount - 1;
            }
        } else if (++col >= FColCount) {
            col = FFixedCols;
            if (++row >= FRowCount) row = FFixedRows;
        }
        shift &= ~ssShift;
        break;
    case VK_F2:
        SetEditorMode(true);
        return;
    case VK_ESCAPE:
        if (FEditor && FEditor->isVisible() && FEditCol >= 0) {
            // Back to the text the cell had when the editor opened.
            FEditor->SetText(FEditOrigText);
            SetEditText(FEditCol, FEditRow, FEditOrigText);
            if (!(FOptions & goAlwaysShowEditor))
                HideEditor();
            else
                FEditor->SelectAll();
        }
        return;
    default:
        return;
    }
    col = std::clamp(col, FFixedCols, FColCount - 1);
    row = std::clamp(row, FFixedRows, FRowCount - 1);
    if (col != FCol || row != FRow)
        FocusCell(col, row, !((shift & ssShift) && (FOptions & goRangeSelect)));
}

void TStringGrid::KeyPress(QChar& ch) {
    if (!(FOptions & goAlwaysShowEditor) && ch == QChar(13)) {
        if (FEditorMode)
            HideEditor();
        else
            ShowEditor();
        ch = QChar();
    }
}

bool TStringGrid::event(QEvent* e) {
    // With goTabs the Tab key moves between cells instead of leaving the grid.
    if (e->type() == QEvent::KeyPress && (FOptions & goTabs)) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
            !(k->modifiers() & Qt::AltModifier)) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void TStringGrid::keyPressEvent(QKeyEvent* e) {
    const int vk = VirtualKeyOf(e->key());
    int key = vk;
    bool used = false;
    if (vk != 0) {
        KeyDown(key, ShiftStateOf(e->modifiers()));
        switch (vk) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_F2:
            used = true;
            break;
        case VK_TAB:
            used = FOptions & goTabs;
            break;
        case VK_ESCAPE:
            used = FEditorMode;
            break;
        default:
            break;
        }
        if (key == 0) used = true;
    }
    // Keys without a virtual key of their own ("-", "+", ".") are characters too.
    if ((vk == 0 || key != 0) && !(vk == VK_TAB && used)) {
        QChar ch = KeyCharOf(e);
        if (!ch.isNull()) {
            const QChar typed = ch;
            KeyPress(ch);
            if (ch != typed || typed == QChar(13)) used = true;
            if (!ch.isNull() && (FOptions & goEditing) &&
                (ch.unicode() == 8 || ch.unicode() >= 32)) {
                showEditorChar(ch);
                used = true;
            }
        }
    }
    if (used)
        e->accept();
    else
        e->ignore();
}

void TStringGrid::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    int col, row;
    const QPoint pos = e->position().toPoint();
    if (!MouseToCell(pos.x(), pos.y(), col, row)) return;
    if (col < FFixedCols || row < FFixedRows) return;
    if (FEditorMode && !(FOptions & goAlwaysShowEditor) && (col != FCol || row != FRow))
        HideEditor();
    const bool extend = (e->modifiers() & Qt::ShiftModifier) && (FOptions & goRangeSelect);
    FocusCell(col, row, !extend);
    FSelecting = true;
}

void TStringGrid::mouseMoveEvent(QMouseEvent* e) {
    if (!FSelecting || !(e->buttons() & Qt::LeftButton)) {
        FSelecting = false;
        return;
    }
    int col, row;
    const QPoint pos = e->position().toPoint();
    if (!MouseToCell(pos.x(), pos.y(), col, row)) return;
    if (col < FFixedCols || row < FFixedRows || (col == FCol && row == FRow)) return;
    moveCurrent(col, row, false, true);
    updateEdit();
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* e) {
    FSelecting = false;
    e->accept();
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    int col, row;
    const QPoint pos = e->position().toPoint();
    if (MouseToCell(pos.x(), pos.y(), col, row) && col == FCol && row == FRow &&
        (FOptions & goEditing)) {
        ShowEditor();
        return;
    }
    mousePressEvent(e);
}

void TStringGrid::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    if (FEditor && FEditor->isVisible()) FEditor->setFocus();
    InvalidateGrid();
}

void TStringGrid::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    InvalidateGrid();
}
