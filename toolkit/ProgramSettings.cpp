#include "ProgramSettings.h"

QSettings ProgramSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vantel"),
                     QStringLiteral("vantel"));
}
