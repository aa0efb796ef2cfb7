#include "TeEngine.h"

#include "ChartAxis.h"

#include <array>
#include <cmath>

namespace {
// Automatic colours, chosen to stay apart from one another on both light and
// dark backgrounds.
constexpr std::array<TColor, 16> kPalette = {
    clRed,    clGreen, clBlue, clFuchsia, clTeal, clOlive,  clNavy,  clMaroon,
    clPurple, clLime,  clAqua, clYellow,  clGray, clSilver, clBlack, clWhite,
};
} // namespace

TColor ChartPaletteColor(int index) {
    const int n = static_cast<int>(kPalette.size());
    const int i = ((index % n) + n) % n;
    return kPalette[static_cast<size_t>(i)];
}

int ChartPaletteSize() {
    return static_cast<int>(kPalette.size());
}

// ---------------------------------------------------------------- value list

TChartValueList::TChartValueList(TChartSeries* owner, const QString& name)
    : FOwner(owner), FName(name) {}

void TChartValueList::AddStatistics(double raw) {
    const double s = raw * FMultiplier;
    FSum += s;
    FAbsSum += std::fabs(s);
    if (Count() == 1) {
        FLowest = s;
        FHighest = s;
    } else {
        if (s < FLowest) FLowest = s;
        if (s > FHighest) FHighest = s;
    }
}

void TChartValueList::RemoveStatistics(double raw) {
    const double s = raw * FMultiplier;
    FSum -= s;
    FAbsSum -= std::fabs(s);
    RecalcExtremes();
}

int TChartValueList::AddOrdered(double v) {
    int index;
    const int n = Count();
    if (FOrder == loNone || n == 0) {
        index = n;
    } else if (FOrder == loAscending) {
        if (FValues.back() <= v) {
            index = n;
        } else {
            // Equal values stay in front of v: stop at the first one <= v.
            int t = n - 1;
            while (t >= 0 && FValues[static_cast<size_t>(t)] > v)
                --t;
            index = t + 1;
        }
    } else {
        if (FValues.back() >= v) {
            index = n;
        } else {
            int t = n - 1;
            while (t >= 0 && FValues[static_cast<size_t>(t)] < v)
                --t;
            index = t + 1;
        }
    }
    FValues.insert(FValues.begin() + index, v);
    indexInsert(index);
    AddStatistics(v);
    return index;
}

void TChartValueList::InsertAt(int i, double v) {
    FValues.insert(FValues.begin() + i, v);
    indexInsert(i);
    AddStatistics(v);
}

void TChartValueList::indexInsert(int i) {
    // Laps only ever append; a value placed among others moves every value
    // after it anyway.
    if (i == Count() - 1)
        FIndex.Append(FValues);
    else
        FIndex.Rebuild(FValues);
}

void TChartValueList::DeleteAt(int i) {
    const double raw = FValues[static_cast<size_t>(i)];
    FValues.erase(FValues.begin() + i);
    FIndex.Rebuild(FValues);
    RemoveStatistics(raw);
}

int TChartValueList::IndexOfValue(double v) const {
    for (int i = 0; i < Count(); ++i)
        if (Value(i) == v) return i;
    return -1;
}

void TChartValueList::Clear() {
    std::vector<double>().swap(FValues);
    FIndex.Clear();
    FLowest = 0.0;
    FHighest = 0.0;
    FSum = 0.0;
    FAbsSum = 0.0;
}

void TChartValueList::RecalcExtremes() {
    FLowest = 0.0;
    FHighest = 0.0;
    for (int i = 0; i < Count(); ++i) {
        const double s = Value(i);
        if (i == 0) {
            FLowest = s;
            FHighest = s;
        } else if (s < FLowest) {
            FLowest = s;
        } else if (s > FHighest) {
            FHighest = s;
        }
    }
}

void TChartValueList::SetDateTime(bool v) {
    if (v == FDateTime) return;
    FDateTime = v;
    if (FOwner) FOwner->RequestRepaint();
}

void TChartValueList::SetMultiplier(double v) {
    if (v == FMultiplier) return;
    FMultiplier = v;
    // The sums keep what they had; only the extremes are taken anew.
    RecalcExtremes();
    if (FOwner) {
        FOwner->NotifyDependents(TChartSeries::seDataChanged, -1);
        FOwner->RequestRepaint();
    }
}

void TChartValueList::SetValueSource(const QString& v) {
    if (v == FValueSource) return;
    FValueSource = v;
    if (FOwner) FOwner->CheckDataSource();
}

// -------------------------------------------------------------------- series

TChartSeries::TChartSeries(QObject* owner)
    : QObject(owner), FXValues(this, QStringLiteral("X")), FYValues(this, QStringLiteral("Y")) {
    FXValues.SetOrder(loAscending);
    FValuesList = {&FXValues, &FYValues};
}

TChartSeries::~TChartSeries() {
    RemoveSourceLinks();
    // Clearing invalidates the chart unless the chart itself is going away.
    TChartSeries::ClearValues();
    if (TSeriesChart* c = chart()) c->RemoveSeries(this);
}

bool TChartSeries::UsesAxis(const TChartAxis* axis) const {
    if (!axis) return false;
    return (axis->IsHorizontal() && axis == HorizontalAxis()) || axis == VerticalAxis();
}

void TChartSeries::ClearLists() {
    for (TChartValueList* list : FValuesList)
        list->Clear();
    std::vector<TColor>().swap(FPointColors);
    std::vector<std::optional<QString>>().swap(FPointLabels);
    Marks.ClearPositions();
}

void TChartSeries::DoAfterDrawValues() {
    CallEvent(AfterDrawValues, this);
}

void TChartSeries::DoBeforeDrawValues() {
    CallEvent(BeforeDrawValues, this);
}

void TChartSeries::DrawAllPoints() {
    if (FFirstVisibleIndex < 0) return;
    for (int i = FFirstVisibleIndex; i <= FLastVisibleIndex; ++i)
        DrawPoint(i);
}

TColor TChartSeries::PointColor(int index) const {
    if (index < 0 || index >= static_cast<int>(FPointColors.size())) return FSeriesColor;
    const TColor c = FPointColors[static_cast<size_t>(index)];
    if (c != AutoColor) return c;
    return FColorEachPoint ? ChartPaletteColor(index) : FSeriesColor;
}

QString TChartSeries::PointLabel(int index) const {
    if (!HasPointLabel(index)) return QString();
    return *FPointLabels[static_cast<size_t>(index)];
}

bool TChartSeries::HasPointLabel(int index) const {
    return index >= 0 && index < static_cast<int>(FPointLabels.size()) &&
           FPointLabels[static_cast<size_t>(index)].has_value();
}

void TChartSeries::PointAdded(int index) {
    if (OnAfterAdd) OnAfterAdd(this, index);
    NotifyDependents(seAdd, index);
    if (FActive) RequestRepaint();
}

int TChartSeries::AddValue(double y, const QString& label, TColor color) {
    // The new point's position along the series is the count before it.
    const double n = static_cast<double>(Count());
    if (IsVerticalSeries()) return AddPoint(n, y, label, color);
    return AddPoint(y, n, label, color);
}

int TChartSeries::AddNullValue(const QString& label) {
    return AddValue(0.0, label, NullPointColor);
}

int TChartSeries::AddPoint(double x, double y, const QString& label, TColor color) {
    FXValues.PendingValue = x;
    FYValues.PendingValue = y;
    if (OnBeforeAdd && !OnBeforeAdd(this)) return -1;
    // Only X is placed by its order; every other column follows X's index.
    const int i = FXValues.AddOrdered(FXValues.PendingValue);
    FYValues.InsertAt(i, FYValues.PendingValue);
    const TColor c = color == DefaultPointColor ? AutoColor : color;
    FPointColors.insert(FPointColors.begin() + i, c);
    FPointLabels.insert(FPointLabels.begin() + i,
                        label.isEmpty() ? std::nullopt : std::optional<QString>(label));
    PointAdded(i);
    return i;
}

void TChartSeries::ClearValues() {
    ClearLists();
    if (OnClearValues) OnClearValues(this);
    NotifyDependents(seClear, -1);
    TSeriesChart* c = chart();
    if (c && !c->Destroying()) c->SeriesChanged();
}

void TChartSeries::DeleteValue(int index) {
    for (TChartValueList* list : FValuesList)
        list->DeleteAt(index);
    if (index < static_cast<int>(FPointColors.size()))
        FPointColors.erase(FPointColors.begin() + index);
    if (index < static_cast<int>(FPointLabels.size()))
        FPointLabels.erase(FPointLabels.begin() + index);
    Marks.DeletePosition(index);
    NotifyDependents(seDelete, index);
    RequestRepaint();
}

int TChartSeries::PointX(int index) const {
    const TChartAxis* axis = HorizontalAxis();
    return axis ? axis->XValueToPixel(FXValues.Value(index)) : 0;
}

int TChartSeries::PointY(int index) const {
    const TChartAxis* axis = VerticalAxis();
    return axis ? axis->YValueToPixel(FYValues.Value(index)) : 0;
}

void TChartSeries::CalcVisibleRange() {
    FFirstVisibleIndex = -1;
    FLastVisibleIndex = -1;
    const int n = Count();
    if (n == 0) return;
    const int last = n - 1;
    const bool vertical = IsVerticalSeries();
    const TChartValueList& along = vertical ? FXValues : FYValues;
    const TChartAxis* axis = vertical ? HorizontalAxis() : VerticalAxis();
    if (along.Order() == loNone || !axis) {
        FFirstVisibleIndex = 0;
        FLastVisibleIndex = last;
        return;
    }
    const TRect& r = axis->ParentChart()->PlotRect;
    const int a = vertical ? r.Left : r.Bottom;
    const int b = vertical ? r.Right : r.Top;
    const double lo = axis->PixelToValue(axis->Inverted() ? b : a);
    const double hi = axis->PixelToValue(axis->Inverted() ? a : b);
    // The first index from k on whose value is not below v; sorted values
    // (scaled by a positive multiplier) by halving, any others by walking.
    const bool halve =
        along.Sorted() && along.Multiplier() > 0 && std::isfinite(along.Multiplier());
    auto notBelow = [&](int k, double v) {
        if (halve) {
            int out = n;
            while (k < out) {
                const int mid = k + (out - k) / 2;
                if (along.Value(mid) < v)
                    k = mid + 1;
                else
                    out = mid;
            }
            return k;
        }
        while (k < n && along.Value(k) < v)
            ++k;
        return k;
    };
    const int first = notBelow(0, lo);
    if (first == n) return;
    FFirstVisibleIndex = first;
    if (along.LastValue() > hi) {
        int i = notBelow(first, hi);
        if (i == n) {
            i = last;
        } else if (!FKeepPointPastEdge && along.Value(i) > hi) {
            --i;
        }
        FLastVisibleIndex = i;
    } else {
        FLastVisibleIndex = last;
    }
}

TChartAxis* TChartSeries::HorizontalAxis() const {
    TSeriesChart* c = chart();
    return c ? c->SeriesAxis(FHorizAxis) : nullptr;
}

TChartAxis* TChartSeries::VerticalAxis() const {
    TSeriesChart* c = chart();
    return c ? c->SeriesAxis(FVertAxis) : nullptr;
}

TCustomAxisPanel* TChartSeries::ParentChart() const {
    TSeriesChart* c = chart();
    return c ? c->SeriesParent() : nullptr;
}

void TChartSeries::RequestRepaint() {
    if (TSeriesChart* c = chart()) c->SeriesChanged();
}
