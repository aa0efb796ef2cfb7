// The run journal: its lines, damaged files, the folder, and a full disk
// under a real window.
#include "RunJournal.h"
#include "CuteBtn.h"
#include "Label.h"
#include "MessageService.h"
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
}

const QByteArray kAnchor = line("anchor", {{"boot", "b"}});

INSTANTIATE_TEST_SUITE_P(
    Cases, RunJournalRead,
    ::testing::Values(
        ReadCase{"whole", kHeader + kLap1 + kLap2, 3, 0},
        ReadCase{"torn last line", kHeader + kLap1 + kLap2.left(9), 2, 1},
        ReadCase{"no final newline", kHeader + kLap1 + kLap2.chopped(1), 3, 0},
        ReadCase{"garbage at the end", kHeader + kLap1 + "\x7f\x45LF\0\0\xff", 2, 1},
        ReadCase{"torn line closed by an anchor",
                 kHeader + kLap1 + kLap2.left(12) + "\n" + kAnchor + kLap2, 4, 1},
        ReadCase{"damage in the middle", kHeader + kLap1.left(5) + "X\n" + kLap2, -1, 0},
        ReadCase{"changed value", kHeader + QByteArray(kLap1).replace("1000", "9000") + kLap2, -1,
                 0},
        ReadCase{"not a journal", "Lap;Time\r\n1;00:00:01\r\n", -1, 0},
        ReadCase{"unknown version", line("vantel-journal", {{"v", "7"}}) + kLap1, -1, 0},
        ReadCase{"empty", QByteArray(), -1, 0}, ReadCase{"binary", QByteArray(300, '\0'), -1, 0}),
    NameOfCase{});

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
    const RunJournal::TScan scan = RunJournal::Scan(dir, neverFinished);
    ASSERT_EQ(scan.Unreadable.size(), 1) << scan.Unreadable.join("\n").toStdString();
    const QString moved = dir + "/run-20261208-130542.000-1.unreadable";
    EXPECT_TRUE(scan.Unreadable[0].contains("run-20261208-130542.000-1.journal"));
    EXPECT_TRUE(scan.Unreadable[0].contains(moved)) << scan.Unreadable[0].toStdString();
    EXPECT_EQ(readAll(moved), garbage);
    ASSERT_TRUE(scan.Unfinished);
    EXPECT_TRUE(scan.Unfinished->File.Path.endsWith("130600.000-1.journal"));
    EXPECT_EQ(scan.Unfinished->Contents.Records.size(), 2u);
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
    EXPECT_FALSE(RunJournal::Scan(tmp.path(), neverFinished).Unfinished);
    // Older runs than the held one beyond the limit go; the held one stays
    // although it sorts as the oldest.
    for (int i = 0; i < 5; ++i)
        writeAll(tmp.path() + QStringLiteral("/run-2999010%1-000000.000-1.done").arg(i), "x");
    RunJournal::Prune(tmp.path(), 2);
    const QStringList left = QDir(tmp.path()).entryList({"run-*"}, QDir::Files, QDir::Name);
    EXPECT_EQ(left, (QStringList{QFileInfo(held.Path).fileName(), "run-29990103-000000.000-1.done",
                                 "run-29990104-000000.000-1.done"}));
    ::close(held.Fd);
    EXPECT_TRUE(RunJournal::Scan(tmp.path(), neverFinished).Unfinished);
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
        EXPECT_TRUE(messages.Records().empty()) << "no message box";
    }
    clock.Advance(777);
    press(w.LAP2);
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told[1].isEmpty()) << "told that it writes again";
    EXPECT_TRUE(w.JournalNote->isHidden());

    // Every lap, also those made while the disk was full, comes back.
    const QString path = rec.JournalPath();
    rec.WaitSynced();
    const RunJournal::TContents c = RunJournal::Read(readAll(path));
    ASSERT_TRUE(c.Error.isEmpty()) << c.Error.toStdString();
    EXPECT_EQ(c.SkippedLines, 0);
    EXPECT_EQ(c.Records.size(), 24u); // header, carry, start, 20 laps, lap2
}

} // namespace
