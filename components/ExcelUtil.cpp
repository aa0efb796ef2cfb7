#include "ExcelUtil.h"

#include "CsvText.h"
#include "MessageService.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace {

const QString msgNoData = QStringLiteral("グリッド内に、コピーするデータがありません。");
const QString msgTooLong =
    QStringLiteral("コピーする領域がシステムの許容範囲を越えたので、\r\nコピーを中断します。");
const QString msgNoFile =
    QStringLiteral("CSVファイル名が指定されていないか、指定されたファイルが存在しません。");
const QString msgFirstRow = QStringLiteral("先頭行なので上に移動できません。");
const QString msgLastRow = QStringLiteral("最下位行なので下に移動できません。");
const QString msgStartValue = QStringLiteral("1以上の整数を入力してください。");

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

QByteArray TXlsStringGrid::csvBytes() const {
    return CsvText::BuildCsvBytes(FixedRows(), RowCount(), FixedCols(), ColCount(),
                                  [this](int c, int r) { return CellView(c, r); });
}

int TXlsStringGrid::SetCommaText() {
    if (FCSVFileName.isEmpty()) {
        refuse(msgNoFile);
        return -1;
    }
    // A failed save leaves an old file as it was.
    CsvText::WriteWholeFile(FCSVFileName, csvBytes());
    return 0;
}

void TXlsStringGrid::dealFields(QStringView text, int64_t& count) {
    // Fields are dealt out row by row into the scrollable columns, whatever the
    // file's lines were.
    const int fixedCols = FixedCols();
    const int fixedRows = FixedRows();
    const int perRow = std::max(1, ColCount() - fixedCols);
    // One row's fields are gathered and stored at once, so that the grid
    // sizes each stored row once and the strings are moved in, not copied.
    std::vector<QString> pending;
    pending.reserve(size_t(perRow));
    int64_t row = fixedRows; // row of the pending fields
    auto store = [&] {
        // (row is beyond any index only past the file size limit; an empty
        // field over a never written cell takes no storage)
        if (row <= INT_MAX) StoreRowCells(int(row), fixedCols, pending);
        pending.clear();
        ++row;
    };
    try {
        CsvText::SplitFields(text, [&](QStringView f) {
            ++count;
            pending.push_back(CsvText::Trimmed(f));
            if (int(pending.size()) == perRow) store();
        });
    } catch (...) {
        store(); // the fields split so far are placed
        throw;
    }
    if (!pending.empty()) store();
}

int TXlsStringGrid::GetCommaText() {
    if (FCSVFileName.isEmpty()) {
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
        // Only an existing regular file of bounded size is read; anything
        // else is refused like a missing file, and the grid stays unchanged.
        std::optional<QByteArray> bytes = CsvText::ReadWholeFile(FCSVFileName);
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
