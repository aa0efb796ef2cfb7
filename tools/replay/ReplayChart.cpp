#include "ReplayChart.h"

#include "Chart.h"
#include "QuoteText.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <charconv>
#include <ostream>

namespace {

std::string Shortest(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::ostream& operator<<(std::ostream& out, const TRect& r) {
    return out << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
}

void Send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), button, held, Qt::NoModifier);
    // Through the application, so that an error raised by a handler reaches
    // the application-wide report as it does for real input.
    QApplication::sendEvent(w, &e);
}

} // namespace

void DumpChart(TChart& chart, std::ostream& out) {
    if (chart.Canvas().Dirty() || !chart.Canvas().Buffer()) {
        QImage img(chart.size(), QImage::Format_RGB32);
        QPainter p(&img);
        chart.Draw(&p, chart.ClientRect());
    }
    out << "chart bounds=" << chart.ChartBounds << " plot=" << chart.PlotRect << "\n";
    const std::pair<const char*, TChartAxis*> axes[] = {{"LeftAxis", chart.LeftAxis()},
                                                        {"RightAxis", chart.RightAxis()},
                                                        {"TopAxis", chart.TopAxis()},
                                                        {"BottomAxis", chart.BottomAxis()}};
    for (const auto& [name, a] : axes) {
        if (!chart.IsAxisDrawn(a)) {
            out << "axis " << name << " drawn=false\n";
            continue;
        }
        chart.ApplyFont(a->LabelsFont());
        out << "axis " << name << " drawn=true min=" << Shortest(a->RangeMin)
            << " max=" << Shortest(a->RangeMax) << " step=" << Shortest(a->DrawnStep())
            << " fontheight=" << chart.Canvas().FontHeight() << " extent=" << a->LabelExtent()
            << " widest=" << a->WidestUsed() << " axispos=" << a->AxisPos
            << " labelspos=" << a->LabelsPos << "\n";
        for (const TAxisLabel& l : a->DrawnLabels())
            out << "label " << name << " value=" << Shortest(l.Value) << " pos=" << l.Pos
                << " text=" << QuoteText(l.Text).toStdString() << "\n";
    }
    for (const TChartSeries* s : chart.SeriesList())
        out << "series " << s->objectName().toStdString() << " count=" << s->Count()
            << " first=" << s->FirstVisibleIndex() << " last=" << s->LastVisibleIndex() << "\n";
}

void DragMouse(QWidget* w, int x0, int y0, int x1, int y1, bool right) {
    const Qt::MouseButton b = right ? Qt::RightButton : Qt::LeftButton;
    Send(w, QEvent::MouseButtonPress, {x0, y0}, b, b);
    // A few steps on the way, as a hand would move.
    constexpr int kSteps = 4;
    for (int i = 1; i <= kSteps; ++i)
        Send(w, QEvent::MouseMove, {x0 + (x1 - x0) * i / kSteps, y0 + (y1 - y0) * i / kSteps},
             Qt::NoButton, b);
    Send(w, QEvent::MouseButtonRelease, {x1, y1}, b, Qt::NoButton);
}
