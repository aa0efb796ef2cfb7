#pragma once
#include <QSettings>

// The program's settings, $XDG_CONFIG_HOME/vantel/vantel.conf (the native
// format is INI text on Linux). Each thread opens the file through a
// QSettings of its own.
QSettings ProgramSettings();
