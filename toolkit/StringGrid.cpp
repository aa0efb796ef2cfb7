#include "StringGrid.h"

#include "Announce.h"
#include "Canvas.h"
#include "RowText.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

namespace {

// Thickness of the grid's scroll bars. Fixed rather than taken from the
// desktop style, so that how many rows fit in a grid of a given size is the
// same everywhere.
constexpr int ScrollBarThickness = 16;

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

// One scroll bar from its direction of the grid.
void syncScrollBar(QScrollBar* bar, const TGridAxis& axis, int client, int line) {
    bar->setRange(axis.Fixed(), axis.MaxFirst(client, line));
    bar->setSingleStep(1);
    bar->setPageStep(std::max(1, axis.VisibleCount(client, line)));
    bar->setValue(axis.First());
}

} // namespace

std::vector<int> ChangedMarkRows(const std::map<int, QString>& before,
                                 const std::map<int, QString>& after) {
    // One merge of the two ordered maps.
    std::vector<int> out;
    auto b = before.begin(), a = after.begin();
    while (b != before.end() || a != after.end()) {
        if (a == after.end() || (b != before.end() && b->first < a->first)) {
            out.push_back((b++)->first);
        } else if (b == before.end() || a->first < b->first) {
            out.push_back((a++)->first);
        } else {
            if (a->second != b->second) out.push_back(a->first);
            ++a;
            ++b;
        }
    }
    return out;
}

TColor RowMarkColor(TColor background) {
    // Perceived brightness (ITU-R BT.601 weights) in thousandths.
    const uint32_t rgb = ColorToRGB(background);
    const uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    return 299 * r + 587 * g + 114 * b >= 128 * 1000 ? clBlack : clYellow;
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
    return FCells.Get(col, row);
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
    if (FCells.Set(col, row, text)) InvalidateCell(col, row);
}

void TStringGrid::StoreRowCells(int row, int firstCol, std::span<QString> cells) {
    FCells.StoreRow(row, firstCol, cells, [&](int col) { InvalidateCell(col, row); });
}

void TStringGrid::SetRowText(int row, const QString& commaText) {
    if (row < 0) return;
    const QStringList cells = RowTextCells(commaText, ColCount());
    for (int c = 0; c < cells.size(); ++c)
        SetCells(c, row, cells[c]);
}

QStringList TStringGrid::RowCells(int row) const {
    QStringList out;
    out.reserve(ColCount());
    for (int c = 0; c < ColCount(); ++c)
        out << Cells(c, row);
    return out;
}

void TStringGrid::ClearColumn(int col) {
    if (col < 0) return;
    FCells.ClearColumn(col);
    InvalidateGrid();
}

void TStringGrid::ExchangeRows(int a, int b) {
    if (a < 0 || b < 0 || a == b) return;
    FCells.ExchangeRows(a, b);
    InvalidateGrid();
}

// ---------------------------------------------------------------------------
// Row marks

void TStringGrid::SetRowMarks(std::map<int, QString> rowToDescription) {
    std::erase_if(rowToDescription, [](const auto& m) { return m.second.isEmpty(); });
    const std::vector<int> changed = ChangedMarkRows(FRowMarks, rowToDescription);
    FRowMarks = std::move(rowToDescription);
    for (int row : changed)
        InvalidateRow(row);
    announceMarks(changed);
}

void TStringGrid::announceMarks(const std::vector<int>& rows) {
    if (!Accessible::Listening()) return;
    // Child indices as announceCurrentCell counts them.
    for (int row : rows)
        for (int col = 0; col < ColCount(); ++col) {
            const qint64 index = static_cast<qint64>(row) * ColCount() + col;
            if (row >= RowCount() || index > std::numeric_limits<int>::max()) return;
            Accessible::Notify(this, QAccessible::DescriptionChanged, static_cast<int>(index));
        }
}

QString TStringGrid::RowMark(int row) const {
    const auto it = FRowMarks.find(row);
    return it == FRowMarks.end() ? QString() : it->second;
}

// ---------------------------------------------------------------------------
// Counts and sizes

void TStringGrid::initializeCurrent() {
    FRows.SetFirstUnchecked(FRows.Fixed());
    FCols.SetFirstUnchecked(FCols.Fixed());
    FCol = FAnchorCol = FCols.Fixed();
    FRow = FAnchorRow = FRows.Fixed();
    if (FOptions & goRowSelect) FAnchorCol = ColCount() - 1;
}

void TStringGrid::countChanged(int oldColCount, int oldRowCount) {
    clampCurrent();
    updateScrollBars();
    SizeChanged(oldColCount, oldRowCount);
    InvalidateGrid();
    updateEdit();
}

std::optional<int> TStringGrid::setCount(TGridAxis& axis, int v) {
    v = std::max(v, 1);
    if (v == axis.Count()) return std::nullopt;
    if (v <= axis.Fixed() && axis.SetFixed(v - 1)) fixedChanged();
    const int old = axis.Count();
    axis.SetCount(v);
    return old;
}

void TStringGrid::SetColCount(int v) {
    if (const auto old = setCount(FCols, v)) countChanged(*old, RowCount());
}

void TStringGrid::SetRowCount(int v) {
    if (const auto old = setCount(FRows, v)) countChanged(ColCount(), *old);
}

void TStringGrid::SetFixedCols(int v) {
    if (FCols.SetFixed(v)) fixedChanged();
}

void TStringGrid::SetFixedRows(int v) {
    if (FRows.SetFixed(v)) fixedChanged();
}

void TStringGrid::SizeChanged(int, int) {}

void TStringGrid::fixedChanged() {
    initializeCurrent();
    updateScrollBars();
    InvalidateGrid();
    updateEdit();
}

void TStringGrid::extentsChanged() {
    clampTopLeft();
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

void TStringGrid::SetDefaultColWidth(int v) {
    if (FCols.SetDefaultSize(v)) extentsChanged();
}

void TStringGrid::SetDefaultRowHeight(int v) {
    if (FRows.SetDefaultSize(v)) extentsChanged();
}

void TStringGrid::SetColWidths(int col, int w) {
    if (FCols.SetSize(col, w)) extentsChanged();
}

void TStringGrid::SetRowHeights(int row, int h) {
    if (FRows.SetSize(row, h)) extentsChanged();
}

void TStringGrid::SetGridLineWidth(int v) {
    v = TGridAxis::ClampExtent(v);
    if (v == FGridLineWidth) return;
    FGridLineWidth = v;
    extentsChanged();
}

// ---------------------------------------------------------------------------
// Geometry

int TStringGrid::colLine() const {
    return (FOptions & goVertLine) ? FGridLineWidth : 0;
}
int TStringGrid::rowLine() const {
    return (FOptions & goHorzLine) ? FGridLineWidth : 0;
}

TStringGrid::Layout TStringGrid::layout() const {
    const int fw = frameWidth();
    const int w = std::max(0, width() - 2 * fw);
    const int h = std::max(0, height() - 2 * fw);
    const bool allowH = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    const bool allowV = FScrollBars == ssVertical || FScrollBars == ssBoth;
    Layout l;
    l.VBar = allowV && !FRows.Fits(h, rowLine());
    l.HBar = allowH && !FCols.Fits(w - (l.VBar ? ScrollBarThickness : 0), colLine());
    if (l.HBar && allowV && !l.VBar) l.VBar = !FRows.Fits(h - ScrollBarThickness, rowLine());
    l.ClientWidth = std::max(0, w - (l.VBar ? ScrollBarThickness : 0));
    l.ClientHeight = std::max(0, h - (l.HBar ? ScrollBarThickness : 0));
    return l;
}

int TStringGrid::VisibleRowCount() const {
    return FRows.VisibleCount(layout().ClientHeight, rowLine());
}

int TStringGrid::VisibleColCount() const {
    return FCols.VisibleCount(layout().ClientWidth, colLine());
}

TRect TStringGrid::CellRect(int col, int row) const {
    const Layout l = layout();
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return {};
    const int x = FCols.PosOf(col, l.ClientWidth, colLine());
    if (x < 0) return {};
    const int y = FRows.PosOf(row, l.ClientHeight, rowLine());
    if (y < 0) return {};
    return {x, y, x + ColWidths(col), y + RowHeights(row)};
}

bool TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    const Layout l = layout();
    col = row = -1;
    if (x < 0 || y < 0 || x >= l.ClientWidth || y >= l.ClientHeight) return false;
    col = FCols.IndexAt(x, l.ClientWidth, colLine());
    row = FRows.IndexAt(y, l.ClientHeight, rowLine());
    if (col < 0 || row < 0) {
        col = row = -1;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Scrolling

void TStringGrid::setFirst(TGridAxis& axis, int v, int client, int line) {
    v = axis.ClampFirst(v, client, line);
    if (v == axis.First()) return;
    axis.SetFirstUnchecked(v);
    updateScrollBars();
    InvalidateGrid();
    placeEditor();
}

void TStringGrid::SetTopRow(int v) {
    setFirst(FRows, v, layout().ClientHeight, rowLine());
}

void TStringGrid::SetLeftCol(int v) {
    setFirst(FCols, v, layout().ClientWidth, colLine());
}

void TStringGrid::clampTopLeft() {
    const Layout l = layout();
    FRows.SetFirstUnchecked(FRows.ClampFirst(FRows.First(), l.ClientHeight, rowLine()));
    FCols.SetFirstUnchecked(FCols.ClampFirst(FCols.First(), l.ClientWidth, colLine()));
}

void TStringGrid::clampCurrent() {
    auto clampTo = [](int v, int lo, int hi) { return std::clamp(v, std::min(lo, hi), hi); };
    FCol = clampTo(FCol, 0, ColCount() - 1);
    FRow = clampTo(FRow, 0, RowCount() - 1);
    FAnchorCol = clampTo(FAnchorCol, 0, ColCount() - 1);
    FAnchorRow = clampTo(FAnchorRow, 0, RowCount() - 1);
    clampTopLeft();
}

void TStringGrid::updateScrollBars() {
    // While the window paints nothing (a run rebuilt action by action), the
    // bars are set once at the end instead of at every row: asking the style
    // for their sizes was a third of a rebuild.
    if (!updatesEnabled()) {
        FScrollBarsStale = true;
        return;
    }
    FScrollBarsStale = false;
    const Layout l = layout();
    FUpdatingScroll = true;
    setVerticalScrollBarPolicy(l.VBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(l.HBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    syncScrollBar(verticalScrollBar(), FRows, l.ClientHeight, rowLine());
    syncScrollBar(horizontalScrollBar(), FCols, l.ClientWidth, colLine());
    FUpdatingScroll = false;
}

void TStringGrid::scrollContentsBy(int, int) {
    if (FUpdatingScroll) return;
    const int top = verticalScrollBar()->value();
    const int left = horizontalScrollBar()->value();
    if (top != TopRow()) SetTopRow(top);
    if (left != LeftCol()) SetLeftCol(left);
}

// Scrolls the least needed to show the whole cell.
void TStringGrid::scrollIntoView(int col, int row) {
    const Layout l = layout();
    if (const auto top = FRows.ScrollTarget(row, l.ClientHeight, rowLine())) SetTopRow(*top);
    if (const auto left = FCols.ScrollTarget(col, l.ClientWidth, colLine())) SetLeftCol(*left);
}

// ---------------------------------------------------------------------------
// Current cell and selection

TGridRect TStringGrid::Selection() const {
    if (FOptions & goRowSelect)
        return {FCols.Fixed(), std::min(FAnchorRow, FRow), FCols.Count() - 1,
                std::max(FAnchorRow, FRow)};
    return {std::min(FAnchorCol, FCol), std::min(FAnchorRow, FRow), std::max(FAnchorCol, FCol),
            std::max(FAnchorRow, FRow)};
}

void TStringGrid::SetSelection(const TGridRect& r) {
    FAnchorCol = std::clamp(r.Left, 0, FCols.Count() - 1);
    FAnchorRow = std::clamp(r.Top, 0, FRows.Count() - 1);
    FCol = std::clamp(r.Right, 0, FCols.Count() - 1);
    FRow = std::clamp(r.Bottom, 0, FRows.Count() - 1);
    InvalidateGrid();
    updateEdit();
    // Set by the program (a lap row written and selected), not by the user:
    // tools hear of it even when the cell stays the same, since it was written.
    announceCurrentCell();
}

void TStringGrid::moveCurrent(int col, int row, bool moveAnchor, bool show) {
    col = std::clamp(col, FCols.Fixed(), FCols.Count() - 1);
    row = std::clamp(row, FRows.Fixed(), FRows.Count() - 1);
    const bool moved = col != FCol || row != FRow;
    FCol = col;
    FRow = row;
    if (moveAnchor || !(FOptions & goRangeSelect)) {
        FAnchorCol = col;
        FAnchorRow = row;
    }
    if (show) scrollIntoView(col, row);
    InvalidateGrid();
    if (moved) announceCurrentCell();
}

void TStringGrid::announceCurrentCell() {
    if (!Accessible::Listening()) return;
    // A tool knows a cell by its child index, which the grid counts as Qt's
    // own tables do (row by row, header rows and columns included), so the
    // grid need not ask its accessible interface; a grid too large for an
    // int of cells has no index to give.
    const qint64 index = static_cast<qint64>(FRow) * ColCount() + FCol;
    if (index > std::numeric_limits<int>::max()) return;
    const int child = static_cast<int>(index);
    // Bridges that know the active descendant hear it; the AT-SPI bridge of
    // Qt 6.4 forwards only the cell's selected state.
    Accessible::Notify(this, QAccessible::ActiveDescendantChanged, child);
    Accessible::Notify(this, QAccessible::Selection, child);
    if (hasFocus()) Accessible::Notify(this, QAccessible::Focus, child);
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
    if (FOptions & goRowSelect) FAnchorCol = FCols.Count() - 1;
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

template <class T> void TStringGrid::repaintingSet(T& field, T v) {
    if (Change(field, v)) InvalidateGrid();
}

void TStringGrid::SetColor(TColor v) {
    repaintingSet(FColor, v);
}

void TStringGrid::SetFixedColor(TColor v) {
    repaintingSet(FFixedColor, v);
}

void TStringGrid::SetDefaultDrawing(bool v) {
    repaintingSet(FDefaultDrawing, v);
}

void TStringGrid::InvalidateGrid() {
    viewport()->update();
}

void TStringGrid::InvalidateCell(int col, int row) {
    // Nothing on screen to refresh, or nothing painted now: the whole view is
    // painted again when painting resumes.
    if (!viewport()->isVisible() || !viewport()->updatesEnabled()) return;
    const TRect r = CellRect(col, row);
    if (r.Width() <= 0 && r.Height() <= 0) return;
    viewport()->update(
        QRect(r.Left, r.Top, r.Width() + FGridLineWidth, r.Height() + FGridLineWidth));
}

void TStringGrid::InvalidateRow(int row) {
    if (!viewport()->isVisible() || !viewport()->updatesEnabled() || row < 0 || row >= RowCount())
        return;
    const Layout l = layout();
    const int y = FRows.PosOf(row, l.ClientHeight, rowLine());
    if (y < 0) return; // scrolled out of view
    viewport()->update(QRect(0, y, l.ClientWidth, RowHeights(row) + FGridLineWidth));
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
    const std::vector<TGridSpan> cols = FCols.Visible(l.ClientWidth, colLine());
    const std::vector<TGridSpan> rows = FRows.Visible(l.ClientHeight, rowLine());
    const PaintPass pass{Selection(), hasGridFocus(), FEditor && FEditor->isVisible(), colLine(),
                         rowLine()};
    for (const TGridSpan& rs : rows)
        for (const TGridSpan& cs : cols)
            paintCell(canvas, pass, cs, rs);
    fillBeyondCells(canvas, l, cols, rows, pass);
}

TGridDrawState TStringGrid::cellState(const PaintPass& pass, int col, int row) const {
    if (col < FixedCols() || row < FixedRows()) return gdFixed;
    TGridDrawState state = 0;
    if (pass.Selection.Contains(col, row)) state |= gdSelected;
    if (pass.Focused && col == FCol && row == FRow) state |= gdFocused;
    return state;
}

void TStringGrid::paintCell(TCanvas& canvas, const PaintPass& pass, const TGridSpan& cs,
                            const TGridSpan& rs) {
    const int col = cs.Index, row = rs.Index;
    const TRect rect{cs.Pos, rs.Pos, cs.Pos + cs.Size, rs.Pos + rs.Size};
    const TGridDrawState state = cellState(pass, col, row);
    const bool fixed = state & gdFixed;
    canvas.Font = FFont;
    if (FDefaultDrawing) drawCellBackground(canvas, rect, col, row, state);
    DrawCell(canvas, col, row, rect, state);
    if (FDefaultDrawing && fixed) drawFixedEdge(canvas, rect);
    drawRowMark(canvas, rect, col, row, state);
    drawCellLines(canvas, pass, rect, fixed);
    drawFocusFrame(canvas, pass, rect, state);
}

void TStringGrid::drawCellBackground(TCanvas& canvas, const TRect& rect, int col, int row,
                                     TGridDrawState state) const {
    // The toolkit's own fill, whatever a derived grid paints over it.
    canvas.Brush.Color = TStringGrid::CellBackground(col, row, state);
    if (highlighted(state)) canvas.Font.Color = clHighlightText;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(rect);
}

bool TStringGrid::highlighted(TGridDrawState state) const {
    return !(state & gdFixed) && (state & gdSelected) &&
           (!(state & gdFocused) || (FOptions & (goDrawFocusSelected | goRowSelect)));
}

TColor TStringGrid::CellBackground(int, int, TGridDrawState state) const {
    if (state & gdFixed) return FFixedColor;
    return highlighted(state) ? clHighlight : FColor;
}

// A frame around the whole row: its top and bottom edge in every cell, its
// sides in the first and last column, inside the cells so that the grid
// lines and the neighbouring rows stay as they are.
void TStringGrid::drawRowMark(TCanvas& canvas, const TRect& rect, int col, int row,
                              TGridDrawState state) const {
    if (FRowMarks.empty() || !FRowMarks.contains(row)) return;
    const int w = RowMarkWidth;
    canvas.Brush.Color = RowMarkColor(CellBackground(col, row, state));
    canvas.Brush.Style = bsSolid;
    canvas.FillRect({rect.Left, rect.Top, rect.Right, std::min(rect.Bottom, rect.Top + w)});
    canvas.FillRect({rect.Left, std::max(rect.Top, rect.Bottom - w), rect.Right, rect.Bottom});
    if (col == 0)
        canvas.FillRect({rect.Left, rect.Top, std::min(rect.Right, rect.Left + w), rect.Bottom});
    if (col == ColCount() - 1)
        canvas.FillRect({std::max(rect.Left, rect.Right - w), rect.Top, rect.Right, rect.Bottom});
}

// The raised edge of a fixed cell, along the fixed lines that are on.
void TStringGrid::drawFixedEdge(TCanvas& canvas, const TRect& rect) const {
    const bool v = FOptions & goFixedVertLine, h = FOptions & goFixedHorzLine;
    if (!v && !h) return;
    canvas.Brush.Style = bsSolid;
    if (h) {
        canvas.Brush.Color = clBtnHighlight;
        canvas.FillRect({rect.Left, rect.Top, rect.Right, rect.Top + 1});
        canvas.Brush.Color = clBtnShadow;
        canvas.FillRect({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom});
    }
    if (v) {
        canvas.Brush.Color = clBtnHighlight;
        canvas.FillRect({rect.Left, rect.Top, rect.Left + 1, rect.Bottom - (h ? 1 : 0)});
        canvas.Brush.Color = clBtnShadow;
        canvas.FillRect({rect.Right - 1, rect.Top + (h ? 1 : 0), rect.Right, rect.Bottom});
    }
}

// The grid lines at the right and bottom of the cell; a line that is off
// leaves a gap in the cell's own colour.
void TStringGrid::drawCellLines(TCanvas& canvas, const PaintPass& pass, const TRect& rect,
                                bool fixed) const {
    const int vlw = pass.ColLine, hlw = pass.RowLine;
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
}

void TStringGrid::drawFocusFrame(TCanvas& canvas, const PaintPass& pass, const TRect& rect,
                                 TGridDrawState state) const {
    if (FDefaultDrawing && (state & gdFocused) && !pass.EditorShown && !(FOptions & goRowSelect))
        canvas.DrawFocusRect(rect);
}

void TStringGrid::fillBeyondCells(TCanvas& canvas, const Layout& l,
                                  const std::vector<TGridSpan>& cols,
                                  const std::vector<TGridSpan>& rows, const PaintPass& pass) const {
    int right = 0, bottom = 0;
    if (!cols.empty()) right = cols.back().Pos + cols.back().Size + pass.ColLine;
    if (!rows.empty()) bottom = rows.back().Pos + rows.back().Size + pass.RowLine;
    canvas.Brush.Color = FColor;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect({right, 0, l.ClientWidth, l.ClientHeight});
    canvas.FillRect({0, bottom, std::min(right, l.ClientWidth), l.ClientHeight});
}

void TStringGrid::SyncScrollBars() {
    if (FScrollBarsStale) updateScrollBars();
}

void TStringGrid::paintEvent(QPaintEvent*) {
    SyncScrollBars();
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
    const bool fixed = FEditCol < FCols.Fixed() || FEditRow < FRows.Fixed();
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
    FEditor->typeChar(ch);
}

void TStringGrid::EditorTextEdited(const QString& text) {
    if (FEditCol >= 0 && FEditRow >= 0) SetEditText(FEditCol, FEditRow, text);
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
            row = FRows.Fixed();
        else
            col = FCols.Fixed();
        break;
    case VK_END:
        if (ctrl)
            row = FRows.Count() - 1;
        else
            col = FCols.Count() - 1;
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
            if (--col < FCols.Fixed()) {
                col = FCols.Count() - 1;
                if (--row < FRows.Fixed()) row = FRows.Count() - 1;
            }
        } else if (++col >= FCols.Count()) {
            col = FCols.Fixed();
            if (++row >= FRows.Count()) row = FRows.Fixed();
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
    col = std::clamp(col, FCols.Fixed(), FCols.Count() - 1);
    row = std::clamp(row, FRows.Fixed(), FRows.Count() - 1);
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
    if (col < FCols.Fixed() || row < FRows.Fixed()) return;
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
    if (col < FCols.Fixed() || row < FRows.Fixed() || (col == FCol && row == FRow)) return;
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
