#pragma once
#include "Change.h"
#include "TeCanvas.h"
#include "TeeProcs.h"

#include <QString>
#include <utility>
#include <vector>

class TChartAxis;

enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };

// What an axis needs to know of the series of its chart. The chart owns both
// the axes and the series, so it answers, and the axis knows no series.
class TAxisChart {
public:
    // The lowest or highest X or Y value of the active series on the axis.
    virtual double SeriesExtreme(const TChartAxis* axis, bool lowest, bool xValues) const = 0;
    // Whether the first active series on the axis keeps date-times there.
    virtual bool SeriesDateTime(const TChartAxis* axis) const = 0;
    // The widest point label of the active series on the axis.
    virtual int SeriesLabelWidth(const TChartAxis* axis) = 0;
    // The label style an automatic axis takes from its series.
    virtual TAxisLabelStyle SeriesLabelStyle(const TChartAxis* axis) const = 0;

protected:
    ~TAxisChart() = default;
};

// The pen of an axis line: black, two pixels wide.
class TChartAxisPen : public TChartPen {
public:
    TChartAxisPen() { Width = 2; }
};

class TChartAxisTitle : public TChartFontObject {
public:
    using TChartFontObject::TChartFontObject;
    int Angle() const { return FAngle; }
    // 0 to 360 (360 is kept as 0); otherwise ChartException.
    void SetAngle(int v);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);

private:
    int FAngle = 0;
    QString FCaption;
};

// The linear value-to-pixel rule of an axis with its figures taken once, so
// that a series of many points maps them without looking them up each time.
struct TAxisMapping {
    // How far outside its start a computed pixel may lie: far beyond any
    // plot, so segments leaving the plot still point the right way, and well
    // inside 32 bits, so no position wraps around into the plot.
    static constexpr double Reach = 65536.0;
    int Start = 0, End = 0, Size = 0, Centre = 0;
    double Min = 0.0, Span = 0.0;
    bool Inverted = false;

    int Map(double value) const {
        if (Span == 0) return Centre;
        double t = (value - Min) * Size / Span;
        if (t != t) return Centre;
        t = t < -Reach ? -Reach : (t > Reach ? Reach : t);
        // Nearest, halves to even, as nearbyint in the default rounding mode
        // (exact for |t| < 2^51, which the clamp ensures).
        constexpr double magic = 6755399441055744.0;
        const int n = static_cast<int>((t + magic) - magic);
        return Inverted ? End - n : Start + n;
    }
};

// One value label as it was drawn, kept until the next drawing.
struct TAxisLabel {
    double Value;
    int Pos;
    QString Text;
};

// The axis's plain settings, kept apart from its pens, fonts and links so that
// Assign copies them in one step and a new setting cannot be left out of it.
struct TChartAxisSettings {
    bool FAutomatic = true, FAutomaticMaximum = true, FAutomaticMinimum = true;
    QString FAxisValuesFormat = QStringLiteral("#,##0.###");
    QString FDateTimeFormat;
    bool FExactDateTime = true;
    bool FGridCentered = false;
    double FIncrement = 0.0;
    bool FInverted = false;
    bool FLabels = true;
    int FLabelsAngle = 0;
    bool FLabelsMultiLine = false;
    bool FLabelsOnAxis = true;
    int FLabelsSeparation = 10;
    int FLabelsSize = 0;
    TAxisLabelStyle FLabelStyle = talAuto;
    bool FLogarithmic = false;
    double FMaximum = 0.0, FMinimum = 0.0;
    int FMinorTickCount = 3;
    int FMinorTickLength = 2;
    bool FRoundFirstLabel = true;
    int FTickInnerLength = 0;
    int FTickLength = 4;
    bool FTickOnLabelsOnly = true;
    int FTitleSize = 0;
    bool FVisible = true;
};

// A value axis on one edge of the plot: maps values to pixels and back, finds
// its range from its series, chooses the label step, reserves its band and
// draws labels, ticks, grid lines and the axis line.
class TChartAxis : private TChartAxisSettings {
public:
    TChartAxis(TCustomTeePanel* panel, TAxisChart* chart, bool horizontal, bool otherSide,
               bool depth = false);
    TChartAxis(const TChartAxis&) = delete;
    TChartAxis& operator=(const TChartAxis&) = delete;
    // Copies every setting of another axis.
    void Assign(const TChartAxis& o);

    TCustomTeePanel* ParentChart() const { return FPanel; }
    bool IsHorizontal() const { return FHorizontal; }
    bool IsOtherSide() const { return FOtherSide; }
    bool IsDepth() const { return FDepth; }
    bool IsDateTimeAxis() const { return FIsDateTime; }

    // ---- range and mapping ----
    void RecalcRange();
    void RangeFromMargins(int left, int top, int right, int bottom);
    int ValueToPixel(double value) const;
    TAxisMapping Mapping(bool horizontal) const;
    int XValueToPixel(double value) const;
    int YValueToPixel(double value) const;
    double PixelToValue(int pixel) const;
    double AutoLabelStep();
    double LabelStep(int maxLabels) const;
    static double NextNiceStep(double step);
    QString ValueText(double value) const;
    int WidestLabel();
    TAxisLabelStyle EffectiveLabelStyle() const;
    TRect ReserveSpace(const TRect& rect);
    void DrawAxis(bool place);
    // Sets both ends at once (zoom, panning), so no order of the two
    // assignments can be refused; the axis stops being automatic.
    void SetMinMax(double lo, double hi);

    double RangeMin = 0.0, RangeMax = 0.0, RangeSpan = 0.0;
    int AxisPos = 0, LabelsPos = 0, TitlePos = 0;

    // What the last drawing used, for inspection.
    double DrawnStep() const { return FDrawnStep; }
    int LabelExtent() const { return FLabelExtent; }
    int WidestUsed() const { return FWidestUsed; }
    const std::vector<TAxisLabel>& DrawnLabels() const { return FDrawnLabels; }

    // ---- properties ----
    bool Automatic() const { return FAutomatic; }
    void SetAutomatic(bool v);
    bool AutomaticMaximum() const { return FAutomaticMaximum; }
    void SetAutomaticMaximum(bool v);
    bool AutomaticMinimum() const { return FAutomaticMinimum; }
    void SetAutomaticMinimum(bool v);
    TChartAxisPen Axis;
    QString AxisValuesFormat() const { return FAxisValuesFormat; }
    void SetAxisValuesFormat(const QString& v) { set(FAxisValuesFormat, v); }
    QString DateTimeFormat() const { return FDateTimeFormat; }
    void SetDateTimeFormat(const QString& v) { set(FDateTimeFormat, v); }
    bool ExactDateTime() const { return FExactDateTime; }
    void SetExactDateTime(bool v) { set(FExactDateTime, v); }
    TDottedGrayPen Grid;
    bool GridCentered() const { return FGridCentered; }
    void SetGridCentered(bool v) { set(FGridCentered, v); }
    double Increment() const { return FIncrement; }
    void SetIncrement(double v);
    bool Inverted() const { return FInverted; }
    void SetInverted(bool v) { set(FInverted, v); }
    bool Labels() const { return FLabels; }
    void SetLabels(bool v) { set(FLabels, v); }
    int LabelsAngle() const { return FLabelsAngle; }
    void SetLabelsAngle(int v);
    TFont& LabelsFont() { return FLabelsFont; }
    void SetLabelsFont(const TFont& f) { FLabelsFont.Assign(f); }
    bool LabelsMultiLine() const { return FLabelsMultiLine; }
    void SetLabelsMultiLine(bool v) { set(FLabelsMultiLine, v); }
    bool LabelsOnAxis() const { return FLabelsOnAxis; }
    void SetLabelsOnAxis(bool v) { set(FLabelsOnAxis, v); }
    int LabelsSeparation() const { return FLabelsSeparation; }
    void SetLabelsSeparation(int v);
    int LabelsSize() const { return FLabelsSize; }
    void SetLabelsSize(int v) { set(FLabelsSize, v); }
    TAxisLabelStyle LabelStyle() const { return FLabelStyle; }
    void SetLabelStyle(TAxisLabelStyle v) { set(FLabelStyle, v); }
    bool Logarithmic() const { return FLogarithmic; }
    void SetLogarithmic(bool v);
    double Maximum() const { return FMaximum; }
    void SetMaximum(double v);
    double Minimum() const { return FMinimum; }
    void SetMinimum(double v);
    int MinorTickCount() const { return FMinorTickCount; }
    void SetMinorTickCount(int v) { set(FMinorTickCount, v); }
    int MinorTickLength() const { return FMinorTickLength; }
    void SetMinorTickLength(int v) { set(FMinorTickLength, v); }
    TDarkGrayPen MinorTicks;
    bool RoundFirstLabel() const { return FRoundFirstLabel; }
    void SetRoundFirstLabel(bool v) { set(FRoundFirstLabel, v); }
    int TickInnerLength() const { return FTickInnerLength; }
    void SetTickInnerLength(int v) { set(FTickInnerLength, v); }
    int TickLength() const { return FTickLength; }
    void SetTickLength(int v) { set(FTickLength, v); }
    bool TickOnLabelsOnly() const { return FTickOnLabelsOnly; }
    void SetTickOnLabelsOnly(bool v) { set(FTickOnLabelsOnly, v); }
    TDarkGrayPen Ticks;
    TDarkGrayPen TicksInner;
    TChartAxisTitle Title;
    int TitleSize() const { return FTitleSize; }
    void SetTitleSize(int v) { set(FTitleSize, v); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { set(FVisible, v); }

private:
    template <class T> void set(T& field, const T& v) {
        if (Change(field, v)) changed();
    }
    void changed();
    void computeDateTime();
    int labelExtentOf(double value);
    // Steps of DrawAxis.
    void drawValueLabels(double step);
    void drawOneLabel(double value);
    void drawTicksAndGrid(int pos, double value);
    void drawTick(int pos, int offset, int length);
    void drawGridLine(int pos);
    void drawAxisLine();
    void drawLabelText(int x, int y, const QString& text, int angle);
    void drawTitle();
    int mapValue(double value, bool horizontal) const;
    QString numberText(double value) const;

    TCustomTeePanel* FPanel;
    TAxisChart* FChart;
    bool FHorizontal, FOtherSide, FDepth;
    bool FIsDateTime = false;

    TFont FLabelsFont;

    // Drawing memory of one DrawAxis.
    int FPrevTickPos = -1;
    int FLastLabelPos = -1;
    double FDrawnStep = 0.0;
    int FLabelExtent = 0;
    int FWidestUsed = 0;
    std::vector<TAxisLabel> FDrawnLabels;
    // Number texts made by earlier drawings, for the format they were made
    // in: the same labels come back paint after paint.
    mutable std::vector<std::pair<double, QString>> FNumberTexts;
    mutable QString FNumberTextsFormat;
};

// The depth axis of a 3D view; never drawn in this program's 2D chart.
class TChartDepthAxis : public TChartAxis {
public:
    TChartDepthAxis(TCustomTeePanel* panel, TAxisChart* chart);
};

// "#,##0.###"-style number text with the locale's separators.
QString FormatAxisNumber(double value, const QString& format);
