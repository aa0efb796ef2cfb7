#include "CsvText.h"

#include "Errors.h"
#include "FileError.h"
#include "Messages.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace CsvText {

QStringView TrimmedView(QStringView text) {
    qsizetype b = 0, e = text.size();
    while (b < e && IsTrimChar(text[b].unicode()))
        ++b;
    while (e > b && IsTrimChar(text[e - 1].unicode()))
        --e;
    return text.sliced(b, e - b);
}

bool NeedsQuotes(QStringView text) {
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u',' || c == u'"' || IsControl(c)) return true;
    }
    return false;
}

namespace {
// Appends text with every line break (CR LF, CR or LF) written as CR LF and,
// when `doubleQuotes`, every double quote doubled.
template <class Out> void appendNormalized(Out& out, QStringView text, bool doubleQuotes) {
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    const char16_t* run = p; // start of the characters not yet copied
    auto flush = [&](const char16_t* upto) {
        AppendText(out, std::u16string_view(run, size_t(upto - run)));
    };
    while (p < end) {
        const char16_t c = *p;
        if (c == u'"' && doubleQuotes) {
            flush(p + 1); // the quote itself, then its double
            AppendText(out, u"\"");
            run = ++p;
        } else if (c == u'\r' || c == u'\n') {
            flush(p);
            AppendText(out, u"\r\n");
            p += (c == u'\r' && p + 1 < end && p[1] == u'\n') ? 2 : 1;
            run = p;
        } else {
            ++p;
        }
    }
    flush(end);
}

template <class Out> void appendField(Out& out, QStringView cell) {
    const QStringView t = TrimmedView(cell);
    if (!NeedsQuotes(t)) {
        AppendText(out, std::u16string_view(t.utf16(), size_t(t.size())));
        return;
    }
    AppendText(out, u"\"");
    appendNormalized(out, t, true);
    AppendText(out, u"\"");
}
} // namespace

void AppendField(QString& out, QStringView cell) {
    appendField(out, cell);
}
void AppendField(std::u16string& out, QStringView cell) {
    appendField(out, cell);
}

QString FieldText(QStringView cell) {
    QString out;
    AppendField(out, cell);
    return out;
}

QString ReadBackText(QStringView cell) {
    QString out;
    appendNormalized(out, TrimmedView(cell), false);
    return out;
}

QString NormalizeLineEnds(QString text) {
    // Already normal when every LF has a CR before it and every CR an LF after
    // it; both searches run over the text in large strides.
    const QStringView v(text);
    const qsizetype n = v.size();
    bool normal = true;
    for (qsizetype i = v.indexOf(u'\n'); normal && i >= 0; i = v.indexOf(u'\n', i + 1))
        normal = i > 0 && v[i - 1] == u'\r';
    for (qsizetype i = v.indexOf(u'\r'); normal && i >= 0; i = v.indexOf(u'\r', i + 1))
        normal = i + 1 < n && v[i + 1] == u'\n';
    if (normal) {
        if (n > 0 && v[n - 1] != u'\n') text += QLatin1String("\r\n");
        return text;
    }
    QString out;
    out.reserve(n + n / 8 + 2);
    appendNormalized(out, text, false);
    if (!out.endsWith(QLatin1Char('\n'))) out += QLatin1String("\r\n");
    return out;
}

QStringList SplitCSVText(QStringView text) {
    QStringList out;
    SplitFields(text, [&](QStringView f) { out.push_back(f.toString()); });
    return out;
}

QByteArray EncodeText(QStringView text) {
    QStringEncoder enc(QStringConverter::System);
    return enc.encode(text);
}

TextEncoder::TextEncoder() : FEnc(QStringConverter::System) {}

void TextEncoder::Append(QStringView text) {
    const qsizetype old = FOut.size();
    FOut.resize(old + FEnc.requiredSpace(text.size()));
    char* const end = FEnc.appendToBuffer(FOut.data() + old, text);
    FOut.resize(end - FOut.constData());
}

QString DecodeText(QByteArrayView bytes) {
    // Stateless: a sequence cut short at the end of the file is invalid too.
    QStringDecoder dec(QStringConverter::System, QStringConverter::Flag::Stateless);
    return dec.decode(bytes);
}

namespace {
// The Japanese keeps the name as given (and the stream errors none); the
// English names the file wherever the program was started and says why.
QString english(const Msg::TText& text, const QString& name, const QString& reason) {
    return text().arg(FileError::AbsolutePath(name), reason);
}
// errno is taken right at the call that failed, before anything can change it.
EFOpenError openError(const QString& name, int err) {
    return EFOpenError(Msg::CannotOpenFile().arg(name),
                       english(Msg::En::CannotOpenFile, name, FileError::Reason(err)));
}
EReadError readError(const QString& name, int err) {
    return EReadError(Msg::StreamReadError(),
                      english(Msg::En::StreamReadError, name, FileError::Reason(err)));
}
// QSaveFile leaves errno as its failing system call set it; with none (a
// refusal of Qt's own, such as a folder in the file's place) its own text is
// the reason.
QString saveFileReason(const QSaveFile& file, int err) {
    return err ? FileError::Reason(err) : file.errorString();
}
// A folder that is gone is the reason whatever the failing call said: QSaveFile
// makes its file unnamed in the folder first, which the kernel refuses in a
// removed folder with EPERM, where creating the file by name says ENOENT.
int createErrno(const QString& name, int err) {
    const QString folder = QFileInfo(FileError::AbsolutePath(name)).absolutePath();
    if (::access(QFile::encodeName(folder).constData(), F_OK) != 0) return errno;
    return err;
}

// Closes a descriptor on every way out.
struct FdGuard {
    int fd;
    ~FdGuard() {
        if (fd >= 0) ::close(fd);
    }
};
} // namespace

void WriteWholeFile(const QString& name, QByteArrayView bytes) {
    QSaveFile file(name);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int err = createErrno(name, errno);
        throw EFCreateError(Msg::CannotCreateFile().arg(name),
                            english(Msg::En::CannotCreateFile, name, saveFileReason(file, err)));
    }
    // The buffer is flushed and checked here: a write that fails while commit()
    // closes the file (the disk filling up, a size limit) is not reported by
    // commit() itself, which would then put a cut-short file in place.
    errno = 0;
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const int err = errno;
        const QString reason = saveFileReason(file, err);
        file.cancelWriting();
        throw EWriteError(Msg::StreamWriteError(),
                          english(Msg::En::StreamWriteError, name, reason));
    }
    errno = 0;
    if (!file.commit()) {
        const int err = errno;
        throw EWriteError(Msg::StreamWriteError(),
                          english(Msg::En::StreamWriteError, name, saveFileReason(file, err)));
    }
}

std::optional<QByteArray> ReadWholeFile(const QString& name, int64_t maxSize) {
    const QFileInfo info(name);
    if (!info.exists() || !info.isFile() || info.size() > maxSize) return std::nullopt;

    // The name is looked at again on the open descriptor: it may have changed
    // since. Opening does not wait, so a FIFO put in its place cannot block.
    const QByteArray path = QFile::encodeName(name);
    int fd;
    do {
        fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw openError(name, errno);
    FdGuard guard{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw openError(name, errno);
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    const int64_t size = st.st_size;
    if (size < 0 || size > maxSize) return std::nullopt;

    QByteArray bytes;
    // One byte more than the file holds tells a file that grew meanwhile.
    bytes.resize(qsizetype(size) + 1);
    int64_t got = 0;
    for (;;) {
        if (got == int64_t(bytes.size())) {
            if (got > maxSize) return std::nullopt;
            bytes.resize(qsizetype(std::min<int64_t>(got * 2, maxSize + 1)));
        }
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(int64_t(bytes.size()) - got));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw readError(name, errno);
        }
        if (n == 0) break;
        got += n;
    }
    bytes.truncate(qsizetype(got));
    return bytes;
}

} // namespace CsvText
