// The run journal: its lines, damaged files, the folder, and a full disk
// under a real window.
#include "RunJournal.h"
#include "CuteBtn.h"
#include "JournalNote.h"
#include "Label.h"
#include "MessageService.h"
#include "Messages.h"
#include "RunRecorder.h"
#include "StringGridEx.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using RunJournal::TRecord;

QByteArray line(const QByteArray& kind,
                std::initializer_list<std::pair<QByteArray, QByteArray>> f) {
    TRecord r(kind);
    for (const auto& [k, v] : f)
        r.Add(k, v);
    return RunJournal::EncodeLine(r);
}

const QByteArray kHeader = line("vantel-journal", {{"v", "1"}, {"boot", "b"}, {"tick", "0"}});
const QByteArray kLap1 = line("lap", {{"t", "1000"}});
const QByteArray kLap2 = line("lap", {{"t", "2000"}});

TEST(RunJournalLine, OddValuesComeBackAndAChangedByteIsRefused) {
    TRecord r("add");
    const QByteArray odd = "a b=c%d~e\r\n\t\x01 \xc3\xa9 end";
    r.Add("text", odd).Add("text", QByteArray()).Add("k=y", QByteArray("~"));
    const QByteArray encoded = RunJournal::EncodeLine(r);
    EXPECT_EQ(encoded.count('\n'), 1);
    for (char c : encoded.chopped(1))
        EXPECT_TRUE(c >= ' ' && c < 0x7f) << "readable with a pager";
    const auto back = RunJournal::DecodeLine(encoded.chopped(1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Kind, "add");
    EXPECT_EQ(back->Values("text"), (std::vector<QByteArray>{odd, QByteArray()}));
    EXPECT_EQ(back->ValueOr("k=y"), "~");
    for (qsizetype i = 0; i + 1 < encoded.size(); ++i) {
        QByteArray bad = encoded.chopped(1);
        bad[i] = char(bad[i] ^ 0x04);
        EXPECT_FALSE(RunJournal::DecodeLine(bad)) << "byte " << i;
    }
}

// Lines written by earlier versions read back: the checksum is the common
// CRC-32 (these were computed apart from this code, with Python's zlib).
TEST(RunJournalLine, StoredLinesStillRead) {
    const auto header = RunJournal::DecodeLine("vantel-journal v=1 boot=b tick=0 ~1f7ec9aa");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->ValueOr("boot"), "b");
    const auto lap = RunJournal::DecodeLine("lap t=1000 ~5cc5fe88");
    ASSERT_TRUE(lap);
    EXPECT_EQ(lap->ValueOr("t"), "1000");
    EXPECT_EQ(RunJournal::EncodeLine(*lap), "lap t=1000 ~5cc5fe88\n");
}

struct ReadCase {
    const char* name;
    QByteArray bytes;
    int records; // -1: unreadable
    int skipped;
    int lastGood = 0; // damage: the records end at this line
    int unread = 0;   // and this many lines after it are left out
    bool carryLost = false;
};

class RunJournalRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RunJournalRead, KeepsWhatACrashLeavesAndRefusesOtherDamage) {
    const ReadCase& c = GetParam();
    const RunJournal::TContents got = RunJournal::Read(c.bytes);
    if (c.records < 0) {
        EXPECT_FALSE(got.Error.isEmpty());
        EXPECT_TRUE(got.Records.empty());
        return;
    }
    EXPECT_TRUE(got.Error.isEmpty()) << got.Error.toStdString();
    EXPECT_EQ(int(got.Records.size()), c.records);
    EXPECT_EQ(got.SkippedLines, c.skipped);
    EXPECT_EQ(got.LastGoodLine, c.lastGood);
    EXPECT_EQ(got.UnreadLines, c.unread);
    EXPECT_EQ(got.CarryLost, c.carryLost);
}

const QByteArray kAnchor = line("anchor", {{"boot", "b"}});
const QByteArray kCarry = line("carry", {{"key", "1"}});
// One changed character, as a bad sector or a careless edit leaves it.
QByteArray damaged(QByteArray l) {
    const qsizetype i = l.lastIndexOf(" ~") - 1;
    l[i] = char(l[i] ^ 0x01);
    return l;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunJournalRead,
    ::testing::Values(
        ReadCase{"whole", kHeader + kLap1 + kLap2, 3, 0},
        ReadCase{"torn last line", kHeader + kLap1 + kLap2.left(9), 2, 1},
        ReadCase{"no final newline", kHeader + kLap1 + kLap2.chopped(1), 3, 0},
        ReadCase{"garbage at the end", kHeader + kLap1 + "\x7f\x45LF\0\0\xff", 2, 1},
        ReadCase{"torn line closed by an anchor",
                 kHeader + kLap1 + kLap2.left(12) + "\n" + kAnchor + kLap2, 4, 1},
        // Line 2 is what the previous run left: the run after it is kept.
        ReadCase{"damage in the middle", kHeader + kLap1.left(5) + "X\n" + kLap2, 2, 0, 0, 0, true},
        ReadCase{"changed value", kHeader + QByteArray(kLap1).replace("1000", "9000") + kLap2, 2, 0,
                 0, 0, true},
        ReadCase{"damaged lines 2 and 3", kHeader + damaged(kCarry) + damaged(kLap1) + kLap2, 1, 0,
                 1, 3, true},
        // Other damage: the run up to the line before it, anchors not counted.
        ReadCase{"damaged line 6 of 9",
                 kHeader + kCarry + kLap1 + kLap2 + kLap1 + damaged(kLap2) + kLap1 + kAnchor +
                     kLap2.left(7),
                 5, 0, 5, 3},
        ReadCase{"not a journal", "Lap;Time\r\n1;00:00:01\r\n", -1, 0},
        ReadCase{"unknown version", line("vantel-journal", {{"v", "7"}}) + kLap1, -1, 0},
        ReadCase{"damaged header", damaged(kHeader) + kCarry + kLap1, -1, 0},
        ReadCase{"empty", QByteArray(), -1, 0}, ReadCase{"binary", QByteArray(300, '\0'), -1, 0}),
    NameOfCase{});

// Why a journal is refused is told in the message about it.
TEST(RunJournalRead, TheReasonNamesANewerFormatAndADamagedHeader) {
    const struct {
        QByteArray bytes;
        QString error;
    } cases[] = {
        {line("vantel-journal", {{"v", "9"}}) + kLap1, "written by a newer Vantel, format 9"},
        {line("vantel-journal", {{"v", "0"}}), Msg::JournalVersion().arg("0")},
        {damaged(line("vantel-journal", {{"v", "9"}})), Msg::JournalDamaged().arg(1)},
        {kLap1 + kHeader, Msg::JournalForeign()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunJournal::Read(c.bytes).Error, c.error) << c.bytes.toStdString();
}

// --- the folder -------------------------------------------------------------------

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

bool neverFinished(const RunJournal::TContents&) {
    return false;
}

TEST(RunJournalFolder, UnreadableJournalIsMovedAsideWithItsBytesAndNamedInTheMessage) {
    QTemporaryDir tmp;
    const QString dir = tmp.path() + "/state/vantel";
    ASSERT_TRUE(RunJournal::EnsureDir(dir, nullptr));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const QByteArray garbage = "\x89PNG\r\n\x1a\n not a journal at all\n";
    writeAll(dir + "/run-20261208-130542.000-1.journal", garbage);
    writeAll(dir + "/run-20261208-130600.000-1.journal", kHeader + kLap1);
    RunJournal::TScan scan = RunJournal::Scan(dir, neverFinished);
    ASSERT_EQ(scan.Unreadable.size(), 1) << scan.Unreadable.join("\n").toStdString();
    const QString moved = dir + "/run-20261208-130542.000-1.unreadable";
    EXPECT_TRUE(scan.Unreadable[0].contains("run-20261208-130542.000-1.journal"));
    EXPECT_TRUE(scan.Unreadable[0].contains(moved)) << scan.Unreadable[0].toStdString();
    EXPECT_EQ(readAll(moved), garbage);
    ASSERT_EQ(scan.Unfinished.size(), 1u);
    EXPECT_TRUE(scan.Unfinished[0].File.Path.endsWith("130600.000-1.journal"));
    EXPECT_EQ(scan.Unfinished[0].Contents.Records.size(), 2u);
    RunJournal::Release(scan.Unfinished);
}

bool finishedWithoutLaps(const RunJournal::TContents& c) {
    return std::none_of(c.Records.begin(), c.Records.end(),
                        [](const TRecord& r) { return r.Kind == "lap"; });
}

// Killed after the good records of a damaged journal were copied and before
// it was moved aside: the copy names it, and the run is offered once. A
// damaged journal with nothing of a run before the damage is unreadable.
TEST(RunJournalFolder, ADamagedJournalIsOfferedOnceAndOnlyWithARunLeft) {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    const QString name = "run-20261208-130000.000-1.journal";
    const QByteArray bytes = kHeader + kCarry + kLap1 + damaged(kLap2) + kLap1;
    writeAll(dir + u'/' + name, bytes);
    writeAll(dir + "/run-20261208-130500.000-1.journal",
             kHeader + kCarry + kLap1 + line("anchor", {{"boot", "b"}, {"from", name.toUtf8()}}));
    const QByteArray noRun = kHeader + kCarry + damaged(kLap1) + kLap2;
    writeAll(dir + "/run-20261208-140000.000-1.journal", noRun);
    RunJournal::TScan scan = RunJournal::Scan(dir, finishedWithoutLaps);
    ASSERT_EQ(scan.Unfinished.size(), 1u);
    EXPECT_TRUE(scan.Unfinished[0].File.Path.endsWith("130500.000-1.journal"));
    EXPECT_EQ(readAll(dir + "/run-20261208-130000.000-1.damaged"), bytes);
    ASSERT_EQ(scan.Unreadable.size(), 1);
    EXPECT_TRUE(scan.Unreadable[0].contains(Msg::JournalDamaged().arg(3)));
    EXPECT_EQ(readAll(dir + "/run-20261208-140000.000-1.unreadable"), noRun);
    RunJournal::Release(scan.Unfinished);
}

TEST(RunJournalFolder, ARunHeldByAnotherCopyIsNeitherOfferedNorPruned) {
    QTemporaryDir tmp;
    RunJournal::TOpenFile held = RunJournal::Create(tmp.path());
    ASSERT_GE(held.Fd, 0) << held.Error.toStdString();
    struct stat st {};
    ASSERT_EQ(::fstat(held.Fd, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::write(held.Fd, kHeader.constData(), size_t(kHeader.size())), kHeader.size());
    ASSERT_EQ(::write(held.Fd, kLap1.constData(), size_t(kLap1.size())), kLap1.size());
    EXPECT_TRUE(RunJournal::Scan(tmp.path(), neverFinished).Unfinished.empty());
    // Older runs than the held one beyond the limit go; the held one stays
    // although it sorts as the oldest.
    for (int i = 0; i < 5; ++i)
        writeAll(tmp.path() + QStringLiteral("/run-2999010%1-000000.000-1.done").arg(i), "x");
    RunJournal::Prune(tmp.path(), 2);
    const QStringList left = QDir(tmp.path()).entryList({"run-*"}, QDir::Files, QDir::Name);
    EXPECT_EQ(left, (QStringList{QFileInfo(held.Path).fileName(), "run-29990103-000000.000-1.done",
                                 "run-29990104-000000.000-1.done"}));
    ::close(held.Fd);
    RunJournal::TScan scan = RunJournal::Scan(tmp.path(), neverFinished);
    EXPECT_EQ(scan.Unfinished.size(), 1u);
    RunJournal::Release(scan.Unfinished);
}

// --- a full disk under the real window ------------------------------------------------

struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t soft) {
        ::getrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{soft, old.rlim_max};
        ok = ::setrlimit(RLIMIT_FSIZE, &lim) == 0;
    }
    ~FileSizeLimit() { Lift(); }
    void Lift() { ::setrlimit(RLIMIT_FSIZE, &old); }
    rlimit old{};
    bool ok = false;
};

// The note shows its whole text inside the window, over nothing else the
// window shows.
void expectReadWhole(const TVantel& w) {
    const QRect note = w.JournalNote->geometry();
    EXPECT_TRUE(w.rect().contains(note)) << w.height();
    EXPECT_GE(note.height(), w.JournalNote->TextHeight(note.width()));
    for (const QObject* o : w.children()) {
        const auto* c = qobject_cast<const QWidget*>(o);
        if (c && c != w.JournalNote && !c->isHidden() && !c->isWindow()) {
            EXPECT_FALSE(note.intersects(c->geometry())) << c->objectName().toStdString();
        }
    }
}

TEST(RunJournalRecorder, TheTroubleNoteIsReadWhole) {
    TVantel w;
    w.Timer1->SetEnabled(false);
    // A path longer than a line, then many words.
    for (const QString& why : {"/home/" + QString(160, u'd') + ": No space left on device",
                               QString("a reason of many words ").repeated(12)}) {
        w.ShowJournalTrouble(why);
        EXPECT_EQ(w.JournalNote->Text(), Msg::JournalNotWritten().arg(why));
        EXPECT_GE(w.JournalNote->height(), 2 * QFontMetrics(w.font()).height());
        expectReadWhole(w);
    }
    w.ShowJournalTrouble(QString());
    EXPECT_TRUE(w.JournalNote->isHidden());
    EXPECT_EQ(w.height(), 566);
}

TEST(RunJournalRecorder, FullDiskIsToldOnceWithoutABoxAndTheJournalCatchesUp) {
    QTemporaryDir tmp;
    FakeClock clock;
    ScopedMessageRecorder messages;
    TVantel w;
    w.Timer1->SetEnabled(false);
    TRunRecorder::TSystem sys{[] { return QByteArray("boot-a"); }, [] { return qint64(0); }};
    TRunRecorder rec(w.Run, tmp.path(), sys);
    QStringList told;
    rec.OnTrouble = [&](const QString& why) {
        told << why;
        w.ShowJournalTrouble(why);
    };
    auto press = [&](TCuteButton* b) { b->OnClick(b); };

    press(w.CuteButton2);
    press(w.start);
    {
        FileSizeLimit limit(1500); // the header and carry lines take most of it
        ASSERT_TRUE(limit.ok);
        for (int i = 0; i < 20; ++i) {
            clock.Advance(1000 + uint32_t(i));
            press(w.LAP);
        }
        EXPECT_EQ(w.State.LapCount, 20) << "the run goes on";
        ASSERT_EQ(told.size(), 1) << "told once";
        EXPECT_FALSE(told[0].isEmpty());
        ASSERT_TRUE(w.JournalNote);
        EXPECT_FALSE(w.JournalNote->isHidden());
        EXPECT_EQ(w.JournalNote->focusPolicy(), Qt::NoFocus);
        // Read whole: inside the window, as high as its wrapped text, over
        // nothing else the window shows.
        const QRect note = w.JournalNote->geometry();
        EXPECT_TRUE(w.rect().contains(note)) << w.height();
        expectReadWhole(w);
        EXPECT_TRUE(messages.Records().empty()) << "no message box";
    }
    clock.Advance(777);
    press(w.LAP2);
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told[1].isEmpty()) << "told that it writes again";
    EXPECT_TRUE(w.JournalNote->isHidden());
    EXPECT_EQ(w.height(), 566) << "the window's own height again";

    // Every lap, also those made while the disk was full, comes back.
    const QString path = rec.JournalPath();
    rec.WaitSynced();
    const RunJournal::TContents c = RunJournal::Read(readAll(path));
    ASSERT_TRUE(c.Error.isEmpty()) << c.Error.toStdString();
    EXPECT_EQ(c.SkippedLines, 0);
    EXPECT_EQ(c.Records.size(), 24u); // header, carry, start, 20 laps, lap2
}

} // namespace
