// Plain rules of the column-defined grid: formatting, cell colours, the
// per-cell draw decision and the integer-column editing rules.
#include "GridColumnLogic.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

struct FormatCase {
    const char* text;
    const char* mask;
    const char* expected;
};

class FormatDisplayTextTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatDisplayTextTest, FormatsAsDocumented) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatDisplayText(QString::fromUtf8(c.text), QString::fromUtf8(c.mask)),
              QString::fromUtf8(c.expected))
        << "text '" << c.text << "' mask '" << c.mask << "'";
}

INSTANTIATE_TEST_SUITE_P(
    NumberPatterns, FormatDisplayTextTest,
    ::testing::Values(
        // Thousands groups and fixed decimals.
        FormatCase{"1234.5", "#,##0.00", "1,234.50"}, FormatCase{"1234567", "#,##0", "1,234,567"},
        FormatCase{"999", "#,##0", "999"}, FormatCase{"-1234", "#,##0", "-1,234"},
        // Required and optional digits on both sides of the point.
        FormatCase{"0.5", "0.000", "0.500"}, FormatCase{"0.5", "#.##", ".5"},
        FormatCase{"2", "0.##", "2"}, FormatCase{"2.1", "0.0#", "2.1"},
        FormatCase{".5", "0.00", "0.50"}, FormatCase{"5.", "0", "5"},
        FormatCase{"1.26", "0.0", "1.3"}, FormatCase{"007", "0", "7"},
        FormatCase{"+5", "000", "005"}, FormatCase{"12", "#", "12"}, FormatCase{"0", "#", ""},
        // Extra integer digits land in front of the first placeholder.
        FormatCase{"123", "0-0", "12-3"},
        // Sections: negative without its own sign, zero section, rounding to zero.
        FormatCase{"-3", "0.0", "-3.0"}, FormatCase{"-3", "0.0;(0.0)", "(3.0)"},
        FormatCase{"3", "0.0;(0.0)", "3.0"}, FormatCase{"0", "0.0;(0.0);\"zero\"", "zero"},
        FormatCase{"-0.001", "0.00", "0.00"}, FormatCase{"-0.001", "0.00;-0.00;\"nil\"", "nil"},
        FormatCase{"-7", "0;", "-7"},
        // Scientific notation.
        FormatCase{"12345", "0.00E+00", "1.23E+04"}, FormatCase{"0.000123", "0.0E-00", "1.2E-04"},
        FormatCase{"12345", "0.0E-0", "1.2E4"}, FormatCase{"9.999", "0.00E+00", "1.00E+01"},
        FormatCase{"0", "0.0E+00", "0.0E+00"},
        // Literals: quoted, escaped, plain.
        FormatCase{"5", "0\" km\"", "5 km"}, FormatCase{"5", "0' h'", "5 h"},
        FormatCase{"5", "\\#0", "#5"}, FormatCase{"42", "[0]", "[42]"},
        FormatCase{"42", "abc", "abc"}));

INSTANTIATE_TEST_SUITE_P(NotNumbers, FormatDisplayTextTest,
                         ::testing::Values(
                             // Only digits, signs and points, but no number: shown unchanged.
                             FormatCase{"1.2.3", "0.00", "1.2.3"}, FormatCase{"+", "0.00", "+"},
                             FormatCase{"-", "#,##0", "-"}, FormatCase{".", "0", "."},
                             FormatCase{"+-1", "0", "+-1"}, FormatCase{"--", "0", "--"},
                             FormatCase{"1-2", "0", "1-2"},
                             FormatCase{"555-1234", "!999-9999;1;_", "555-1234"},
                             FormatCase{"", "0.00", ""}));

INSTANTIATE_TEST_SUITE_P(
    EditMasks, FormatDisplayTextTest,
    ::testing::Values(FormatCase{"abc", ">LLL", "ABC"}, FormatCase{"AbC", "<lll", "abc"},
                      FormatCase{"aBc", ">L<>LL", "ABc"},
                      // Literals given in the text or not.
                      FormatCase{"ab12", "LL-00;0;_", "ab-12"},
                      FormatCase{"ab-12", "LL-00;1;_", "ab-12"},
                      FormatCase{"ab-12", "LL-00", "ab-12"},
                      // Blank character for missing or unfitting characters.
                      FormatCase{"ab", "LL-00;0;*", "ab-**"}, FormatCase{"ab", "LLLL", "ab__"},
                      FormatCase{"ab", "LLLL;1; ", "ab  "}, FormatCase{"a!", "LL", "a_"},
                      FormatCase{"a1", "LL", "a_"}, FormatCase{"1a", "0L", "1a"},
                      // Right alignment, escaped literal, literal blank, extra text dropped.
                      FormatCase{"ab", "!ccccc;0;_", "___ab"}, FormatCase{"a1b", "A\\AAA", "aA1b"},
                      FormatCase{"ab", "L_L", "a b"}, FormatCase{"abcdef", "LLL", "abc"},
                      FormatCase{"x+5", "L#0", "x+5"}, FormatCase{"x", "L;0", "x"}));

TEST(FormatDisplayText, HugeDigitRunNeverThrows) {
    // 400 digits overflow a double; painting must go on and show something.
    const QString digits = QString(400, u'9');
    QString shown;
    EXPECT_NO_THROW(shown = FormatDisplayText(digits, QStringLiteral("#,##0")));
    EXPECT_FALSE(shown.isEmpty());
}

TEST(FormatNumberPattern, NonFiniteValues) {
    EXPECT_EQ(FormatNumberPattern(std::numeric_limits<double>::infinity(), "0"), "INF");
    EXPECT_EQ(FormatNumberPattern(-std::numeric_limits<double>::infinity(), "0"), "-INF");
    EXPECT_EQ(FormatNumberPattern(std::numeric_limits<double>::quiet_NaN(), "0"), "NAN");
}

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
