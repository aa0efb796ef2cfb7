#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

// The run journal's file: one text line per record, each line checked by its
// own CRC-32, so that a torn last line is recognised and skipped while every
// line before it stays good. A line reads
//
//     kind key=value key=value ~1a2b3c4d
//
// with values percent-encoded (blanks, '=', '%', '~' and anything outside
// printable ASCII), so that `less` shows it as it is.
namespace RunJournal {

constexpr int Version = 1;
// The first record of every journal.
constexpr const char* HeaderKind = "vantel-journal";
// Larger files are not read: no run of a day comes near it.
constexpr qint64 MaxFileSize = 256 * 1024 * 1024;

struct TRecord {
    QByteArray Kind;
    std::vector<std::pair<QByteArray, QByteArray>> Fields; // keys may repeat

    TRecord() = default;
    explicit TRecord(QByteArray kind) : Kind(std::move(kind)) {}
    TRecord& Add(const QByteArray& key, const QByteArray& value) {
        Fields.emplace_back(key, value);
        return *this;
    }
    TRecord& Add(const QByteArray& key, const QString& value) { return Add(key, value.toUtf8()); }
    TRecord& Add(const QByteArray& key, qint64 value) {
        return Add(key, QByteArray::number(value));
    }
    // The first value of `key`, or nullopt.
    std::optional<QByteArray> Value(const QByteArray& key) const;
    QByteArray ValueOr(const QByteArray& key, const QByteArray& fallback = {}) const;
    // Every value of `key`, in order.
    std::vector<QByteArray> Values(const QByteArray& key) const;
};

uint32_t Crc32(QByteArrayView bytes);
// The record as one line, ending in '\n'.
QByteArray EncodeLine(const TRecord& r);
// A line without its '\n'; nullopt when it is not a whole, unchanged record.
std::optional<TRecord> DecodeLine(QByteArrayView line);

struct TContents {
    QString Error;                // empty when readable
    std::vector<TRecord> Records; // the header first
    int SkippedLines = 0;         // torn lines a crash left, left out
    bool EndsWithNewline = true;  // false: the last bytes are a torn line
    // Damage a crash does not leave: the records stop at the last good line
    // before it (LastGoodLine), and UnreadLines lines from there on, anchors
    // aside, are left out.
    int LastGoodLine = 0; // 0: no such damage
    int UnreadLines = 0;
    // Line 2, what the previous run left, was damaged and is left out; the
    // records after it are kept.
    bool CarryLost = false;
    bool Damaged() const { return LastGoodLine > 0 || CarryLost; }
};
// Reads a whole journal. Bad lines are skipped where a crash leaves them: at
// the end, or right before the anchor a restore writes on the next start.
// Other damage ends the records before it; a damaged line 2 alone is left
// out. An unknown version or a missing or damaged header makes it unreadable.
TContents Read(QByteArrayView bytes);

// --- the folder of journals ---------------------------------------------------

// $XDG_STATE_HOME/vantel, by default ~/.local/state/vantel.
QString DefaultDir();
// Creates the folder (and missing parents) 0700; false with a reason.
bool EnsureDir(const QString& dir, QString* error);

// A journal file held open and locked by this process.
struct TOpenFile {
    int Fd = -1;
    QString Path;
    QString Error; // why it could not be opened (Fd < 0)
};
// A new journal, 0600, locked. The name sorts by creation time.
TOpenFile Create(const QString& dir);

// File suffixes: a live or unfinished run, a finished one, one the operator
// discarded, one that could not be read.
inline const QString LiveSuffix = QStringLiteral(".journal");
inline const QString DoneSuffix = QStringLiteral(".done");
inline const QString DiscardedSuffix = QStringLiteral(".discarded");
inline const QString UnreadableSuffix = QStringLiteral(".unreadable");
// A damaged journal whose good records a restore copied into a new journal.
inline const QString DamagedSuffix = QStringLiteral(".damaged");
// The field of the anchor that begins such a copy: the damaged file's name.
constexpr const char* CopiedFrom = "from";

// Renames `path` to the same name with `suffix` instead of ".journal";
// returns the new path, or an empty string when the rename failed.
QString MoveAside(const QString& path, const QString& suffix);
// Keeps the newest `keep` runs of the folder and removes older ones; a run
// another process holds locked is never removed.
void Prune(const QString& dir, int keep);
constexpr int KeepRuns = 200;

// A candidate for restoring: a journal not finished and not held by another
// running copy, held open and locked.
struct TFound {
    TOpenFile File;
    TContents Contents;
};
struct TScan {
    // Newest first.
    std::vector<TFound> Unfinished;
    // Journals that could not be read: what, why, and where they were moved.
    QStringList Unreadable;
};
// `finished` decides from a readable journal whether its run was finished;
// finished journals are renamed ".done" on the way. A damaged journal is
// never judged finished from its good part alone: with no run left in it, it
// counts as unreadable.
TScan Scan(const QString& dir, bool (*finished)(const TContents&));
// Closes the journals of a scan that are not taken (they stay unfinished).
void Release(std::vector<TFound>& found);

// --- writing ------------------------------------------------------------------

// Appends records to an open journal. Append writes the bytes with one
// write() before it returns, so a killed process loses nothing it showed; a
// worker thread then makes them durable with fdatasync, so no handler waits
// for the disk. Bytes that cannot be written (disk full, read-only folder)
// are kept and written first by the next Append that succeeds.
class TWriter {
public:
    explicit TWriter(TOpenFile file);
    ~TWriter(); // waits for the last sync, closes the file
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    // True when everything appended so far has reached the kernel.
    bool Append(const QByteArray& bytes);
    const QString& Path() const { return FFile.Path; }
    const QString& Error() const { return FError; }
    // Completed fdatasync calls, for tests.
    int Syncs() const { return FSyncs.load(); }
    // Blocks until every byte written so far is synced (tests, benchmarks).
    void WaitSynced();

private:
    void worker();
    TOpenFile FFile;
    QByteArray FPending;
    QString FError;
    std::mutex FMutex;
    std::condition_variable FWake, FSynced;
    uint64_t FWritten = 0, FSyncedUpTo = 0; // write generations
    bool FStop = false;
    std::atomic<int> FSyncs{0};
    std::thread FThread;
};

} // namespace RunJournal
