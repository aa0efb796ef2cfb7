#pragma once
#include "TeCanvas.h"
#include "TeEngine.h"

// The chart line: all points of the series joined by one polyline in a
// single pen, no point symbols; a point on the pixel the line already
// reached adds nothing.
class TFastLineSeries : public TChartSeries {
    Q_OBJECT
public:
    explicit TFastLineSeries(QObject* owner = nullptr);
    ~TFastLineSeries() override;

    // True: adding a point invalidates the chart. False: the new segment is
    // drawn at once instead, with no event, no dependents and no invalidation.
    bool AutoRepaint() const { return FAutoRepaint; }
    void SetAutoRepaint(bool v) { FAutoRepaint = v; }

    const TChartPen& LinePen() const { return FLinePen; }
    // Copies the pen (Visible included), then takes its colour as the series
    // colour.
    void SetLinePen(const TChartPen& pen);
    void SetLinePenColor(TColor c) { FLinePen.SetColor(c); }
    void SetLinePenWidth(int w) { FLinePen.SetWidth(w); }
    void SetLinePenStyle(TPenStyle s) { FLinePen.SetStyle(s); }

    void DrawAllPoints() override;
    void DrawPoint(int index) override;
    void PointAdded(int index) override;
    // Also recolours the line pen.
    void SetSeriesColor(TColor c) override;
    void DrawLegendShape(TTeeCanvas3D& canvas, const TRect& rect) override;
    // Canvas pen from LinePen in the series colour; brush clear.
    void PrepareLinePen();
    void Assign(const TFastLineSeries& o);

    int LastDrawnX() const { return FLastDrawnX; }
    int LastDrawnY() const { return FLastDrawnY; }
    // Whether DrawAllPoints may write the pixels of a thin solid line straight
    // into the chart's image, column by column, instead of point by point.
    // Both draw the same pixels; the switch lets that be compared.
    static void SetDirectDrawing(bool v);

protected:
    int FLastDrawnX = 0;
    int FLastDrawnY = 0;

private:
    bool drawDirect();

    bool FAutoRepaint = true;
    TChartPen FLinePen;
};
