#include "RunJournal.h"

#include "Messages.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <zlib.h>

namespace RunJournal {

namespace {

// A constant, not a QByteArray: lines may be encoded during static initialisation.
constexpr char kCrcMark[] = " ~";

QString errnoText(int e) {
    return QString::fromLocal8Bit(std::strerror(e));
}

bool isSafe(char c) {
    // Printable ASCII stays as it is, except what separates the fields.
    return c > ' ' && c < 0x7f && c != '=' && c != '%' && c != '~';
}

void appendEncoded(QByteArray& out, const QByteArray& v) {
    static const char hex[] = "0123456789ABCDEF";
    for (char c : v) {
        if (isSafe(c)) {
            out += c;
        } else {
            const auto u = static_cast<unsigned char>(c);
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Strict: only what appendEncoded writes decodes, so a changed byte that
// happens to keep the checksum still cannot smuggle in a different spelling.
std::optional<QByteArray> decodeValue(QByteArrayView v) {
    QByteArray out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (c == '%') {
            if (i + 2 >= v.size()) return std::nullopt;
            const int hi = hexDigit(v[i + 1]), lo = hexDigit(v[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            const char d = char(hi * 16 + lo);
            if (isSafe(d)) return std::nullopt;
            out += d;
            i += 2;
        } else if (isSafe(c)) {
            out += c;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

bool lockFd(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

} // namespace

std::optional<QByteArray> TRecord::Value(const QByteArray& key) const {
    for (const auto& [k, v] : Fields)
        if (k == key) return v;
    return std::nullopt;
}

QByteArray TRecord::ValueOr(const QByteArray& key, const QByteArray& fallback) const {
    return Value(key).value_or(fallback);
}

std::vector<QByteArray> TRecord::Values(const QByteArray& key) const {
    std::vector<QByteArray> out;
    for (const auto& [k, v] : Fields)
        if (k == key) out.push_back(v);
    return out;
}

uint32_t Crc32(QByteArrayView bytes) {
    // zlib's CRC-32 is the common one (the polynomial of zip and PNG).
    return uint32_t(crc32_z(crc32_z(0, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                            size_t(bytes.size())));
}

QByteArray EncodeLine(const TRecord& r) {
    QByteArray line;
    line.reserve(64 + 24 * qsizetype(r.Fields.size()));
    appendEncoded(line, r.Kind);
    for (const auto& [k, v] : r.Fields) {
        line += ' ';
        appendEncoded(line, k);
        line += '=';
        appendEncoded(line, v);
    }
    const uint32_t crc = Crc32(line);
    char buf[16];
    const int n = std::snprintf(buf, sizeof buf, "%08x\n", crc);
    line.append(kCrcMark, 2);
    line.append(buf, n);
    return line;
}

std::optional<TRecord> DecodeLine(QByteArrayView line) {
    // "<body> ~xxxxxxxx"
    if (line.size() < 10) return std::nullopt;
    const QByteArrayView body = line.first(line.size() - 10);
    const QByteArrayView tail = line.last(10);
    if (tail.first(2) != QByteArrayView(kCrcMark, 2)) return std::nullopt;
    uint32_t crc = 0;
    for (char c : tail.sliced(2)) {
        const int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (d < 0) return std::nullopt;
        crc = crc * 16 + uint32_t(d);
    }
    if (Crc32(body) != crc) return std::nullopt;

    TRecord r;
    bool first = true;
    qsizetype start = 0;
    while (start <= body.size()) {
        qsizetype end = body.indexOf(' ', start);
        if (end < 0) end = body.size();
        const QByteArrayView word = body.sliced(start, end - start);
        if (first) {
            auto kind = decodeValue(word);
            if (!kind || kind->isEmpty()) return std::nullopt;
            r.Kind = *kind;
            first = false;
        } else {
            const qsizetype eq = word.indexOf('=');
            if (eq <= 0) return std::nullopt;
            auto k = decodeValue(word.first(eq));
            auto v = decodeValue(word.sliced(eq + 1));
            if (!k || !v) return std::nullopt;
            r.Fields.emplace_back(std::move(*k), std::move(*v));
        }
        start = end + 1;
    }
    return r;
}

TContents Read(QByteArrayView bytes) {
    TContents c;
    if (bytes.isEmpty()) {
        c.Error = Msg::JournalEmpty();
        return c;
    }
    c.EndsWithNewline = bytes.endsWith('\n');
    int badRun = 0;  // bad lines since the last good one
    int badFrom = 0; // the first of them
    int lineNo = 0;
    qsizetype start = 0;
    auto nextLine = [&] {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) end = bytes.size();
        const QByteArrayView line = bytes.sliced(start, end - start);
        start = end + 1;
        ++lineNo;
        return line;
    };
    while (start < bytes.size()) {
        const QByteArrayView line = nextLine();
        std::optional<TRecord> r = DecodeLine(line);
        if (lineNo == 1) {
            if (!r) {
                // Its own kind still shows: a journal, damaged.
                c.Error = line.startsWith(QByteArray(HeaderKind) + ' ')
                              ? Msg::JournalDamaged().arg(1)
                              : Msg::JournalForeign();
                return c;
            }
            if (r->Kind != HeaderKind) {
                c.Error = Msg::JournalForeign();
                return c;
            }
            const QByteArray v = r->ValueOr("v");
            bool isNumber = false;
            const int n = v.toInt(&isNumber);
            if (isNumber && n > Version) {
                c.Error = Msg::JournalNewer().arg(n);
                return c;
            }
            if (v != QByteArray::number(Version)) {
                c.Error = Msg::JournalVersion().arg(QString::fromLatin1(v.left(20)));
                return c;
            }
        }
        if (!r) {
            if (badRun++ == 0) badFrom = lineNo;
            continue;
        }
        if (badRun > 0) {
            // Line 2 is what the previous run left; the run itself follows.
            const bool carry = badFrom == 2;
            c.CarryLost = c.CarryLost || carry;
            if (r->Kind != "anchor" && !(carry && badRun == 1)) {
                // Whatever follows the damage depends on what it hid.
                c.LastGoodLine = badFrom - 1;
                c.UnreadLines = badRun + 1;
                while (start < bytes.size()) {
                    const std::optional<TRecord> after = DecodeLine(nextLine());
                    if (!after || after->Kind != "anchor") ++c.UnreadLines;
                }
                return c;
            }
            if (!carry) c.SkippedLines += badRun;
        }
        badRun = 0;
        c.Records.push_back(std::move(*r));
    }
    if (badRun > 0 && badFrom == 2) c.CarryLost = true;
    c.SkippedLines += badRun;
    return c;
}

// --- folder -------------------------------------------------------------------

QString DefaultDir() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // The base directory specification: a relative path is to be ignored.
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/vantel");
}

bool EnsureDir(const QString& dir, QString* error) {
    const QByteArray path = QFile::encodeName(QDir::cleanPath(dir));
    // Every missing level is made 0700; existing ones are left as they are.
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        const QByteArray part = path.left(i);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) {
            if (error) *error = part + QStringLiteral(": ") + errnoText(errno);
            return false;
        }
    }
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (error) *error = Msg::NotAFolder().arg(dir);
        return false;
    }
    return true;
}

TOpenFile Create(const QString& dir) {
    TOpenFile f;
    QString why;
    if (!EnsureDir(dir, &why)) {
        f.Error = why;
        return f;
    }
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss.zzz"));
    for (int n = 0; n < 100; ++n) {
        const QString name = QStringLiteral("%1/run-%2-%3%4%5")
                                 .arg(dir, stamp)
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(n ? QStringLiteral("-%1").arg(n) : QString(), LiveSuffix);
        const int fd = ::open(QFile::encodeName(name).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            f.Error = name + QStringLiteral(": ") + errnoText(errno);
            return f;
        }
        lockFd(fd); // new and unseen by anyone else: cannot be held
        f.Fd = fd;
        f.Path = name;
        return f;
    }
    f.Error = Msg::NoFreeJournalName().arg(dir);
    return f;
}

QString MoveAside(const QString& path, const QString& suffix) {
    QString to = path;
    if (to.endsWith(LiveSuffix)) to.chop(LiveSuffix.size());
    to += suffix;
    // Never over another file: the bytes of both are kept.
    for (int n = 1; QFile::exists(to) && n < 1000; ++n)
        to = path + QStringLiteral(".%1").arg(n) + suffix;
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(to).constData()) != 0)
        return QString();
    return to;
}

namespace {
QStringList runsNewestFirst(const QString& dir, const QString& pattern) {
    QStringList names =
        QDir(dir).entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    std::reverse(names.begin(), names.end());
    return names;
}
} // namespace

void Prune(const QString& dir, int keep) {
    const QStringList runs = runsNewestFirst(dir, QStringLiteral("run-*"));
    for (qsizetype i = keep; i < runs.size(); ++i) {
        const QByteArray path = QFile::encodeName(dir + u'/' + runs[i]);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && !lockFd(fd)) { // in use by a running copy
            ::close(fd);
            continue;
        }
        ::unlink(path.constData());
        if (fd >= 0) ::close(fd);
    }
}

namespace {
// A restore copies a damaged journal's good records into a new one and then
// moves the damaged file aside; killed in between, both are still live, and
// the run would be offered twice.
void setAsideCopied(const QString& dir, const TContents& c) {
    for (const TRecord& r : c.Records) {
        if (r.Kind != "anchor") continue;
        const std::optional<QByteArray> from = r.Value(CopiedFrom);
        if (!from || from->contains('/') || !from->endsWith(LiveSuffix.toLatin1())) continue;
        const QString path = dir + u'/' + QFile::decodeName(*from);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (lockFd(fd)) MoveAside(path, DamagedSuffix);
        ::close(fd);
    }
}
} // namespace

TScan Scan(const QString& dir, bool (*finished)(const TContents&)) {
    TScan scan;
    for (const QString& name : runsNewestFirst(dir, QStringLiteral("run-*") + LiveSuffix)) {
        const QString path = dir + u'/' + name;
        const QByteArray native = QFile::encodeName(path);
        int fd = ::open(native.constData(), O_RDWR | O_APPEND | O_CLOEXEC);
        QString why;
        if (fd < 0 && errno == EACCES)
            why = Msg::JournalNoAccess();
        else if (fd < 0)
            continue; // gone meanwhile
        if (fd >= 0 && !lockFd(fd)) {
            ::close(fd); // another running copy's run
            continue;
        }
        TContents contents;
        if (fd >= 0) {
            struct stat st {};
            if (::fstat(fd, &st) != 0 || st.st_size > MaxFileSize) {
                why = Msg::JournalTooLarge();
            } else {
                QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
                const ssize_t n = ::pread(fd, bytes.data(), size_t(bytes.size()), 0);
                if (n < 0)
                    why = errnoText(errno);
                else {
                    bytes.truncate(n);
                    contents = Read(bytes);
                    why = contents.Error;
                }
            }
        }
        if (!why.isEmpty()) {
            const QString to = MoveAside(path, UnreadableSuffix);
            scan.Unreadable << Msg::JournalUnreadable().arg(
                path, why, to.isEmpty() ? Msg::JournalNotMoved() : Msg::JournalMoved().arg(to));
            if (fd >= 0) ::close(fd);
            continue;
        }
        if (contents.Damaged() && finished(contents)) {
            const QString to = MoveAside(path, UnreadableSuffix);
            scan.Unreadable << Msg::JournalUnreadable().arg(
                path,
                Msg::JournalDamaged().arg(contents.LastGoodLine ? contents.LastGoodLine + 1 : 2),
                to.isEmpty() ? Msg::JournalNotMoved() : Msg::JournalMoved().arg(to));
            ::close(fd);
            continue;
        }
        if (finished(contents)) {
            MoveAside(path, DoneSuffix);
            ::close(fd);
            continue;
        }
        setAsideCopied(dir, contents);
        scan.Unfinished.push_back(TFound{TOpenFile{fd, path, {}}, std::move(contents)});
    }
    return scan;
}

void Release(std::vector<TFound>& found) {
    for (TFound& f : found)
        if (f.File.Fd >= 0) ::close(std::exchange(f.File.Fd, -1));
    found.clear();
}

// --- writing ------------------------------------------------------------------

TWriter::TWriter(TOpenFile file) : FFile(std::move(file)) {
    FThread = std::thread([this] { worker(); });
}

TWriter::~TWriter() {
    {
        std::lock_guard lock(FMutex);
        FStop = true;
    }
    FWake.notify_one();
    FThread.join();
    if (FFile.Fd >= 0) ::close(FFile.Fd);
}

bool TWriter::Append(const QByteArray& bytes) {
    FPending += bytes;
    qsizetype done = 0;
    while (done < FPending.size()) {
        const ssize_t n =
            ::write(FFile.Fd, FPending.constData() + done, size_t(FPending.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            FError = errnoText(n < 0 ? errno : ENOSPC);
            break;
        }
        done += n;
    }
    FPending.remove(0, done);
    if (done > 0) {
        {
            std::lock_guard lock(FMutex);
            ++FWritten;
        }
        FWake.notify_one();
    }
    if (FPending.isEmpty()) FError.clear();
    return FPending.isEmpty();
}

void TWriter::WaitSynced() {
    std::unique_lock lock(FMutex);
    FSynced.wait(lock, [this] { return FSyncedUpTo >= FWritten; });
}

void TWriter::worker() {
    std::unique_lock lock(FMutex);
    for (;;) {
        FWake.wait(lock, [this] { return FStop || FSyncedUpTo < FWritten; });
        if (FSyncedUpTo < FWritten) {
            // Several appends during one sync are covered by the next one.
            const uint64_t upTo = FWritten;
            lock.unlock();
            ::fdatasync(FFile.Fd);
            ++FSyncs;
            lock.lock();
            FSyncedUpTo = upTo;
            FSynced.notify_all();
            continue;
        }
        if (FStop) return;
    }
}

} // namespace RunJournal
