#include "SaveNames.h"

#include "Messages.h"

#include <QDir>

namespace SaveNames {

QString Stem(const QDateTime& now) {
    return now.toString(QStringLiteral("yyMMddHHmm"));
}

QString Choose(const QString& dir, const QString& stem, const QStringList& own,
               const std::function<bool(const QString&)>& exists) {
    const QDir folder(dir);
    // No minute holds this many saves of other runs; a folder that does is
    // not one to write into.
    constexpr int kMost = 9999;
    for (int n = 1; n <= kMost; ++n) {
        const QString name =
            n == 1 ? stem + QStringLiteral(".csv") : QStringLiteral("%1-%2.csv").arg(stem).arg(n);
        const QString path = QDir::cleanPath(folder.absoluteFilePath(name));
        if (own.contains(path) || !exists(path)) return name;
    }
    return QString();
}

QString Readable(const QString& path, const QString& home) {
    const QString p = QDir::cleanPath(path);
    const QString h = QDir::cleanPath(home);
    if (h.isEmpty() || h == QStringLiteral("/")) return p;
    if (p == h) return QStringLiteral("~");
    if (p.startsWith(h + QLatin1Char('/'))) return QStringLiteral("~") + p.mid(h.size());
    return p;
}

QString SavedNote(const QString& file, const QString& dir, int laps, const QString& home) {
    const QString where = Readable(dir, home);
    return laps == 1 ? Msg::SavedOneLap().arg(file, where)
                     : Msg::SavedLaps().arg(file).arg(laps).arg(where);
}

} // namespace SaveNames
