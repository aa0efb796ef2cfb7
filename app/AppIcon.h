#pragma once
#include <QIcon>

// The program's icon, the one the desktop menu shows, in all its sizes.
QIcon ProgramIcon();
