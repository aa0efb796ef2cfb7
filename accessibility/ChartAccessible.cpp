#include "ChartAccessible.h"

#include "Accessible.h"
#include "CustomAxisPanel.h"
#include "TeEngine.h"

#include <cmath>

namespace Accessible {

QAccessibleInterface* ChartFactory(const QString& className, QObject* object) {
    return FromTable(className, object,
                     {{"TCustomAxisPanel", MakeInterface<TCustomAxisPanel, TAccessibleChart>}});
}

} // namespace Accessible

QString GroupedNumber(double value) {
    const qint64 n = std::llround(value);
    QString digits = QString::number(n < 0 ? -n : n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    return n < 0 ? QLatin1Char('-') + digits : digits;
}

TAccessibleChart::TAccessibleChart(TCustomAxisPanel* chart)
    : TAccessibleTable(chart, QAccessible::Chart) {}

TCustomAxisPanel* TAccessibleChart::Chart() const {
    return static_cast<TCustomAxisPanel*>(widget());
}

QList<const TChartSeries*> TAccessibleChart::ShownSeries() const {
    QList<const TChartSeries*> list;
    for (const TChartSeries* s : Chart()->SeriesList())
        if (s->Active()) list.append(s);
    return list;
}

QString TAccessibleChart::Summary() const {
    const QList<const TChartSeries*> series = ShownSeries();
    QStringList titles;
    for (const TChartSeries* s : series)
        titles << s->Title();
    QString text = titles.join(QStringLiteral(" and "));
    if (series.isEmpty() || series[0]->Count() == 0) return text + QStringLiteral(": no points");
    const TChartSeries* first = series[0];
    int lowest = 0;
    for (int i = 1; i < first->Count(); ++i)
        if (first->YValue(i) < first->YValue(lowest)) lowest = i;
    return text + QStringLiteral(": %1 points; last %2 %3; lowest %2 %4 (point %5)")
                      .arg(first->Count())
                      .arg(first->Title(), GroupedNumber(first->YValue(first->Count() - 1)),
                           GroupedNumber(first->YValue(lowest)),
                           GroupedNumber(first->XValue(lowest)));
}

QString TAccessibleChart::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && Chart()->accessibleName().isEmpty()) return Summary();
    return QAccessibleWidget::text(t); // the description is the hint
}

QString TAccessibleChart::CellText(int row, int col) const {
    const QList<const TChartSeries*> series = ShownSeries();
    if (row == 0) {
        if (col == 0) return QStringLiteral("Point");
        const TChartSeries* s = series.value(col - 1);
        return s ? s->Title() : QString();
    }
    const int point = row - 1;
    if (col == 0) {
        for (const TChartSeries* s : series)
            if (point < s->Count()) return QString::number(s->XValue(point));
        return {};
    }
    const TChartSeries* s = series.value(col - 1);
    return s && point < s->Count() ? QString::number(s->YValue(point)) : QString();
}

int TAccessibleChart::columnCount() const {
    return 1 + static_cast<int>(ShownSeries().size());
}

int TAccessibleChart::rowCount() const {
    int points = 0;
    for (const TChartSeries* s : ShownSeries())
        points = std::max(points, s->Count());
    return 1 + points;
}
