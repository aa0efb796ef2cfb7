#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The text side of the mix grid's CSV file and clipboard output: field quoting,
// line building, splitting, line ends and the file's character set. Nothing
// here knows about widgets, so the fuzzer and the benchmarks can drive it alone.
//
// Control characters: the rules below speak of codes 1..31 (and 1..32 where the
// blank joins them). A NUL (code 0) in decoded text is treated exactly like
// codes 1..31: it ends an unquoted field, is skipped between fields and is
// trimmed at either end of a cell. It never ends the text: the text always ends
// at its length, so a stray NUL in a file cannot hide the rest of it. Inside a
// quoted field a NUL is kept like any other character, and the writer quotes
// a cell holding one, so it reads back unchanged.
//
// All scanning is done on UTF-16 code units. Every character a rule tests for
// (comma, quote, control characters, blank) is below U+0080, and neither half
// of a surrogate pair ever equals one of them, so a field can never end inside
// a character.
namespace CsvText {

// Characters a trimmed text loses at both ends: codes 0..32.
constexpr bool IsTrimChar(char16_t c) {
    return c <= 32;
}
// Control characters in the sense of the splitting rules (see above).
constexpr bool IsControl(char16_t c) {
    return c < 32;
}

// The text without its leading and trailing characters of codes 0..32.
QStringView TrimmedView(QStringView text);
inline QString Trimmed(QStringView text) {
    return TrimmedView(text).toString();
}

// Whether the writer encloses a cell in double quotes: its text holds a comma,
// a double quote, or any control character (line breaks and tabs included), so
// that the field reads back as the same single cell.
bool NeedsQuotes(QStringView text);

// Appends raw UTF-16 text to either kind of text buffer. The writer builds
// large texts in a std::u16string, whose appends are cheap inline code.
inline void AppendText(QString& out, std::u16string_view s) {
    out.append(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size()));
}
inline void AppendText(std::u16string& out, std::u16string_view s) {
    out.append(s);
}

// Appends the field of one cell: the trimmed text, enclosed in double quotes
// (inner quotes doubled, every line break inside written as CR LF) when
// NeedsQuotes says so, otherwise unquoted.
void AppendField(QString& out, QStringView cell);
void AppendField(std::u16string& out, QStringView cell);
QString FieldText(QStringView cell);

// What a field reads back as after AppendField and the reader: the trimmed
// text with every line break (CR LF, CR or LF) made CR LF.
QString ReadBackText(QStringView cell);

// Appends one CSV line: the fields of the cells separated by commas, ending in
// CR LF (also when there are no cells).
template <class Out, class CellAt>
void AppendLine(Out& out, int firstCol, int endCol, int row, const CellAt& cellAt) {
    for (int c = firstCol; c < endCol; ++c) {
        AppendField(out, cellAt(c, row));
        if (c + 1 < endCol) AppendText(out, u",");
    }
    AppendText(out, u"\r\n");
}

// Room to reserve for a text of `rows` lines, judged by its first line. Only a
// guess: one long first line must not turn into a huge allocation, so the
// guess is capped and anything beyond it grows as usual.
inline int64_t GuessCsvSize(size_t firstLine, int64_t rows) {
    constexpr int64_t cap = int64_t(64) << 20;
    const int64_t perLine = std::min<int64_t>(int64_t(firstLine), cap);
    return std::min<int64_t>(perLine * std::max<int64_t>(rows, 1) / 8 * 9, cap) + 64;
}

// The whole CSV text of rows [firstRow, endRow) and columns [firstCol, endCol).
template <class CellAt>
std::u16string BuildCsvBuffer(int firstRow, int endRow, int firstCol, int endCol,
                              const CellAt& cellAt) {
    std::u16string out;
    for (int r = firstRow; r < endRow; ++r) {
        AppendLine(out, firstCol, endCol, r, cellAt);
        // Room for the rest, judged by the first line (saves regrowing a
        // large text many times over).
        if (r == firstRow)
            out.reserve(size_t(GuessCsvSize(out.size(), int64_t(endRow) - firstRow)));
    }
    return out;
}
template <class CellAt>
QString BuildCsvText(int firstRow, int endRow, int firstCol, int endCol, const CellAt& cellAt) {
    const std::u16string b = BuildCsvBuffer(firstRow, endRow, firstCol, endCol, cellAt);
    return QString(reinterpret_cast<const QChar*>(b.data()), qsizetype(b.size()));
}

// Encodes text piece by piece into one byte array in the file's character set
// (see EncodeText). Pieces must not end inside a character.
class TextEncoder {
public:
    TextEncoder();
    void Append(QStringView text);
    void Reserve(qsizetype bytes) { FOut.reserve(bytes); }
    QByteArray Take() { return std::move(FOut); }

private:
    QStringEncoder FEnc;
    QByteArray FOut;
};

// The bytes of the CSV file: BuildCsvText encoded. The text is built and
// encoded a few lines at a time, so a large text is never held twice.
template <class CellAt>
QByteArray BuildCsvBytes(int firstRow, int endRow, int firstCol, int endCol, const CellAt& cellAt) {
    TextEncoder enc;
    std::u16string lines;
    for (int r = firstRow; r < endRow; ++r) {
        AppendLine(lines, firstCol, endCol, r, cellAt);
        if (r == firstRow)
            enc.Reserve(qsizetype(GuessCsvSize(lines.size(), int64_t(endRow) - firstRow)));
        if (lines.size() >= 16384) {
            enc.Append(QStringView(lines.data(), qsizetype(lines.size())));
            lines.clear();
        }
    }
    enc.Append(QStringView(lines.data(), qsizetype(lines.size())));
    return enc.Take();
}

// Line ends as the reader sees them: the text is read as lines ending at CR LF,
// CR or LF and put together again with CR LF after each line, the last
// included. An empty text stays empty. Returns the text unchanged (no copy)
// when it already has that form.
QString NormalizeLineEnds(QString text);

// Splits comma-separated text into fields and hands each to sink(QStringView).
// The view is valid only during the call. Never reads past the end of text.
//
// Leading characters 0..32 of the whole text are skipped. A field is either
// quoted (runs to the next undoubled quote; "" stands for one quote; without a
// closing quote it runs to the end) or every character up to the first comma
// or control character. After a field, control characters are skipped; if a
// line feed was among them the next field starts there. Otherwise a comma is
// passed over, and each line feed among the control characters right after it
// gives one more empty field.
template <class Sink> void SplitFields(QStringView text, Sink&& sink) {
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    QString scratch; // quoted fields holding doubled quotes are unescaped here
    while (p < end && IsTrimChar(*p))
        ++p;
    while (p < end) {
        if (*p == u'"') {
            ++p;
            const char16_t* start = p;
            bool unescaped = false;
            for (;;) {
                const char16_t* q = start;
                while (q < end && *q != u'"')
                    ++q;
                if (q + 1 < end && q[1] == u'"') { // doubled quote: one quote
                    if (!unescaped) {
                        scratch.resize(0);
                        unescaped = true;
                    }
                    scratch.append(reinterpret_cast<const QChar*>(start), q + 1 - start);
                    start = q + 2;
                    continue;
                }
                if (unescaped) {
                    scratch.append(reinterpret_cast<const QChar*>(start), q - start);
                    sink(QStringView(scratch));
                } else {
                    sink(QStringView(start, q - start));
                }
                p = q < end ? q + 1 : end; // past the closing quote, if any
                break;
            }
        } else {
            const char16_t* start = p;
            while (p < end && *p != u',' && !IsControl(*p))
                ++p;
            sink(QStringView(start, p - start));
        }
        bool lineFeed = false;
        while (p < end && IsControl(*p)) {
            if (*p == u'\n') lineFeed = true;
            ++p;
        }
        if (lineFeed) continue;
        if (p < end && *p == u',') {
            ++p;
            while (p < end && IsControl(*p)) {
                if (*p == u'\n') sink(QStringView());
                ++p;
            }
        }
    }
}

QStringList SplitCSVText(QStringView text);

// The file's character set: the system locale's (UTF-8 here). Invalid bytes
// decode to U+FFFD; an initial byte-order mark is dropped; none is written.
QByteArray EncodeText(QStringView text);
QString DecodeText(QByteArrayView bytes);

// Largest CSV file the reader takes (256 MiB). Reading keeps the file, its
// decoded text and the cells in memory; the limit keeps that bounded, well
// above any file the grid writes (a timing run of a day is a few megabytes).
constexpr int64_t MaxReadFileSize = int64_t(256) * 1024 * 1024;

// Replaces the file `name` whole with `bytes`. The bytes go to a temporary file
// in the same folder that takes the name only once it is complete, so a failed
// write leaves an old file as it was. Raises EFCreateError (Msg::CannotCreateFile)
// when the file cannot be created and EWriteError (Msg::StreamWriteError) when
// writing or completing it fails.
void WriteWholeFile(const QString& name, QByteArrayView bytes);

// Reads the whole file `name`. Gives nothing (a refusal, not an error) when no
// such file exists, when it is no regular file (a FIFO or device could block
// or never end) or when it is larger than maxSize. Raises EFOpenError
// (Msg::CannotOpenFile) when it cannot be opened and EReadError when reading
// fails.
std::optional<QByteArray> ReadWholeFile(const QString& name, int64_t maxSize = MaxReadFileSize);

// The clipboard text of a block of cells: for each row, every cell's trimmed
// text followed by a TAB, then CR LF. Before a cell is appended, if its stored
// length plus the length built so far exceeds `limit`, the row in progress is
// ended with CR LF, no further row is added and TooLong is set.
constexpr int64_t ClipboardLimit = 2047999999;

struct ClipboardText {
    QString Text;
    bool TooLong = false;
};

template <class CellAt>
ClipboardText BuildClipboardText(int firstRow, int endRow, int firstCol, int endCol,
                                 const CellAt& cellAt, int64_t limit = ClipboardLimit) {
    ClipboardText out;
    for (int r = firstRow; r < endRow && !out.TooLong; ++r) {
        for (int c = firstCol; c < endCol; ++c) {
            const QString cell = cellAt(c, r);
            if (int64_t(cell.size()) + int64_t(out.Text.size()) > limit) {
                out.TooLong = true;
                break;
            }
            out.Text += TrimmedView(cell);
            out.Text += QLatin1Char('\t');
        }
        out.Text += QLatin1String("\r\n");
    }
    return out;
}

} // namespace CsvText
