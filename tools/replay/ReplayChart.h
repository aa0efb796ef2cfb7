#pragma once
#include <iosfwd>

class TChart;
class QWidget;

// Draws the chart off-screen if its picture is stale and prints the geometry
// of that drawing: bounds and plot, each axis with its labels, each series'
// visible range.
void DumpChart(TChart& chart, std::ostream& out);

// A mouse drag with the left (or right) button through real press, move and
// release events, in the widget's client coordinates.
void DragMouse(QWidget* widget, int x0, int y0, int x1, int y1, bool right);
