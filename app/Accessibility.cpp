#include "Accessibility.h"

#include "Accessible.h"
#include "Chart.h"
#include "ChartAccessible.h"
#include "ComponentsAccessible.h"
#include "TeEngine.h"
#include "Unit1.h"

namespace {

// The main window's chart speaks of laps: point 0 repeats lap 1 to start the
// line, so point N is lap N.
class LapChartAccessible : public TAccessibleChart {
public:
    using TAccessibleChart::TAccessibleChart;
    QString Summary() const override {
        const QList<const TChartSeries*> series = ShownSeries();
        QStringList titles;
        for (const TChartSeries* s : series)
            titles << s->Title();
        const QString head = titles.join(QStringLiteral(" and ")) + QStringLiteral(": ");
        const TChartSeries* laps = series.value(0);
        int count = 0, fastest = -1;
        for (int i = 0; laps && i < laps->Count(); ++i) {
            if (laps->XValue(i) < 1) continue;
            ++count;
            if (fastest < 0 || laps->YValue(i) < laps->YValue(fastest)) fastest = i;
        }
        if (count == 0) return head + QStringLiteral("no laps");
        return head + QStringLiteral("%1 %2; last lap %3 ms; fastest %4 ms (lap %5)")
                          .arg(count)
                          .arg(count == 1 ? QStringLiteral("lap") : QStringLiteral("laps"),
                               GroupedNumber(laps->YValue(laps->Count() - 1)),
                               GroupedNumber(laps->YValue(fastest)),
                               GroupedNumber(laps->XValue(fastest)));
    }
};

QAccessibleInterface* appFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TChart") && qobject_cast<TVantel*>(object->parent()))
        return new LapChartAccessible(static_cast<TChart*>(object));
    return nullptr;
}

} // namespace

void InstallAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(Accessible::ToolkitFactory);
    QAccessible::installFactory(Accessible::ComponentsFactory);
    QAccessible::installFactory(Accessible::ChartFactory);
    QAccessible::installFactory(appFactory);
}
