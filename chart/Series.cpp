#include "Series.h"

TFastLineSeries::TFastLineSeries(QObject* owner) : TChartSeries(owner) {
    FKeepPointPastEdge = true;
}

void TFastLineSeries::SetLinePen(const TPen& pen) {
    const bool changed =
        pen.Color != FLinePen.Color || pen.Width != FLinePen.Width || pen.Style != FLinePen.Style;
    FLinePen = pen;
    if (changed) CanvasChanged();
    SetSeriesColor(FLinePen.Color);
}

void TFastLineSeries::SetLinePenColor(TColor c) {
    if (c == FLinePen.Color) return;
    FLinePen.Color = c;
    CanvasChanged();
}

void TFastLineSeries::SetLinePenWidth(int w) {
    if (w == FLinePen.Width) return;
    FLinePen.Width = w;
    CanvasChanged();
}

void TFastLineSeries::SetLinePenStyle(TPenStyle s) {
    if (s == FLinePen.Style) return;
    FLinePen.Style = s;
    CanvasChanged();
}

void TFastLineSeries::PointAdded(int index) {
    if (FAutoRepaint) {
        TChartSeries::PointAdded(index);
        return;
    }
    // No event, no dependents, no invalidation: only the new segment.
    DrawNewSegment(index);
}

void TFastLineSeries::SetSeriesColor(TColor c) {
    TChartSeries::SetSeriesColor(c);
    SetLinePenColor(c);
}
