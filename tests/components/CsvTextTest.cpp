#include "CsvText.h"

#include <gtest/gtest.h>

#include <QStringConverter>
#include <vector>

using namespace CsvText;

namespace {

QString u(const char16_t* s) {
    return QString::fromUtf16(s);
}
QString withNul(const char* s, int n) {
    return QString::fromLatin1(s, n);
}

// The cells of a small table, addressed like a grid.
struct Table {
    std::vector<QStringList> rows;
    QString operator()(int c, int r) const { return rows[size_t(r)].value(c); }
};

} // namespace

// --- writer --------------------------------------------------------------

struct FieldCase {
    const char* name;
    QString cell;
    QString field;
};

TEST(CsvFieldTest, QuotesTrimsAndEscapes) {
    const std::vector<FieldCase> cases = {
        {"plain", "abc", "abc"},
        {"empty", "", ""},
        {"blanks only", "   ", ""},
        {"inner blanks kept, outer trimmed", "  a  b  ", "a  b"},
        {"control characters trimmed", withNul("\x01\t a \x1f\0", 7), "a"},
        {"comma", "a,b", "\"a,b\""},
        {"quote doubled", "say \"hi\"", "\"say \"\"hi\"\"\""},
        {"comma and quote", " \"x\",y ", "\"\"\"x\"\",y\""},
        {"lone quote", "\"", "\"\"\"\""},
        {"LF becomes CR LF inside quotes", "a\nb", "\"a\r\nb\""},
        {"CR becomes CR LF", "a\rb", "\"a\r\nb\""},
        {"CR LF stays one break", "a\r\nb", "\"a\r\nb\""},
        {"two breaks stay two", "a\n\rb", "\"a\r\n\r\nb\""},
        {"tab", "a\tb", "\"a\tb\""},
        {"other control character", "a\x01z", "\"a\x01z\""},
        {"NUL inside", withNul("a\0b", 3),
         QStringLiteral("\"a") + QChar(0) + QStringLiteral("b\"")},
        {"trailing break trimmed before quoting", "ab\r\n", "ab"},
        {"non-ASCII untouched", u(u"日本,語"), u(u"\"日本,語\"")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FieldText(c.cell), c.field);
        QString line = QStringLiteral("x");
        AppendField(line, c.cell);
        EXPECT_EQ(line, QStringLiteral("x") + c.field) << "AppendField appends";
    }
}

TEST(CsvFieldTest, NeedsQuotesOnlyForSpecialCharacters) {
    EXPECT_FALSE(NeedsQuotes(u"a b;c'd"));
    EXPECT_FALSE(NeedsQuotes(u""));
    for (char16_t c : {u',', u'"', u'\r', u'\n', u'\t', char16_t(0), char16_t(31)}) {
        const QString s = QStringLiteral("a") + QChar(c) + QStringLiteral("b");
        EXPECT_TRUE(NeedsQuotes(s)) << int(c);
    }
}

TEST(CsvLineTest, RowsBecomeLinesWithCrLf) {
    Table t{{{"a", " b ", "c,d"}, {"", "", ""}, {"x"}}};
    EXPECT_EQ(BuildCsvText(0, 3, 0, 3, t), QStringLiteral("a,b,\"c,d\"\r\n,,\r\nx,,\r\n"));
    // A column range that starts later skips the leading columns.
    EXPECT_EQ(BuildCsvText(0, 1, 1, 3, t), QStringLiteral("b,\"c,d\"\r\n"));
    // No rows: no text at all.
    EXPECT_TRUE(BuildCsvText(1, 1, 0, 3, t).isEmpty());
}

TEST(CsvLineTest, EmptyRowOfTenColumnsIsNineCommas) {
    Table t{{QStringList(10)}};
    EXPECT_EQ(BuildCsvText(0, 1, 0, 10, t), QString(9, QLatin1Char(',')) + QStringLiteral("\r\n"));
}

TEST(CsvLineTest, BytesAreTheEncodedTextAcrossPieceBoundaries) {
    // Enough lines, with characters of one to four bytes, to be encoded in
    // several pieces.
    Table t;
    for (int r = 0; r < 3000; ++r)
        t.rows.push_back({QString::number(r), u(u"日本語,😀"), "a\"b", u(u"é\n😀")});
    const QByteArray bytes = BuildCsvBytes(0, 3000, 0, 4, t);
    EXPECT_EQ(bytes, EncodeText(BuildCsvText(0, 3000, 0, 4, t)));
    EXPECT_EQ(DecodeText(bytes), BuildCsvText(0, 3000, 0, 4, t));
    EXPECT_TRUE(BuildCsvBytes(0, 0, 0, 4, t).isEmpty());
}

TEST(CsvLineTest, LongFirstLineDoesNotReserveForEveryRow) {
    // A 4 MB first line above 100 000 empty rows: judged by the first line the
    // text would need about 450 GB; the file really needs about 5 MB.
    const int rows = 100000;
    const QString big(4 << 20, QLatin1Char('x'));
    const QString empty;
    auto cellAt = [&](int c, int r) -> const QString& { return r == 0 && c == 0 ? big : empty; };
    QByteArray bytes;
    ASSERT_NO_THROW(bytes = BuildCsvBytes(0, rows, 0, 2, cellAt));
    EXPECT_EQ(bytes.size(), qsizetype(big.size()) + 3 * rows);
    EXPECT_LT(bytes.capacity(), qsizetype(256) << 20);
    EXPECT_LE(GuessCsvSize(size_t(1) << 40, int64_t(1) << 30), (int64_t(64) << 20) + 64);
    EXPECT_EQ(GuessCsvSize(80, 1000), 80 * 1000 / 8 * 9 + 64);
}
// --- line ends -----------------------------------------------------------

TEST(CsvLineEndTest, EveryLineEndsWithCrLf) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\r\n", "a\r\n"},
        {"a\rb", "a\r\nb\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"\r\r\n\n", "\r\n\r\n\r\n"},
        {"a\r", "a\r\n"},
        {"\n", "\r\n"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(NormalizeLineEnds(in), out) << in.toStdString();
}

TEST(CsvLineEndTest, NormalTextIsNotCopied) {
    QString in = QString::fromLatin1("a,b\r\nc\r\n");
    const QChar* data = in.constData();
    const QString out = NormalizeLineEnds(std::move(in));
    EXPECT_EQ(out, QStringLiteral("a,b\r\nc\r\n"));
    EXPECT_EQ(out.constData(), data);
}

// --- splitting -----------------------------------------------------------

struct SplitCase {
    const char* name;
    QString text;
    QStringList fields;
};

TEST(SplitCSVTextTest, Cases) {
    const QString nul(QChar(0));
    const std::vector<SplitCase> cases = {
        {"empty field in the middle", "a,,b", {"a", "", "b"}},
        {"line break ends a line", "a,b\r\nc", {"a", "b", "c"}},
        {"leading blanks of the text skipped", "  \r\n a", {"a"}},
        {"blanks after a comma stay", "a,  b ,c", {"a", "  b ", "c"}},
        {"quoted field with comma", "\"a,b\",c", {"a,b", "c"}},
        {"doubled quote is one quote", "\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        {"empty quoted field", "\"\",x", {"", "x"}},
        {"quoted field keeps line breaks", "\"a\r\nb\"\r\nc", {"a\r\nb", "c"}},
        {"unclosed quote runs to the end", "x,\"ab,c\r\nd", {"x", "ab,c\r\nd"}},
        {"tab ends an unquoted field", "a\tb", {"a", "b"}},
        {"other control character ends a field",
         "a\x01"
         "b",
         {"a", "b"}},
        {"text after a closing quote is a new field", "\"a\"b,c", {"a", "b", "c"}},
        {"comma at the end of a line gives an empty field", "a,\r\nb", {"a", "", "b"}},
        {"each further line feed one more empty field", "a,\r\n\nb", {"a", "", "", "b"}},
        {"line starting with a comma", "a\r\n,b", {"a", "", "b"}},
        {"comma at the very end gives nothing more", "a,", {"a"}},
        {"empty text", "", {}},
        {"only blanks and breaks", " \r\n\t ", {}},
        {"NUL ends an unquoted field", "a" + nul + "b", {"a", "b"}},
        {"NUL kept inside quotes", "\"a" + nul + "b\"", {"a" + nul + "b"}},
        {"leading NULs skipped", nul + nul + "a", {"a"}},
        {"bare CR does not start a line", "a\r,b", {"a", "b"}},
        {"surrogate pairs next to separators", u(u"😀,😀\t😀"), {u(u"😀"), u(u"😀"), u(u"😀")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitCSVText(c.text), c.fields);
    }
}

TEST(SplitCSVTextTest, LongInputsStayLinear) {
    // A very long unquoted line, an unclosed quote over a long text and a long
    // run of commas each finish and give the expected field counts.
    const qsizetype n = 4 * 1000 * 1000;
    const QString longField(n, QLatin1Char('x'));
    QStringList f = SplitCSVText(longField);
    ASSERT_EQ(f.size(), 1);
    EXPECT_EQ(f[0].size(), n);

    f = SplitCSVText(QStringLiteral("\"") + longField + QStringLiteral(",\r\n"));
    ASSERT_EQ(f.size(), 1);
    EXPECT_EQ(f[0].size(), n + 3);

    const QString commas = QString(n, QLatin1Char(',')) + QStringLiteral("\r\n");
    qsizetype count = 0;
    SplitFields(commas, [&](QStringView v) {
        EXPECT_TRUE(v.isEmpty());
        ++count;
    });
    EXPECT_EQ(count, n + 1);
}

// --- round trip ----------------------------------------------------------

TEST(CsvRoundTripTest, WrittenCellsSplitBackToTheSameFields) {
    const QString nul(QChar(0));
    const QStringList tricky = {
        "plain",    "",          "a,b",          "q\"uote",       "\"",
        "\"\"",     ",",         "both \"x\",y", "line\r\nbreak", "lf\nonly",
        "cr\ronly", "tab\there", "  padded  ",   "x" + nul + "y", u(u"日本語"),
        u(u"😀"),    "\x01\x02",  "a\r\n\r\nb",   "\"start",       "end\"",
        "ends,",
    };
    // Every cell in every column position, including first and last.
    Table t;
    const int cols = 4;
    for (int i = 0; i < tricky.size(); ++i) {
        QStringList row;
        for (int c = 0; c < cols; ++c)
            row << tricky[(i + c) % tricky.size()];
        t.rows.push_back(row);
    }
    t.rows.push_back(QStringList(cols)); // an entirely empty row
    const int rowCount = int(t.rows.size());
    const QString text = NormalizeLineEnds(BuildCsvText(0, rowCount, 0, cols, t));
    const QStringList fields = SplitCSVText(text);
    ASSERT_EQ(fields.size(), rowCount * cols);
    for (int i = 0; i < fields.size(); ++i) {
        const QString cell = t(i % cols, i / cols);
        EXPECT_EQ(Trimmed(fields[i]), ReadBackText(cell)) << "cell " << i;
    }
}

TEST(CsvRoundTripTest, ReadBackTextNormalisesBreaksAndTrims) {
    EXPECT_EQ(ReadBackText(u" a\nb\rc\r\nd "), QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(ReadBackText(u"\"x\""), QStringLiteral("\"x\""));
}

// --- encoding ------------------------------------------------------------

TEST(CsvEncodingTest, SystemCharacterSetRoundTrips) {
    const QString text = u(u"Lap,日本語,😀\r\n");
    const QByteArray bytes = EncodeText(text);
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "no byte-order mark";
    EXPECT_EQ(DecodeText(bytes), text);
    // The system character set here is UTF-8.
    EXPECT_EQ(bytes, text.toUtf8());
}

TEST(CsvEncodingTest, InvalidBytesBecomeReplacementCharacters) {
    const QChar bad(0xFFFD);
    EXPECT_EQ(DecodeText(QByteArrayView("a\xFF"
                                        "b")),
              QStringLiteral("a") + bad + QStringLiteral("b"));
    // A multibyte sequence cut short at the end of the file.
    const QString cut = DecodeText(QByteArrayView("x\xE3\x81"));
    ASSERT_GE(cut.size(), 2);
    EXPECT_EQ(cut[0], QLatin1Char('x'));
    EXPECT_EQ(cut[1], bad);
    // A byte-order mark at the start is dropped, one further on is a character.
    EXPECT_EQ(DecodeText(QByteArrayView("\xEF\xBB\xBF"
                                        "a")),
              QStringLiteral("a"));
    EXPECT_EQ(DecodeText(QByteArrayView("a\xEF\xBB\xBF")), QStringLiteral("a") + QChar(0xFEFF));
    // A NUL byte is kept as a character.
    EXPECT_EQ(DecodeText(QByteArray("a\0b", 3)), withNul("a\0b", 3));
    // An invalid byte right before a comma cannot swallow the comma.
    EXPECT_EQ(SplitCSVText(DecodeText(QByteArrayView("\xE3,x"))), (QStringList{QString(bad), "x"}));
}

// --- clipboard -----------------------------------------------------------

TEST(ClipboardTextTest, EveryCellTrimmedAndFollowedByTab) {
    Table t{{{" a ", "b", ""}, {"", "", ""}}};
    const ClipboardText ct = BuildClipboardText(0, 2, 0, 3, t);
    EXPECT_FALSE(ct.TooLong);
    EXPECT_EQ(ct.Text, QStringLiteral("a\tb\t\t\r\n\t\t\t\r\n"));
    // No column in the range: one empty line per row.
    EXPECT_EQ(BuildClipboardText(0, 2, 3, 3, t).Text, QStringLiteral("\r\n\r\n"));
}

TEST(ClipboardTextTest, StopsBeforeTheLimitIsExceeded) {
    Table t{{{"abc", "de"}, {"f", "g"}}};
    // Built so far before "de": "abc\t" (4); 4 + 2 = 6 does not exceed 6.
    ClipboardText ct = BuildClipboardText(0, 2, 0, 2, t, 6);
    EXPECT_TRUE(ct.TooLong);
    // Stops before "f" (9 + 1 > 6); the row in progress still gets its CR LF.
    EXPECT_EQ(ct.Text, QStringLiteral("abc\tde\t\r\n\r\n"));
    // One less: "de" is not appended, the row in progress is ended.
    ct = BuildClipboardText(0, 2, 0, 2, t, 5);
    EXPECT_TRUE(ct.TooLong);
    EXPECT_EQ(ct.Text, QStringLiteral("abc\t\r\n"));
    // The stored (untrimmed) length counts.
    Table padded{{{"x", "   y   "}}};
    EXPECT_TRUE(BuildClipboardText(0, 1, 0, 2, padded, 8).TooLong);
    EXPECT_FALSE(BuildClipboardText(0, 1, 0, 2, padded, 9).TooLong);
}

TEST(ClipboardTextTest, LengthsBeyond32BitsAreCompared) {
    // A limit above 2^31 must not wrap: nothing here comes close to it.
    Table t{{{"a"}}};
    EXPECT_FALSE(BuildClipboardText(0, 1, 0, 1, t, int64_t(1) << 40).TooLong);
    EXPECT_TRUE(BuildClipboardText(0, 1, 0, 1, t, 0).TooLong);
}
