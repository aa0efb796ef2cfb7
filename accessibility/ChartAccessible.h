#pragma once
// What assistive tools see of a chart: a chart named by a summary of what it
// shows now, described by its hint, whose points read as a table: one row a
// point (row 0 the headers), the point's X value, then each series' value.
#include "AccessibleGrid.h"

class TCustomAxisPanel;
class TChartSeries;

namespace Accessible {
// Interfaces for the charts, or nullptr.
QAccessibleInterface* ChartFactory(const QString& className, QObject* object);
} // namespace Accessible

class TAccessibleChart : public TAccessibleTable {
public:
    explicit TAccessibleChart(TCustomAxisPanel* chart);

    // The name: "Lap time and Average: 12 points; last Lap time 65 432;
    // lowest Lap time 64 000 (point 3)" from the first series. A program
    // that knows what its points are says it better.
    virtual QString Summary() const;
    TCustomAxisPanel* Chart() const;
    // The active series, in the chart's order.
    QList<const TChartSeries*> ShownSeries() const;

    QString text(QAccessible::Text t) const override;
    QString CellText(int row, int col) const override;
    int columnCount() const override;
    int rowCount() const override;
};

// A whole number with its thousands set apart by a blank: "65 432".
QString GroupedNumber(double value);
