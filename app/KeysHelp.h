#pragma once
class QWidget;

// F1 anywhere in `window` opens a window that lists the program's keys. It
// takes no keyboard from a run it was not asked for, and closing it gives the
// keyboard back where it was.
void InstallKeysHelp(QWidget* window);
