#include "StringGrid.h"
#include "GridShape.h"
#include "RowText.h"

#include <QInputMethodEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace {

// The two grid layouts of the main window: the lap grid and the mix grid.
void MakeLapGrid(TStringGrid& g) {
    SetShape(g, 761, 214, {10, 20, 0, 1, 73, 18});
}

void MakeMixGrid(TStringGrid& g) {
    SetShape(g, 385, 120, {10, 30, 0, 1, 72, 18});
    g.SetScrollBars(ssVertical);
}

QRgb Rgb(TColor c) {
    return ToQColor(c).rgb();
}

// Pixel of the rendered widget at a point given in viewport coordinates.
QRgb ViewportPixel(const QImage& img, const TStringGrid& g, int x, int y) {
    return img.pixel(x + g.frameWidth(), y + g.frameWidth()) | 0xFF000000u;
}

} // namespace

// ---------------------------------------------------------------------------
// Cell storage

TEST(StringGridStorage, WritesOutsideTheShownCellsSurviveAndReappear) {
    TStringGrid g; // 5 x 5
    g.SetCells(7, 2, QStringLiteral("beyond columns"));
    g.SetCells(1, 12, QStringLiteral("beyond rows"));
    g.SetCells(3, 3, QStringLiteral("inside"));

    g.SetRowCount(2);
    g.SetColCount(2);
    EXPECT_EQ(g.Cells(7, 2), QStringLiteral("beyond columns"));
    EXPECT_EQ(g.Cells(3, 3), QStringLiteral("inside")) << "shrinking the grid must not drop cells";

    g.SetRowCount(20);
    g.SetColCount(10);
    EXPECT_EQ(g.Cells(7, 2), QStringLiteral("beyond columns"));
    EXPECT_EQ(g.Cells(1, 12), QStringLiteral("beyond rows"));
    EXPECT_EQ(g.Cells(3, 3), QStringLiteral("inside"));
    EXPECT_EQ(g.RowCells(12).at(1), QStringLiteral("beyond rows"));
}

TEST(StringGridStorage, UnwrittenAndNegativeCellsReadEmptyNegativeWritesAreIgnored) {
    TStringGrid g;
    g.SetCells(2, 2, QStringLiteral("a"));
    g.SetCells(-1, 0, QStringLiteral("x"));
    g.SetCells(0, -1, QStringLiteral("x"));
    g.SetRowText(-1, QStringLiteral("a,b"));
    const std::pair<int, int> probes[] = {{0, 0},       {2, 1},  {3, 2},  {2, 3},
                                          {1000, 1000}, {-1, 0}, {0, -1}, {-5, -5}};
    for (auto [c, r] : probes)
        EXPECT_TRUE(g.Cells(c, r).isEmpty()) << c << "," << r;
    EXPECT_EQ(g.StoredRowCount(), 3);
}

TEST(StringGridStorage, CellViewReadsWhatCellsReads) {
    TStringGrid g;
    g.SetCells(2, 2, QStringLiteral("a"));
    g.SetCells(0, 4, QStringLiteral(" b,c "));
    g.SetCells(1, 2, QStringLiteral("x"));
    g.SetCells(1, 2, QString()); // stored, then emptied
    for (int r = -1; r < 7; ++r)
        for (int c = -1; c < 5; ++c)
            EXPECT_EQ(g.CellView(c, r).toString(), g.Cells(c, r)) << c << "," << r;
    EXPECT_EQ(g.CellView(0, 4), QStringLiteral(" b,c "));
    EXPECT_TRUE(g.CellView(1, 2).isEmpty());
    EXPECT_TRUE(g.CellView(1000, 1000).isEmpty());
    EXPECT_TRUE(g.CellView(-1, 2).isEmpty());
}

TEST(StringGridStorage, StoreRowCellsStoresLikeSetCellsFromTheLastCellBack) {
    // Rows already holding text in various lengths, then stored over.
    struct Case {
        int Row, FirstCol;
        QStringList Before, Cells;
    };
    const Case cases[] = {
        {2, 0, {}, {QStringLiteral("a"), QString(), QStringLiteral("c")}},
        {2, 1, {}, {QString(), QString()}}, // nothing to store: no storage either
        {1, 2, {}, {QStringLiteral("x"), QString(), QString()}},
        {1,
         0,
         {QStringLiteral("p"), QStringLiteral("q"), QStringLiteral("r"), QStringLiteral("s")},
         {QStringLiteral("p"), QString()}},
        {0, 1, {QStringLiteral("p")}, {QString(), QString(), QStringLiteral("z"), QString()}},
        {3, 0, {QStringLiteral("p"), QString(), QStringLiteral("r")}, {QString(), QString()}},
    };
    for (const Case& c : cases) {
        TStringGrid a, b;
        for (int i = 0; i < c.Before.size(); ++i) {
            a.SetCells(i, c.Row, c.Before[i]);
            b.SetCells(i, c.Row, c.Before[i]);
        }
        for (int i = int(c.Cells.size()) - 1; i >= 0; --i)
            a.SetCells(c.FirstCol + i, c.Row, c.Cells[i]);
        std::vector<QString> cells(c.Cells.begin(), c.Cells.end());
        b.StoreRowCells(c.Row, c.FirstCol, cells);
        EXPECT_EQ(b.StoredRowCount(), a.StoredRowCount()) << c.Row << "," << c.FirstCol;
        for (int r = 0; r < 6; ++r)
            EXPECT_EQ(b.RowCells(r), a.RowCells(r)) << r;
        for (int col = 5; col < 8; ++col)
            EXPECT_EQ(b.Cells(col, c.Row), a.Cells(col, c.Row)) << col;
    }
    TStringGrid g;
    std::vector<QString> cells{QStringLiteral("x")};
    g.StoreRowCells(-1, 0, cells);
    g.StoreRowCells(0, -1, cells);
    EXPECT_EQ(g.StoredRowCount(), 0);
}

TEST(StringGridStorage, RowTextFillsColCountCellsByTheRowTextRule) {
    struct Case {
        QString Text;
        int Cols;
    };
    const Case cases[] = {
        {QStringLiteral("a,b,c"), 5},
        {QStringLiteral("a,,b"), 4},          // an empty field leaves its cell to the next one
        {QStringLiteral(" \"x, y\" , z"), 3}, // quoted text keeps its comma and blanks
        {QStringLiteral("1,2,3,4,5,6,7"), 4}, // more fields than cells
        {QStringLiteral(" 00:00:01:000,9"), 2},
    };
    for (const Case& c : cases) {
        TStringGrid g;
        g.SetColCount(c.Cols);
        g.SetCells(c.Cols, 1, QStringLiteral("outside"));
        g.SetCells(0, 1, QStringLiteral("old"));
        g.SetCells(c.Cols - 1, 1, QStringLiteral("old"));
        g.SetRowText(1, c.Text);
        EXPECT_EQ(g.RowCells(1), RowTextCells(c.Text, c.Cols)) << c.Text.toStdString();
        EXPECT_EQ(g.Cells(c.Cols, 1), QStringLiteral("outside"))
            << "only ColCount cells belong to the row text";
    }
    TStringGrid g;
    g.SetColCount(4);
    g.SetRowText(2, QStringLiteral("a,,b"));
    EXPECT_EQ(g.RowCells(2), (QStringList{"a", "b", "", ""}));
}

TEST(StringGridStorage, ClearColumnEmptiesEveryStoredRow) {
    TStringGrid g;
    g.SetRowCount(3);
    for (int r : {0, 1, 2, 9}) {
        g.SetCells(1, r, QStringLiteral("c1"));
        g.SetCells(2, r, QStringLiteral("c2"));
    }
    g.ClearColumn(1);
    g.ClearColumn(40); // never written: nothing to do, nothing breaks
    g.ClearColumn(-1);
    for (int r : {0, 1, 2, 9}) {
        EXPECT_TRUE(g.Cells(1, r).isEmpty()) << r;
        EXPECT_EQ(g.Cells(2, r), QStringLiteral("c2")) << r;
    }
}

TEST(StringGridStorage, ExchangeRowsSwapsWholeRowsIncludingTheRowAfterTheLast) {
    TStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(4);
    g.SetRowText(1, QStringLiteral("a,b,c"));
    g.SetCells(6, 1, QStringLiteral("far"));
    g.SetRowText(2, QStringLiteral("x,y,z"));

    g.ExchangeRows(1, 2);
    EXPECT_EQ(g.RowCells(1), (QStringList{"x", "y", "z"}));
    EXPECT_EQ(g.RowCells(2), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(g.Cells(6, 2), QStringLiteral("far"))
        << "columns beyond ColCount travel with their row";

    // The row moves use the row just past the last one as a buffer.
    const int buffer = g.RowCount();
    g.ExchangeRows(1, buffer);
    g.ExchangeRows(1, 2);
    g.ExchangeRows(2, buffer);
    EXPECT_EQ(g.RowCells(1), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(g.RowCells(2), (QStringList{"x", "y", "z"}));
    EXPECT_EQ(g.RowCells(buffer), (QStringList{"", "", ""}));
    EXPECT_TRUE(g.Cells(6, buffer).isEmpty());
}

// ---------------------------------------------------------------------------
// Counts

TEST(StringGridCounts, ClassicDefaults) {
    TStringGrid g;
    EXPECT_EQ(ShapeOf(g), (GridShape{5, 5, 1, 1, 64, 24}));
    EXPECT_EQ(g.GridLineWidth(), 1);
    EXPECT_EQ(g.Options(), DefaultGridOptions);
    EXPECT_EQ(g.Color(), clWindow);
    EXPECT_EQ(g.FixedColor(), clBtnFace);
    EXPECT_EQ(g.ScrollBars(), ssBoth);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.TopRow(), 1);
    EXPECT_EQ(g.LeftCol(), 1);
    EXPECT_EQ(g.frameWidth(), 2);
    EXPECT_EQ(g.focusPolicy(), Qt::StrongFocus);
}

TEST(StringGridCounts, RowAndColumnCountRules) {
    struct Case {
        int FixedBefore, Count, WantCount, WantFixed;
    };
    const Case cases[] = {
        {1, 0, 1, 0}, {1, -3, 1, 0}, {1, 1, 1, 0},   {1, 2, 2, 1},
        {3, 3, 3, 2}, {3, 2, 2, 1},  {2, 10, 10, 2},
    };
    // Rows and columns follow the same rules, each through its own setters.
    struct Axis {
        const char* name;
        void (TStringGrid::*setCount)(int);
        void (TStringGrid::*setFixed)(int);
        int (TStringGrid::*count)() const;
        int (TStringGrid::*fixed)() const;
        int (TStringGrid::*current)() const;
    };
    const Axis axes[] = {
        {"rows", &TStringGrid::SetRowCount, &TStringGrid::SetFixedRows, &TStringGrid::RowCount,
         &TStringGrid::FixedRows, &TStringGrid::Row},
        {"cols", &TStringGrid::SetColCount, &TStringGrid::SetFixedCols, &TStringGrid::ColCount,
         &TStringGrid::FixedCols, &TStringGrid::Col},
    };
    for (const Case& c : cases) {
        for (const Axis& a : axes) {
            TStringGrid g;
            (g.*a.setCount)(10);
            (g.*a.setFixed)(c.FixedBefore);
            (g.*a.setCount)(c.Count);
            EXPECT_EQ((g.*a.count)(), c.WantCount) << a.name << " " << c.Count;
            EXPECT_EQ((g.*a.fixed)(), c.WantFixed) << a.name << " " << c.Count;
            EXPECT_GE((g.*a.current)(), (g.*a.fixed)()) << a.name;
            EXPECT_LT((g.*a.current)(), (g.*a.count)()) << a.name;
        }
    }
}

TEST(StringGridCounts, FixedCountsStayBelowTheCounts) {
    TStringGrid g;
    g.SetFixedRows(5); // RowCount is 5
    EXPECT_EQ(g.FixedRows(), 4);
    g.SetFixedCols(99);
    EXPECT_EQ(g.FixedCols(), 4);
    g.SetFixedRows(-2);
    EXPECT_EQ(g.FixedRows(), 0);
    EXPECT_EQ(g.Row(), 0);
    EXPECT_EQ(g.TopRow(), 0);
}

TEST(StringGridCounts, CurrentCellFollowsAShrinkingGrid) {
    TStringGrid g;
    g.SetRowCount(30);
    g.FocusCell(3, 25);
    g.SetRowCount(10);
    g.SetColCount(3);
    EXPECT_EQ(g.Row(), 9);
    EXPECT_EQ(g.Col(), 2);
}

class SizeWatchGrid : public TStringGrid {
public:
    std::vector<std::pair<int, int>> Calls;

protected:
    void SizeChanged(int oldCols, int oldRows) override {
        Calls.emplace_back(oldCols, oldRows);
        TStringGrid::SizeChanged(oldCols, oldRows);
    }
};

TEST(StringGridCounts, SizeChangeIsAnnouncedWithTheOldCounts) {
    SizeWatchGrid g;
    g.SetColCount(10);
    g.SetRowCount(8);
    g.SetRowCount(8); // unchanged: no notice
    ASSERT_EQ(g.Calls.size(), 2u);
    EXPECT_EQ(g.Calls[0], std::make_pair(5, 5));
    EXPECT_EQ(g.Calls[1], std::make_pair(10, 5));
}

// ---------------------------------------------------------------------------
// Geometry and scrolling

TEST(StringGridGeometry, VisibleRowsOfTheWindowLayouts) {
    TStringGrid lap;
    MakeLapGrid(lap);
    EXPECT_EQ(lap.VisibleRowCount(), 10);
    EXPECT_EQ(lap.VisibleColCount(), 10);
    lap.show();
    // 2-pixel border; 20 rows do not fit, so a vertical bar; ten columns of
    // 73 + 1 still fit beside it, so no horizontal bar.
    EXPECT_TRUE(lap.verticalScrollBar()->isVisible());
    EXPECT_FALSE(lap.horizontalScrollBar()->isVisible());
    EXPECT_EQ(lap.viewport()->geometry(), QRect(2, 2, 761 - 4 - 16, 210));
    EXPECT_EQ(lap.CellRect(9, 10), (TRect{9 * 74, 10 * 19, 9 * 74 + 73, 10 * 19 + 18}));

    TStringGrid mix;
    MakeMixGrid(mix);
    EXPECT_EQ(mix.VisibleRowCount(), 5);
    mix.show();
    EXPECT_TRUE(mix.verticalScrollBar()->isVisible());
    EXPECT_FALSE(mix.horizontalScrollBar()->isVisible()) << "only the vertical bar is allowed";
    EXPECT_EQ(mix.viewport()->height(), 120 - 2 * 2);
}

TEST(StringGridGeometry, VisibleRowsStopAtTheLastRow) {
    TStringGrid g;
    MakeLapGrid(g);
    g.SetRowCount(14);
    g.SetTopRow(1);
    EXPECT_EQ(g.VisibleRowCount(), 10);
    g.SetTopRow(4); // the highest top row: rows 4..13
    EXPECT_EQ(g.TopRow(), 4);
    EXPECT_EQ(g.VisibleRowCount(), 10);
    g.SetRowCount(8); // everything fits now
    EXPECT_EQ(g.TopRow(), 1);
    EXPECT_EQ(g.VisibleRowCount(), 7);
}

TEST(StringGridGeometry, LapScrollingKeepsTheNewRowLastVisible) {
    // The lap handler grows the grid from lap 20 on and then sets the top row
    // so that the newest lap is the last fully visible row.
    for (auto make : {MakeLapGrid, MakeMixGrid}) {
        TStringGrid g;
        make(g);
        const int initialRows = g.RowCount();
        for (int lap = 1; lap <= 60; ++lap) {
            if (lap >= initialRows) g.SetRowCount(lap + 1);
            g.SetRowText(lap, QString::number(lap));
            g.SetSelection({0, 0, 0, lap});
            const int vis = g.VisibleRowCount();
            if (vis < lap) {
                const int want = lap - vis + 1;
                g.SetTopRow(want);
                ASSERT_EQ(g.TopRow(), want) << "lap " << lap;
                EXPECT_EQ(g.TopRow() + g.VisibleRowCount() - 1, lap)
                    << "lap " << lap << " is the last whole row";
            }
            ASSERT_GT(g.CellRect(0, lap).Height(), 0) << "lap " << lap << " must be shown";
        }
        EXPECT_EQ(g.TopRow(), 60 - g.VisibleRowCount() + 1);
    }
}

TEST(StringGridGeometry, TopRowIsClampedToTheScrollableRange) {
    TStringGrid g;
    MakeLapGrid(g); // 20 rows, 10 fit: top rows 1..10
    const std::pair<int, int> cases[] = {{0, 1}, {-7, 1}, {5, 5}, {10, 10}, {11, 10}, {500, 10}};
    for (auto [set, want] : cases) {
        g.SetTopRow(set);
        EXPECT_EQ(g.TopRow(), want) << set;
    }
}

TEST(StringGridGeometry, ScrollBarFollowsTopRowAndMovesIt) {
    TStringGrid g;
    MakeMixGrid(g);
    g.show();
    QScrollBar* vb = g.verticalScrollBar();
    EXPECT_EQ(vb->minimum(), 1);
    EXPECT_EQ(vb->maximum(), 30 - 5);
    g.SetTopRow(7);
    EXPECT_EQ(vb->value(), 7);
    vb->setValue(12);
    EXPECT_EQ(g.TopRow(), 12);
    EXPECT_EQ(g.CellRect(0, 12).Top, 19) << "the new top row sits under the fixed row";
    EXPECT_EQ(g.CellRect(0, 11), TRect{});
    vb->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(g.TopRow(), 13);
}

TEST(StringGridGeometry, ScrollBarsOnlyWhenNeededAndAllowed) {
    struct Case {
        TScrollStyle Style;
        int Rows, Cols;
        bool WantV, WantH;
    };
    const Case cases[] = {
        {ssBoth, 3, 3, false, false},      {ssBoth, 50, 2, true, false},
        {ssBoth, 50, 3, true, true},       {ssBoth, 3, 50, false, true},
        {ssBoth, 50, 50, true, true},      {ssNone, 50, 50, false, false},
        {ssVertical, 50, 50, true, false}, {ssHorizontal, 50, 50, false, true},
    };
    for (const Case& c : cases) {
        TStringGrid g;
        g.resize(200, 150);
        g.SetScrollBars(c.Style);
        g.SetRowCount(c.Rows);
        g.SetColCount(c.Cols);
        g.show();
        EXPECT_EQ(g.verticalScrollBar()->isVisible(), c.WantV)
            << c.Style << " " << c.Rows << "x" << c.Cols;
        EXPECT_EQ(g.horizontalScrollBar()->isVisible(), c.WantH)
            << c.Style << " " << c.Rows << "x" << c.Cols;
    }
}

TEST(StringGridGeometry, MouseToCellInvertsCellRect) {
    TStringGrid g;
    g.resize(300, 200);
    g.SetRowCount(40);
    g.SetColWidths(2, 30);
    g.SetRowHeights(3, 40);
    g.SetTopRow(2);
    for (int r : {0, 2, 3, 4}) {
        for (int c : {0, 1, 2, 3}) {
            const TRect rect = g.CellRect(c, r);
            ASSERT_GT(rect.Width(), 0);
            int col = -1, row = -1;
            ASSERT_TRUE(g.MouseToCell(rect.Left, rect.Top, col, row));
            EXPECT_EQ(std::make_pair(col, row), std::make_pair(c, r));
            ASSERT_TRUE(g.MouseToCell(rect.Right - 1, rect.Bottom - 1, col, row));
            EXPECT_EQ(std::make_pair(col, row), std::make_pair(c, r));
        }
    }
    EXPECT_EQ(g.CellRect(1, 1), TRect{}) << "row 1 is scrolled away";
    EXPECT_EQ(g.CellRect(2, 3).Height(), 40);
    EXPECT_EQ(g.CellRect(2, 3).Width(), 30);
}

// ---------------------------------------------------------------------------
// Current cell, selection, clicks

TEST(StringGridSelection, SetSelectionStoresAnchorAndCurrent) {
    TStringGrid g;
    g.SetRowCount(20);
    g.SetFixedCols(0);
    int clicks = 0;
    g.OnClick = [&](QObject*) { ++clicks; };
    g.SetSelection({0, 0, 0, 12});
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.Row(), 12);
    EXPECT_EQ(g.Selection(), (TGridRect{0, 0, 0, 12}));
    g.SetSelection({3, 9, 1, 2}); // anchor below and right of the current cell
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Selection(), (TGridRect{1, 2, 3, 9}));
    EXPECT_EQ(clicks, 0) << "setting the selection is no click";
}

TEST(StringGridSelection, FocusCellScrollsIntoViewAndClicks) {
    TStringGrid g;
    MakeLapGrid(g);
    g.SetRowCount(100);
    int clicks = 0;
    g.OnClick = [&](QObject* s) {
        EXPECT_EQ(s, &g);
        ++clicks;
    };
    g.FocusCell(4, 50);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(g.Col(), 4);
    EXPECT_EQ(g.Row(), 50);
    EXPECT_EQ(g.TopRow(), 41) << "scrolled just far enough to show row 50 whole";
    EXPECT_EQ(g.Selection(), (TGridRect{4, 50, 4, 50}));
    g.FocusCell(2, 45, false);
    EXPECT_EQ(g.Selection(), (TGridRect{2, 45, 4, 50}));
    EXPECT_EQ(g.TopRow(), 41);
    g.FocusCell(0, 3);
    EXPECT_EQ(g.TopRow(), 3);
    g.FocusCell(0, 0); // row 0 is fixed: the first scrollable row instead
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(clicks, 4);
}

TEST(StringGridSelection, KeysMoveTheCurrentCell) {
    TStringGrid g;
    MakeLapGrid(g);
    g.SetRowCount(50);
    g.show();
    int clicks = 0;
    g.OnClick = [&](QObject*) { ++clicks; };
    struct Step {
        Qt::Key Key;
        Qt::KeyboardModifiers Mods;
        int Col, Row;
    };
    const Step steps[] = {
        {Qt::Key_Down, Qt::NoModifier, 0, 2},      {Qt::Key_Right, Qt::NoModifier, 1, 2},
        {Qt::Key_Up, Qt::NoModifier, 1, 1},        {Qt::Key_Up, Qt::NoModifier, 1, 1},
        {Qt::Key_PageDown, Qt::NoModifier, 1, 11}, {Qt::Key_End, Qt::NoModifier, 9, 11},
        {Qt::Key_Home, Qt::NoModifier, 0, 11},     {Qt::Key_End, Qt::ControlModifier, 0, 49},
        {Qt::Key_PageUp, Qt::NoModifier, 0, 39},   {Qt::Key_Home, Qt::ControlModifier, 0, 1},
        {Qt::Key_Left, Qt::NoModifier, 0, 1},
    };
    int moves = 0;
    int lastCol = g.Col(), lastRow = g.Row();
    for (const Step& s : steps) {
        QTest::keyClick(&g, s.Key, s.Mods);
        EXPECT_EQ(std::make_pair(g.Col(), g.Row()), std::make_pair(s.Col, s.Row)) << s.Key;
        if (s.Col != lastCol || s.Row != lastRow) ++moves;
        lastCol = s.Col;
        lastRow = s.Row;
        const TRect r = g.CellRect(g.Col(), g.Row());
        EXPECT_GT(r.Height(), 0) << "the current cell is kept in view";
    }
    EXPECT_EQ(clicks, moves);
    // Shift extends the selection from the anchor.
    QTest::keyClick(&g, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&g, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(g.Selection(), (TGridRect{0, 1, 1, 2}));
}

TEST(StringGridSelection, TabMovesOnlyWithGoTabs) {
    TStringGrid g;
    g.resize(400, 200);
    g.show();
    g.setFocus();
    QTest::keyClick(&g, Qt::Key_Tab);
    EXPECT_EQ(g.Col(), 1);
    g.SetOptions(g.Options() | goTabs);
    QTest::keyClick(&g, Qt::Key_Tab);
    EXPECT_EQ(g.Col(), 2);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&g, Qt::Key_Tab);
    EXPECT_EQ(std::make_pair(g.Col(), g.Row()), std::make_pair(1, 2))
        << "Tab wraps to the next row";
    QTest::keyClick(&g, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(std::make_pair(g.Col(), g.Row()), std::make_pair(4, 1));
}

TEST(StringGridSelection, MousePressSelectsAndClicks) {
    TStringGrid g;
    g.resize(400, 200);
    g.show();
    g.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g));
    int clicks = 0;
    g.OnClick = [&](QObject*) { ++clicks; };
    auto centre = [&](int c, int r) {
        const TRect rc = g.CellRect(c, r);
        return QPoint((rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
    };
    QTest::mouseClick(g.viewport(), Qt::LeftButton, Qt::NoModifier, centre(3, 2));
    EXPECT_EQ(std::make_pair(g.Col(), g.Row()), std::make_pair(3, 2));
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(1, 4));
    EXPECT_EQ(g.Selection(), (TGridRect{1, 2, 3, 4}));
    EXPECT_EQ(clicks, 2);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, Qt::NoModifier, centre(0, 0)); // fixed corner
    EXPECT_EQ(std::make_pair(g.Col(), g.Row()), std::make_pair(1, 4));
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(g.hasFocus());
}

// ---------------------------------------------------------------------------
// Painting

namespace {
// A small grid with easily told colours: 3 columns of 20, 4 rows of 10.
void MakeSmallGrid(TStringGrid& g) {
    SetShape(g, 100, 80, {3, 4, 1, 1, 20, 10});
    g.SetColor(clYellow);
    g.SetFixedColor(clTeal);
}
} // namespace

TEST(StringGridPaint, FillsFixedDataSelectedCellsAndDrawsLines) {
    TStringGrid g;
    MakeSmallGrid(g);
    g.SetSelection({1, 1, 2, 2}); // anchor (1,1), current (2,2); the grid has no focus
    const QImage img = g.Render();

    // Interior pixels (away from the fixed cells' bevel).
    EXPECT_EQ(ViewportPixel(img, g, 10, 5), Rgb(clTeal)) << "fixed corner";
    EXPECT_EQ(ViewportPixel(img, g, 31, 5), Rgb(clTeal)) << "fixed top row";
    EXPECT_EQ(ViewportPixel(img, g, 10, 27), Rgb(clTeal)) << "fixed left column";
    EXPECT_EQ(ViewportPixel(img, g, 31, 16), Rgb(clHighlight)) << "selected (1,1)";
    EXPECT_EQ(ViewportPixel(img, g, 52, 27), Rgb(clHighlight))
        << "current cell of an unfocused grid";
    EXPECT_EQ(ViewportPixel(img, g, 52, 38), Rgb(clYellow)) << "unselected (2,3)";
    EXPECT_EQ(ViewportPixel(img, g, 80, 20), Rgb(clYellow)) << "beyond the last column";
    EXPECT_EQ(ViewportPixel(img, g, 30, 60), Rgb(clYellow)) << "below the last row";

    // Lines at the right and bottom of each cell: x = 20, 41, 62; y = 10, 21, 32, 43.
    EXPECT_EQ(ViewportPixel(img, g, 41, 38), Rgb(clSilver)) << "vertical data line";
    EXPECT_EQ(ViewportPixel(img, g, 52, 32), Rgb(clSilver)) << "horizontal data line";
    EXPECT_EQ(ViewportPixel(img, g, 62, 38), Rgb(clSilver)) << "line after the last column";
    EXPECT_EQ(ViewportPixel(img, g, 52, 43), Rgb(clSilver)) << "line after the last row";
    EXPECT_EQ(ViewportPixel(img, g, 20, 27), Rgb(clBlack)) << "fixed column line";
    EXPECT_EQ(ViewportPixel(img, g, 31, 10), Rgb(clBlack)) << "fixed row line";
    EXPECT_EQ(ViewportPixel(img, g, 52, 42), Rgb(clYellow)) << "no line inside a cell";
    EXPECT_EQ(ViewportPixel(img, g, 40, 38), Rgb(clYellow));
}

TEST(StringGridPaint, LineOptionsControlTheLines) {
    TStringGrid g;
    MakeSmallGrid(g);
    g.SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine);
    const QImage img = g.Render();
    // Without horizontal lines the rows close up: 10 pixels each.
    EXPECT_EQ(ViewportPixel(img, g, 41, 25), Rgb(clSilver));
    EXPECT_EQ(ViewportPixel(img, g, 52, 20), Rgb(clYellow));
    EXPECT_EQ(g.CellRect(1, 2).Top, 20);
}

TEST(StringGridPaint, TextOfTheCellsAndHighlightText) {
    TStringGrid g;
    MakeSmallGrid(g);
    g.SetDefaultColWidth(40);
    g.SetDefaultRowHeight(20);
    g.resize(200, 120);
    g.SetCells(1, 1, QStringLiteral("WWW"));
    g.SetCells(2, 2, QStringLiteral("WWW"));
    g.SetSelection({2, 2, 2, 2});
    const QImage img = g.Render();
    auto count = [&](int col, int row, TColor c) {
        const TRect r = g.CellRect(col, row);
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += ViewportPixel(img, g, x, y) == Rgb(c);
        return n;
    };
    EXPECT_GT(count(1, 1, clWindowText), 5) << "text in the font colour";
    EXPECT_GT(count(2, 2, clHighlightText), 5) << "selected text in the highlight text colour";
    EXPECT_EQ(count(2, 1, clWindowText), 0) << "an empty cell stays plain";
    // The text starts two pixels in: the first two columns of the cell are clean.
    const TRect r = g.CellRect(1, 1);
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Left + 2; ++x)
            EXPECT_EQ(ViewportPixel(img, g, x, y), Rgb(clYellow));
}

TEST(StringGridPaint, FocusedCellGetsAFocusFrame) {
    TStringGrid g;
    MakeSmallGrid(g);
    g.show();
    g.activateWindow();
    g.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g));
    const QImage img = g.Render();
    const TRect r = g.CellRect(1, 1);
    // Not highlighted (the focused cell alone), framed by inverted dots.
    EXPECT_EQ(ViewportPixel(img, g, r.Left + 5, r.Top + 4), Rgb(clYellow));
    EXPECT_NE(ViewportPixel(img, g, r.Left, r.Top), Rgb(clYellow));
    EXPECT_EQ(ViewportPixel(img, g, r.Left + 1, r.Top), Rgb(clYellow)) << "the frame is dotted";
}

class RecordingGrid : public TStringGrid {
public:
    std::vector<std::tuple<int, int, TRect, TGridDrawState>> Cells;

protected:
    void DrawCell(TCanvas& canvas, int col, int row, TRect rect, TGridDrawState state) override {
        Cells.emplace_back(col, row, rect, state);
        TStringGrid::DrawCell(canvas, col, row, rect, state);
    }
};

TEST(StringGridPaint, OnlyVisibleCellsAreDrawn) {
    for (int rows : {20, 100000}) {
        RecordingGrid g;
        MakeLapGrid(g);
        g.SetRowCount(rows);
        g.SetTopRow(rows / 2);
        QImage img(g.viewport()->size(), QImage::Format_RGB32);
        QPainter p(&img);
        g.PaintGrid(p);
        p.end();
        std::set<int> seenRows;
        for (auto& [c, r, rect, state] : g.Cells)
            seenRows.insert(r);
        // Fixed row 0 and the rows from the top row down to the partly shown one.
        EXPECT_LE(seenRows.size(), 12u) << rows;
        EXPECT_TRUE(seenRows.count(0));
        EXPECT_TRUE(seenRows.count(g.TopRow()));
        EXPECT_FALSE(seenRows.count(g.TopRow() - 1));
    }
}

TEST(StringGridPaint, DrawStatesAndOnDrawCell) {
    TStringGrid g;
    MakeSmallGrid(g);
    g.SetSelection({1, 1, 2, 2});
    std::map<std::pair<int, int>, TGridDrawState> states;
    std::map<std::pair<int, int>, TRect> rects;
    g.OnDrawCell = [&](TStringGrid* s, int c, int r, TRect rect, TGridDrawState st) {
        EXPECT_EQ(s, &g);
        states[{c, r}] = st;
        rects[{c, r}] = rect;
    };
    (void)g.Render();
    ASSERT_EQ(states.size(), 12u);
    EXPECT_EQ((states[{0, 0}]), gdFixed);
    EXPECT_EQ((states[{1, 0}]), gdFixed);
    EXPECT_EQ((states[{0, 2}]), gdFixed);
    EXPECT_EQ((states[{1, 1}]), gdSelected);
    EXPECT_EQ((states[{2, 2}]), gdSelected) << "no focus flag while the grid lacks focus";
    EXPECT_EQ((states[{2, 3}]), 0u);
    EXPECT_EQ((rects[{2, 3}]), (TRect{42, 33, 62, 43}));
}

TEST(StringGridPaint, WithoutDefaultDrawingNothingIsFilled) {
    TStringGrid g;
    MakeSmallGrid(g);
    g.SetDefaultDrawing(false);
    g.SetCells(1, 1, QStringLiteral("WWW"));
    int calls = 0;
    g.OnDrawCell = [&](TStringGrid*, int, int, TRect, TGridDrawState) { ++calls; };
    QImage img(g.viewport()->size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    g.PaintGrid(p);
    p.end();
    EXPECT_EQ(calls, 12);
    EXPECT_EQ(img.pixel(31, 16), QColor(Qt::magenta).rgb()) << "the cell is left to the handler";
    EXPECT_EQ(img.pixel(41, 16), Rgb(clSilver)) << "grid lines are still drawn";
}

// ---------------------------------------------------------------------------
// In-place editor

namespace {

// A grid whose editor rules are set by the test, counting the hook calls.
class HookGrid : public TStringGrid {
public:
    std::function<bool(QChar)> Accept = [](QChar) { return true; };
    bool Modify = true;
    std::vector<QString> Stored;
    int ModifyAsked = 0;

protected:
    bool CanEditAcceptKey(QChar key) override { return Accept(key); }
    bool CanEditModify() override {
        ++ModifyAsked;
        return Modify;
    }
    void SetEditText(int col, int row, const QString& value) override {
        Stored.push_back(value);
        TStringGrid::SetEditText(col, row, value);
    }
};

class UpperEdit : public TInplaceEdit {
public:
    using TInplaceEdit::TInplaceEdit;
    void KeyPress(QChar& ch) override {
        if (ch.isLower()) ch = ch.toUpper();
        if (ch == QChar('#')) ch = QChar(); // swallowed
        TInplaceEdit::KeyPress(ch);
    }
    void KeyDown(int& key, TShiftState shift) override {
        if (key == VK_RETURN) key = VK_RIGHT; // Enter walks like Right
        TInplaceEdit::KeyDown(key, shift);
    }
};

class UpperGrid : public TStringGrid {
protected:
    TInplaceEdit* CreateEditor() override { return new UpperEdit(this); }
};

// Stores only integers; a rejected text puts the old one back into the
// editor with the caret one step back, as an integer column does.
class IntegerGrid : public TStringGrid {
protected:
    void SetEditText(int col, int row, const QString& value) override {
        bool ok = false;
        value.toInt(&ok);
        if (ok || value.isEmpty()) {
            TStringGrid::SetEditText(col, row, value);
            return;
        }
        const int caret = InplaceEditor()->SelStart();
        const QString old = Cells(col, row);
        InplaceEditor()->SetText(old);
        InplaceEditor()->SetSelStart(caret - 1);
        TStringGrid::SetEditText(col, row, old);
    }
};

// Shows an editable grid with the editor open on the cell, and hands the editor back.
template <class G> TInplaceEdit* OpenEditorAt(G& g, int col, int row) {
    g.resize(400, 200);
    g.SetOptions(g.Options() | goEditing);
    g.show();
    g.setFocus();
    g.FocusCell(col, row);
    g.ShowEditor();
    return g.InplaceEditor();
}

} // namespace

TEST(StringGridEditor, ShowLoadsTheCellAndEveryChangeIsStored) {
    HookGrid g;
    g.SetCells(2, 1, QStringLiteral("old"));
    g.SetColor(clAqua);
    g.Font().SetColor(clRed);
    TInplaceEdit* ed = OpenEditorAt(g, 2, 1);
    ASSERT_NE(ed, nullptr);
    EXPECT_TRUE(g.EditorMode());
    EXPECT_TRUE(ed->isVisible());
    EXPECT_EQ(ed->Text(), QStringLiteral("old"));
    EXPECT_EQ(ed->SelLength(), 3) << "the loaded text is selected";
    EXPECT_EQ(ed->Color(), clAqua);
    EXPECT_EQ(ed->geometry(), g.CellRect(2, 1).ToQRect());
    EXPECT_TRUE(g.Stored.empty()) << "loading is no change";

    QTest::keyClicks(ed, "ab");
    EXPECT_EQ(g.Cells(2, 1), QStringLiteral("ab"));
    EXPECT_EQ(g.Stored, (std::vector<QString>{"a", "ab"}));

    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_FALSE(g.EditorMode());
    EXPECT_FALSE(ed->isVisible());
    EXPECT_EQ(g.Cells(2, 1), QStringLiteral("ab"));
}

TEST(StringGridEditor, EscapeRestoresTheCell) {
    TStringGrid g;
    g.SetCells(1, 1, QStringLiteral("keep"));
    OpenEditorAt(g, 1, 1);
    QTest::keyClicks(g.InplaceEditor(), "xyz");
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("xyz"));
    QTest::keyClick(g.InplaceEditor(), Qt::Key_Escape);
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("keep"));
    EXPECT_FALSE(g.EditorMode());
}

TEST(StringGridEditor, OpenedByF2EnterTypingAndDoubleClick) {
    {
        TStringGrid g;
        g.resize(400, 200);
        g.SetCells(1, 1, QStringLiteral("abc"));
        g.show();
        QTest::keyClick(&g, Qt::Key_F2);
        EXPECT_FALSE(g.EditorMode()) << "no editing without goEditing";
        QTest::keyClick(&g, Qt::Key_A);
        EXPECT_EQ(g.Cells(1, 1), QStringLiteral("abc"));
        g.SetOptions(g.Options() | goEditing);
        QTest::keyClick(&g, Qt::Key_F2);
        ASSERT_TRUE(g.EditorMode());
        EXPECT_EQ(g.InplaceEditor()->SelStart(), 3) << "F2 puts the caret after the text";
        EXPECT_EQ(g.InplaceEditor()->SelLength(), 0);
        g.HideEditor();
        QTest::keyClick(&g, Qt::Key_Return);
        EXPECT_TRUE(g.EditorMode());
        g.HideEditor();
    }
    {
        TStringGrid g;
        g.resize(400, 200);
        g.SetOptions(g.Options() | goEditing);
        g.SetCells(1, 1, QStringLiteral("abc"));
        g.show();
        QTest::keyClick(&g, Qt::Key_Q);
        ASSERT_TRUE(g.EditorMode());
        EXPECT_EQ(g.Cells(1, 1), QStringLiteral("q")) << "the typed key replaces the selected text";
        QTest::keyClicks(g.InplaceEditor(), "rs");
        EXPECT_EQ(g.Cells(1, 1), QStringLiteral("qrs"));
    }
    {
        TStringGrid g;
        g.resize(400, 200);
        g.SetOptions(g.Options() | goEditing);
        g.show();
        const TRect r = g.CellRect(2, 3);
        const QPoint p((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, Qt::NoModifier, p);
        EXPECT_FALSE(g.EditorMode());
        QTest::mouseDClick(g.viewport(), Qt::LeftButton, Qt::NoModifier, p);
        EXPECT_TRUE(g.EditorMode());
        EXPECT_EQ(g.InplaceEditor()->geometry(), r.ToQRect());
    }
}

TEST(StringGridEditor, PunctuationWithoutVirtualKeyOpensTheEditorToo) {
    for (const char ch : {'-', '+', '.', ','}) {
        TStringGrid g;
        g.resize(400, 200);
        g.SetOptions(g.Options() | goEditing);
        g.SetCells(1, 1, QStringLiteral("12"));
        g.show();
        QTest::keyClick(&g, ch);
        ASSERT_TRUE(g.EditorMode()) << ch;
        EXPECT_EQ(g.Cells(1, 1), QString(QChar::fromLatin1(ch))) << ch;
    }
}

TEST(StringGridEditor, UpAndDownMoveTheEditorToAnotherCell) {
    TStringGrid g;
    g.SetCells(1, 1, QStringLiteral("one"));
    g.SetCells(1, 2, QStringLiteral("two"));
    TInplaceEdit* ed = OpenEditorAt(g, 1, 1);
    QTest::keyClick(ed, Qt::Key_End);
    QTest::keyClick(ed, Qt::Key_1);
    QTest::keyClick(ed, Qt::Key_Down);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("one1"));
    EXPECT_EQ(ed->Text(), QStringLiteral("two"));
    EXPECT_EQ(ed->geometry(), g.CellRect(1, 2).ToQRect());
    // Left and Right stay inside the text unless the editor is always shown.
    QTest::keyClick(ed, Qt::Key_End);
    QTest::keyClick(ed, Qt::Key_Right);
    EXPECT_EQ(g.Col(), 1);
    g.SetOptions(g.Options() | goAlwaysShowEditor);
    ed->SetSelStart(2);
    QTest::keyClick(ed, Qt::Key_Left);
    EXPECT_EQ(g.Col(), 1) << "caret not at the start";
    EXPECT_EQ(ed->SelStart(), 1);
    ed->SetSelStart(3);
    QTest::keyClick(ed, Qt::Key_Right);
    EXPECT_EQ(g.Col(), 2) << "caret at the end";
    EXPECT_TRUE(ed->isVisible());
    QTest::keyClick(ed, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(g.Col(), 1);
}

TEST(StringGridEditor, RefusedCharactersBeepAndAreDropped) {
    HookGrid g;
    g.Accept = [](QChar c) { return c.isDigit(); };
    OpenEditorAt(g, 1, 1);
    QTest::keyClicks(g.InplaceEditor(), "a1b2 3");
    EXPECT_EQ(g.InplaceEditor()->Text(), QStringLiteral("123"));
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("123"));
    QTest::keyClick(g.InplaceEditor(), Qt::Key_Backspace);
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("12")) << "control characters are not asked about";
}

TEST(StringGridEditor, InputMethodTextFollowsTheKeyRules) {
    HookGrid g;
    g.Accept = [](QChar c) { return c != QChar(u'\u3042'); };
    OpenEditorAt(g, 1, 1);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("x\u3042y"));
    QCoreApplication::sendEvent(g.InplaceEditor(), &commit);
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("xy"));
    EXPECT_EQ(g.Stored.size(), 1u) << "one commit, one store";
    g.Modify = false;
    QInputMethodEvent more;
    more.setCommitString(QStringLiteral("z"));
    QCoreApplication::sendEvent(g.InplaceEditor(), &more);
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("xy"));
}

TEST(StringGridEditor, UnmodifiableCellKeepsItsText) {
    HookGrid g;
    g.SetCells(1, 1, QStringLiteral("fixed"));
    g.Modify = false;
    TInplaceEdit* ed = OpenEditorAt(g, 1, 1);
    EXPECT_TRUE(ed->isVisible()) << "the cell can still be entered";
    QTest::keyClick(ed, Qt::Key_End);
    const struct {
        Qt::Key Key;
        Qt::KeyboardModifiers Mods;
    } keys[] = {
        {Qt::Key_X, Qt::NoModifier},      {Qt::Key_Backspace, Qt::NoModifier},
        {Qt::Key_Home, Qt::NoModifier},   {Qt::Key_Delete, Qt::NoModifier},
        {Qt::Key_A, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Space, Qt::NoModifier},
    };
    for (const auto& k : keys) {
        const int asked = g.ModifyAsked;
        QTest::keyClick(ed, k.Key, k.Mods);
        EXPECT_EQ(ed->Text(), QStringLiteral("fixed")) << k.Key;
        if (k.Key != Qt::Key_Home && k.Key != Qt::Key_A) {
            EXPECT_GT(g.ModifyAsked, asked) << k.Key;
        }
    }
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("fixed"));
    EXPECT_TRUE(g.Stored.empty());
    g.Modify = true;
    QTest::keyClick(ed, Qt::Key_End);
    QTest::keyClick(ed, Qt::Key_Backspace);
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("fixe"));
}

TEST(StringGridEditor, KeyPressHookReplacesOrSwallowsCharacters) {
    UpperGrid g;
    TInplaceEdit* ed = OpenEditorAt(g, 1, 1);
    ASSERT_NE(dynamic_cast<UpperEdit*>(ed), nullptr) << "the grid's editor factory is used";
    QTest::keyClicks(ed, "ab#c1");
    EXPECT_EQ(ed->Text(), QStringLiteral("ABC1"));
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("ABC1"));
}

TEST(StringGridEditor, KeyDownHookTurnsEnterIntoRight) {
    UpperGrid g;
    g.SetCells(1, 1, QStringLiteral("ab"));
    OpenEditorAt(g, 1, 1);
    g.SetOptions(g.Options() | goAlwaysShowEditor);
    TInplaceEdit* ed = g.InplaceEditor();
    ed->SetSelStart(1);
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(ed->SelStart(), 2) << "Enter moved the caret like Right";
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_EQ(g.Col(), 2) << "at the end, Right leaves the cell";
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("ab"));
}

TEST(StringGridEditor, StoringMayRewriteTheEditorWithoutLooping) {
    IntegerGrid g;
    g.SetCells(1, 1, QStringLiteral("1"));
    TInplaceEdit* ed = OpenEditorAt(g, 1, 1);
    QTest::keyClick(ed, Qt::Key_End);
    QTest::keyClick(ed, Qt::Key_2);
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("12"));
    QTest::keyClick(ed, Qt::Key_Home);
    QTest::keyClick(ed, Qt::Key_Right);
    QTest::keyClick(ed, Qt::Key_Period); // "1.2" is no integer
    EXPECT_EQ(ed->Text(), QStringLiteral("12"));
    EXPECT_EQ(ed->SelStart(), 1) << "the caret goes back to where the key was typed";
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("12"));
    QTest::keyClick(ed, Qt::Key_5);
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("152"));
}

TEST(StringGridEditor, AutoHScrollChoosesWrapping) {
    TStringGrid g;
    TInplaceEdit* ed = OpenEditorAt(g, 1, 1);
    EXPECT_TRUE(ed->AutoHScroll());
    EXPECT_EQ(ed->lineWrapMode(), QPlainTextEdit::NoWrap);
    ed->SetAutoHScroll(false);
    EXPECT_EQ(ed->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    ed->SetAutoHScroll(true);
    EXPECT_EQ(ed->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST(StringGridEditor, ScrollingMovesTheEditorWithItsCell) {
    TStringGrid g;
    g.SetRowCount(40);
    TInplaceEdit* ed = OpenEditorAt(g, 1, 3);
    ASSERT_TRUE(ed->isVisible());
    g.SetTopRow(2);
    EXPECT_EQ(ed->geometry(), g.CellRect(1, 3).ToQRect());
    g.SetTopRow(10);
    EXPECT_FALSE(ed->isVisible()) << "its cell is scrolled away";
    g.SetTopRow(3);
    EXPECT_TRUE(ed->isVisible());
    EXPECT_EQ(ed->geometry(), g.CellRect(1, 3).ToQRect());
}

TEST(StringGridEditor, AlwaysShownEditorStaysOpen) {
    TStringGrid g;
    g.resize(400, 200);
    g.SetCells(1, 1, QStringLiteral("a"));
    g.show();
    g.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g));
    g.setFocus();
    g.SetOptions(g.Options() | goEditing | goAlwaysShowEditor);
    TInplaceEdit* ed = g.InplaceEditor();
    ASSERT_NE(ed, nullptr);
    EXPECT_TRUE(ed->isVisible());
    EXPECT_TRUE(ed->hasFocus()) << "the focused grid hands the keys to its editor";
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_TRUE(ed->isVisible()) << "Enter does not close an always-shown editor";
    QTest::keyClick(ed, Qt::Key_Down);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_TRUE(ed->isVisible());
    EXPECT_EQ(ed->geometry(), g.CellRect(1, 2).ToQRect());
    g.SetOptions(g.Options() & ~(goEditing | goAlwaysShowEditor));
    EXPECT_FALSE(ed->isVisible());
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("a"));
}

TEST(StringGridSelection, DragExtendsOnlyWithRangeSelect) {
    for (bool range : {true, false}) {
        TStringGrid g;
        g.resize(400, 200);
        if (!range) g.SetOptions(g.Options() & ~goRangeSelect);
        g.show();
        auto centre = [&](int c, int r) {
            const TRect rc = g.CellRect(c, r);
            return QPointF((rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
        };
        int clicks = 0;
        g.OnClick = [&](QObject*) { ++clicks; };
        QTest::mousePress(g.viewport(), Qt::LeftButton, Qt::NoModifier, centre(1, 1).toPoint());
        QMouseEvent move(QEvent::MouseMove, centre(3, 3), g.viewport()->mapToGlobal(centre(3, 3)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(g.viewport(), &move);
        QTest::mouseRelease(g.viewport(), Qt::LeftButton, Qt::NoModifier, centre(3, 3).toPoint());
        EXPECT_EQ(std::make_pair(g.Col(), g.Row()), std::make_pair(3, 3));
        EXPECT_EQ(g.Selection(), range ? (TGridRect{1, 1, 3, 3}) : (TGridRect{3, 3, 3, 3}))
            << range;
        EXPECT_EQ(clicks, 1) << "dragging is no further click";
    }
}

TEST(StringGridGeometry, ClientAreaOfSizesAndBorder) {
    // A grid exactly as large as its cells plus the border needs no bars.
    TStringGrid g;
    g.SetDefaultColWidth(30);
    g.SetDefaultRowHeight(10);
    g.resize(5 * 31 + 4, 5 * 11 + 4);
    EXPECT_EQ(g.VisibleRowCount(), 4);
    EXPECT_EQ(g.VisibleColCount(), 4);
    g.show();
    EXPECT_FALSE(g.verticalScrollBar()->isVisible());
    EXPECT_FALSE(g.horizontalScrollBar()->isVisible());
    g.resize(5 * 31 + 4,
             5 * 11 + 3); // one pixel short: rows need a bar, which then takes columns' room
    EXPECT_TRUE(g.verticalScrollBar()->isVisible());
    EXPECT_TRUE(g.horizontalScrollBar()->isVisible());
    EXPECT_EQ(g.viewport()->size(), QSize(5 * 31 - 16, 5 * 11 - 1 - 16));
}

// ---------------------------------------------------------------------------
// Row marks

TEST(StringGridMarks, ChangedRowsAreThoseWhoseMarkDiffers) {
    using Marks = std::map<int, QString>;
    const QString a = QStringLiteral("a"), b = QStringLiteral("b");
    struct Case {
        const char* Name;
        Marks Before, After;
        std::vector<int> Want;
    };
    const Case cases[] = {
        {"none to none", {}, {}, {}},
        {"same marks", {{2, a}, {5, b}}, {{2, a}, {5, b}}, {}},
        {"added", {{2, a}}, {{2, a}, {4, a}, {9, b}}, {4, 9}},
        {"removed", {{1, a}, {3, a}, {7, b}}, {{3, a}}, {1, 7}},
        {"described anew", {{3, a}}, {{3, b}}, {3}},
        {"interleaved", {{1, a}, {4, a}, {6, a}}, {{2, a}, {4, b}, {6, a}, {8, a}}, {1, 2, 4, 8}},
        {"all gone", {{0, a}, {10, b}}, {}, {0, 10}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChangedMarkRows(c.Before, c.After), c.Want) << c.Name;
}

TEST(StringGridMarks, MarkColourStandsOutFromEveryCellColour) {
    struct Case {
        TColor Background, Want;
    };
    const Case cases[] = {
        {clBlack, clYellow},
        {clWhite, clBlack},
        {clLime, clBlack},
        {clYellow, clBlack},
        {clSilver, clBlack},
        {clMaroon, clYellow},
        {clTeal, clYellow},
        {clHighlight, clYellow},
        {clWindow, clBlack},
        // The lap grid's column colours.
        {col::rgb(26, 122, 210), clYellow},
        {col::rgb(136, 106, 96), clYellow},
        {col::rgb(26, 78, 149), clYellow},
        {col::rgb(134, 63, 220), clYellow},
        // Either side of the brightness threshold (128.0).
        {col::rgb(128, 128, 128), clBlack},
        {col::rgb(127, 128, 128), clYellow},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RowMarkColor(c.Background), c.Want) << std::hex << c.Background;
}

TEST(StringGridMarks, MarksAreKeptApartFromTheCells) {
    TStringGrid g;
    MakeSmallGrid(g);
    g.SetRowText(2, QStringLiteral("a,b,c"));
    const QStringList before = g.RowCells(2);
    g.SetRowMarks({{2, QStringLiteral("why")}, {3, QString()}});
    EXPECT_EQ(g.RowMark(2), QStringLiteral("why"));
    EXPECT_TRUE(g.RowMark(3).isEmpty()) << "an empty description is no mark";
    EXPECT_TRUE(g.RowMark(1).isEmpty());
    EXPECT_EQ(g.RowMarks().size(), 1u);
    EXPECT_EQ(g.RowCells(2), before);
    g.SetRowMarks({});
    EXPECT_TRUE(g.RowMark(2).isEmpty());
}

TEST(StringGridMarks, AMarkedRowDiffersOnlyInItsFrame) {
    TStringGrid g;
    MakeSmallGrid(g);
    g.SetRowText(2, QStringLiteral("WW,WW,WW"));
    g.SetSelection({2, 2, 2, 2}); // a highlighted cell in the marked row
    const QImage plain = g.Render();
    g.SetRowMarks({{2, QStringLiteral("why")}});
    const QImage marked = g.Render();

    const int fw = g.frameWidth();
    const TRect first = g.CellRect(0, 2), last = g.CellRect(g.ColCount() - 1, 2);
    const TColor want[3] = {RowMarkColor(clTeal), RowMarkColor(clYellow),
                            RowMarkColor(clHighlight)};
    int framePixels = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            const int vx = x - fw, vy = y - fw;
            const bool inRow = vy >= first.Top && vy < first.Bottom;
            int col = -1;
            for (int c = 0; c < g.ColCount(); ++c) {
                const TRect r = g.CellRect(c, 2);
                if (vx >= r.Left && vx < r.Right) col = c;
            }
            const bool frame =
                inRow && col >= 0 &&
                (vy < first.Top + RowMarkWidth || vy >= first.Bottom - RowMarkWidth ||
                 vx < first.Left + RowMarkWidth || vx >= last.Right - RowMarkWidth);
            if (frame) {
                ++framePixels;
                ASSERT_EQ(marked.pixel(x, y) | 0xFF000000u, Rgb(want[col]))
                    << "frame at " << vx << "," << vy;
            } else {
                ASSERT_EQ(marked.pixel(x, y), plain.pixel(x, y))
                    << "outside at " << vx << "," << vy;
            }
        }
    // Top and bottom along three 20-pixel cells (not the lines between them), the
    // sides over the rest of the 10-pixel row.
    EXPECT_EQ(framePixels, 2 * RowMarkWidth * 60 + 2 * RowMarkWidth * (10 - 2 * RowMarkWidth));
}

TEST(StringGridMarks, SettingMarksRepaintsOnlyTheRowsThatChanged) {
    TStringGrid g;
    g.setAttribute(Qt::WA_DontShowOnScreen);
    MakeSmallGrid(g);
    g.SetRowMarks({{1, QStringLiteral("a")}});
    g.show();
    QImage picture = g.Render(); // what was on screen before
    QCoreApplication::processEvents();
    struct Regions : QObject {
        QRegion All;
        int Paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) {
                All |= static_cast<QPaintEvent*>(e)->region();
                ++Paints;
            }
            return false;
        }
    } regions;
    g.viewport()->installEventFilter(&regions);

    g.SetRowMarks({{1, QStringLiteral("a")}});
    QCoreApplication::processEvents();
    EXPECT_EQ(regions.Paints, 0) << "the same marks again paint nothing";

    g.SetRowMarks({{3, QStringLiteral("b")}});
    QCoreApplication::processEvents();
    auto strip = [&](int row) {
        const TRect r = g.CellRect(0, row);
        return QRect(0, r.Top, g.viewport()->width(), r.Height() + g.GridLineWidth());
    };
    EXPECT_EQ(regions.All, QRegion(strip(1)) | strip(3));
    // Repainting just that damage over the old picture gives the new one.
    const QRegion area = regions.All.translated(g.viewport()->pos());
    g.render(&picture, area.boundingRect().topLeft(), area);
    EXPECT_EQ(picture, g.Render());
}
