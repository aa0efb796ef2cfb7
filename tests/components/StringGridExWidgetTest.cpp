// The column-defined grid as a widget: definitions kept in step with the
// columns, property setters, the lap grid layout, painted pixels and editing
// through real key events.
#include "GridShape.h"
#include "StringGridEx.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

namespace {

// --- Definitions and properties ---------------------------------------------------

void expectDefaultDefinition(const TStringGridEx& g, int col) {
    const TGridColumn* c = g.GridColumns().Items(col);
    ASSERT_NE(c, nullptr) << col;
    EXPECT_EQ(c->Alignment(), taLeftJustify) << col;
    EXPECT_TRUE(c->CanEdit()) << col;
    EXPECT_EQ(c->Color(), g.Color()) << col;
    EXPECT_EQ(c->Caption(), "") << col;
    EXPECT_EQ(c->DataType(), dtString) << col;
    EXPECT_EQ(c->DisplayMask(), "") << col;
    EXPECT_TRUE(c->Font().SameAs(g.Font())) << col;
    EXPECT_TRUE(c->FixCellFont().SameAs(g.Font())) << col;
    EXPECT_EQ(c->ImeMode(), imDisable) << col;
    EXPECT_FALSE(c->MultiLine()) << col;
    EXPECT_FALSE(c->Wordwrap()) << col;
}

TEST(StringGridEx, ConstructionGivesFourDefaultDefinitions) {
    TStringGridEx g;
    EXPECT_EQ(g.DefaultRowHeight(), 20);
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.GridColumns().Count(), 4);
    EXPECT_EQ(g.StripeColor(), g.Color());
    EXPECT_EQ(g.GridStyle(), gsNormal);
    EXPECT_TRUE(g.GridColumns().SyncColCount);
    EXPECT_EQ(g.GridColumns().Grid(), &g);
    for (int i = 0; i < 4; ++i) {
        expectDefaultDefinition(g, i);
        EXPECT_EQ(g.GridColumns()[i]->Index(), i);
    }
}

TEST(StringGridEx, RaisingColCountAddsDefinitionsLikeTheGridAndLoweringRemoves) {
    TStringGridEx g;
    g.SetColCount(10);
    for (int i = 0; i < 10; ++i)
        g.GridColumns()[i]->SetCaption(QString::number(i));
    // New definitions take the grid's colour and font as they are now.
    g.SetColor(clTeal);
    g.Font().SetColor(clYellow);
    g.Font().SetHeight(-17);
    g.SetColCount(12);
    ASSERT_EQ(g.GridColumns().Count(), 12);
    for (int i = 10; i < 12; ++i)
        expectDefaultDefinition(g, i);
    EXPECT_EQ(g.GridColumns()[11]->Color(), clTeal);
    EXPECT_EQ(g.GridColumns()[11]->Font().Height, -17);
    // Earlier definitions keep what they had.
    EXPECT_EQ(g.GridColumns()[9]->Caption(), "9");
    EXPECT_NE(g.GridColumns()[9]->Color(), clTeal);

    g.SetColCount(8);
    ASSERT_EQ(g.GridColumns().Count(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(g.GridColumns()[i]->Caption(), QString::number(i));
}

TEST(StringGridEx, CollectionChangesMoveColCount) {
    TStringGridEx g;
    TGridColumn* added = g.GridColumns().Add();
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(added->Index(), 4);
    EXPECT_EQ(added->Color(), g.Color());
    g.GridColumns().Delete(0);
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(added->Index(), 3);

    // Without SyncColCount the columns stay, the grid is still repainted.
    g.GridColumns().SyncColCount = false;
    const int repaints = g.RepaintCount();
    g.GridColumns().Add();
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.GridColumns().Count(), 5);
    EXPECT_GT(g.RepaintCount(), repaints);
    g.GridColumns().SyncColCount = true;

    // Changes inside an update lock are announced once at the end.
    g.GridColumns().BeginUpdate();
    g.GridColumns().Add();
    g.GridColumns().Add();
    EXPECT_EQ(g.ColCount(), 4);
    g.GridColumns().EndUpdate();
    EXPECT_EQ(g.ColCount(), 7);
}

TEST(StringGridEx, ClearingTheDefinitionsLeavesOneColumnWithItsDefinition) {
    TStringGridEx g;
    g.GridColumns().Clear();
    // The grid cannot go below one column, and that column gets a definition.
    EXPECT_EQ(g.ColCount(), 1);
    EXPECT_EQ(g.GridColumns().Count(), 1);
}

TEST(GridColumn, EmptyCaptionReadsBackAsBlank) {
    TStringGridEx g;
    TGridColumn* c = g.GridColumns()[0];
    EXPECT_EQ(c->Caption(), "");
    c->SetCaption(QString()); // no change from the empty start value
    EXPECT_EQ(c->Caption(), "");
    c->SetCaption(QStringLiteral("LAP"));
    EXPECT_EQ(c->Caption(), "LAP");
    c->SetCaption(QString());
    EXPECT_EQ(c->Caption(), " ");
}

TEST(GridColumn, SettersRepaintOnlyWhereTheyShouldAndOnlyOnChange) {
    TStringGridEx g;
    TGridColumn* c = g.GridColumns()[1];
    struct Case {
        const char* name;
        std::function<void()> set;
        bool repaints;
    };
    const Case cases[] = {
        {"Alignment same", [&] { c->SetAlignment(taLeftJustify); }, false},
        {"Alignment new", [&] { c->SetAlignment(taCenter); }, true},
        {"Color same", [&] { c->SetColor(c->Color()); }, false},
        {"Color new", [&] { c->SetColor(clOlive); }, true},
        {"Wordwrap same", [&] { c->SetWordwrap(false); }, false},
        {"Wordwrap new", [&] { c->SetWordwrap(true); }, true},
        {"Caption same", [&] { c->SetCaption(QString()); }, false},
        {"Caption new", [&] { c->SetCaption(QStringLiteral("x")); }, true},
        {"Font", [&] { c->SetFont(c->Font()); }, true},
        {"FixCellFont", [&] { c->SetFixCellFont(c->FixCellFont()); }, true},
        {"Font attribute", [&] { c->Font().SetColor(clRed); }, true},
        {"CanEdit", [&] { c->SetCanEdit(false); }, false},
        {"DataType", [&] { c->SetDataType(dtInteger); }, false},
        {"DisplayMask", [&] { c->SetDisplayMask(QStringLiteral("0.0")); }, false},
        {"ImeMode", [&] { c->SetImeMode(imHira); }, false},
        {"MultiLine", [&] { c->SetMultiLine(true); }, false},
        {"GridStyle same", [&] { g.SetGridStyle(gsNormal); }, false},
        {"GridStyle new", [&] { g.SetGridStyle(gsStriped); }, true},
        {"StripeColor same", [&] { g.SetStripeColor(g.StripeColor()); }, false},
        {"StripeColor new", [&] { g.SetStripeColor(clAqua); }, true},
    };
    for (const Case& k : cases) {
        const int before = g.RepaintCount();
        k.set();
        EXPECT_EQ(g.RepaintCount() > before, k.repaints) << k.name;
    }
    // The store-only ones did store.
    EXPECT_FALSE(c->CanEdit());
    EXPECT_EQ(c->DataType(), dtInteger);
    EXPECT_EQ(c->DisplayMask(), "0.0");
    EXPECT_EQ(c->ImeMode(), imHira);
    EXPECT_TRUE(c->MultiLine());
}

TEST(GridColumn, SettingAFontCopiesItsAttributesIntoTheColumnsOwnFont) {
    TStringGridEx g;
    TGridColumn* c = g.GridColumns()[0];
    const TFont* own = &c->Font();
    TFont given(QStringLiteral("DejaVu Serif"), -20, clRed, fsBold, SHIFTJIS_CHARSET);
    c->SetFont(given);
    c->SetFixCellFont(given);
    EXPECT_EQ(&c->Font(), own);
    EXPECT_TRUE(c->Font().SameAs(given));
    EXPECT_TRUE(c->FixCellFont().SameAs(given));
    given.SetColor(clBlue); // the column's copy is independent
    EXPECT_EQ(c->Font().Color, clRed);
}

GridColumnProps distinctiveProps() {
    GridColumnProps p;
    p.Alignment = taCenter;
    p.CanEdit = false;
    p.Color = col::rgb(1, 2, 3);
    p.Caption = QStringLiteral("Src");
    p.DataType = dtInteger;
    p.DisplayMask = QStringLiteral("#,##0");
    p.FixCellFont = TFont(QStringLiteral("DejaVu Sans"), -11, clLime, fsItalic, ANSI_CHARSET);
    p.Font = TFont(QStringLiteral("DejaVu Serif"), -15, clYellow, fsBold, SHIFTJIS_CHARSET);
    p.ImeMode = imKata;
    p.MultiLine = true;
    p.Wordwrap = true;
    return p;
}

void expectSameProps(const TGridColumn& a, const GridColumnProps& p) {
    EXPECT_EQ(a.Alignment(), p.Alignment);
    EXPECT_EQ(a.CanEdit(), p.CanEdit);
    EXPECT_EQ(a.Color(), p.Color);
    EXPECT_EQ(a.Caption(), p.Caption);
    EXPECT_EQ(a.DataType(), p.DataType);
    EXPECT_EQ(a.DisplayMask(), p.DisplayMask);
    EXPECT_TRUE(a.FixCellFont().SameAs(p.FixCellFont));
    EXPECT_TRUE(a.Font().SameAs(p.Font));
    EXPECT_EQ(a.ImeMode(), p.ImeMode);
    EXPECT_EQ(a.MultiLine(), p.MultiLine);
    EXPECT_EQ(a.Wordwrap(), p.Wordwrap);
}

TEST(GridColumn, AssignCopiesAllElevenProperties) {
    TStringGridEx g;
    const GridColumnProps p = distinctiveProps();
    g.GridColumns()[0]->AssignProps(p);
    const int repaints = g.RepaintCount();
    g.GridColumns()[2]->Assign(*g.GridColumns()[0]);
    expectSameProps(*g.GridColumns()[2], p);
    EXPECT_GT(g.RepaintCount(), repaints);
    // The source is untouched, the fonts stay separate objects.
    expectSameProps(*g.GridColumns()[0], p);
    g.GridColumns()[2]->Font().SetColor(clRed);
    EXPECT_EQ(g.GridColumns()[0]->Font().Color, clYellow);
}

TEST(StringGridEx, SettingGridColumnsCopiesTheDefinitions) {
    TStringGridEx source;
    source.SetColCount(6);
    source.GridColumns()[5]->AssignProps(distinctiveProps());
    TStringGridEx g;
    TGridColumns* own = &g.GridColumns();
    g.SetGridColumns(source.GridColumns());
    EXPECT_EQ(&g.GridColumns(), own);
    EXPECT_EQ(g.ColCount(), 6);
    ASSERT_EQ(g.GridColumns().Count(), 6);
    expectSameProps(*g.GridColumns()[5], distinctiveProps());
    EXPECT_NE(g.GridColumns()[5], source.GridColumns()[5]);
}

TEST(StringGridEx, CellColourFollowsStyle) {
    TStringGridEx g;
    g.SetColor(clBlack);
    g.SetStripeColor(clWhite);
    g.GridColumns()[1]->SetColor(clMaroon);
    EXPECT_EQ(g.GetCellColor(1, 1), clMaroon);
    EXPECT_EQ(g.GetCellColor(1, 2), clMaroon);
    EXPECT_EQ(g.GetCellColor(7, 2), clBlack); // no definition there
    g.SetGridStyle(gsStriped);
    EXPECT_EQ(g.GetCellColor(1, 1), clBlack);
    EXPECT_EQ(g.GetCellColor(1, 2), clWhite);
    EXPECT_EQ(g.GetCellColor(1, 3), clBlack);
}

// --- Lap grid layout ---------------------------------------------------------------------

TEST(LapGridLayout, AppliesTheStoredValues) {
    TStringGridEx g;
    LoadLapGridLayout(&g);
    EXPECT_EQ(g.objectName(), "StringGridEx1");
    EXPECT_EQ(ShapeOf(g), (GridShape{10, 20, 0, 1, 73, 18}));
    EXPECT_EQ(g.Color(), clBlack);
    EXPECT_EQ(g.FixedColor(), 13793818);
    EXPECT_EQ(g.StripeColor(), clWindow);
    EXPECT_EQ(g.GridStyle(), gsNormal);
    EXPECT_EQ(g.Options(), DefaultGridOptions);
    EXPECT_FALSE(g.Options() & goEditing);

    struct Col {
        const char* caption;
        TColor color, font, fix;
    };
    const Col expected[10] = {
        {"LAP", 13793818, clWhite, clLime},         {"Number", 6318728, clWhite, clWhite},
        {"Total", clMaroon, clWhite, clWhite},      {"LAPtime", 9784858, clWhite, clWhite},
        {"LAP+-milli", 6318728, clWhite, clWhite},  {"Realtime", clMaroon, clWhite, clWhite},
        {"LAP milli", 14434182, clLime, clLime},    {"LAP Km/h", clMaroon, clWhite, clWhite},
        {"Ave milli", 9784858, 11579647, 11579647}, {"Ave Km/h", clMaroon, clWhite, clWhite},
    };
    ASSERT_EQ(g.GridColumns().Count(), 10);
    for (int i = 0; i < 10; ++i) {
        const TGridColumn& c = *g.GridColumns()[i];
        EXPECT_EQ(c.Caption(), expected[i].caption) << i;
        EXPECT_EQ(c.Color(), expected[i].color) << i;
        EXPECT_EQ(c.Font().Color, expected[i].font) << i;
        EXPECT_EQ(c.FixCellFont().Color, expected[i].fix) << i;
        EXPECT_EQ(c.Alignment(), taRightJustify) << i;
        EXPECT_TRUE(c.CanEdit()) << i;
        EXPECT_EQ(c.DataType(), dtString) << i;
        EXPECT_EQ(c.DisplayMask(), "") << i;
        EXPECT_EQ(c.ImeMode(), imDisable) << i;
        EXPECT_FALSE(c.MultiLine()) << i;
        EXPECT_FALSE(c.Wordwrap()) << i;
        EXPECT_EQ(c.Font().Name, "Times New Roman") << i;
        EXPECT_EQ(c.Font().Height, -13) << i;
        EXPECT_EQ(c.FixCellFont().Name, "Times New Roman") << i;
        EXPECT_EQ(c.FixCellFont().Height, -12) << i;
        const int charset = i == 0 ? SHIFTJIS_CHARSET : ANSI_CHARSET;
        EXPECT_EQ(c.Font().Charset, charset) << i;
        EXPECT_EQ(c.FixCellFont().Charset, charset) << i;
        EXPECT_EQ(c.Font().Style, 0u) << i;
    }
}

// --- Painting -----------------------------------------------------------------------------

constexpr TColor kCol0 = col::rgb(200, 30, 30);
constexpr TColor kCol1 = col::rgb(30, 150, 30);
constexpr TColor kCol2 = col::rgb(30, 30, 180);
constexpr TColor kFixed = col::rgb(90, 90, 90);

// A 3 x 4 grid with one fixed row and plainly coloured columns.
void setUpPaintGrid(TStringGridEx& g) {
    g.resize(260, 160);
    g.SetScrollBars(ssNone);
    g.SetColCount(3);
    g.SetRowCount(4);
    g.SetFixedCols(0);
    g.SetDefaultColWidth(60);
    g.SetDefaultRowHeight(22);
    g.SetColor(clBlack);
    g.SetFixedColor(kFixed);
    g.SetStripeColor(clWhite);
    const TColor colours[3] = {kCol0, kCol1, kCol2};
    for (int i = 0; i < 3; ++i) {
        TGridColumn* c = g.GridColumns()[i];
        c->SetColor(colours[i]);
        c->SetFont(TFont(QStringLiteral("DejaVu Sans"), -13, clWhite));
        c->SetFixCellFont(TFont(QStringLiteral("DejaVu Sans"), -12, clLime));
    }
    g.show();
}

QImage paint(TStringGridEx& g) {
    QImage img(g.viewport()->size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    g.PaintGrid(p);
    p.end();
    return img;
}

QRgb rgbOf(TColor c) {
    return ToQColor(c).rgb();
}

// A pixel of the cell's fill that no text, edge or focus frame touches.
QRgb fillPixel(const QImage& img, const TRect& r) {
    return img.pixel(r.Left + 1, r.Bottom - 2);
}

// Pixels inside `r` that differ from `background`.
int inkPixels(const QImage& img, const TRect& r, QRgb background) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += img.pixel(x, y) != background ? 1 : 0;
    return n;
}

QImage cellImage(const QImage& img, const TRect& r) {
    return img.copy(r.ToQRect());
}

TRect shrunk(TRect r, int by) {
    r.Inflate(-by, -by);
    return r;
}

TEST(StringGridExPaint, DataCellsShowTheirColumnColourEvenWhenSelected) {
    TStringGridEx g;
    setUpPaintGrid(g);
    g.setFocus();
    g.SetSelection(TGridRect{0, 1, 1, 2}); // current cell (1,2), anchor (0,1)
    const QImage img = paint(g);
    const TColor colours[3] = {kCol0, kCol1, kCol2};
    for (int row = 1; row < 4; ++row)
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(fillPixel(img, g.CellRect(col, row)), rgbOf(colours[col]))
                << col << "," << row;
    // Not even the middle of the focused cell shows the highlight.
    const TRect focused = g.CellRect(g.Col(), g.Row());
    EXPECT_EQ(img.pixel((focused.Left + focused.Right) / 2, (focused.Top + focused.Bottom) / 2),
              rgbOf(colours[g.Col()]));
    // Fixed cells keep the fixed colour.
    EXPECT_EQ(img.pixel(g.CellRect(1, 0).Left + 5, g.CellRect(1, 0).Bottom - 3), rgbOf(kFixed));
}

TEST(StringGridExPaint, RowMarkStandsOutFromEveryColumnColourOfTheLapGrid) {
    for (TGridStyle style : {gsNormal, gsStriped}) {
        TStringGridEx g;
        LoadLapGridLayout(&g);
        g.resize(761, 214); // as in the window: all ten columns shown
        g.show();
        g.SetGridStyle(style);
        g.SetRowText(2, QStringLiteral("1,1,1:00.000,1:00.000,0,12:00:00,60000,6,60000,6"));
        g.SetRowText(3, QStringLiteral("1,2,1:00.300,0:00.300,0,12:00:00,300,99,30150,9"));
        g.SetSelection(TGridRect{0, 3, 9, 3}); // the marked row is the current one too
        g.SetRowMarks({{2, QStringLiteral("a")}, {3, QStringLiteral("b")}});
        const QImage img = paint(g);
        for (int row : {2, 3})
            for (int col = 0; col < g.ColCount(); ++col) {
                const TRect r = g.CellRect(col, row);
                const QRgb cell = rgbOf(g.GetCellColor(col, row));
                const QRgb mark = img.pixel((r.Left + r.Right) / 2, r.Top);
                EXPECT_EQ(mark, rgbOf(RowMarkColor(g.GetCellColor(col, row))))
                    << style << " " << col << "," << row;
                EXPECT_NE(mark, cell) << style << " " << col << "," << row;
                EXPECT_EQ(img.pixel(r.Left + 3, r.Bottom - 3), cell)
                    << "inside the frame the cell keeps its colour " << col << "," << row;
            }
    }
}

TEST(StringGridExPaint, StripedRowsAlternateWhateverTheColumnColours) {
    TStringGridEx g;
    setUpPaintGrid(g);
    g.SetGridStyle(gsStriped);
    const QImage img = paint(g);
    for (int col = 0; col < 3; ++col) {
        EXPECT_EQ(fillPixel(img, g.CellRect(col, 1)), rgbOf(clBlack)) << col;
        EXPECT_EQ(fillPixel(img, g.CellRect(col, 2)), rgbOf(clWhite)) << col;
        EXPECT_EQ(fillPixel(img, g.CellRect(col, 3)), rgbOf(clBlack)) << col;
    }
}

TEST(StringGridExPaint, CaptionOnlyInAnEmptyRowZeroCell) {
    TStringGridEx g;
    setUpPaintGrid(g);
    g.SetRowCount(5);
    g.SetFixedRows(2);
    for (int i = 0; i < 3; ++i)
        g.GridColumns()[i]->SetCaption(QStringLiteral("Cap"));
    g.SetCells(1, 0, QStringLiteral("Own"));
    const QImage withCaption = paint(g);

    // Column 0 shows its caption exactly as if the cell held that text.
    EXPECT_GT(inkPixels(withCaption, shrunk(g.CellRect(0, 0), 3), rgbOf(kFixed)), 0);
    // Fixed row 1 never shows it.
    EXPECT_EQ(inkPixels(withCaption, shrunk(g.CellRect(0, 1), 3), rgbOf(kFixed)), 0);

    g.SetCells(0, 0, QStringLiteral("Cap"));
    g.GridColumns()[1]->SetCaption(QStringLiteral("Own"));
    g.SetCells(1, 0, QString());
    const QImage withText = paint(g);
    EXPECT_EQ(cellImage(withCaption, g.CellRect(0, 0)), cellImage(withText, g.CellRect(0, 0)));
    // Written text replaced the caption on screen.
    EXPECT_EQ(cellImage(withCaption, g.CellRect(1, 0)), cellImage(withText, g.CellRect(1, 0)));
    EXPECT_NE(cellImage(withCaption, g.CellRect(1, 0)), cellImage(withCaption, g.CellRect(2, 0)));
}

// Leftmost and rightmost inked columns of a cell.
std::pair<int, int> inkSpan(const QImage& img, const TRect& r, QRgb background) {
    int lo = r.Right, hi = r.Left - 1;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (img.pixel(x, y) != background) {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
    return {lo, hi};
}

TEST(StringGridExPaint, AlignmentPlacesTextInsideTheShrunkRect) {
    TStringGridEx g;
    setUpPaintGrid(g);
    g.GridColumns()[0]->SetAlignment(taLeftJustify);
    g.GridColumns()[1]->SetAlignment(taRightJustify);
    g.GridColumns()[2]->SetAlignment(taCenter);
    for (int col = 0; col < 3; ++col) {
        g.SetCells(col, 0, QStringLiteral("ii"));
        g.SetCells(col, 3, QStringLiteral("ii"));
    }
    const QImage img = paint(g);
    const TColor colours[3] = {kCol0, kCol1, kCol2};
    for (int row : {0, 3}) {
        const QRgb bg = row == 0 ? rgbOf(kFixed) : rgbOf(colours[0]);
        const int inset = row == 0 ? 3 : 2;
        const TRect left = g.CellRect(0, row);
        const auto [l0, l1] = inkSpan(img, shrunk(left, inset), bg);
        EXPECT_LE(l0, left.Left + inset + 2) << row;
        EXPECT_LT(l1, (left.Left + left.Right) / 2) << row;

        const TRect right = g.CellRect(1, row);
        const QRgb bgRight = row == 0 ? rgbOf(kFixed) : rgbOf(colours[1]);
        const auto [r0, r1] = inkSpan(img, shrunk(right, inset), bgRight);
        EXPECT_GT(r0, (right.Left + right.Right) / 2) << row;
        EXPECT_GE(r1, right.Right - inset - 3) << row;
        EXPECT_LT(r1, right.Right - inset) << row;

        const TRect centre = g.CellRect(2, row);
        const QRgb bgCentre = row == 0 ? rgbOf(kFixed) : rgbOf(colours[2]);
        const auto [c0, c1] = inkSpan(img, shrunk(centre, inset), bgCentre);
        const int mid = (centre.Left + centre.Right) / 2;
        EXPECT_LT(c0, mid) << row;
        EXPECT_GT(c1, mid - 1) << row;
    }
}

TEST(StringGridExPaint, DisplayMaskFormatsDataCells) {
    TStringGridEx g;
    setUpPaintGrid(g);
    g.GridColumns()[0]->SetDisplayMask(QStringLiteral("#,##0.00"));
    g.SetCells(0, 1, QStringLiteral("1234"));
    g.SetCells(1, 1, QStringLiteral("1,234.00"));
    g.GridColumns()[1]->SetColor(kCol0);
    const QImage img = paint(g);
    EXPECT_EQ(cellImage(img, g.CellRect(0, 1)), cellImage(img, g.CellRect(1, 1)));
}

TEST(StringGridExPaint, AssignedColumnDrawsLikeItsSource) {
    TStringGridEx g;
    setUpPaintGrid(g);
    GridColumnProps p = distinctiveProps();
    p.DataType = dtString;
    g.GridColumns()[0]->AssignProps(p);
    for (int row = 0; row < 4; ++row) {
        g.SetCells(0, row, row == 0 ? QString() : QStringLiteral("%1234").arg(row));
        g.SetCells(2, row, g.Cells(0, row));
    }
    const QImage before = paint(g);
    EXPECT_NE(cellImage(before, g.CellRect(0, 2)), cellImage(before, g.CellRect(2, 2)));
    g.GridColumns()[2]->Assign(*g.GridColumns()[0]);
    const QImage after = paint(g);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(cellImage(after, g.CellRect(0, row)), cellImage(after, g.CellRect(2, row)))
            << row;
}

TEST(StringGridExPaint, OnDrawCellGetsTheShrunkRectOnlyWhenTheCellWasDrawn) {
    TStringGridEx g;
    setUpPaintGrid(g);
    std::map<std::pair<int, int>, TRect> seen;
    g.OnDrawCell = [&](TStringGrid* sender, int col, int row, TRect rect, TGridDrawState) {
        EXPECT_EQ(sender, &g);
        seen[{col, row}] = rect;
    };
    paint(g);
    EXPECT_EQ(seen.at({1, 0}), shrunk(g.CellRect(1, 0), 3));
    EXPECT_EQ(seen.at({1, 2}), shrunk(g.CellRect(1, 2), 2));

    // Without default drawing nothing is painted by the grid and the handler
    // gets the whole cell.
    g.SetDefaultDrawing(false);
    seen.clear();
    paint(g);
    EXPECT_EQ(seen.at({1, 0}), g.CellRect(1, 0));
    EXPECT_EQ(seen.at({1, 2}), g.CellRect(1, 2));
}

// --- Editing ------------------------------------------------------------------------------

// An editable grid: column 1 integer, column 2 read-only, column 3 multi-line.
class StringGridExEdit : public ::testing::Test {
protected:
    void SetUp() override {
        g.resize(360, 200);
        g.SetFixedCols(0);
        g.SetRowCount(5);
        g.SetOptions(g.Options() | goEditing);
        g.GridColumns()[1]->SetDataType(dtInteger);
        g.GridColumns()[2]->SetCanEdit(false);
        g.GridColumns()[3]->SetMultiLine(true);
        g.show();
        g.activateWindow();
        g.setFocus();
    }
    void go(int col, int row) {
        g.FocusCell(col, row);
        ASSERT_EQ(g.Col(), col);
        ASSERT_EQ(g.Row(), row);
    }
    TInplaceEditEx* editor() { return g.InplaceEditorEx(); }
    void type(const QString& s) {
        for (QChar c : s) {
            QWidget* target = editor() && editor()->isVisible() ? static_cast<QWidget*>(editor())
                                                                : static_cast<QWidget*>(&g);
            QTest::keyClick(target, c.toLatin1());
        }
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QWidget* target = editor() && editor()->isVisible() ? static_cast<QWidget*>(editor())
                                                            : static_cast<QWidget*>(&g);
        QTest::keyClick(target, k, m);
    }
    TStringGridEx g;
};

TEST_F(StringGridExEdit, EditorIsTheGridsOwnKind) {
    go(0, 1);
    key(Qt::Key_F2);
    ASSERT_NE(editor(), nullptr);
    EXPECT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->ImeMode(), imDisable); // the column's mode
}

TEST_F(StringGridExEdit, IntegerColumnRefusesLettersWithABeep) {
    go(1, 1);
    type(QStringLiteral("a"));
    EXPECT_EQ(g.RefusedKeyCount(), 1);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->Text(), "");
    EXPECT_EQ(g.Cells(1, 1), "");
    type(QStringLiteral("4x2"));
    EXPECT_EQ(g.RefusedKeyCount(), 2);
    EXPECT_EQ(editor()->Text(), "42");
    EXPECT_EQ(g.Cells(1, 1), "42");

    // A text column takes letters.
    go(0, 2);
    type(QStringLiteral("ab"));
    EXPECT_EQ(g.Cells(0, 2), "ab");
    EXPECT_EQ(g.RefusedKeyCount(), 2);
}

TEST_F(StringGridExEdit, NonIntegerTextIsUndoneWithTheCaretBack) {
    go(1, 1);
    type(QStringLiteral("1"));
    ASSERT_EQ(g.Cells(1, 1), "1");
    type(QStringLiteral("."));
    EXPECT_EQ(g.RefusedKeyCount(), 0); // accepted as a key...
    EXPECT_EQ(editor()->Text(), "1");  // ...but undone when stored
    EXPECT_EQ(editor()->SelStart(), 1);
    EXPECT_EQ(editor()->SelLength(), 0);
    EXPECT_EQ(g.Cells(1, 1), "1");

    // In the middle of a number the caret returns to where the key was typed.
    type(QStringLiteral("23"));
    ASSERT_EQ(g.Cells(1, 1), "123");
    editor()->SetSelStart(1);
    type(QStringLiteral("+"));
    EXPECT_EQ(editor()->Text(), "123");
    EXPECT_EQ(editor()->SelStart(), 1);
    EXPECT_EQ(g.Cells(1, 1), "123");
}

TEST_F(StringGridExEdit, IntegerColumnStoresCanonicalText) {
    go(1, 1);
    key(Qt::Key_F2);
    type(QStringLiteral("-"));
    EXPECT_EQ(editor()->Text(), "-");
    EXPECT_EQ(g.Cells(1, 1), "-0");
    type(QStringLiteral("12"));
    EXPECT_EQ(editor()->Text(), "-12");
    EXPECT_EQ(g.Cells(1, 1), "-12");

    go(1, 2);
    type(QStringLiteral("007"));
    EXPECT_EQ(editor()->Text(), "007");
    EXPECT_EQ(g.Cells(1, 2), "7");

    // Clearing the editor stores an empty cell.
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Backspace);
    EXPECT_EQ(editor()->Text(), "");
    EXPECT_EQ(g.Cells(1, 2), "");

    // Leaving the editor stores its text by the same rule.
    type(QStringLiteral("-"));
    key(Qt::Key_Escape); // back to the text the cell had when opened
    go(1, 3);
    key(Qt::Key_F2);
    type(QStringLiteral("-"));
    EXPECT_EQ(editor()->Text(), "-");
    go(1, 4);
    EXPECT_EQ(g.Cells(1, 3), "-0");
}

TEST_F(StringGridExEdit, ReadOnlyColumnDropsKeys) {
    g.SetCells(2, 1, QStringLiteral("keep"));
    go(2, 1);
    type(QStringLiteral("xy"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Delete);
    EXPECT_EQ(g.Cells(2, 1), "keep");
    // The editor opened (the column can be entered) but changed nothing.
    ASSERT_TRUE(editor() && editor()->isVisible());
    EXPECT_EQ(editor()->Text(), "keep");
    EXPECT_EQ(g.RefusedKeyCount(), 0);
}

TEST_F(StringGridExEdit, EditorTakesTheColumnsLookAndModes) {
    g.GridColumns()[0]->SetFont(TFont(QStringLiteral("DejaVu Serif"), -18, clRed));
    g.GridColumns()[0]->SetColor(clNavy);
    g.GridColumns()[0]->SetImeMode(imHira);
    g.GridColumns()[0]->SetWordwrap(true);
    g.GridColumns()[1]->SetColor(clOlive);
    g.GridColumns()[1]->SetImeMode(imAlpha);
    go(0, 1);
    key(Qt::Key_F2);
    ASSERT_TRUE(editor() && editor()->isVisible());
    EXPECT_EQ(editor()->Color(), clNavy);
    EXPECT_EQ(editor()->font().pixelSize(), 18);
    EXPECT_EQ(editor()->ImeMode(), imHira);
    EXPECT_TRUE(editor()->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(editor()->WordWrap());
    EXPECT_FALSE(editor()->AutoHScroll());
    const int recreated = editor()->RecreateCount();

    key(Qt::Key_Escape);
    go(1, 1);
    key(Qt::Key_F2);
    EXPECT_EQ(editor()->Color(), clOlive);
    EXPECT_EQ(editor()->ImeMode(), imAlpha);
    EXPECT_EQ(editor()->inputMethodHints(), Qt::ImhPreferLatin);
    EXPECT_FALSE(editor()->WordWrap());
    EXPECT_TRUE(editor()->AutoHScroll());
    EXPECT_EQ(editor()->RecreateCount(), recreated + 1);

    // Same wrapping again: no re-creation.
    key(Qt::Key_Escape);
    go(1, 2);
    key(Qt::Key_F2);
    EXPECT_EQ(editor()->RecreateCount(), recreated + 1);

    // Striped grids colour the editor by row.
    key(Qt::Key_Escape);
    g.SetGridStyle(gsStriped);
    g.SetStripeColor(clAqua);
    go(1, 2);
    key(Qt::Key_F2);
    EXPECT_EQ(editor()->Color(), clAqua);
}

TEST_F(StringGridExEdit, ImeDisableTurnsInputMethodsOff) {
    go(0, 1);
    key(Qt::Key_F2);
    ASSERT_TRUE(editor());
    EXPECT_EQ(editor()->ImeMode(), imDisable);
    EXPECT_FALSE(editor()->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(StringGridExEdit, SingleLineEnterMovesRightAtTheEndWithAlwaysShownEditor) {
    g.SetCells(0, 1, QStringLiteral("ab"));
    go(0, 1);
    g.SetOptions(g.Options() | goAlwaysShowEditor);
    ASSERT_TRUE(editor() && editor()->isVisible());
    editor()->SetSelStart(1);
    key(Qt::Key_Return); // caret not at the end: one character right
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(editor()->SelStart(), 2);
    EXPECT_EQ(editor()->Text(), "ab");
    key(Qt::Key_Return); // at the end: next cell
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.Row(), 1);
}

TEST_F(StringGridExEdit, SingleLineEnterNeverAddsALine) {
    go(0, 1);
    type(QStringLiteral("ab"));
    editor()->SetSelStart(0);
    key(Qt::Key_Return); // Right without an always-shown editor: the caret moves
    EXPECT_EQ(editor()->SelStart(), 1);
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    EXPECT_EQ(editor()->Text(), "ab");
    EXPECT_EQ(g.Cells(0, 1), "ab");
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.Row(), 1);
}

TEST_F(StringGridExEdit, MultiLineEnterAddsALineAndCtrlEnterCloses) {
    g.SetCells(3, 1, QStringLiteral("ab"));
    go(3, 1);
    key(Qt::Key_Return); // opens the editor with the caret at the end
    ASSERT_TRUE(editor() && editor()->isVisible());
    EXPECT_EQ(editor()->SelStart(), 2);
    EXPECT_EQ(editor()->SelLength(), 0);
    key(Qt::Key_Return);
    type(QStringLiteral("c"));
    EXPECT_EQ(editor()->Text(), "ab\nc");
    EXPECT_EQ(g.Cells(3, 1), "ab\nc");
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(g.EditorMode());
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(g.Cells(3, 1), "ab\nc");
    EXPECT_EQ(g.Row(), 1);

    // A single-line column's Enter on the grid opens with all selected.
    g.SetCells(0, 1, QStringLiteral("xyz"));
    go(0, 1);
    key(Qt::Key_Return);
    ASSERT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->SelLength(), 3);
}

TEST_F(StringGridExEdit, MultiLineArrowsStayInTheEditorCtrlArrowsMoveTheGrid) {
    g.SetCells(3, 1, QStringLiteral("one\ntwo"));
    g.SetCells(3, 2, QStringLiteral("three"));
    go(3, 1);
    key(Qt::Key_F2);
    ASSERT_TRUE(editor() && editor()->isVisible());
    EXPECT_EQ(editor()->SelStart(), 7); // F2: caret after the last character
    key(Qt::Key_Up);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_LT(editor()->SelStart(), 4); // on the first line now
    key(Qt::Key_Down);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_GE(editor()->SelStart(), 4);
    key(Qt::Key_Left);
    key(Qt::Key_Right);
    EXPECT_EQ(g.Col(), 3);

    key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Col(), 3);
    ASSERT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->Text(), "three");
    EXPECT_EQ(editor()->SelStart(), 5);
    EXPECT_EQ(editor()->SelLength(), 0);
    key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(g.Col(), 2);

    // In a single-line column Down goes to the grid.
    go(0, 1);
    key(Qt::Key_F2);
    key(Qt::Key_Down);
    EXPECT_EQ(g.Row(), 2);
}

} // namespace
