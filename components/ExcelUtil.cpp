#include "ExcelUtil.h"

#include "CsvText.h"
#include "Errors.h"
#include "MessageService.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString msgNoData = QStringLiteral("グリッド内に、コピーするデータがありません。");
const QString msgTooLong =
    QStringLiteral("コピーする領域がシステムの許容範囲を越えたので、\r\nコピーを中断します。");
const QString msgNoFile =
    QStringLiteral("CSVファイル名が指定されていないか、指定されたファイルが存在しません。");
const QString msgFirstRow = QStringLiteral("先頭行なので上に移動できません。");
const QString msgLastRow = QStringLiteral("最下位行なので下に移動できません。");
const QString msgStartValue = QStringLiteral("1以上の整数を入力してください。");

QString createError(const QString& name) {
    return QStringLiteral("ファイル ") + name + QStringLiteral(" を作成できません");
}
QString openError(const QString& name) {
    return QStringLiteral("ファイル ") + name + QStringLiteral(" は開けません");
}
const QString msgWriteError = QStringLiteral("ストリームへの書き込みエラー");
const QString msgReadError = QStringLiteral("ストリームの読み込みエラー");

// Closes a descriptor on every way out.
struct FdGuard {
    int fd;
    ~FdGuard() {
        if (fd >= 0) ::close(fd);
    }
};

// Reads a whole regular file. nullopt when the name turns out to be no regular
// file or one above the size limit (it may have changed since it was looked
// at). Opening does not wait: a FIFO put in its place cannot block the reader.
std::optional<QByteArray> readRegularFile(const QString& name) {
    const QByteArray path = QFile::encodeName(name);
    int fd;
    do {
        fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw EFOpenError(openError(name));
    FdGuard guard{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw EFOpenError(openError(name));
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    const int64_t size = st.st_size;
    if (size < 0 || size > CsvText::MaxReadFileSize) return std::nullopt;

    QByteArray bytes;
    // One byte more than the file holds tells a file that grew since fstat.
    bytes.resize(qsizetype(size) + 1);
    int64_t got = 0;
    for (;;) {
        if (got == int64_t(bytes.size())) {
            if (got > CsvText::MaxReadFileSize) return std::nullopt;
            bytes.resize(qsizetype(std::min<int64_t>(got * 2, CsvText::MaxReadFileSize + 1)));
        }
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(int64_t(bytes.size()) - got));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EReadError(msgReadError);
        }
        if (n == 0) break;
        got += n;
    }
    bytes.truncate(qsizetype(got));
    return bytes;
}

} // namespace

void TStringListEx::SplitCSVText(QStringView text) {
    QStringList fields;
    CsvText::SplitFields(text, [&](QStringView f) { fields.push_back(f.toString()); });
    swap(fields);
}

TXlsStringGrid::TXlsStringGrid(QWidget* parent) : TStringGrid(parent) {}

TXlsStringGrid::~TXlsStringGrid() = default;

void TXlsStringGrid::refuse(const QString& text, bool always) const {
    if (always || FShowErrDlg) ShowErrorMessage(text);
}

void TXlsStringGrid::SetStartRow(uint16_t v) {
    if (v == 0) {
        refuse(msgStartValue, true);
        return;
    }
    FStartRow = v;
}

void TXlsStringGrid::SetStartCol(uint16_t v) {
    if (v == 0) {
        refuse(msgStartValue, true);
        return;
    }
    FStartCol = v;
}

void TXlsStringGrid::SetCellFont(const TFont* font) {
    if (font) FCellFont.Assign(*font);
}

int64_t TXlsStringGrid::ClipboardLimit() const {
    return CsvText::ClipboardLimit;
}

QString TXlsStringGrid::csvText() const {
    return CsvText::BuildCsvText(FixedRows(), RowCount(), FixedCols(), ColCount(),
                                 [this](int c, int r) { return Cells(c, r); });
}

int TXlsStringGrid::SetCommaText() {
    if (FCSVFileName.isEmpty()) {
        refuse(msgNoFile);
        return -1;
    }
    const QByteArray bytes = CsvText::EncodeText(csvText());
    // The text goes to a temporary file that replaces the old one only once it
    // is complete, so a failed save leaves the old file as it was.
    QSaveFile file(FCSVFileName);
    if (!file.open(QIODevice::WriteOnly)) throw EFCreateError(createError(FCSVFileName));
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throw EWriteError(msgWriteError);
    }
    if (!file.commit()) throw EWriteError(msgWriteError);
    return 0;
}

void TXlsStringGrid::dealFields(QStringView text, int64_t& count) {
    // Fields are dealt out row by row into the scrollable columns, whatever the
    // file's lines were.
    const int fixedCols = FixedCols();
    const int fixedRows = FixedRows();
    const int64_t perRow = std::max(1, ColCount() - fixedCols);
    CsvText::SplitFields(text, [&](QStringView f) {
        const int col = fixedCols + int(count % perRow);
        const int64_t row = fixedRows + count / perRow;
        ++count;
        if (row > INT_MAX) return; // beyond any row index; cannot happen under the size limit
        const QStringView t = CsvText::TrimmedView(f);
        // An empty field over an empty cell changes nothing; skipping it
        // keeps a file of bare commas from growing the cell storage.
        if (t.isEmpty() && Cells(col, int(row)).isEmpty()) return;
        SetCells(col, int(row), t.toString());
    });
}

int TXlsStringGrid::GetCommaText() {
    if (FCSVFileName.isEmpty()) {
        refuse(msgNoFile);
        return -1;
    }
    // Only a regular file of bounded size is read: a FIFO or device could block
    // or never end, and the whole file is held in memory.
    const QFileInfo info(FCSVFileName);
    if (!info.exists() || !info.isFile() || info.size() > CsvText::MaxReadFileSize) {
        refuse(msgNoFile);
        return -1;
    }
    int64_t dealt = 0; // fields placed so far, also when reading fails
    auto extend = [&] {
        if (!FExtendRows) return;
        const int64_t perRow = std::max(1, ColCount() - FixedCols());
        const int64_t rows = int64_t(FixedRows()) + dealt / perRow;
        SetRowCount(int(std::min<int64_t>(rows, INT_MAX)));
    };
    try {
        std::optional<QByteArray> bytes = readRegularFile(FCSVFileName);
        if (!bytes) {
            refuse(msgNoFile);
            return -1;
        }
        QString text = CsvText::DecodeText(*bytes);
        bytes.reset();
        text = CsvText::NormalizeLineEnds(std::move(text));
        dealFields(text, dealt);
    } catch (...) {
        extend();
        throw;
    }
    extend();
    return 0;
}

int TXlsStringGrid::CopyClipboard() {
    if (RowCount() - FixedRows() < 1) {
        refuse(msgNoData);
        return 2;
    }
    const CsvText::ClipboardText ct = CsvText::BuildClipboardText(
        FColumnName ? 0 : 1, RowCount(), FStartData, ColCount(),
        [this](int c, int r) { return Cells(c, r); }, ClipboardLimit());
    if (ct.TooLong) refuse(msgTooLong);
    QGuiApplication::clipboard()->setText(ct.Text);
    return ct.TooLong ? -3 : 1;
}

void TXlsStringGrid::swapRows(int a, int b) {
    ExchangeRows(a, b);
    // The row past the last one served as the exchange buffer: it ends empty.
    const int buffer = RowCount();
    for (int c = 0; c < ColCount(); ++c)
        if (!Cells(c, buffer).isEmpty()) SetCells(c, buffer, QString());
}

int TXlsStringGrid::MoveUp() {
    const int r = Row();
    if (r == 0 || r <= FixedRows()) {
        refuse(msgFirstRow);
        return -1;
    }
    swapRows(r - 1, r);
    FocusCell(Col(), r - 1);
    return 0;
}

int TXlsStringGrid::MoveDown() {
    const int r = Row();
    if (r + 1 >= RowCount()) {
        refuse(msgLastRow);
        return -1;
    }
    swapRows(r, r + 1);
    FocusCell(Col(), r + 1);
    return 0;
}
