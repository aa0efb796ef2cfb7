// The mix grid's spreadsheet export: the calls for its stored settings, and a
// real run exported through the built-in server and read back from the file.
#include "Automation.h"
#include "ComboBox.h"
#include "ExcelUtil.h"
#include "FakeAutomation.h"
#include "MessageService.h"
#include "SheetModel.h"
#include "SpreadsheetServer.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <cmath>

namespace {

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cwd.IsValid());
        w = std::make_unique<TVantel>();
        w->Timer1->SetEnabled(false);
        w->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        w.reset();
        Spreadsheet::Unregister();
        Spreadsheet::SetFileOpener(nullptr);
    }
    // A short run: distance, start, five main laps and one second-button lap.
    void run() {
        w->ComboBox1->PickFromList(5);
        w->ResetClick(nullptr);
        w->StartClick(nullptr);
        for (uint32_t ms : {65432u, 64011u, 66789u, 63999u, 61234u}) {
            clock.Advance(ms);
            w->LapClick(nullptr);
            if (ms == 64011u) w->LAP2Click(nullptr);
        }
        w->StopClick(nullptr);
    }
    QJsonObject readBack(const QString& file) {
        QProcess p;
        // Debian's interpreter, the one its reader package installs into.
        p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VANTEL_READ_XLSX), file});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            ADD_FAILURE() << "reader failed: " << p.readAllStandardError().toStdString();
            return {};
        }
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    }
    FakeClock clock;
    ScopedMessageRecorder messages;
    TempCurrentDir cwd;
    std::unique_ptr<TVantel> w;
};

TEST_F(Export, MixGridStoredSettingsSendTheseCalls) {
    FakeSpreadsheet fake;
    fake.Install(false);
    Automation::ScopedCallRecorder calls;
    ASSERT_EQ(w->XlsStringGrid1->CopyExcel(), 1);
    EXPECT_EQ(calls.Texts(), (QStringList{"active Excel.Application",
                                          "create Excel.Application",
                                          "call Application.Workbooks",
                                          "call Workbooks.Add",
                                          "call Application.ActiveSheet",
                                          "get Worksheet.Cells(int 1, int 1)",
                                          "call Range.PasteSpecial",
                                          "call Application.ActiveSheet",
                                          "get Worksheet.Range(&str \"A1:J30\")",
                                          "call Range.Interior",
                                          "put Interior.Color = &int 0",
                                          "call Application.ActiveSheet",
                                          "call Worksheet.Cells",
                                          "call Range.Font",
                                          "put Font.Size = int 8",
                                          "call Worksheet.Cells",
                                          "call Range.Font",
                                          "put Font.Name = str \"Times New Roman\"",
                                          "call Worksheet.Cells",
                                          "call Range.Font",
                                          "put Font.Color = int 16777215",
                                          "call Application.ActiveSheet",
                                          "call Worksheet.Cells",
                                          "call Range.EntireColumn",
                                          "call Range.AutoFit",
                                          "call Application.ActiveSheet",
                                          "get Worksheet.Cells(int 1, int 1)",
                                          "call Range.Select",
                                          "call Application.ActiveSheet",
                                          "call Worksheet.PageSetup",
                                          "put PageSetup.Orientation = int 1",
                                          "put Application.Visible = bool true"}));
    EXPECT_TRUE(messages.Records().isEmpty());
}

TEST_F(Export, RunExportedToAWorkbookThatReadsBack) {
    Spreadsheet::Register();
    QStringList opened;
    Spreadsheet::SetFileOpener([&](const QString& path) {
        opened << QFileInfo(path).fileName();
        return true;
    });
    run();
    TXlsStringGrid* g = w->XlsStringGrid1;
    ASSERT_EQ(g->CopyExcel(), 1);
    ASSERT_EQ(opened, QStringList{"Book1.xlsx"});
    const QJsonObject book = readBack(QStringLiteral("Book1.xlsx"));
    ASSERT_FALSE(book.isEmpty());
    EXPECT_EQ(book[u"sheets"].toVariant().toStringList(), QStringList{"Sheet1"});
    EXPECT_EQ(book[u"orientation"].toString(), QStringLiteral("portrait"));
    EXPECT_EQ(book[u"selection"].toString(), QStringLiteral("A1"));
    EXPECT_TRUE(book[u"header"].isNull()); // no sheet name, no header

    const QJsonObject cells = book[u"cells"].toObject();
    const QString whiteFont =
        QStringLiteral("[\"Times New Roman\",8,\"FFFFFFFF\",false,false,null,false]");
    // Every cell of A1:J30: the grid's trimmed text, numbers as numbers, a
    // black fill, the sheet's font.
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 10; ++c) {
            const QString at = QChar(u'A' + c) + QString::number(r + 1);
            SCOPED_TRACE(at.toStdString());
            const QJsonObject cell = cells[at].toObject();
            const QString text = g->Cells(c, r).trimmed();
            const QJsonValue v = cell[u"value"];
            if (text.isEmpty())
                EXPECT_TRUE(v.isNull());
            else if (Sheet::IsPlainDecimal(text))
                EXPECT_EQ(v.toDouble(), text.toDouble());
            else
                EXPECT_EQ(v.toString(), text);
            EXPECT_EQ(cell[u"fill"].toString(), QStringLiteral("FF000000"));
            EXPECT_EQ(QJsonDocument(cell[u"font"].toArray()).toJson(QJsonDocument::Compact),
                      whiteFont.toUtf8());
            EXPECT_TRUE(cell[u"border"].isNull());
        }
    EXPECT_FALSE(cells.contains(QStringLiteral("K1"))); // nothing beyond the range

    // Each column is at least as wide as its widest text in the sheet's font
    // with the cell margins, and not much wider.
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(3780);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(8);
    const QFontMetricsF fm(font, &device);
    const QJsonObject widths = book[u"widths"].toObject();
    for (int c = 0; c < 10; ++c) {
        double widest = 0;
        for (int r = 0; r < 30; ++r)
            widest = std::max(widest, fm.horizontalAdvance(g->Cells(c, r).trimmed()));
        const QString col(QChar(u'A' + c));
        SCOPED_TRACE(col.toStdString());
        if (widest == 0) continue;
        const double px =
            widths[col].toDouble() * 7 + 5; // the file's unit: 7 px digits, 5 px padding
        EXPECT_GE(px, widest + 6);
        EXPECT_LE(px, widest * 1.2 + 20);
    }
    EXPECT_TRUE(messages.Records().isEmpty());
}

TEST_F(Export, SecondExportAttachesAndNamesItsSheet) {
    Spreadsheet::Register();
    Spreadsheet::SetFileOpener([](const QString&) { return true; });
    run();
    TXlsStringGrid* g = w->XlsStringGrid1;
    ASSERT_EQ(g->CopyExcel(), 1);
    g->SetSheetName(QStringLiteral("Book1")); // the first export's workbook
    g->SetPageOrientation(xlLandscape);
    g->SetCellTitleColor(clRed);
    g->SetCellBorderWeight(bwThin);
    g->SetCellBorderColor(clBtnFace);
    Automation::ScopedCallRecorder calls;
    ASSERT_EQ(g->CopyExcel(), 1);
    EXPECT_EQ(calls.Texts().mid(0, 2),
              (QStringList{"active Excel.Application", "call Application.Workbooks"}));
    const QJsonObject book = readBack(QStringLiteral("Book2.xlsx"));
    ASSERT_FALSE(book.isEmpty());
    EXPECT_EQ(book[u"sheets"].toVariant().toStringList(), QStringList{"Book1(2)"});
    EXPECT_EQ(book[u"header"].toString(), QStringLiteral("&A"));
    EXPECT_EQ(book[u"orientation"].toString(), QStringLiteral("landscape"));
    const QJsonObject cells = book[u"cells"].toObject();
    EXPECT_EQ(cells[u"C1"].toObject()[u"fill"].toString(),
              QStringLiteral("FFFF0000")); // caption row red
    EXPECT_EQ(cells[u"C2"].toObject()[u"fill"].toString(), QStringLiteral("FF000000"));
    EXPECT_EQ(cells[u"J30"].toObject()[u"border"].toString(), QStringLiteral("thin"));
    EXPECT_EQ(cells[u"J30"].toObject()[u"borderColour"].toString(),
              QStringLiteral("FFF0F0F0")); // button face
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("Book1.xlsx")));
    EXPECT_TRUE(messages.Records().isEmpty());
}

} // namespace
