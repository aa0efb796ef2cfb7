#pragma once
#include "Canvas.h"
#include "TeEngine.h"

// The chart line: all points of the series joined by one polyline in a
// single pen, no point symbols.
class TFastLineSeries : public TChartSeries {
    Q_OBJECT
  public:
    explicit TFastLineSeries(QObject* owner = nullptr);

    // True: adding a point invalidates the chart. False: the new segment is
    // drawn at once instead, with no event, no dependents and no invalidation.
    bool AutoRepaint() const { return FAutoRepaint; }
    void SetAutoRepaint(bool v) { FAutoRepaint = v; }

    const TPen& LinePen() const { return FLinePen; }
    // Copies the pen, then takes its colour as the series colour.
    void SetLinePen(const TPen& pen);
    void SetLinePenColor(TColor c);
    void SetLinePenWidth(int w);
    void SetLinePenStyle(TPenStyle s);

    void PointAdded(int index) override;
    // Also recolours the line pen.
    void SetSeriesColor(TColor c) override;

    int LastDrawnX() const { return FLastDrawnX; }
    int LastDrawnY() const { return FLastDrawnY; }

  protected:
    // Drawing the newest segment straight onto the chart canvas (the path
    // taken when AutoRepaint is off).
    virtual void DrawNewSegment(int /*index*/) {}

    int FLastDrawnX = 0;
    int FLastDrawnY = 0;

  private:
    bool FAutoRepaint = true;
    TPen FLinePen;
};
