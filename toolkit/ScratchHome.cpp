#include "ScratchHome.h"

#include <QDir>
#include <QFile>

void UseScratchHome(const QString& root, bool withHome) {
    for (const char* v :
         {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        if (!withHome && v[0] == 'H') continue;
        const QString dir = QDir(root).filePath(QString::fromLatin1(v).toLower());
        QDir().mkpath(dir);
        qputenv(v, QFile::encodeName(dir));
    }
}
