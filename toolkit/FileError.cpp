#include "FileError.h"

#include "Messages.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace FileError {

namespace {

QString currentFolder() {
    char buf[PATH_MAX];
    if (::getcwd(buf, sizeof buf)) return QFile::decodeName(buf);
    // getcwd refuses a removed folder; the kernel's link still names it.
    const ssize_t n = ::readlink("/proc/self/cwd", buf, sizeof buf - 1);
    if (n <= 0) return {};
    QString path = QFile::decodeName(QByteArray(buf, qsizetype(n)));
    const QLatin1String deleted(" (deleted)");
    if (path.endsWith(deleted)) path.chop(deleted.size());
    return path;
}

} // namespace

QString AbsolutePath(const QString& name) {
    if (QDir::isAbsolutePath(name)) return QDir::cleanPath(name);
    return QDir::cleanPath(currentFolder() + QLatin1Char('/') + name);
}

QString Reason(int err) {
    if (const char* desc = ::strerrordesc_np(err)) return QString::fromUtf8(desc);
    return Msg::En::UnknownReason().arg(err);
}

} // namespace FileError
