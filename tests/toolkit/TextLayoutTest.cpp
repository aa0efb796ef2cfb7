#include "Canvas.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

namespace {

QFont TestFont() {
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(17);
    return f;
}
int Width(const QString& s) {
    return QFontMetrics(TestFont()).horizontalAdvance(s);
}

struct LayoutCase {
    const char* name;
    QString text;
    QString widthOf; // the line is exactly as wide as this text
    uint32_t flags;
    std::vector<QString> lines;
};

class LayoutCases : public ::testing::TestWithParam<LayoutCase> {};

} // namespace

TEST_P(LayoutCases, BreaksLikeTheClassicRules) {
    const LayoutCase& c = GetParam();
    const std::vector<TextLine> got = LayoutLines(c.text, TestFont(), Width(c.widthOf), c.flags);
    std::vector<QString> texts;
    for (const TextLine& l : got)
        texts.push_back(l.Text);
    EXPECT_EQ(texts, c.lines);
    // Each line knows where it starts in the text (a single line has its
    // breaks turned into blanks).
    if (c.flags & DT_SINGLELINE) return;
    for (const TextLine& l : got) {
        EXPECT_EQ(c.text.mid(l.Start, l.Text.size()), l.Text) << l.Start;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Text, LayoutCases,
    ::testing::Values(
        LayoutCase{
            "fits exactly", " 00:01:05:432", " 00:01:05:432", DT_WORDBREAK, {" 00:01:05:432"}},
        LayoutCase{"fits with blanks kept", "ab cd  ", "ab cd  ", DT_WORDBREAK, {"ab cd  "}},
        LayoutCase{"breaks after the last blank that fits, which is not drawn",
                   "one two three",
                   "one two thr",
                   DT_WORDBREAK,
                   {"one two", "three"}},
        LayoutCase{"a long word runs on", "abcdefgh ij", "abc", DT_WORDBREAK, {"abcdefgh", "ij"}},
        LayoutCase{"an edit control breaks inside a word",
                   "abcdefgh",
                   "abcd",
                   DT_WORDBREAK | DT_EDITCONTROL,
                   {"abcd", "efgh"}},
        LayoutCase{
            "line breaks end lines", "ab\r\ncd\ref", "abcdef", DT_WORDBREAK, {"ab", "cd", "ef"}},
        LayoutCase{
            "no word break: one line per paragraph", "one two three", "one", 0, {"one two three"}},
        LayoutCase{
            "single line ignores breaks", "ab\ncd", "a", DT_SINGLELINE | DT_WORDBREAK, {"ab cd"}},
        LayoutCase{"empty text is one empty line", "", "x", DT_WORDBREAK, {""}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });
