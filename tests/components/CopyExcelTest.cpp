#include "Errors.h"
#include "ExcelUtil.h"
#include "FakeAutomation.h"
#include "MessageService.h"
#include "Messages.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include <memory>

namespace {

QStringList messages(const ScopedMessageRecorder& rec) {
    QStringList out;
    for (const MessageRecord& m : rec.Records())
        out << m.text;
    return out;
}

// A grid whose clipboard text may not exceed a few characters.
class TinyClipboardGrid : public TXlsStringGrid {
protected:
    int64_t ClipboardLimit() const override { return 5; }
};

std::unique_ptr<TXlsStringGrid>
filledGrid(std::unique_ptr<TXlsStringGrid> g = std::make_unique<TXlsStringGrid>()) {
    g->SetColCount(10);
    g->SetRowCount(30);
    g->SetFixedRows(1);
    g->SetFixedCols(0);
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 10; ++c)
            g->SetCells(c, r, QStringLiteral("%1.%2").arg(r).arg(c));
    return g;
}

// Every export option set, attached to a running application whose open
// workbooks already have the sheet name and the first suffixed one.
TEST(CopyExcel, EveryOptionSentInOrder) {
    FakeSpreadsheet fake;
    fake.BookNames = {QStringLiteral("Book1"), QStringLiteral("Laps"), QStringLiteral("Laps(2)")};
    fake.Alerts = false;
    fake.Install(true);
    auto g = filledGrid();
    g->SetColumnName(false);
    g->SetStartRow(3);
    g->SetStartCol(26);
    g->SetStartData(2);
    g->SetCellBorderWeight(bwMedium);
    g->SetCellBorderColor(clBtnShadow);
    g->SetCellColor(clYellow);
    g->SetCellTitleColor(clAqua); // not sent: the caption row is not exported
    g->SetSheetName(QStringLiteral("Laps"));
    g->SetPageOrientation(xlLandscape);
    g->SetAutoFit(false);
    g->SetCellFont(TFont(QStringLiteral("Liberation Sans"), -20, clWindowText,
                         fsBold | fsItalic | fsUnderline | fsStrikeOut));
    ScopedMessageRecorder rec;
    Automation::ScopedCallRecorder calls;
    ASSERT_EQ(g->CopyExcel(), 1);
    EXPECT_TRUE(rec.Records().isEmpty());

    // The lines of one WorkbookNameFree scan that stops at open workbook
    // `stop` (0: scans them all, then the new workbook's one sheet).
    auto scan = [](int stop) {
        QStringList l{"call Application.Application", "call Application.WorkBooks",
                      "call Workbooks.Count"};
        for (int i = 1; i <= (stop ? stop : 3); ++i)
            l << "call Application.Application"
              << QStringLiteral("get Application.WorkBooks(int %1)").arg(i) << "call Workbook.Name";
        if (!stop)
            l << "call Workbook.Worksheets"
              << "call Worksheets.Count"
              << "get Workbook.Worksheets(int 1)"
              << "call Worksheet.Name";
        return l;
    };
    QStringList want{"active Excel.Application",
                     "call Application.Workbooks",
                     "call Workbooks.Add",
                     "call Application.ActiveSheet",
                     "get Worksheet.Cells(int 3, int 26)",
                     "call Range.PasteSpecial",
                     "call Application.ActiveSheet",
                     "get Worksheet.Range(&str \"Z3:AG31\")",
                     "call Range.Borders",
                     "put Borders.Weight = int -4138",
                     "call Application.ActiveSheet",
                     "get Worksheet.Range(&str \"Z3:AG31\")",
                     "call Range.Interior",
                     "put Interior.Color = &int 65535",
                     "call Application.ActiveSheet",
                     "get Worksheet.Range(&str \"Z3:AG31\")",
                     "call Range.Borders",
                     "put Borders.Color = &int 10526880", // clBtnShadow resolved
                     "call Application.ActiveSheet"};
    for (const char* attr :
         {"Size = int 12", "Name = str \"Liberation Sans\"", "Color = int 0", "Bold = bool true",
          "Italic = bool true", "Underline = int 2", "Strikethrough = bool true"})
        want << "call Worksheet.Cells"
             << "call Range.Font" << QStringLiteral("put Font.") + QLatin1String(attr);
    want << scan(2) << scan(3) << scan(0);
    want << "call Application.ActiveSheet"
         << "put Worksheet.Name = &str \"Laps(2)(3)\""
         << "call Worksheet.PageSetup"
         << "put PageSetup.CenterHeader = str \"&A\""
         << "call Application.ActiveSheet"
         << "get Worksheet.Cells(int 3, int 26)"
         << "call Range.Select"
         << "call Application.ActiveSheet"
         << "call Worksheet.PageSetup"
         << "put PageSetup.Orientation = int 2"
         << "put Application.Visible = bool true"
         << "put Application.WindowState = int -4143";
    EXPECT_EQ(calls.Texts(), want);
    // Columns from StartData on, rows without the caption row.
    const QStringList lines = QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.size(), 30); // 29 lines and the empty rest after the last break
    EXPECT_EQ(lines[0], QStringLiteral("1.2\t1.3\t1.4\t1.5\t1.6\t1.7\t1.8\t1.9\t"));
}

// How each failure ends: the result, the messages and the calls after the
// one that failed.
TEST(CopyExcel, FailuresAndTheirCleanUp) {
    struct Case {
        const char* name;
        bool running;
        bool alerts;
        QString failOn;
        int startCol;
        bool showErr;
        int result;
        QStringList box;
        QStringList tail; // the last calls made
    };
    const QString ole = Msg::Automation();
    const QStringList quit{"put Application.DisplayAlerts = bool false", "call Application.Quit"};
    auto close = [](const char* before) {
        return QStringList{"get Application.DisplayAlerts",
                           "put Application.DisplayAlerts = bool false", "call Workbook.Close",
                           QStringLiteral("put Application.DisplayAlerts = bool ") + before};
    };
    const Case cases[] = {
        {"started, fill refused",
         false,
         true,
         "Interior.Color",
         1,
         true,
         -2,
         {ole},
         QStringList{"put Interior.Color = &int 0"} + quit},
        {"started, silent",
         false,
         true,
         "Interior.Color",
         1,
         false,
         -2,
         {},
         QStringList{"put Interior.Color = &int 0"} + quit},
        {"attached, font refused, alerts were off",
         true,
         false,
         "Font.Name",
         1,
         true,
         -2,
         {ole},
         QStringList{"put Font.Name = str \"Tahoma\""} + close("false")},
        {"attached, alerts were on",
         true,
         true,
         "Range.PasteSpecial",
         1,
         true,
         -2,
         {ole},
         QStringList{"call Range.PasteSpecial"} + close("true")},
        {"attached, Add refused: nothing to close",
         true,
         true,
         "Workbooks.Add",
         1,
         true,
         -2,
         {ole},
         {"call Workbooks.Add", "get Application.DisplayAlerts",
          "put Application.DisplayAlerts = bool false",
          "put Application.DisplayAlerts = bool true"}},
        {"range beyond column XFD",
         false,
         true,
         "",
         16380,
         true,
         -2,
         {ole},
         QStringList{"call Range.PasteSpecial"} + quit},
        {"window state refused: export stands",
         true,
         true,
         "Application.WindowState",
         1,
         true,
         1,
         {},
         {"put Application.Visible = bool true", "put Application.WindowState = int -4143"}},
        {"saving refused",
         false,
         true,
         "Application.Visible",
         1,
         true,
         -2,
         {ole},
         QStringList{"put Application.Visible = bool true"} + quit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSpreadsheet fake;
        fake.FailOn = c.failOn;
        fake.Alerts = c.alerts;
        fake.Install(c.running);
        auto g = filledGrid();
        g->SetShowErrDlg(c.showErr);
        g->SetStartCol(uint16_t(c.startCol));
        g->SetCellColor(clBlack);
        ScopedMessageRecorder rec;
        Automation::ScopedCallRecorder calls;
        EXPECT_EQ(g->CopyExcel(), c.result);
        EXPECT_EQ(messages(rec), c.box);
        const QStringList texts = calls.Texts();
        EXPECT_EQ(texts.mid(texts.size() - c.tail.size()), c.tail);
        EXPECT_EQ(fake.Alerts, c.running ? c.alerts : false);
    }
}

TEST(CopyExcel, RefusalsBeforeAndAroundTheApplication) {
    {
        SCOPED_TRACE("no application registered: message whatever ShowErrDlg is");
        auto g = filledGrid();
        g->SetShowErrDlg(false);
        ScopedMessageRecorder rec;
        Automation::ScopedCallRecorder calls;
        EXPECT_EQ(g->CopyExcel(), -1);
        EXPECT_EQ(messages(rec), QStringList{Msg::NoSpreadsheet()});
        EXPECT_EQ(calls.Texts(),
                  (QStringList{"active Excel.Application", "create Excel.Application"}));
    }
    for (const bool noColumns : {false, true}) {
        SCOPED_TRACE(noColumns ? "StartData past the last column" : "one row, not the caption row");
        FakeSpreadsheet fake;
        fake.Install(true);
        auto g = filledGrid();
        if (noColumns)
            g->SetStartData(10);
        else {
            g->SetRowCount(1); // the toolkit grid then has no fixed row
            g->SetColumnName(false);
        }
        ScopedMessageRecorder rec;
        Automation::ScopedCallRecorder calls;
        EXPECT_EQ(g->CopyExcel(), 2);
        EXPECT_EQ(messages(rec), QStringList{Msg::NoData()});
        EXPECT_TRUE(calls.Records.isEmpty());
    }
    {
        SCOPED_TRACE("clipboard text too long: the new application quits");
        FakeSpreadsheet fake;
        fake.Install(false);
        auto g = filledGrid(std::make_unique<TinyClipboardGrid>());
        ScopedMessageRecorder rec;
        Automation::ScopedCallRecorder calls;
        EXPECT_EQ(g->CopyExcel(), -3);
        EXPECT_EQ(messages(rec), QStringList{Msg::TooLong()});
        EXPECT_EQ(
            calls.Texts().mid(2),
            (QStringList{"call Application.Workbooks", "call Workbooks.Add",
                         "put Application.DisplayAlerts = bool false", "call Application.Quit"}));
    }
}

TEST(CopyExcel, ColumnLettersAndAddresses) {
    const std::pair<int, const char*> letters[] = {
        {1, "A"},    {26, "Z"},    {27, "AA"},   {52, "AZ"},   {53, "BA"},
        {702, "ZZ"}, {703, "AAA"}, {728, "AAZ"}, {729, "ABA"}, {16384, "XFD"}};
    for (const auto& [c, want] : letters)
        EXPECT_EQ(ColumnLetters(c), QLatin1String(want)) << c;
    for (int bad : {0, -1, 16385})
        EXPECT_THROW(ColumnLetters(bad), ERangeError) << bad;
    EXPECT_EQ(RangeAddress(1, 1, 29, 9), QStringLiteral("A1:J30"));
    EXPECT_EQ(RangeAddress(1, 26, 28, 9), QStringLiteral("Z1:AI29"));
    EXPECT_THROW(RangeAddress(1, 16380, 0, 9), ERangeError);
}

} // namespace
