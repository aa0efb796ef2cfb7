// Display formatting of cell texts: number patterns and edit masks.
#include "DisplayFormat.h"

#include <gtest/gtest.h>

#include <QString>
#include <limits>

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

} // namespace
