#include "SpreadsheetServer.h"
#include "Automation.h"
#include "MessageService.h"
#include "OleError.h"
#include "SheetModel.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <functional>

using namespace Automation;

namespace {

// The server registered, the current directory a fresh one, and the desktop
// replaced by a list of the files it was asked to open.
class Server : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cwd.IsValid());
        Spreadsheet::Register();
        Spreadsheet::SetFileOpener([this](const QString& path) {
            opened << QFileInfo(path).fileName();
            return openOk;
        });
        app = CreateOleObject(Spreadsheet::ProgId);
    }
    void TearDown() override {
        Spreadsheet::Unregister();
        Spreadsheet::SetFileOpener(nullptr);
    }
    TVariant add() { return Call(Call(app, QStringLiteral("Workbooks")), QStringLiteral("Add")); }
    TVariant sheet() { return Call(app, QStringLiteral("ActiveSheet")); }
    QString name(const TVariant& o) { return Get(o, QStringLiteral("Name")).ToString(); }
    TempCurrentDir cwd;
    TVariant app;
    QStringList opened;
    bool openOk = true;
};

TEST_F(Server, RefusesValuesAsASpreadsheetDoes) {
    add();
    auto range = [&](const char* a) {
        return Get(sheet(), QStringLiteral("Range"), {ByRef(QString::fromLatin1(a))});
    };
    auto put = [](const TVariant& o, const char* m, TVariant v) {
        Put(o, QString::fromLatin1(m), ByVal(std::move(v)));
    };
    struct Case {
        const char* what;
        std::function<void()> call;
        bool refused;
    };
    const Case cases[] = {
        {"fill black", [&] { put(Call(range("A1:J30"), "Interior"), "Color", int32_t(0)); }, false},
        {"fill white", [&] { put(Call(range("A1"), "Interior"), "Color", int32_t(0xFFFFFF)); },
         false},
        {"fill above white",
         [&] { put(Call(range("A1"), "Interior"), "Color", int32_t(0x1000000)); }, true},
        {"fill negative", [&] { put(Call(range("A1"), "Interior"), "Color", int32_t(-1)); }, true},
        {"font colour none", [&] { put(Call(range("A1"), "Font"), "Color", int32_t(0x1FFFFFFF)); },
         true},
        {"border hairline", [&] { put(Call(range("A1"), "Borders"), "Weight", int32_t(1)); },
         false},
        {"border medium", [&] { put(Call(range("A1"), "Borders"), "Weight", int32_t(-4138)); },
         false},
        {"border 3", [&] { put(Call(range("A1"), "Borders"), "Weight", int32_t(3)); }, true},
        {"landscape", [&] { put(Call(sheet(), "PageSetup"), "Orientation", int32_t(2)); }, false},
        {"orientation 3", [&] { put(Call(sheet(), "PageSetup"), "Orientation", int32_t(3)); },
         true},
        {"window state 1", [&] { put(app, "WindowState", int32_t(1)); }, true},
        {"window state normal", [&] { put(app, "WindowState", int32_t(-4143)); }, false},
        {"sheet name of 31", [&] { put(sheet(), "Name", QString(31, u'x')); }, false},
        {"sheet name of 32", [&] { put(sheet(), "Name", QString(32, u'x')); }, true},
        {"sheet name empty", [&] { put(sheet(), "Name", QString()); }, true},
        {"last cell", [&] { range("XFD1048576"); }, false},
        {"column past XFD", [&] { range("A1:XFE1"); }, true},
        {"row past the last", [&] { range("A1048577"); }, true},
        {"row 0", [&] { range("A0"); }, true},
        {"cell (1, 16385)",
         [&] {
             Get(sheet(), QStringLiteral("Cells"), {ByVal(int32_t(1)), ByVal(int32_t(16385))});
         },
         true},
        {"unknown member", [&] { Call(app, QStringLiteral("Recalculate")); }, true},
        {"member in any case",
         [&] { Call(Call(app, QStringLiteral("workBOOKS")), QStringLiteral("COUNT")); }, false},
        {"fit a block, not whole columns", [&] { Call(range("A1:B2"), "AutoFit"); }, true},
        {"string as a colour",
         [&] { put(Call(range("A1"), "Interior"), "Color", QStringLiteral("red")); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.refused)
            EXPECT_THROW(c.call(), EOleError);
        else
            EXPECT_NO_THROW(c.call());
    }
    for (QChar bad : QStringLiteral(":\\/?*[]")) {
        EXPECT_THROW(put(sheet(), "Name", QStringLiteral("a") + bad + u'b'), EOleError)
            << bad.toLatin1();
    }
    EXPECT_EQ(name(sheet()), QString(31, u'x')); // refusals left the accepted name
}

TEST_F(Server, NamesSavesAndNeverOverwrites) {
    QFile stale(QStringLiteral("Book1.xlsx"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("mine");
    stale.close();

    EXPECT_EQ(name(add()), QStringLiteral("Book2")); // Book1 is a file here
    Put(app, QStringLiteral("Visible"), ByVal(true));
    EXPECT_EQ(opened, QStringList{"Book2.xlsx"});
    EXPECT_TRUE(QFileInfo(QStringLiteral("Book2.xlsx")).size() > 0);

    const TVariant third = add();
    EXPECT_EQ(name(third), QStringLiteral("Book3"));
    Call(third, QStringLiteral("Close"));
    EXPECT_THROW(name(third), EOleError); // a closed workbook is gone
    EXPECT_EQ(name(add()), QStringLiteral("Book3"));

    // The file appears between the naming and the save: it is kept as it is.
    QFile race(QStringLiteral("Book3.xlsx"));
    ASSERT_TRUE(race.open(QIODevice::WriteOnly));
    race.write("theirs");
    race.close();
    EXPECT_THROW(Put(app, QStringLiteral("Visible"), ByVal(true)), EOleError);
    ASSERT_TRUE(race.open(QIODevice::ReadOnly));
    EXPECT_EQ(race.readAll(), QByteArray("theirs"));
    ASSERT_TRUE(stale.open(QIODevice::ReadOnly));
    EXPECT_EQ(stale.readAll(), QByteArray("mine"));
    EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporary file left
}

TEST_F(Server, DesktopThatCannotOpenTellsWhereTheFileIs) {
    openOk = false;
    add();
    ScopedMessageRecorder rec;
    Put(app, QStringLiteral("Visible"), ByVal(true));
    ASSERT_EQ(rec.Records().size(), 1);
    EXPECT_TRUE(
        rec.Records()[0].text.contains(QDir(cwd.Path()).filePath(QStringLiteral("Book1.xlsx"))));
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("Book1.xlsx")));
}

TEST_F(Server, StaysRunningUntilQuit) {
    const TVariant book = add();
    const TVariant again = GetActiveOleObject(Spreadsheet::ProgId);
    EXPECT_EQ(Call(Call(again, QStringLiteral("Workbooks")), QStringLiteral("Count")).ToInt(), 1);
    Call(app, QStringLiteral("Quit"));
    EXPECT_THROW(GetActiveOleObject(Spreadsheet::ProgId), EOleSysError);
    EXPECT_THROW(name(book), EOleError);
    EXPECT_THROW(Call(app, QStringLiteral("Workbooks")), EOleError);
}

TEST(SheetModel, PastesNumbersAndText) {
    Sheet::TSheet s;
    ASSERT_TRUE(s.PasteText(
        1, 2, QStringLiteral("12\t-2.5\t007\t\r\n1e3\t1.\t 00:01:05:432\t.5\t-\t\r\n")));
    struct Want {
        int r, c;
        const char* text;
        bool number;
        double value;
    };
    const Want want[] = {{1, 2, "12", true, 12}, {1, 3, "-2.5", true, -2.5},
                         {1, 4, "007", true, 7}, {2, 2, "1e3", false, 0},
                         {2, 3, "1.", false, 0}, {2, 4, " 00:01:05:432", false, 0},
                         {2, 5, ".5", false, 0}, {2, 6, "-", false, 0}};
    for (const Want& w : want) {
        const Sheet::TCell* c = s.CellAt(w.r, w.c);
        ASSERT_NE(c, nullptr) << w.text;
        EXPECT_EQ(c->Text, QLatin1String(w.text));
        EXPECT_EQ(c->IsNumber, w.number) << w.text;
        if (w.number) {
            EXPECT_EQ(c->Number, w.value);
        }
    }
    EXPECT_EQ(s.CellAt(1, 5), nullptr); // the tab ending a line starts no cell
    EXPECT_EQ(s.RowCount(), 3);
    EXPECT_FALSE(s.PasteText(Sheet::MaxRows - 1, 0, QStringLiteral("a\r\nb\r\n")));
    EXPECT_FALSE(s.PasteText(0, Sheet::MaxCols - 1, QStringLiteral("a\tb\t\r\n")));
    EXPECT_EQ(s.RowCount(), 3);
}

TEST(SheetModel, Addresses) {
    using R = Sheet::TCellRect;
    const std::pair<const char*, std::optional<R>> cases[] = {
        {"A1", R{0, 0, 0, 0}},
        {"b2:J30", R{1, 1, 29, 9}},
        {"$Z$3:AI31", R{2, 25, 30, 34}},
        {"J30:A1", R{0, 0, 29, 9}},
        {"XFD1048576", R{1048575, 16383, 1048575, 16383}},
        {"XFE1", std::nullopt},
        {"A1048577", std::nullopt},
        {"A01", std::nullopt},
        {"1A", std::nullopt},
        {"A1:", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [text, want] : cases)
        EXPECT_EQ(Sheet::ParseAddress(QString::fromLatin1(text)), want) << text;
}

} // namespace
