// Fuzz entry over the CSV text rules and the row-text rule. Any byte string is
// a file: it is decoded, its line ends made CR LF and split into fields; the
// same text goes through the row-text rule; and the fields are written again
// with the writer's quoting and split once more, which must give them back.
#include "CsvText.h"
#include "RowText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = QString()) {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.toUtf8().constData());
    std::abort();
}

#define CHECK(cond, ...)                                                                           \
    do {                                                                                           \
        if (!(cond)) fail(#cond, ##__VA_ARGS__);                                                   \
    } while (0)

void checkSplit(const QString& text) {
    qsizetype count = 0, total = 0;
    CsvText::SplitFields(text, [&](QStringView f) {
        ++count;
        total += f.size();
    });
    // Every field consumes at least one character (its end, comma or quote).
    CHECK(count <= text.size());
    CHECK(total <= text.size());
    const QStringList list = CsvText::SplitCSVText(text);
    CHECK(list.size() == count);
}

void checkRowText(const QString& text, int cellCount) {
    const QStringList fields = RowTextFields(text);
    const QStringList cells = RowTextCells(text, cellCount);
    CHECK(cells.size() == (cellCount > 0 ? cellCount : 0));
    // Every filled cell holds one of the fields, in order.
    qsizetype next = 0;
    for (const QString& c : cells) {
        if (c.isEmpty()) continue;
        while (next < fields.size() && fields[next] != c)
            ++next;
        CHECK(next < fields.size(), c);
        ++next;
    }
}

// Writes the fields as rows of `cols` cells and reads them back.
void checkRoundTrip(const QStringList& fields, int cols) {
    const qsizetype rows = (fields.size() + cols - 1) / cols;
    auto cellAt = [&](int c, int r) { return fields.value(qsizetype(r) * cols + c); };
    const QString written = CsvText::BuildCsvText(0, int(rows), 0, cols, cellAt);
    CHECK(CsvText::NormalizeLineEnds(written) == written, written);
    CHECK(CsvText::BuildCsvBytes(0, int(rows), 0, cols, cellAt) == CsvText::EncodeText(written),
          written);
    const QStringList back = CsvText::SplitCSVText(written);
    CHECK(back.size() == rows * cols, written);
    for (qsizetype i = 0; i < back.size(); ++i) {
        const QString want = CsvText::ReadBackText(cellAt(int(i % cols), int(i / cols)));
        CHECK(CsvText::Trimmed(back[i]) == want, written);
    }
    // The clipboard text of the same cells: trimmed cells, a TAB after each,
    // CR LF after each row.
    const CsvText::ClipboardText ct = CsvText::BuildClipboardText(0, int(rows), 0, cols, cellAt);
    qsizetype expect = 0;
    for (qsizetype i = 0; i < rows * cols; ++i)
        expect += CsvText::TrimmedView(fields.value(i)).size() + 1;
    CHECK(!ct.TooLong);
    CHECK(ct.Text.size() == expect + 2 * rows);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    const QString decoded = CsvText::DecodeText(bytes);
    const QString text = CsvText::NormalizeLineEnds(decoded);
    checkSplit(decoded);
    checkSplit(text);

    const int cellCount = size > 0 ? int(data[0] % 40) - 2 : 0; // a few negative counts too
    checkRowText(decoded, cellCount);

    const int cols = 2 + (size > 1 ? data[1] % 6 : 0);
    checkRoundTrip(CsvText::SplitCSVText(text), cols);
    // Fields cut out of the raw text at a chosen byte keep every oddity
    // (quotes, line breaks, NULs, blanks) for the writer to deal with.
    const char16_t cut = size > 2 ? char16_t(data[2]) : u'|';
    checkRoundTrip(decoded.split(QChar(cut)), cols);

    // Decoding what was encoded gives the text back (an initial byte-order
    // mark is dropped by design).
    if (!decoded.startsWith(QChar(0xFEFF)))
        CHECK(CsvText::DecodeText(CsvText::EncodeText(decoded)) == decoded);
    return 0;
}
