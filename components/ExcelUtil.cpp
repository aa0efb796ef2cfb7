#include "ExcelUtil.h"

#include "Automation.h"
#include "CsvText.h"
#include "ExcelSession.h"
#include "MessageService.h"
#include "Messages.h"
#include "OleError.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

void TStringListEx::SplitCSVText(QStringView text) {
    QStringList fields;
    CsvText::SplitFields(text, [&](QStringView f) { fields.push_back(f.toString()); });
    swap(fields);
}

TXlsStringGrid::TXlsStringGrid(QWidget* parent) : TStringGrid(parent) {}

TXlsStringGrid::~TXlsStringGrid() = default;

void TXlsStringGrid::refuse(const QString& text, const QString& english, bool always) const {
    if (always || FShowErrDlg) ShowErrorMessage(text, english);
}

void TXlsStringGrid::SetStartRow(uint16_t v) {
    if (v == 0) {
        refuse(Msg::StartValue(), Msg::En::StartValue(), true);
        return;
    }
    FStartRow = v;
}

void TXlsStringGrid::SetStartCol(uint16_t v) {
    if (v == 0) {
        refuse(Msg::StartValue(), Msg::En::StartValue(), true);
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
        refuse(Msg::NoCsvFile(), Msg::En::NoCsvFile());
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
        refuse(Msg::NoCsvFile(), Msg::En::NoCsvFile());
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
            refuse(Msg::NoCsvFile(), Msg::En::NoCsvFile());
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
        refuse(Msg::NoData(), Msg::En::NoData());
        return 2;
    }
    const CsvText::ClipboardText ct = CsvText::BuildClipboardText(
        FColumnName ? 0 : 1, RowCount(), FStartData, ColCount(),
        [this](int c, int r) { return Cells(c, r); }, ClipboardLimit());
    if (ct.TooLong) refuse(Msg::TooLong(), Msg::En::TooLong());
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
        refuse(Msg::FirstRow(), Msg::En::FirstRow());
        return -1;
    }
    swapRows(r - 1, r);
    FocusCell(Col(), r - 1);
    return 0;
}

int TXlsStringGrid::MoveDown() {
    const int r = Row();
    if (r + 1 >= RowCount()) {
        refuse(Msg::LastRow(), Msg::En::LastRow());
        return -1;
    }
    swapRows(r, r + 1);
    FocusCell(Col(), r + 1);
    return 0;
}

// ---- Spreadsheet export --------------------------------------------------

namespace {

const QString kProgId = QStringLiteral("Excel.Application");

constexpr int32_t xlWindowNormal = -4143;
constexpr int32_t xlUnderlineSingle = 2;
constexpr int MaxColumn = 16384; // XFD

int32_t borderWeightValue(TCellBorderWeight w) {
    switch (w) {
    case bwHairline:
        return 1;
    case bwThin:
        return 2;
    case bwMedium:
        return -4138;
    case bwThick:
        return 4;
    case bwNone:
        break;
    }
    return 0;
}

// The number sent for a colour: a plain colour as it is (its byte order is
// the application's), a system colour resolved through the toolkit's table,
// because the application knows no system colours.
int32_t colourValue(TColor c) {
    const uint32_t u = static_cast<uint32_t>(c);
    if (u & 0x80000000u) return static_cast<int32_t>(SysColorRGB(static_cast<int>(u & 0xFF)));
    return c;
}

} // namespace

QString ColumnLetters(int c) {
    if (c < 1 || c > MaxColumn)
        throw ERangeError(Msg::ColumnOutOfRange().arg(c), Msg::En::ColumnOutOfRange().arg(c));
    QString letters;
    for (int n = c; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QString RangeAddress(int row, int col, int rowSpan, int colSpan) {
    return QStringLiteral("%1%2:%3%4")
        .arg(ColumnLetters(col))
        .arg(row)
        .arg(ColumnLetters(col + colSpan))
        .arg(row + rowSpan);
}

bool WorkbookNameFree(const TVariant& app, const QString& name, const TVariant& book) {
    using namespace Automation;
    const int count =
        Call(Call(Call(app, QStringLiteral("Application")), QStringLiteral("WorkBooks")),
             QStringLiteral("Count"))
            .ToInt();
    for (int32_t i = 1; i <= count; ++i) {
        const TVariant wb =
            Get(Call(app, QStringLiteral("Application")), QStringLiteral("WorkBooks"), {ByVal(i)});
        if (Call(wb, QStringLiteral("Name")).ToString() == name) return false;
    }
    // The new workbook's own sheets: renaming a sheet to a name another sheet
    // of its workbook has is refused.
    if (!book.IsObject()) return true;
    const int sheets =
        Call(Call(book, QStringLiteral("Worksheets")), QStringLiteral("Count")).ToInt();
    for (int32_t i = 1; i <= sheets; ++i) {
        const TVariant ws = Get(book, QStringLiteral("Worksheets"), {ByVal(i)});
        if (Call(ws, QStringLiteral("Name")).ToString().compare(name, Qt::CaseInsensitive) == 0)
            return false;
    }
    return true;
}

void ReleaseExcel(const TVariant& app, bool started, const TVariant& book) {
    using namespace Automation;
    const QString alerts = QStringLiteral("DisplayAlerts");
    if (started) {
        Put(app, alerts, ByVal(false));
        Call(app, QStringLiteral("Quit"));
        return;
    }
    // Only the workbook this export added is closed: the active one may be
    // the user's own, with changes the closing would throw away.
    const TVariant before = Get(app, alerts);
    Put(app, alerts, ByVal(false));
    try {
        if (book.IsObject()) Call(book, QStringLiteral("Close"));
    } catch (...) {
        Put(app, alerts, ByVal(before));
        throw;
    }
    Put(app, alerts, ByVal(before));
}

void TXlsStringGrid::FormatSheet(const TVariant& app, const TVariant& book, int row, int col,
                                 int rowSpan, int colSpan) {
    using namespace Automation;
    // Each step starts again from the application's active sheet.
    auto sheet = [&] { return Call(app, QStringLiteral("ActiveSheet")); };
    auto cell = [&](const TVariant& s) {
        return Get(s, QStringLiteral("Cells"), {ByVal(int32_t(row)), ByVal(int32_t(col))});
    };
    auto range = [&](const TVariant& s, const QString& address) {
        return Get(s, QStringLiteral("Range"), {ByRef(address)});
    };

    Call(cell(sheet()), QStringLiteral("PasteSpecial"));
    const QString r = RangeAddress(row, col, rowSpan, colSpan);
    if (FCellBorderWeight != bwNone)
        Put(Call(range(sheet(), r), QStringLiteral("Borders")), QStringLiteral("Weight"),
            ByVal(borderWeightValue(FCellBorderWeight)));
    if (FCellColor != clNone)
        Put(Call(range(sheet(), r), QStringLiteral("Interior")), QStringLiteral("Color"),
            ByRef(colourValue(FCellColor)));
    if (FColumnName && FCellTitleColor != clNone)
        Put(Call(range(sheet(), RangeAddress(row, col, 0, colSpan)), QStringLiteral("Interior")),
            QStringLiteral("Color"), ByRef(colourValue(FCellTitleColor)));
    if (FCellBorderWeight != bwNone)
        Put(Call(range(sheet(), r), QStringLiteral("Borders")), QStringLiteral("Color"),
            ByRef(colourValue(FCellBorderColor)));
    {
        const TVariant s = sheet();
        auto font = [&] { return Call(Call(s, QStringLiteral("Cells")), QStringLiteral("Font")); };
        Put(font(), QStringLiteral("Size"), ByVal(int32_t(FCellFont.Size())));
        Put(font(), QStringLiteral("Name"), ByVal(FCellFont.Name));
        Put(font(), QStringLiteral("Color"), ByVal(colourValue(FCellFont.Color)));
        const TFontStyles style = FCellFont.Style;
        if (style & fsBold) Put(font(), QStringLiteral("Bold"), ByVal(true));
        if (style & fsItalic) Put(font(), QStringLiteral("Italic"), ByVal(true));
        if (style & fsUnderline) Put(font(), QStringLiteral("Underline"), ByVal(xlUnderlineSingle));
        if (style & fsStrikeOut) Put(font(), QStringLiteral("Strikethrough"), ByVal(true));
    }
    if (!FSheetName.isEmpty()) {
        QString name = FSheetName;
        // Each attempt appends to the name tried before: Name(2), Name(2)(3).
        for (int k = 2; !WorkbookNameFree(app, name, book); ++k)
            name += u'(' + QString::number(k) + u')';
        const TVariant s = sheet();
        Put(s, QStringLiteral("Name"), ByRef(name));
        Put(Call(s, QStringLiteral("PageSetup")), QStringLiteral("CenterHeader"),
            ByVal(QStringLiteral("&A")));
    }
    if (FAutoFit)
        Call(Call(Call(sheet(), QStringLiteral("Cells")), QStringLiteral("EntireColumn")),
             QStringLiteral("AutoFit"));
    Call(cell(sheet()), QStringLiteral("Select"));
}

int TXlsStringGrid::CopyExcel() {
    using namespace Automation;
    // The rows and columns the clipboard text takes; with none of either
    // there is nothing to paste, and no range to format.
    const int firstRow = FColumnName ? 0 : 1;
    if (RowCount() - FixedRows() < 1 || RowCount() - firstRow < 1 || ColCount() - FStartData < 1) {
        refuse(Msg::NoData(), Msg::En::NoData());
        return 2;
    }
    TVariant app;
    bool started = false;
    try {
        app = GetActiveOleObject(kProgId);
    } catch (const std::exception&) {
        try {
            app = CreateOleObject(kProgId);
        } catch (const EOleSysError&) {
            refuse(Msg::NoSpreadsheet(), Msg::En::NoSpreadsheet(), true);
            return -1;
        }
        started = true;
    }
    TVariant book;
    int result = 1;
    try {
        book = Call(Call(app, QStringLiteral("Workbooks")), QStringLiteral("Add"));
        result = CopyClipboard();
        if (result == 1) {
            const int colSpan = ColCount() - FStartData - 1;
            const int rowSpan = RowCount() - 1 - firstRow;
            FormatSheet(app, book, FStartRow, FStartCol, rowSpan, colSpan);
            Put(Call(Call(app, QStringLiteral("ActiveSheet")), QStringLiteral("PageSetup")),
                QStringLiteral("Orientation"),
                ByVal(int32_t(FPageOrientation == xlLandscape ? 2 : 1)));
            Put(app, QStringLiteral("Visible"), ByVal(true));
            if (!started) {
                // Bringing a running application forward is a courtesy: the
                // workbook is already saved and shown, so a refusal here must
                // not undo the export.
                try {
                    Put(app, QStringLiteral("WindowState"), ByVal(xlWindowNormal));
                } catch (const std::exception&) {
                }
            }
            return 1;
        }
    } catch (const std::exception& e) {
        // The English names what the spreadsheet refused, which the Japanese
        // never said.
        QString english = Msg::En::Automation();
        if (auto* ours = dynamic_cast<const Exception*>(&e); ours && !ours->Detail().isEmpty())
            english += QLatin1Char('\r') + ours->Detail();
        refuse(Msg::Automation(), english);
        result = -2;
    }
    ReleaseExcel(app, started, book);
    return result;
}
