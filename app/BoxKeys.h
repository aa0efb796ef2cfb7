#pragma once
class QWidget;

// While a box of the program is open over `window` (About, Help, an error
// report), the lap keys 1, 2, 3 and Alt+1 to Alt+3 still press the window's
// lap buttons: a box that opened mid-race must not swallow the laps. The
// box keeps every other key, Enter and Escape among them. Before the window
// shows (the restore question) nothing is passed on.
void KeepLapKeysThroughBoxes(QWidget* window);
