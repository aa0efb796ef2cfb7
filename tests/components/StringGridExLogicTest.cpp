// Plain rules of the column-defined grid: cell colours, the per-cell draw
// decision and the integer-column editing rules.
#include "GridColumnLogic.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

// --- Cell colour ---------------------------------------------------------------

TEST(GridCellColor, StripedAlternatesRowsAndIgnoresColumnColour) {
    const TColor grid = clBlack, stripe = clWindow, column = clMaroon;
    const TColor expected[] = {stripe, grid, stripe, grid, stripe};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(GridCellColor(gsStriped, grid, stripe, row, column), expected[row]) << row;
        EXPECT_EQ(GridCellColor(gsStriped, grid, stripe, row, std::nullopt), expected[row]) << row;
    }
}

TEST(GridCellColor, NormalUsesColumnColourWhenDefined) {
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(GridCellColor(gsNormal, clBlack, clWindow, row, clMaroon), clMaroon);
        EXPECT_EQ(GridCellColor(gsNormal, clBlack, clWindow, row, std::nullopt), clBlack);
    }
}

// --- Draw decision ---------------------------------------------------------------

GridColumnProps sampleColumn() {
    GridColumnProps p;
    p.Caption = QStringLiteral("LAP");
    p.Color = clMaroon;
    p.Font = TFont(QStringLiteral("Times New Roman"), -13, clWhite);
    p.FixCellFont = TFont(QStringLiteral("Times New Roman"), -12, clLime);
    p.Alignment = taRightJustify;
    return p;
}

CellDrawInput input(const GridColumnProps* column, int row, TGridDrawState state,
                    const QString& text) {
    CellDrawInput in;
    in.Row = row;
    in.Rect = TRect{10, 20, 83, 38};
    in.State = state;
    in.Text = text;
    in.Column = column;
    in.CellColor = clNavy;
    return in;
}

TEST(PlanCellDraw, FixedRowZeroShowsCaptionOnlyWhileEmpty) {
    const GridColumnProps col = sampleColumn();
    const CellDrawPlan empty = PlanCellDraw(input(&col, 0, gdFixed, QString()));
    EXPECT_TRUE(empty.DrawsText);
    EXPECT_FALSE(empty.Fill);
    EXPECT_EQ(empty.Text, "LAP");
    EXPECT_TRUE(empty.Font.SameAs(col.FixCellFont));
    EXPECT_EQ(empty.TextRect, (TRect{13, 23, 80, 35}));
    EXPECT_EQ(empty.EventRect, empty.TextRect);

    const CellDrawPlan written = PlanCellDraw(input(&col, 0, gdFixed, QStringLiteral("own")));
    EXPECT_EQ(written.Text, "own");

    // Other fixed rows never show the caption.
    const CellDrawPlan row1 = PlanCellDraw(input(&col, 1, gdFixed, QString()));
    EXPECT_TRUE(row1.DrawsText);
    EXPECT_EQ(row1.Text, "");
    EXPECT_TRUE(row1.Font.SameAs(col.FixCellFont));
}

TEST(PlanCellDraw, DataCellIsFilledWithItsColourWhateverTheSelection) {
    const GridColumnProps col = sampleColumn();
    for (TGridDrawState state : {0u, unsigned(gdSelected), unsigned(gdSelected | gdFocused)}) {
        const CellDrawPlan plan = PlanCellDraw(input(&col, 0, state, QStringLiteral("12")));
        EXPECT_TRUE(plan.Fill) << state;
        EXPECT_EQ(plan.FillColor, clNavy) << state;
        EXPECT_EQ(plan.FillRect, (TRect{10, 20, 83, 38}));
        EXPECT_TRUE(plan.Font.SameAs(col.Font));
        EXPECT_EQ(plan.Text, "12"); // row 0 data cell: no caption
        EXPECT_EQ(plan.TextRect, (TRect{12, 22, 81, 36}));
        EXPECT_EQ(plan.EventRect, plan.TextRect);
    }
    // An empty data cell in row 0 does not show the caption either.
    EXPECT_EQ(PlanCellDraw(input(&col, 0, 0, QString())).Text, "");
}

TEST(PlanCellDraw, DisplayMaskAppliesToNonEmptyDataText) {
    GridColumnProps col = sampleColumn();
    col.DisplayMask = QStringLiteral("#,##0");
    EXPECT_EQ(PlanCellDraw(input(&col, 3, 0, QStringLiteral("12345"))).Text, "12,345");
    EXPECT_EQ(PlanCellDraw(input(&col, 3, 0, QString())).Text, "");
    // Fixed cells are never formatted.
    EXPECT_EQ(PlanCellDraw(input(&col, 1, gdFixed, QStringLiteral("12345"))).Text, "12345");
}

TEST(PlanCellDraw, NoDefinitionOrNoDefaultDrawingLeavesTheFullRect) {
    const GridColumnProps col = sampleColumn();
    const CellDrawPlan undefined = PlanCellDraw(input(nullptr, 2, 0, QStringLiteral("x")));
    EXPECT_FALSE(undefined.DrawsText);
    EXPECT_FALSE(undefined.Fill);
    EXPECT_EQ(undefined.EventRect, (TRect{10, 20, 83, 38}));

    CellDrawInput in = input(&col, 2, 0, QStringLiteral("x"));
    in.DefaultDrawing = false;
    const CellDrawPlan custom = PlanCellDraw(in);
    EXPECT_FALSE(custom.DrawsText);
    EXPECT_FALSE(custom.Fill);
    EXPECT_EQ(custom.EventRect, in.Rect);
}

TEST(PlanCellDraw, FlagsFollowAlignmentAndWordwrap) {
    struct Case {
        TAlignment align;
        bool wrap;
        uint32_t flags;
    };
    const Case cases[] = {
        {taLeftJustify, false, 0x2000}, {taRightJustify, false, 0x2002}, {taCenter, false, 0x2001},
        {taLeftJustify, true, 0x2010},  {taRightJustify, true, 0x2012},  {taCenter, true, 0x2011},
    };
    for (const Case& c : cases) {
        GridColumnProps col = sampleColumn();
        col.Alignment = c.align;
        col.Wordwrap = c.wrap;
        EXPECT_EQ(CellTextFlags(c.align, c.wrap), c.flags);
        for (TGridDrawState state : {0u, unsigned(gdFixed)})
            EXPECT_EQ(PlanCellDraw(input(&col, 1, state, QStringLiteral("a"))).Flags, c.flags)
                << int(c.align) << c.wrap << state;
    }
}

// --- Editing rules -----------------------------------------------------------------

TEST(IntegerKeyAccepted, TakesControlsBlankSignsPointAndDigitsOnly) {
    for (char16_t c : {u'\0', u'\b', u'\t', u'\r', u' ', u'+', u'-', u'.', u'0', u'5', u'9'})
        EXPECT_TRUE(IntegerKeyAccepted(QChar(c))) << int(c);
    for (char16_t c : {u'a', u'A', u'e', u'x', u'$', u',', u'/', u':', u'!', u'\x7f', u'\xff10'})
        EXPECT_FALSE(IntegerKeyAccepted(QChar(c))) << int(c);
}

TEST(ColumnRules, AcceptAndModifyDependOnTheDefinition) {
    GridColumnProps text;
    GridColumnProps integer;
    integer.DataType = dtInteger;
    EXPECT_TRUE(ColumnAcceptsKey(&text, u'a'));
    EXPECT_TRUE(ColumnAcceptsKey(nullptr, u'a'));
    EXPECT_FALSE(ColumnAcceptsKey(&integer, u'a'));
    EXPECT_TRUE(ColumnAcceptsKey(&integer, u'7'));

    EXPECT_TRUE(ColumnMayModify(nullptr));
    EXPECT_TRUE(ColumnMayModify(&text));
    text.CanEdit = false;
    EXPECT_FALSE(ColumnMayModify(&text));
}

TEST(IntegerStoredText, CanonicalOrRejected) {
    struct Case {
        const char* value;
        const char* stored; // nullptr: rejected
    };
    const Case cases[] = {
        {"-", "-0"},
        {"", ""},
        {"007", "7"},
        {"+5", "5"},
        {"-12", "-12"},
        {"0", "0"},
        {"-0", "0"},
        {" 5", "5"},
        {"2147483647", "2147483647"},
        {"-2147483648", "-2147483648"},
        {"2147483648", nullptr},
        {"-2147483649", nullptr},
        {"99999999999999999999", nullptr},
        {"1.", nullptr},
        {"1.5", nullptr},
        {"+", nullptr},
        {"--1", nullptr},
        {"1-", nullptr},
        {"5 ", nullptr},
        {"$10", nullptr},
        {"0x10", nullptr},
        {"abc", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<QString> got = IntegerStoredText(QString::fromUtf8(c.value));
        if (c.stored) {
            ASSERT_TRUE(got.has_value()) << c.value;
            EXPECT_EQ(*got, QString::fromUtf8(c.stored)) << c.value;
        } else {
            EXPECT_FALSE(got.has_value()) << c.value << " -> " << got->toStdString();
        }
    }
}

TEST(DecideEditorKey, MultiLineAndSingleLineRules) {
    using A = EditorKeyAction;
    struct Case {
        bool multi;
        int key;
        TShiftState shift;
        A action;
    };
    const Case cases[] = {
        {true, VK_RETURN, ssCtrl, A::CloseEditor},
        {true, VK_RETURN, 0, A::Inherited},
        {true, VK_RETURN, ssShift, A::Inherited},
        {true, VK_RETURN, ssCtrl | ssShift, A::Inherited},
        {true, VK_LEFT, 0, A::EditWindowOnly},
        {true, VK_UP, 0, A::EditWindowOnly},
        {true, VK_RIGHT, 0, A::EditWindowOnly},
        {true, VK_DOWN, 0, A::EditWindowOnly},
        {true, VK_DOWN, ssCtrl, A::MoveGridCaretEnd},
        {true, VK_LEFT, ssCtrl, A::MoveGridCaretEnd},
        {true, VK_UP, ssShift, A::Inherited},
        {true, VK_UP, ssCtrl | ssAlt, A::Inherited},
        {true, VK_HOME, 0, A::Inherited},
        {true, VK_TAB, 0, A::Inherited},
        {false, VK_RETURN, 0, A::EnterAsRight},
        {false, VK_RETURN, ssCtrl, A::EnterAsRight},
        {false, VK_DOWN, 0, A::Inherited},
        {false, VK_DOWN, ssCtrl, A::Inherited},
        // Mouse buttons held do not count as shift keys.
        {true, VK_DOWN, ssLeft, A::EditWindowOnly},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecideEditorKey(c.multi, c.key, c.shift), c.action)
            << c.multi << " key " << c.key << " shift " << c.shift;
}

} // namespace
