#include "ExcelUtil.h"
#include "CsvText.h"
#include "Errors.h"
#include "MessageService.h"
#include "Messages.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::unique_ptr<TXlsStringGrid> makeGrid(int cols, int rows, int fixedRows = 1, int fixedCols = 0) {
    auto g = std::make_unique<TXlsStringGrid>();
    g->resize(400, 300);
    g->SetColCount(cols);
    g->SetRowCount(rows);
    g->SetFixedRows(fixedRows);
    g->SetFixedCols(fixedCols);
    return g;
}

QByteArray readFile(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return f.readAll();
}

void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Every cell of the grid, all rows up to `rows` (shown or not).
QList<QStringList> snapshot(const TStringGrid& g, int rows, int cols) {
    QList<QStringList> out;
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        for (int c = 0; c < cols; ++c)
            row << g.Cells(c, r);
        out << row;
    }
    return out;
}

// Runs fn in a child process (for process limits the test must not keep) and
// returns the text it produced; "<died>" when the child did not end normally.
std::string inChild(const std::function<std::string()>& fn) {
    int fds[2];
    if (::pipe(fds) != 0) return "<pipe>";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(20); // a hang ends the child instead of the test run
        std::string s;
        try {
            s = fn();
        } catch (const std::exception& e) {
            s = std::string("<uncaught> ") + e.what();
        }
        ssize_t off = 0;
        while (off < ssize_t(s.size())) {
            const ssize_t n = ::write(fds[1], s.data() + off, s.size() - size_t(off));
            if (n <= 0) break;
            off += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        out.append(buf, size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "<died>";
    return out;
}

std::string str(const QString& s) {
    return s.toStdString();
}

// The refusal box: shown once with the error caption, the Japanese `text` and
// its English below, or not at all.
void expectBox(const ScopedMessageRecorder& rec, bool shown, const Msg::TText& text,
               const Msg::TText& english) {
    ASSERT_EQ(rec.Records().size(), shown ? 1 : 0);
    if (!shown) return;
    EXPECT_EQ(rec.Records()[0].caption, Msg::ErrorCaption());
    EXPECT_EQ(rec.Records()[0].text, text());
    EXPECT_EQ(rec.Records()[0].informative, english());
}

class ExcelUtilFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

// --- properties ------------------------------------------------------------

TEST(XlsStringGridPropertyTest, CreationValues) {
    TXlsStringGrid g;
    EXPECT_TRUE(g.ColumnName());
    EXPECT_EQ(g.StartRow(), 1);
    EXPECT_EQ(g.StartCol(), 1);
    EXPECT_TRUE(g.ShowErrDlg());
    EXPECT_TRUE(g.AutoFit());
    EXPECT_TRUE(g.SheetName().isEmpty());
    EXPECT_TRUE(g.CellFont().SameAs(TFont()));
    EXPECT_EQ(g.CellBorderWeight(), bwNone);
    EXPECT_EQ(g.CellBorderColor(), clBlack);
    EXPECT_EQ(g.CellColor(), 536870911);
    EXPECT_EQ(g.CellTitleColor(), clNone);
    EXPECT_EQ(g.StartData(), 0);
    EXPECT_EQ(g.PageOrientation(), xlPortrait);
    EXPECT_TRUE(g.CSVFileName().isEmpty());
    EXPECT_TRUE(g.ExtendRows());
}

TEST(XlsStringGridPropertyTest, StartRowAndStartColRefuseZeroAlways) {
    using Getter = uint16_t (TXlsStringGrid::*)() const;
    using Setter = void (TXlsStringGrid::*)(uint16_t);
    const std::pair<Getter, Setter> props[] = {
        {&TXlsStringGrid::StartRow, &TXlsStringGrid::SetStartRow},
        {&TXlsStringGrid::StartCol, &TXlsStringGrid::SetStartCol},
    };
    for (const auto& [get, set] : props) {
        for (bool showErr : {true, false}) {
            TXlsStringGrid g;
            g.SetShowErrDlg(showErr);
            ScopedMessageRecorder rec;
            (g.*set)(7);
            EXPECT_EQ((g.*get)(), 7);
            (g.*set)(0);
            EXPECT_EQ((g.*get)(), 7) << "the old value stays";
            ASSERT_EQ(rec.Records().size(), 1) << "shown whatever ShowErrDlg is";
            EXPECT_EQ(rec.Records()[0].caption, Msg::ErrorCaption());
            EXPECT_EQ(rec.Records()[0].text, Msg::StartValue());
            (g.*set)(65535);
            EXPECT_EQ((g.*get)(), 65535);
            EXPECT_EQ(rec.Records().size(), 1);
        }
    }
}

TEST(XlsStringGridPropertyTest, CellFontIsCopiedIntoTheOwnedFont) {
    TXlsStringGrid g;
    TFont* own = &g.CellFont();
    const TFont given(QStringLiteral("Times New Roman"), -13, clWhite, fsBold);
    g.SetCellFont(&given);
    EXPECT_EQ(&g.CellFont(), own);
    EXPECT_TRUE(g.CellFont().SameAs(given));
    g.SetCellFont(nullptr);
    EXPECT_TRUE(g.CellFont().SameAs(given)) << "no font given: nothing happens";
}

TEST(XlsStringGridPropertyTest, PlainPropertiesStore) {
    TXlsStringGrid g;
    g.SetColumnName(false);
    g.SetAutoFit(false);
    g.SetSheetName(QStringLiteral("Laps"));
    g.SetCellBorderWeight(bwMedium);
    g.SetCellBorderColor(clRed);
    g.SetCellColor(clBlack);
    g.SetCellTitleColor(clYellow);
    g.SetStartData(3);
    g.SetPageOrientation(xlLandscape);
    g.SetCSVFileName(QStringLiteral("x.csv"));
    g.SetExtendRows(false);
    g.SetShowErrDlg(false);
    EXPECT_FALSE(g.ColumnName());
    EXPECT_FALSE(g.AutoFit());
    EXPECT_EQ(g.SheetName(), QStringLiteral("Laps"));
    EXPECT_EQ(g.CellBorderWeight(), bwMedium);
    EXPECT_EQ(g.CellBorderColor(), clRed);
    EXPECT_EQ(g.CellColor(), clBlack);
    EXPECT_EQ(g.CellTitleColor(), clYellow);
    EXPECT_EQ(g.StartData(), 3);
    EXPECT_EQ(g.PageOrientation(), xlLandscape);
    EXPECT_EQ(g.CSVFileName(), QStringLiteral("x.csv"));
    EXPECT_FALSE(g.ExtendRows());
    EXPECT_FALSE(g.ShowErrDlg());
}

// --- TStringListEx ---------------------------------------------------------

TEST(StringListExTest, SplitReplacesTheItems) {
    TStringListEx list{QStringLiteral("old")};
    list.SplitCSVText(u"a,,b\r\n\"c,d\"");
    EXPECT_EQ(list, (QStringList{"a", "", "b", "c,d"}));
    list.SplitCSVText(u"");
    EXPECT_TRUE(list.isEmpty());
}

// --- SetCommaText ----------------------------------------------------------

TEST_F(ExcelUtilFileTest, WritesDataRowsWithoutTheHeader) {
    auto g = makeGrid(3, 4);
    g->SetRowText(0, QStringLiteral("Lap,Number,Total"));
    g->SetCells(0, 1, QStringLiteral("  1 "));
    g->SetCells(1, 1, QStringLiteral("a,b"));
    g->SetCells(2, 1, QStringLiteral("say \"hi\""));
    g->SetCells(0, 3, QStringLiteral("x\ny"));
    g->SetCells(1, 3, QStringLiteral("t\tu"));
    g->SetCells(2, 3, QStringLiteral("\"q\",r"));
    g->SetCSVFileName(path("out.csv"));
    EXPECT_EQ(g->SetCommaText(), 0);
    EXPECT_EQ(readFile(path("out.csv")), QByteArray("1,\"a,b\",\"say \"\"hi\"\"\"\r\n"
                                                    ",,\r\n"
                                                    "\"x\r\ny\",\"t\tu\",\"\"\"q\"\",r\"\r\n"));
}

TEST_F(ExcelUtilFileTest, MixGridShapeGivesOneLinePerDataRow) {
    auto g = makeGrid(10, 30);
    g->SetRowText(0, Msg::MixHeader());
    g->SetCells(2, 1, QStringLiteral(" 00:01:02:003"));
    g->SetCSVFileName(path("mix.csv"));
    ASSERT_EQ(g->SetCommaText(), 0);
    const QList<QByteArray> lines = readFile(path("mix.csv")).split('\n');
    ASSERT_EQ(lines.size(), 30) << "29 lines, each ending in CR LF";
    EXPECT_TRUE(lines.last().isEmpty());
    EXPECT_EQ(lines[0], QByteArray(",,00:01:02:003,,,,,,,\r"));
    for (int i = 1; i < 29; ++i)
        EXPECT_EQ(lines[i], QByteArray(",,,,,,,,,\r")) << i;
}

TEST_F(ExcelUtilFileTest, FixedColumnsAreNotWrittenAndTextIsUtf8) {
    auto g = makeGrid(3, 2, 1, 1);
    g->SetCells(0, 1, QStringLiteral("fixed"));
    g->SetCells(1, 1, QStringLiteral("日本"));
    g->SetCells(2, 1, QStringLiteral("😀"));
    g->SetCSVFileName(path("u.csv"));
    ASSERT_EQ(g->SetCommaText(), 0);
    EXPECT_EQ(readFile(path("u.csv")), QStringLiteral("日本,😀\r\n").toUtf8());
}

TEST_F(ExcelUtilFileTest, ReplacesAnExistingFileWhole) {
    writeFile(path("r.csv"), QByteArray(1000, 'z'));
    auto g = makeGrid(2, 2);
    g->SetCells(0, 1, QStringLiteral("a"));
    g->SetCSVFileName(path("r.csv"));
    ASSERT_EQ(g->SetCommaText(), 0);
    EXPECT_EQ(readFile(path("r.csv")), QByteArray("a,\r\n"));
}

TEST_F(ExcelUtilFileTest, NoRowsGiveAnEmptyFile) {
    // The grid keeps at least one row below its fixed rows (a single row is
    // made a data row), so a grid never writes no lines; the writer itself
    // makes a 0-byte file of no rows.
    auto g = makeGrid(3, 1);
    EXPECT_EQ(g->FixedRows(), 0);
    g->SetCSVFileName(path("one.csv"));
    ASSERT_EQ(g->SetCommaText(), 0);
    EXPECT_EQ(readFile(path("one.csv")), QByteArray(",,\r\n"));

    writeFile(path("empty.csv"), "old");
    const QString text = CsvText::BuildCsvText(1, 1, 0, 3, [](int, int) { return QString(); });
    CsvText::WriteWholeFile(path("empty.csv"), CsvText::EncodeText(text));
    EXPECT_TRUE(QFileInfo::exists(path("empty.csv")));
    EXPECT_EQ(QFileInfo(path("empty.csv")).size(), 0);
}

TEST_F(ExcelUtilFileTest, EmptyFileNameIsRefused) {
    for (bool showErr : {true, false}) {
        auto g = makeGrid(2, 2);
        g->SetShowErrDlg(showErr);
        ScopedMessageRecorder rec;
        EXPECT_EQ(g->SetCommaText(), -1);
        expectBox(rec, showErr, Msg::NoCsvFile, Msg::En::NoCsvFile);
    }
}

// Permissions do not stop root, so the file is made uncreatable by where it
// is: in a folder that does not exist, in a folder that was removed while it
// was the current one (as an operator's working folder may be), or where a
// folder stands. The Japanese names the file as given; the English by its
// absolute path, with the system's reason.
TEST_F(ExcelUtilFileTest, UncreatableFileRaisesCreateErrorWithPathAndReason) {
    const QString gone = path("gone");
    ASSERT_TRUE(QDir().mkdir(gone));
    ASSERT_TRUE(QDir().mkdir(path("folder.csv")));
    const QString before = QDir::currentPath();
    struct Case {
        const char* what;
        QString name;   // as SetCSVFileName gets it
        QString folder; // the current folder while saving
        QString absolute;
        QString reason;
    };
    const Case cases[] = {
        {"missing folder", path("no/such/folder/x.csv"), before, path("no/such/folder/x.csv"),
         QStringLiteral("No such file or directory")},
        {"relative in a missing folder", QStringLiteral("no/such/x.csv"), dir.path(),
         path("no/such/x.csv"), QStringLiteral("No such file or directory")},
        {"current folder removed", QStringLiteral("2612101045.csv"), gone,
         gone + QStringLiteral("/2612101045.csv"), QStringLiteral("No such file or directory")},
    };
    for (const Case& c : cases) {
        auto g = makeGrid(2, 2);
        g->SetCSVFileName(c.name);
        ASSERT_TRUE(QDir::setCurrent(c.folder)) << c.what;
        if (c.folder == gone) {
            ASSERT_TRUE(QDir().rmdir(gone)) << c.what;
        }
        ScopedMessageRecorder rec;
        try {
            g->SetCommaText();
            ADD_FAILURE() << c.what << ": no error raised";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), Msg::CannotCreateFile().arg(c.name)) << c.what;
            EXPECT_EQ(str(e.Detail()),
                      str(QStringLiteral("Cannot create %1: %2").arg(c.absolute, c.reason)))
                << c.what;
        }
        ASSERT_TRUE(QDir::setCurrent(before));
        EXPECT_TRUE(rec.Records().isEmpty()) << "the error goes to the caller, not to a box";
    }
    // Qt refuses a folder in the file's place before any system call fails:
    // its own words are the reason.
    auto g = makeGrid(2, 2);
    g->SetCSVFileName(path("folder.csv"));
    try {
        g->SetCommaText();
        ADD_FAILURE() << "no error raised for a folder";
    } catch (const EFCreateError& e) {
        EXPECT_TRUE(
            e.Detail().startsWith(QStringLiteral("Cannot create %1: ").arg(path("folder.csv"))))
            << str(e.Detail());
        EXPECT_GT(e.Detail().size(),
                  QStringLiteral("Cannot create %1: ").arg(path("folder.csv")).size())
            << "a reason follows";
    }
}

TEST_F(ExcelUtilFileTest, UnwritableFolderKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root; see the size-limit test";
    const QString sub = path("ro");
    ASSERT_TRUE(QDir().mkdir(sub));
    writeFile(sub + "/keep.csv", "old contents\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(sub).constData(), 0555), 0);
    auto g = makeGrid(2, 2);
    g->SetCells(0, 1, QStringLiteral("new"));
    g->SetCSVFileName(sub + "/keep.csv");
    EXPECT_THROW(g->SetCommaText(), EFCreateError);
    ::chmod(QFile::encodeName(sub).constData(), 0755);
    EXPECT_EQ(readFile(sub + "/keep.csv"), QByteArray("old contents\r\n"));
}

TEST_F(ExcelUtilFileTest, FailedWriteKeepsTheOldFileAndRaisesWriteError) {
    // A file size limit makes the write fail for real (also for root), after
    // the temporary file was created.
    const QString name = path("keep.csv");
    const QByteArray old = "old contents\r\n";
    writeFile(name, old);
    auto g = makeGrid(4, 50);
    for (int r = 1; r < 50; ++r)
        for (int c = 0; c < 4; ++c)
            g->SetCells(c, r, QStringLiteral("cell %1/%2").arg(c).arg(r));
    g->SetCSVFileName(name);
    const std::string outcome = inChild([&]() -> std::string {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{100, 100};
        if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) return "<setrlimit>";
        try {
            g->SetCommaText();
            return "no error";
        } catch (const EWriteError& e) {
            return "EWriteError " + str(e.Message()) + " / " + str(e.Detail());
        } catch (const Exception& e) {
            return "other " + str(e.Message());
        }
    });
    // The Japanese has never named the file; the English does, and why.
    EXPECT_EQ(outcome, "EWriteError " + str(Msg::StreamWriteError()) + " / Cannot write " +
                           str(name) + ": File too large");
    EXPECT_EQ(readFile(name), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.csv"})
        << "no temporary file is left behind";
    // Without the limit the same grid is written.
    ASSERT_EQ(g->SetCommaText(), 0);
    EXPECT_GT(readFile(name).size(), 100);
}

// --- GetCommaText ----------------------------------------------------------

TEST_F(ExcelUtilFileTest, RoundTripRestoresTheCells) {
    auto a = makeGrid(4, 6);
    const QStringList cells = {
        "plain",    "  padded  ", "a,b", "say \"hi\"", "\"q\",r", "line\r\nbreak", "tab\there", "",
        "lf\nonly", "日本語",     "😀 x", "\"",         ",",       "end,",          "x",         "",
    };
    for (int i = 0; i < cells.size(); ++i)
        a->SetCells(i % 4, 1 + i / 4, cells[i]);
    // row 5 stays entirely empty
    a->SetCSVFileName(path("rt.csv"));
    ASSERT_EQ(a->SetCommaText(), 0);

    auto b = makeGrid(4, 6);
    b->SetRowText(0, QStringLiteral("h1,h2,h3,h4"));
    for (int c = 0; c < 4; ++c)
        b->SetCells(c, 5, QStringLiteral("stale"));
    b->SetCSVFileName(path("rt.csv"));
    ASSERT_EQ(b->GetCommaText(), 0);
    EXPECT_EQ(b->RowCount(), 6);
    EXPECT_EQ(b->Cells(1, 0), QStringLiteral("h2")) << "the fixed row is not touched";
    for (int r = 1; r < 6; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(b->Cells(c, r), CsvText::ReadBackText(a->Cells(c, r))) << c << "," << r;
    EXPECT_EQ(b->Cells(1, 2), QStringLiteral("line\r\nbreak"));
    EXPECT_EQ(b->Cells(0, 3), QStringLiteral("lf\r\nonly")) << "a line break reads back as CR LF";
}

TEST_F(ExcelUtilFileTest, FieldsAreDealtRowByRowAndExtendRows) {
    QByteArray text;
    for (int i = 0; i < 25; ++i)
        text += "f" + QByteArray::number(i) + (i == 24 ? "" : i % 7 == 6 ? "\r\n" : ",");
    text += "\r\n";
    writeFile(path("25.csv"), text);
    for (bool extend : {true, false}) {
        auto g = makeGrid(10, 30);
        g->SetCells(9, 3, QStringLiteral("untouched"));
        g->SetExtendRows(extend);
        g->SetCSVFileName(path("25.csv"));
        ASSERT_EQ(g->GetCommaText(), 0);
        EXPECT_EQ(g->RowCount(), extend ? 1 + 2 : 30);
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(g->Cells(i % 10, 1 + i / 10), QStringLiteral("f%1").arg(i)) << i;
        EXPECT_EQ(g->Cells(9, 3), QStringLiteral("untouched")) << "cells no field reaches keep";
    }
}

TEST_F(ExcelUtilFileTest, FixedColumnsAreSkippedWhenDealing) {
    writeFile(path("fc.csv"), "a,b,c\r\nd,e,f\r\ng\r\n");
    auto g = makeGrid(4, 5, 1, 1);
    for (int r = 0; r < 5; ++r)
        g->SetCells(0, r, QStringLiteral("fix%1").arg(r));
    g->SetCSVFileName(path("fc.csv"));
    ASSERT_EQ(g->GetCommaText(), 0);
    const QList<QStringList> expect = {{"fix0", "", "", ""},
                                       {"fix1", "a", "b", "c"},
                                       {"fix2", "d", "e", "f"},
                                       {"fix3", "g", "", ""}};
    EXPECT_EQ(snapshot(*g, 4, 4), expect);
    EXPECT_EQ(g->RowCount(), 1 + 7 / 3);
}

struct BadInputCase {
    const char* name;
    QByteArray bytes;
    QStringList cells; // the first cells of the data rows, row by row
};

TEST_F(ExcelUtilFileTest, BadInputReadsWithoutHarm) {
    const QString bad(QChar(0xFFFD));
    const std::vector<BadInputCase> cases = {
        {"invalid bytes", QByteArray("a\xFF,b\xC3\r\n"), {"a" + bad, "b" + bad}},
        {"NUL bytes", QByteArray("a\0b,c\r\n", 8), {"a", "b", "c"}},
        {"bare CR ends a line", QByteArray("a,b\rc,d"), {"a", "b", "c", "d"}},
        {"unterminated quote", QByteArray("x,\"abc\r\ndef"), {"x", "abc\r\ndef"}},
        {"blanks after comma trimmed", QByteArray("a,   b  \r\n"), {"a", "b"}},
        {"only separators", QByteArray("\r\n\t \r"), {}},
        {"byte-order mark dropped", QByteArray("\xEF\xBB\xBFz,y"), {"z", "y"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path("bad.csv"), c.bytes);
        auto g = makeGrid(2, 10);
        g->SetCSVFileName(path("bad.csv"));
        ASSERT_EQ(g->GetCommaText(), 0);
        QStringList got;
        for (int i = 0; i < c.cells.size(); ++i)
            got << g->Cells(i % 2, 1 + i / 2);
        EXPECT_EQ(got, c.cells);
        EXPECT_EQ(g->RowCount(), std::max(1, 1 + int(c.cells.size()) / 2));
    }
}

TEST_F(ExcelUtilFileTest, EmptyFileReadsNoFields) {
    writeFile(path("zero.csv"), QByteArray());
    auto g = makeGrid(3, 5);
    g->SetCells(0, 1, QStringLiteral("kept"));
    g->SetCSVFileName(path("zero.csv"));
    EXPECT_EQ(g->GetCommaText(), 0);
    EXPECT_EQ(g->Cells(0, 1), QStringLiteral("kept"));
    // FixedRows + 0 rows: the grid's own rule keeps one row and lowers FixedRows.
    EXPECT_EQ(g->RowCount(), 1);
    EXPECT_EQ(g->FixedRows(), 0);
}

TEST_F(ExcelUtilFileTest, VeryLongLineReads) {
    const QByteArray longField(3 * 1000 * 1000, 'x');
    writeFile(path("long.csv"), longField + ",\"" + longField + "\"\r\n");
    auto g = makeGrid(2, 2);
    g->SetCSVFileName(path("long.csv"));
    ASSERT_EQ(g->GetCommaText(), 0);
    EXPECT_EQ(g->Cells(0, 1).size(), longField.size());
    EXPECT_EQ(g->Cells(1, 1).size(), longField.size());
}

TEST_F(ExcelUtilFileTest, RefusalsLeaveTheGridUnchanged) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(path("folder")));
    {
        QFile big(path("big.csv"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(CsvText::MaxReadFileSize + 1)); // sparse: takes no disk space
    }
    const QString cases[] = {"",           path("missing.csv"),         path("folder"),
                             path("fifo"), QStringLiteral("/dev/null"), path("big.csv")};
    for (const QString& name : cases) {
        for (bool showErr : {true, false}) {
            SCOPED_TRACE(str(name) + (showErr ? " shown" : " silent"));
            auto g = makeGrid(3, 4);
            g->SetCells(1, 2, QStringLiteral("keep"));
            g->SetShowErrDlg(showErr);
            g->SetCSVFileName(name);
            const auto before = snapshot(*g, 5, 3);
            ScopedMessageRecorder rec;
            EXPECT_EQ(g->GetCommaText(), -1);
            EXPECT_EQ(snapshot(*g, 5, 3), before);
            EXPECT_EQ(g->RowCount(), 4);
            EXPECT_EQ(g->FixedRows(), 1);
            expectBox(rec, showErr, Msg::NoCsvFile, Msg::En::NoCsvFile);
        }
    }
}

TEST_F(ExcelUtilFileTest, ReaderSizeLimitIsInclusive) {
    writeFile(path("ten.csv"), "0123456789");
    EXPECT_EQ(CsvText::ReadWholeFile(path("ten.csv"), 10), QByteArray("0123456789"));
    EXPECT_FALSE(CsvText::ReadWholeFile(path("ten.csv"), 9).has_value());
}

TEST_F(ExcelUtilFileTest, UnopenableFileRaisesOpenErrorAfterSettingRowCount) {
    const QString name = path("in.csv");
    writeFile(name, "a,b,c\r\n");
    auto g = makeGrid(3, 5);
    g->SetCSVFileName(name);
    auto attempt = [&]() -> std::string {
        ScopedMessageRecorder rec;
        std::string s;
        try {
            g->GetCommaText();
            s = "no error";
        } catch (const EFOpenError& e) {
            s = "EFOpenError " + str(e.Message()) + " / " + str(e.Detail());
        } catch (const Exception& e) {
            s = "other " + str(e.Message());
        }
        return s + " rows=" + std::to_string(g->RowCount()) +
               " boxes=" + std::to_string(rec.Records().size());
    };
    std::string outcome;
    std::string reason;
    if (::geteuid() != 0) {
        reason = "Permission denied";
        // An unreadable file.
        ASSERT_EQ(::chmod(QFile::encodeName(name).constData(), 0), 0);
        outcome = attempt();
    } else {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizers' own checks need free descriptors.
        GTEST_SKIP() << "root under sanitizers: no way to make the open fail";
#endif
        // Root reads any file; with no free descriptor the open fails for real.
        reason = "Too many open files";
        outcome = inChild([&]() -> std::string {
            const rlimit lim{0, 0};
            if (::setrlimit(RLIMIT_NOFILE, &lim) != 0) return "<setrlimit>";
            return attempt();
        });
    }
    // The row count is still set from the fields read so far (none).
    EXPECT_EQ(outcome, "EFOpenError " + str(Msg::CannotOpenFile().arg(name)) + " / Cannot open " +
                           str(name) + ": " + reason + " rows=1 boxes=0");
}

TEST_F(ExcelUtilFileTest, HundredMegabyteFileStaysWithinMemoryBounds) {
    // 100 lines of 1 MB: three long fields each. The reader must neither hang
    // nor hold more than a small multiple of the file in memory.
    const QString name = path("100mb.csv");
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray line = QByteArray(333333, 'a') + ",\"" + QByteArray(333330, 'b') +
                                "\"\"\"," + QByteArray(333329, 'c') + "\r\n";
        ASSERT_EQ(line.size(), 1000000);
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(f.write(line), line.size());
    }
    auto g = makeGrid(3, 2);
    g->SetCSVFileName(name);
    const std::string outcome = inChild([&]() -> std::string {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const int r = g->GetCommaText();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const long grownMB = (after.ru_maxrss - before.ru_maxrss) / 1024;
        return "result=" + std::to_string(r) + " rows=" + std::to_string(g->RowCount()) +
               " last=" + std::to_string(g->Cells(2, 100).size()) +
               " grownMB=" + std::to_string(grownMB);
    });
    ASSERT_EQ(outcome.rfind("result=0 rows=101 last=333329 grownMB=", 0), 0u) << outcome;
    const long grownMB = std::stol(outcome.substr(outcome.rfind('=') + 1));
    // File 100 MB, text 200 MB as UTF-16, cells 200 MB: at most about 5x.
    EXPECT_LE(grownMB, 600) << outcome;
}

// --- CopyClipboard ---------------------------------------------------------

namespace {
class LimitedGrid : public TXlsStringGrid {
public:
    int64_t Limit = 0;

protected:
    int64_t ClipboardLimit() const override { return Limit; }
};
} // namespace

TEST(XlsStringGridClipboardTest, CopiesTrimmedCellsTabSeparated) {
    auto g = makeGrid(3, 3);
    g->SetRowText(0, QStringLiteral("A,B,C"));
    g->SetCells(0, 1, QStringLiteral(" 1 "));
    g->SetCells(2, 2, QStringLiteral("z"));
    ScopedMessageRecorder rec;
    EXPECT_EQ(g->CopyClipboard(), 1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("A\tB\tC\t\r\n1\t\t\t\r\n\t\tz\t\r\n"));
    g->SetColumnName(false);
    g->SetStartData(1);
    EXPECT_EQ(g->CopyClipboard(), 1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("\t\t\r\n\tz\t\r\n"));
    EXPECT_TRUE(rec.Records().isEmpty());
}

TEST(XlsStringGridClipboardTest, AllEmptyGridGivesTabsPerRow) {
    auto g = makeGrid(4, 3);
    EXPECT_EQ(g->CopyClipboard(), 1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("\t\t\t\t\r\n").repeated(3));
}

TEST(XlsStringGridClipboardTest, TooLongStopsWithMessageAndStillCopies) {
    for (bool showErr : {true, false}) {
        LimitedGrid g;
        g.SetColCount(2);
        g.SetRowCount(3);
        g.SetCells(0, 0, QStringLiteral("ab"));
        g.SetCells(1, 0, QStringLiteral("cd"));
        g.SetCells(0, 1, QStringLiteral("ef"));
        g.Limit = 7; // "ab\tcd\t\r\n" is 8 long, "ef" would exceed 7
        g.SetShowErrDlg(showErr);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        ScopedMessageRecorder rec;
        EXPECT_EQ(g.CopyClipboard(), -3);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ab\tcd\t\r\n\r\n"));
        expectBox(rec, showErr, Msg::TooLong, Msg::En::TooLong);
    }
}

// --- MoveUp / MoveDown -----------------------------------------------------

class XlsStringGridMoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        g = makeGrid(3, 5);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c)
                g->SetCells(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
        g->OnClick = [this](QObject*) { ++clicks; };
    }
    using Move = int (TXlsStringGrid::*)();
    // Focuses the cell and moves its row `times` times, each move accepted.
    void moveAccepted(int col, int atRow, Move move, int times) {
        g->FocusCell(col, atRow);
        for (int i = 0; i < times; ++i)
            EXPECT_EQ((g.get()->*move)(), 0);
    }
    // The next move is refused with `message`, shown or not as the grid says,
    // and the current row stays at `wantRow`; `check` looks at what else must stay.
    void expectRefusedEitherWay(
        Move move, int wantRow, const Msg::TText& message, const Msg::TText& english,
        const std::function<void()>& check = [] {}) {
        for (bool showErr : {true, false}) {
            g->SetShowErrDlg(showErr);
            ScopedMessageRecorder rec;
            EXPECT_EQ((g.get()->*move)(), -1);
            EXPECT_EQ(g->Row(), wantRow);
            check();
            expectBox(rec, showErr, message, english);
        }
    }
    QStringList row(int r) const { return g->RowCells(r); }
    QStringList original(int r) const {
        return {QStringLiteral("r%1c0").arg(r), QStringLiteral("r%1c1").arg(r),
                QStringLiteral("r%1c2").arg(r)};
    }
    std::unique_ptr<TXlsStringGrid> g;
    int clicks = 0;
};

TEST_F(XlsStringGridMoveTest, MoveUpSwapsAllColumnsAndFollows) {
    g->FocusCell(2, 3);
    clicks = 0;
    g->SetCells(1, 5, QStringLiteral("buffer junk")); // the row past the last one
    EXPECT_EQ(g->MoveUp(), 0);
    EXPECT_EQ(row(2), original(3));
    EXPECT_EQ(row(3), original(2));
    EXPECT_EQ(g->Row(), 2);
    EXPECT_EQ(g->Col(), 2);
    EXPECT_EQ(clicks, 1) << "focusing the cell raises the click notification";
    EXPECT_EQ(g->RowCells(5), QStringList(3)) << "the exchange buffer row ends empty";
}

TEST_F(XlsStringGridMoveTest, RepeatedMoveUpCarriesARowToTheTopThenRefuses) {
    moveAccepted(1, 4, &TXlsStringGrid::MoveUp, 3);
    EXPECT_EQ(g->Row(), 1);
    EXPECT_EQ(row(1), original(4));
    EXPECT_EQ(row(2), original(1));
    EXPECT_EQ(row(3), original(2));
    EXPECT_EQ(row(4), original(3));
    EXPECT_EQ(row(0), original(0)) << "the fixed row is never moved";
    expectRefusedEitherWay(&TXlsStringGrid::MoveUp, 1, Msg::FirstRow, Msg::En::FirstRow,
                           [&] { EXPECT_EQ(row(1), original(4)); });
}

TEST_F(XlsStringGridMoveTest, RepeatedMoveDownCarriesARowToTheBottomThenRefuses) {
    moveAccepted(0, 1, &TXlsStringGrid::MoveDown, 3);
    EXPECT_EQ(g->Row(), 4);
    EXPECT_EQ(row(4), original(1));
    EXPECT_EQ(row(1), original(2));
    EXPECT_EQ(g->RowCells(5), QStringList(3));
    expectRefusedEitherWay(&TXlsStringGrid::MoveDown, 4, Msg::LastRow, Msg::En::LastRow);
}

TEST_F(XlsStringGridMoveTest, RowZeroWithoutFixedRowsCannotMoveUp) {
    g->SetFixedRows(0);
    g->FocusCell(0, 0);
    ASSERT_EQ(g->Row(), 0);
    ScopedMessageRecorder rec;
    EXPECT_EQ(g->MoveUp(), -1);
    EXPECT_EQ(row(0), original(0));
    expectBox(rec, true, Msg::FirstRow, Msg::En::FirstRow);
    // ...but it can move down.
    EXPECT_EQ(g->MoveDown(), 0);
    EXPECT_EQ(row(1), original(0));
}
