#pragma once
#include "Change.h"
#include "ChartException.h"
#include "Events.h"
#include "ExtremesIndex.h"
#include "TColor.h"
#include "TeCanvas.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class TCustomAxisPanel;
class TChartAxis;
class TChartSeries;

// Colours with a meaning of their own inside the chart (AutoColor lives in the
// canvas unit, where pens need it too).
// The "no colour" of a null point; the same value as the toolkit's clNone.
constexpr TColor NullPointColor = clNone;
// A point colour given as the toolkit's clDefault is kept as AutoColor.
constexpr TColor DefaultPointColor = clDefault;

// The chart's default colour palette, used for series and points whose colour
// is AutoColor. Index wraps around the palette.
TColor ChartPaletteColor(int index);
int ChartPaletteSize();

enum TChartListOrder { loNone, loAscending, loDescending };
enum THorizAxis { aTopAxis, aBottomAxis };
enum TVertAxis { aLeftAxis, aRightAxis };

// What a series asks of the chart it is in; the axis panel answers, so the
// series needs no more of the panel than this.
class TSeriesChart {
public:
    // The chart itself, as the series' ParentChart.
    virtual TCustomAxisPanel* SeriesParent() = 0;
    virtual void AddSeries(TChartSeries* series) = 0;
    virtual void RemoveSeries(TChartSeries* series) = 0;
    virtual bool Destroying() const = 0;
    // A series' data or looks changed: the chart is to be drawn anew.
    virtual void SeriesChanged() = 0;
    virtual TChartAxis* SeriesAxis(THorizAxis side) = 0;
    virtual TChartAxis* SeriesAxis(TVertAxis side) = 0;

protected:
    ~TSeriesChart() = default;
};

// One column of a series' points (X or Y): raw values plus the running
// statistics the axes take their automatic range from.
class TChartValueList {
public:
    TChartValueList(TChartSeries* owner, const QString& name);
    TChartValueList(const TChartValueList&) = delete;
    TChartValueList& operator=(const TChartValueList&) = delete;

    int Count() const { return static_cast<int>(FValues.size()); }
    // Scaled value (raw value times Multiplier).
    double Value(int i) const { return FValues[static_cast<size_t>(i)] * FMultiplier; }
    double RawValue(int i) const { return FValues[static_cast<size_t>(i)]; }
    double LastValue() const { return Value(Count() - 1); }

    // Stores v where Order puts it and returns that index.
    int AddOrdered(double v);
    // Stores v at i; later values move up.
    void InsertAt(int i, double v);
    void DeleteAt(int i);
    // First index whose scaled value equals v exactly, else -1.
    int IndexOfValue(double v) const;
    // Empties the list, gives back its storage and zeroes the statistics.
    void Clear();
    void RecalcExtremes();

    double LowestValue() const { return FLowest; }
    double HighestValue() const { return FHighest; }
    double Sum() const { return FSum; }
    double AbsSum() const { return FAbsSum; }
    // Storage capacity, so that tests can see Clear give memory back.
    size_t Capacity() const { return FValues.capacity(); }

    // Whether RawExtremes may be asked: every raw value is finite.
    bool AllFinite() const { return FIndex.NonFinite() == 0; }
    // Every raw value finite and none below the one before it: positions
    // can be found by halving.
    bool Sorted() const { return AllFinite() && FIndex.Ascending(); }
    // Lowest and highest raw value of points first..last (both included).
    TExtremesIndex::Range RawExtremes(int first, int last) const {
        return FIndex.Query(FValues, static_cast<size_t>(first), static_cast<size_t>(last));
    }
    const TExtremesIndex& Index() const { return FIndex; }

    // Value of the point being added, written before anything is stored.
    double PendingValue = 0.0;

    bool DateTime() const { return FDateTime; }
    void SetDateTime(bool v);
    QString Name() const { return FName; }
    void SetName(const QString& v) { FName = v; }
    double Multiplier() const { return FMultiplier; }
    void SetMultiplier(double v);
    TChartListOrder Order() const { return FOrder; }
    void SetOrder(TChartListOrder v) { FOrder = v; }
    QString ValueSource() const { return FValueSource; }
    void SetValueSource(const QString& v);

    TChartSeries* Owner() const { return FOwner; }

private:
    void AddStatistics(double raw);
    void RemoveStatistics(double raw);
    void indexInsert(int i);

    TChartSeries* FOwner;
    std::vector<double> FValues;
    // Kept with every change of FValues: drawing asks it for the extremes
    // of the points that fall in one pixel column.
    TExtremesIndex FIndex;
    double FLowest = 0.0;
    double FHighest = 0.0;
    double FSum = 0.0;
    double FAbsSum = 0.0;
    bool FDateTime = false;
    QString FName;
    double FMultiplier = 1.0;
    TChartListOrder FOrder = loNone;
    QString FValueSource;
};

// Point marks. The window's layout hides them; only the per-point custom
// positions take part in adding, deleting and clearing points.
class TSeriesMarks {
public:
    bool Visible = true;
    int ArrowLength = 8;
    // Custom positions by point index; absent entries have none.
    std::vector<std::optional<QPoint>> Positions;

    void ClearPositions() { Positions.clear(); }
    void DeletePosition(int i) {
        if (i >= 0 && i < static_cast<int>(Positions.size()))
            Positions.erase(Positions.begin() + i);
    }
};

// A series of points: parallel X and Y value lists plus one colour and one
// label per point. Changes only invalidate the parent chart; the chart draws
// every series anew on its next paint.
class TChartSeries : public QObject {
    Q_OBJECT
public:
    // What a dependent series is told (no series of this program has any).
    enum TSeriesEvent { seClear, seAdd, seDelete, seDataChanged, seValueModified };

    explicit TChartSeries(QObject* owner = nullptr);
    ~TChartSeries() override;

    TChartValueList& XValues() { return FXValues; }
    TChartValueList& YValues() { return FYValues; }
    const TChartValueList& XValues() const { return FXValues; }
    const TChartValueList& YValues() const { return FYValues; }
    // Every value list of the series, X first, then Y.
    const std::vector<TChartValueList*>& ValuesLists() const { return FValuesList; }

    // ---- virtual operations, in the order the chart machinery knows them ----
    // True if the axis is horizontal and is this series' horizontal axis, or
    // if it is its vertical axis.
    virtual bool UsesAxis(const TChartAxis* axis) const;
    // Empties every per-point list (the first part of ClearValues).
    virtual void ClearLists();
    virtual void DoAfterDrawValues();
    virtual void DoBeforeDrawChart() {}
    virtual void DoBeforeDrawValues();
    virtual void DrawAllPoints();
    virtual void DrawPoint(int /*index*/) {}
    virtual TColor PointColor(int index) const;
    // Empty when the index is past the labels or the label is no text.
    virtual QString PointLabel(int index) const;
    virtual double XValue(int index) const { return FXValues.Value(index); }
    virtual double YValue(int index) const { return FYValues.Value(index); }
    virtual void PointAdded(int index);
    virtual void SetActive(bool v) { set(FActive, v); }
    virtual void SetColorEachPoint(bool v) { set(FColorEachPoint, v); }
    virtual void SetParentChart(TCustomAxisPanel* chart);
    virtual void SetSeriesColor(TColor c) { set(FSeriesColor, c); }
    virtual int AddValue(double y, const QString& label, TColor color);
    virtual int AddNullValue(const QString& label);
    virtual int AddPoint(double x, double y, const QString& label, TColor color);
    virtual void ClearValues();
    virtual int Count() const { return FXValues.Count(); }
    virtual void DeleteValue(int index);
    virtual double MaxXValue() const { return FXValues.HighestValue(); }
    virtual double MaxYValue() const { return FYValues.HighestValue(); }
    virtual double MaxZValue() const { return 0.0; } // depth order; 0 in 2D
    virtual double MinXValue() const { return FXValues.LowestValue(); }
    virtual double MinYValue() const { return FYValues.LowestValue(); }
    virtual double MinZValue() const { return 0.0; }
    // Screen position of a point in the parent chart (0 without a chart).
    virtual int PointX(int index) const;
    virtual int PointY(int index) const;
    virtual TChartValueList& PrincipalValues() { return FYValues; }
    virtual const TChartValueList& PrincipalValues() const { return FYValues; }
    virtual bool DrawValuesForward() const { return true; }
    virtual void DrawLegendShape(TTeeCanvas3D& /*canvas*/, const TRect& /*rect*/) {}
    virtual void CalcHorizMargins(int& left, int& right) const { left = right = 0; }
    virtual void CalcVerticalMargins(int& top, int& bottom) const { top = bottom = 0; }
    virtual bool UseAxis() const { return true; }
    // Called by the series' pens and fonts when they change.
    virtual void CanvasChanged() { RequestRepaint(); }

    // ---- other operations ----
    bool IsVerticalSeries() const { return &PrincipalValues() == &FYValues; }
    // The chart axes this series is scaled by; none without a chart.
    TChartAxis* HorizontalAxis() const;
    TChartAxis* VerticalAxis() const;
    // Invalidates the parent chart, if any.
    void RequestRepaint();
    // Whether point i carries a label text (an empty label is stored as none).
    bool HasPointLabel(int index) const;
    // Sets FirstVisibleIndex and LastVisibleIndex from the horizontal axis.
    virtual void CalcVisibleRange();
    int FirstVisibleIndex() const { return FFirstVisibleIndex; }
    int LastVisibleIndex() const { return FLastVisibleIndex; }
    // Looks at the series' data source again; there never is one here.
    void CheckDataSource() {}

    // ---- properties ----
    bool Active() const { return FActive; }
    TColor SeriesColor() const { return FSeriesColor; }
    bool ColorEachPoint() const { return FColorEachPoint; }
    QString Title() const { return FTitle; }
    void SetTitle(const QString& v) { FTitle = v; }
    THorizAxis HorizAxis() const { return FHorizAxis; }
    void SetHorizAxis(THorizAxis v) { set(FHorizAxis, v); }
    TVertAxis VertAxis() const { return FVertAxis; }
    void SetVertAxis(TVertAxis v) { set(FVertAxis, v); }
    TCustomAxisPanel* ParentChart() const;
    QString ColorSource() const { return FColorSource; }
    void SetColorSource(const QString& v) { FColorSource = v; }
    QString XLabelsSource() const { return FXLabelsSource; }
    void SetXLabelsSource(const QString& v) { FXLabelsSource = v; }
    int Cursor() const { return FCursor; }
    void SetCursor(int v) { FCursor = v; }
    QString PercentFormat() const { return FPercentFormat; }
    void SetPercentFormat(const QString& v) { set(FPercentFormat, v); }
    QString ValueFormat() const { return FValueFormat; }
    void SetValueFormat(const QString& v) { set(FValueFormat, v); }
    bool ShowInLegend() const { return FShowInLegend; }
    void SetShowInLegend(bool v) { set(FShowInLegend, v); }
    QObject* DataSource() const { return FDataSource; }

    TSeriesMarks Marks;

    // ---- events ----
    // Returning false refuses the point being added.
    std::function<bool(TChartSeries*)> OnBeforeAdd;
    std::function<void(TChartSeries*, int)> OnAfterAdd;
    std::function<void(TChartSeries*)> OnClearValues;
    TNotifyEvent BeforeDrawValues;
    TNotifyEvent AfterDrawValues;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    std::function<void(TChartSeries*, int, QString&)> OnGetMarkText;

    // Tells the series that take this one as their data source; none here.
    void NotifyDependents(TSeriesEvent /*event*/, int /*index*/) {}

protected:
    // Drops the links to the series this one takes data from; none here.
    void RemoveSourceLinks() {}

    int FFirstVisibleIndex = -1;
    int FLastVisibleIndex = -1;
    // Visible range keeps the first point past the right edge (line series).
    bool FKeepPointPastEdge = false;

private:
    // Stores a property; only a real change notifies.
    template <class T, class U> void set(T& field, U&& v) {
        if (Change(field, std::forward<U>(v))) RequestRepaint();
    }
    friend class TCustomAxisPanel;

    TChartValueList FXValues;
    TChartValueList FYValues;
    std::vector<TChartValueList*> FValuesList;
    std::vector<TColor> FPointColors;
    std::vector<std::optional<QString>> FPointLabels;
    // The chart, and a guard that forgets it should the chart go first.
    TSeriesChart* chart() const { return FParentGuard ? FParentChart : nullptr; }
    TSeriesChart* FParentChart = nullptr;
    QPointer<QObject> FParentGuard;

    bool FActive = true;
    bool FColorEachPoint = false;
    TColor FSeriesColor = AutoColor;
    QString FTitle;
    THorizAxis FHorizAxis = aBottomAxis;
    TVertAxis FVertAxis = aLeftAxis;
    QString FColorSource;
    QString FXLabelsSource;
    int FCursor = 0;
    QString FPercentFormat = QStringLiteral("##0.## %");
    QString FValueFormat = QStringLiteral("#,##0.###");
    bool FShowInLegend = true;
    QObject* FDataSource = nullptr;
};
