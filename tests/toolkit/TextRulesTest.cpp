// Time text, integer conversions, wrapping arithmetic and the row-text rule.
#include "Errors.h"
#include "IntConv.h"
#include "Messages.h"
#include "RowText.h"
#include "TimeText.h"
#include "Wrap.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct TimeCase {
    int32_t ms;
    const char* text;
};

class TimeTextCases : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeTextCases, FormatsLikeTheClock) {
    EXPECT_EQ(TimeText(GetParam().ms), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Values, TimeTextCases,
    ::testing::Values(TimeCase{0, " 00:00:00:000"}, TimeCase{65432, " 00:01:05:432"},
                      TimeCase{3723456, " 01:02:03:456"}, TimeCase{359999999, " 99:59:59:999"},
                      TimeCase{360000000, " 100:00:00:000"}, TimeCase{INT32_MAX, " 596:31:23:647"},
                      TimeCase{-1500, " 1193046:28:15:-500"}, TimeCase{-5000, " 1193046:28:11:000"},
                      TimeCase{-5, " 00:00:00:-005"},
                      // -2^31 ms: seconds -2147483 taken unsigned
                      TimeCase{INT32_MIN, " 1192449:56:53:-648"}));

struct IntCase {
    const char* text;
    bool valid;
    int32_t value;
};

class IntConvCases : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntConvCases, AcceptsOnlyWholeIntegers) {
    const IntCase& c = GetParam();
    const auto v = TryStrToInt(QString::fromUtf8(c.text));
    ASSERT_EQ(v.has_value(), c.valid) << c.text;
    if (c.valid) {
        EXPECT_EQ(*v, c.value) << c.text;
    }
    EXPECT_EQ(StrToIntDef(QString::fromUtf8(c.text), 0), c.valid ? c.value : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IntConvCases,
    ::testing::Values(IntCase{"5864", true, 5864}, IntCase{"  42", true, 42},
                      IntCase{"-17", true, -17}, IntCase{"+17", true, 17},
                      IntCase{"$FF", true, 255}, IntCase{"0x1f", true, 31},
                      IntCase{"x10", true, 16}, IntCase{"X10", true, 16},
                      IntCase{"-$10", true, -16}, IntCase{"$FFFFFFFF", true, -1},
                      IntCase{"$100000000", false, 0}, IntCase{"2147483647", true, INT32_MAX},
                      IntCase{"-2147483648", true, INT32_MIN}, IntCase{"2147483648", false, 0},
                      IntCase{"-2147483649", false, 0},
                      IntCase{"99999999999999999999999999999999", false, 0}, IntCase{"", false, 0},
                      IntCase{" ", false, 0}, IntCase{"-", false, 0}, IntCase{"$", false, 0},
                      IntCase{"0x", false, 0}, IntCase{"12 ", false, 0}, IntCase{"1.5", false, 0},
                      IntCase{"\t12", false, 0}, IntCase{"12a", false, 0}, IntCase{"５", false, 0},
                      IntCase{"5864m", false, 0}, IntCase{"--1", false, 0}, IntCase{"0", true, 0},
                      IntCase{"007", true, 7}));

TEST(StrToInt, RaisesWithTheCellText) {
    EXPECT_EQ(StrToInt(QStringLiteral("123")), 123);
    try {
        StrToInt(QStringLiteral("12:00"));
        FAIL() << "no error raised";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), Msg::NotAnInteger().arg(QStringLiteral("12:00")));
    }
}

TEST(Wrap, WrapsInsteadOfOverflowing) {
    EXPECT_EQ(wrap::add(INT32_MAX, 1), INT32_MIN);
    EXPECT_EQ(wrap::sub(INT32_MIN, 1), INT32_MAX);
    EXPECT_EQ(wrap::mul(214749, 10000), -2147477296);
    EXPECT_EQ(wrap::quot(INT32_MIN, -1), INT32_MIN);
    EXPECT_EQ(wrap::quot(-7, 2), -3);
    EXPECT_FALSE(wrap::quot(5, 0).has_value());
    EXPECT_EQ(wrap::rem(INT32_MIN, -1), 0);
    EXPECT_EQ(wrap::rem(-7, 2), -1);
}

struct RowCase {
    const char* text;
    std::vector<const char*> fields;
};

class RowTextCases : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowTextCases, SplitsIntoFields) {
    const RowCase& c = GetParam();
    QStringList expected;
    for (const char* f : c.fields)
        expected << QString::fromUtf8(f);
    EXPECT_EQ(RowTextFields(QString::fromUtf8(c.text)), expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RowTextCases,
    ::testing::Values(RowCase{"a,b,c", {"a", "b", "c"}}, RowCase{"a b", {"a", "b"}},
                      RowCase{"  a", {"a"}}, RowCase{"a,,b", {"a", "", "b"}}, RowCase{"a,", {"a"}},
                      RowCase{"\"x, y\",z", {"x, y", "z"}},
                      RowCase{"\"say \"\"hi\"\"\"", {"say \"hi\""}}, RowCase{"\"open", {"open"}},
                      RowCase{"\"a\"b", {"a", "b"}}, RowCase{"\" \",5864m", {" ", "5864m"}},
                      RowCase{"1,\" 1 \", 00:01:05:432", {"1", " 1 ", "00:01:05:432"}},
                      RowCase{"a\tb\nc", {"a", "b", "c"}}, RowCase{"a ,  b", {"a", "b"}},
                      RowCase{"", {}}, RowCase{"\"\"", {""}}));

TEST(RowText, EmptyFieldLeavesItsCellForTheNext) {
    const QStringList cells = RowTextCells(QStringLiteral("a,,b"), 4);
    EXPECT_EQ(cells, (QStringList{"a", "b", "", ""}));
}

TEST(RowText, SurplusFieldsAreDropped) {
    EXPECT_EQ(RowTextCells(QStringLiteral("1 2 3 4"), 3), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(RowTextCells(QStringLiteral("1"), 0).isEmpty());
}

TEST(RowText, NulEndsTheText) {
    QString t = QStringLiteral("a,b");
    t.insert(1, QChar(0));
    EXPECT_EQ(RowTextFields(t), QStringList{"a"});
}

} // namespace
