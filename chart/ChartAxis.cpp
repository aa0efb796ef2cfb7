#include "ChartAxis.h"

#include "ChartException.h"
#include "Messages.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// The smallest label step; also the step of an empty or flat range.
constexpr double kMinStep = 1e-12;
// Label quotients at or beyond this suppress the labels.
constexpr double kMaxQuotient = 2147483647.0;
constexpr double kMaxLabels = 10000.0;

int Nearest(double v) {
    return static_cast<int>(std::nearbyint(v));
}
bool Upright(int angle) {
    return angle == 0 || angle == 180;
}
} // namespace

QString FormatAxisNumber(double value, const QString& format) {
    if (!std::isfinite(value)) return QString::number(value);
    const int point = static_cast<int>(format.indexOf(u'.'));
    const QString intPart = point < 0 ? format : format.left(point);
    const QString fracPart = point < 0 ? QString() : format.mid(point + 1);
    const bool grouping = intPart.contains(u',');
    const int minInt = static_cast<int>(intPart.count(u'0'));
    const int minFrac = static_cast<int>(fracPart.count(u'0'));
    const int maxFrac = minFrac + static_cast<int>(fracPart.count(u'#'));
    const QLocale locale = QLocale::system();
    QString digits = QString::number(std::fabs(value), 'f', maxFrac);
    QString whole = digits, frac;
    if (const qsizetype dot = digits.indexOf(u'.'); dot >= 0) {
        whole = digits.left(dot);
        frac = digits.mid(dot + 1);
    }
    while (frac.size() > minFrac && frac.endsWith(u'0'))
        frac.chop(1);
    if (whole == u"0" && minInt == 0) whole.clear();
    while (whole.size() < minInt)
        whole.prepend(u'0');
    if (grouping) {
        const QString sep = locale.groupSeparator();
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, sep);
    }
    QString text = whole;
    if (!frac.isEmpty()) text += locale.decimalPoint() + frac;
    const bool zero =
        std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == u'0' || c == u'.'; });
    if (value < 0 && !zero) text.prepend(locale.negativeSign());
    return text;
}

// ------------------------------------------------------------------ title

void TChartAxisTitle::SetAngle(int v) {
    if (v == FAngle) return;
    if (v < 0 || v > 360)
        throw ChartException(Msg::AngleRange().arg(Msg::AxisTitleName()),
                             Msg::En::AngleRange().arg(Msg::En::AxisTitleName()));
    if (v == 360) v = 0;
    FAngle = v;
    if (FPanel) FPanel->ChartChanged();
}

void TChartAxisTitle::SetCaption(const QString& v) {
    if (v == FCaption) return;
    FCaption = v;
    if (FPanel) FPanel->ChartChanged();
}

// ------------------------------------------------------------------ axis

TChartAxis::TChartAxis(TCustomTeePanel* panel, TAxisChart* chart, bool horizontal, bool otherSide,
                       bool depth)
    : Title(panel), FPanel(panel), FChart(chart), FHorizontal(horizontal), FOtherSide(otherSide),
      FDepth(depth), FLabelsFont(DefaultChartFont()) {
    auto repaint = [this] { changed(); };
    for (TChartPen* p : {static_cast<TChartPen*>(&Axis), static_cast<TChartPen*>(&Grid),
                         static_cast<TChartPen*>(&MinorTicks), static_cast<TChartPen*>(&Ticks),
                         static_cast<TChartPen*>(&TicksInner)})
        p->OnChange = repaint;
    FLabelsFont.OnChange = repaint;
}

TChartDepthAxis::TChartDepthAxis(TCustomTeePanel* panel, TAxisChart* chart)
    : TChartAxis(panel, chart, false, true, true) {
    SetVisible(false);
}

void TChartAxis::changed() {
    if (FPanel) FPanel->Invalidate();
}

void TChartAxis::Assign(const TChartAxis& o) {
    static_cast<TChartAxisSettings&>(*this) = o;
    Axis.Assign(o.Axis);
    Grid.Assign(o.Grid);
    FLabelsFont.Assign(o.FLabelsFont);
    MinorTicks.Assign(o.MinorTicks);
    Ticks.Assign(o.Ticks);
    TicksInner.Assign(o.TicksInner);
    Title.Assign(o.Title);
    Title.SetAngle(o.Title.Angle());
    Title.SetCaption(o.Title.Caption());
    changed();
}

// ---- property checks

void TChartAxis::SetAutomatic(bool v) {
    FAutomaticMinimum = v;
    FAutomaticMaximum = v;
    set(FAutomatic, v);
}

void TChartAxis::SetAutomaticMaximum(bool v) {
    if (!v) FAutomatic = false;
    set(FAutomaticMaximum, v);
}

void TChartAxis::SetAutomaticMinimum(bool v) {
    if (!v) FAutomatic = false;
    set(FAutomaticMinimum, v);
}

void TChartAxis::SetIncrement(double v) {
    if (v < 0) throw AxisException(Msg::IncrementRange(), Msg::En::IncrementRange());
    set(FIncrement, v);
}

void TChartAxis::SetMinimum(double v) {
    if (v > FMaximum) throw AxisException(Msg::MinimumRange(), Msg::En::MinimumRange());
    set(FMinimum, v);
}

void TChartAxis::SetMaximum(double v) {
    if (v < FMinimum) throw AxisException(Msg::MaximumRange(), Msg::En::MaximumRange());
    set(FMaximum, v);
}

void TChartAxis::SetMinMax(double lo, double hi) {
    if (hi < lo) std::swap(lo, hi);
    FAutomatic = FAutomaticMinimum = FAutomaticMaximum = false;
    FMinimum = lo;
    FMaximum = hi;
    changed();
}

void TChartAxis::SetLabelsSeparation(int v) {
    if (v < 0) throw AxisException(Msg::LabelsSeparationRange(), Msg::En::LabelsSeparationRange());
    set(FLabelsSeparation, v);
}

void TChartAxis::SetLabelsAngle(int v) {
    if (v < 0 || v > 360)
        throw ChartException(Msg::AngleRange().arg(Msg::AxisLabelsName()),
                             Msg::En::AngleRange().arg(Msg::En::AxisLabelsName()));
    set(FLabelsAngle, v == 360 ? 0 : v);
}

void TChartAxis::SetLogarithmic(bool v) {
    if (v) {
        computeDateTime();
        if (FIsDateTime)
            throw AxisException(Msg::DateTimeLogarithmic(), Msg::En::DateTimeLogarithmic());
        RecalcRange();
        if (RangeMin < 0 || RangeMax < 0)
            throw AxisException(Msg::LogarithmicRange(), Msg::En::LogarithmicRange());
    }
    set(FLogarithmic, v);
}

// ---- range

void TChartAxis::computeDateTime() {
    FIsDateTime = FChart && FChart->SeriesDateTime(this);
}

void TChartAxis::RecalcRange() {
    if (FAutomatic || FAutomaticMaximum) FMaximum = FChart->SeriesExtreme(this, false, FHorizontal);
    if (FAutomatic || FAutomaticMinimum) FMinimum = FChart->SeriesExtreme(this, true, FHorizontal);
    RangeMax = FMaximum;
    RangeMin = FMinimum;
    RangeSpan = RangeMax - RangeMin;
}

void TChartAxis::RangeFromMargins(int left, int top, int right, int bottom) {
    TCustomTeePanel& c = *FPanel;
    const TRect saved = c.PlotRect;
    if (FHorizontal) {
        c.PlotRect.Left += left;
        c.PlotRect.Right -= right;
    } else {
        c.PlotRect.Top += top;
        c.PlotRect.Bottom -= bottom;
    }
    c.RecalcPlotSize();
    const double a = PixelToValue(FHorizontal ? saved.Left : saved.Bottom);
    const double b = PixelToValue(FHorizontal ? saved.Right : saved.Top);
    c.PlotRect = saved;
    c.RecalcPlotSize();
    RangeMin = std::min(a, b);
    RangeMax = std::max(a, b);
    RangeSpan = RangeMax - RangeMin;
}

TAxisMapping TChartAxis::Mapping(bool horizontal) const {
    const TCustomTeePanel& c = *FPanel;
    TAxisMapping m;
    m.Start = horizontal ? c.PlotRect.Left : c.PlotRect.Bottom;
    m.End = horizontal ? c.PlotRect.Right : c.PlotRect.Top;
    m.Size = horizontal ? c.PlotWidth : -c.PlotHeight;
    m.Centre = horizontal ? c.PlotXCenter : c.PlotYCenter;
    m.Min = RangeMin;
    m.Span = RangeSpan;
    m.Inverted = FInverted;
    return m;
}

int TChartAxis::mapValue(double value, bool horizontal) const {
    const TAxisMapping m = Mapping(horizontal);
    if (!FLogarithmic) return m.Map(value);
    // The logarithmic rule knows no inversion.
    const double a = RangeMin > 0 ? std::log(RangeMin) : 0;
    const double b = RangeMax > 0 ? std::log(RangeMax) : 0;
    if (b - a == 0) return m.Centre;
    if (value <= 0) return m.Start;
    const double t = std::clamp((std::log(value) - a) * m.Size / (b - a), -TAxisMapping::Reach,
                                TAxisMapping::Reach);
    return m.Start + Nearest(t);
}

int TChartAxis::ValueToPixel(double value) const {
    return mapValue(value, FHorizontal);
}
int TChartAxis::XValueToPixel(double value) const {
    return mapValue(value, true);
}
int TChartAxis::YValueToPixel(double value) const {
    return mapValue(value, false);
}

double TChartAxis::PixelToValue(int pixel) const {
    const TCustomTeePanel& c = *FPanel;
    if (FHorizontal) {
        if (c.PlotWidth < 1) return 0.0;
        const int d = FInverted ? c.PlotRect.Right - pixel : pixel - c.PlotRect.Left;
        if (FLogarithmic) {
            const double a = RangeMin > 0 ? std::log(RangeMin) : 0,
                         b = RangeMax > 0 ? std::log(RangeMax) : 0;
            return std::exp((b - a) * d / c.PlotWidth + a);
        }
        return RangeSpan * d / c.PlotWidth + RangeMin;
    }
    if (c.PlotHeight < 1) return 0.0;
    const int d = FInverted ? c.PlotRect.Bottom - pixel : pixel - c.PlotRect.Top;
    if (FLogarithmic) {
        const double a = RangeMin > 0 ? std::log(RangeMin) : 0,
                     b = RangeMax > 0 ? std::log(RangeMax) : 0;
        return std::exp(b - d * (b - a) / c.PlotHeight);
    }
    return RangeMax - d * RangeSpan / c.PlotHeight;
}

// ---- labels

double TChartAxis::NextNiceStep(double x) {
    // Only a positive finite step has a next one; anything else is given
    // back unchanged so that no caller recurses or loops on it.
    if (!(x > 0) || !std::isfinite(x)) return x;
    if (x >= 10) return 10 * NextNiceStep(x / 10);
    if (x < 1) return 0.1 * NextNiceStep(x * 10);
    if (x < 2) return 2;
    if (x < 5) return 5;
    return 10;
}

double TChartAxis::LabelStep(int maxLabels) const {
    if (maxLabels <= 0) return kMinStep;
    double step = FIncrement;
    if (!(step > 0)) step = std::fabs(RangeSpan) >= 1 ? 1.0 : kMinStep;
    // A span that is not a number of any size never fits; the first step
    // is as good as any.
    if (FLabelsSeparation > 0 && std::isfinite(RangeSpan)) {
        for (;;) {
            const double q = RangeSpan / step;
            if (std::fabs(q) < kMaxQuotient && std::nearbyint(q) <= maxLabels) break;
            const double next = NextNiceStep(step);
            if (!(next > step)) break;
            step = next;
        }
    }
    return std::max(step, kMinStep);
}

int TChartAxis::labelExtentOf(double value) {
    TTeeCanvas3D& cv = FPanel->Canvas();
    if (FHorizontal == Upright(FLabelsAngle)) {
        // Along the axis: the text width on a horizontal axis with upright
        // labels, or on a vertical axis with turned ones.
        return cv.TextWidth(ValueText(value));
    }
    return cv.FontHeight();
}

double TChartAxis::AutoLabelStep() {
    int e = std::max(labelExtentOf(RangeMax), labelExtentOf(RangeMin));
    FLabelExtent = e;
    if (FLabelsSeparation > 0) e += Nearest(FLabelsSeparation * 0.01 * e);
    const int avail = FHorizontal ? FPanel->PlotWidth : FPanel->PlotHeight;
    const int n = e > 0 ? Nearest(static_cast<double>(avail) / e) : 1;
    return LabelStep(n);
}

QString TChartAxis::ValueText(double value) const {
    QString text;
    if (FIsDateTime) {
        if (value < 0) return QString();
        // Day numbers counted from the last day of 1899.
        const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
        const QDateTime t = base.addMSecs(static_cast<qint64>(std::llround(value * 86400000.0)));
        const QString fmt =
            FDateTimeFormat.isEmpty()
                ? (RangeSpan < 1 ? QStringLiteral("hh:mm:ss") : QStringLiteral("yyyy/MM/dd"))
                : FDateTimeFormat;
        text = QLocale::system().toString(t, fmt);
    } else {
        text = numberText(value);
    }
    if (FLabelsMultiLine) text.replace(u' ', u'\r');
    return text;
}

QString TChartAxis::numberText(double value) const {
    if (FNumberTextsFormat != FAxisValuesFormat) {
        FNumberTexts.clear();
        FNumberTextsFormat = FAxisValuesFormat;
    }
    for (const auto& [v, text] : FNumberTexts)
        if (v == value && std::signbit(v) == std::signbit(value)) return text;
    // An axis shows a dozen labels or so; a zoom or a pan brings others.
    if (FNumberTexts.size() >= 64) FNumberTexts.clear();
    FNumberTexts.emplace_back(value, FormatAxisNumber(value, FAxisValuesFormat));
    return FNumberTexts.back().second;
}

int TChartAxis::WidestLabel() {
    switch (EffectiveLabelStyle()) {
    case talNone:
        return 0;
    case talMark:
    case talText:
        return FChart->SeriesLabelWidth(this);
    default:
        break;
    }
    double lo = RangeMin, hi = RangeMax;
    if ((FIsDateTime && FExactDateTime) || FRoundFirstLabel) {
        const double step = AutoLabelStep();
        // In floating point: with the smallest step the quotients are far
        // beyond any integer type.
        lo = std::trunc(RangeMin / step) * step;
        hi = std::trunc(RangeMax / step) * step;
    }
    TTeeCanvas3D& cv = FPanel->Canvas();
    return std::max(cv.TextWidth(ValueText(hi)), cv.TextWidth(ValueText(lo))) +
           cv.TextWidth(QStringLiteral(" "));
}

TAxisLabelStyle TChartAxis::EffectiveLabelStyle() const {
    if (FLabelStyle != talAuto) return FLabelStyle;
    if (FDepth) return talValue;
    return FChart->SeriesLabelStyle(this);
}

// ---- space

TRect TChartAxis::ReserveSpace(const TRect& rect) {
    TRect r = rect;
    auto shrink = [&](int size) -> int {
        if (FHorizontal) {
            if (FOtherSide) return r.Top += size;
            return r.Bottom -= size;
        }
        if (FOtherSide) return r.Right -= size;
        return r.Left += size;
    };
    computeDateTime();
    TTeeCanvas3D& cv = FPanel->Canvas();
    if (!Title.Caption().isEmpty()) {
        int size = FTitleSize;
        if (size == 0) {
            FPanel->ApplyFont(Title.Font());
            const bool turned = !Upright(Title.Angle());
            size = FHorizontal == turned ? cv.TextWidth(Title.Caption()) : cv.FontHeight();
        }
        TitlePos = shrink(size);
    }
    FWidestUsed = 0;
    if (FLabels) {
        int size = FLabelsSize;
        if (size == 0) {
            FPanel->ApplyFont(FLabelsFont);
            const bool turned = !Upright(FLabelsAngle);
            if (FHorizontal == turned) {
                FWidestUsed = WidestLabel();
                size = FWidestUsed;
            } else {
                size = cv.FontHeight();
            }
        }
        LabelsPos = shrink(size);
    }
    int t = Axis.Visible ? Axis.Width : 0;
    if (Ticks.Visible) t += FTickLength;
    if (MinorTicks.Visible) t = std::max(t, FMinorTickLength);
    if (t > 0) shrink(t);
    return r;
}

// ---- drawing

void TChartAxis::DrawAxis(bool place) {
    computeDateTime();
    TCustomTeePanel& c = *FPanel;
    c.ApplyFont(FLabelsFont);
    const double step = AutoLabelStep();
    FDrawnStep = step;
    FDrawnLabels.clear();
    if (place) {
        if (FHorizontal)
            AxisPos = FOtherSide ? c.PlotRect.Top : c.PlotRect.Bottom;
        else
            AxisPos = FOtherSide ? c.PlotRect.Right : c.PlotRect.Left;
    }
    if (!Title.Caption().isEmpty()) drawTitle();
    if (step > 0 && RangeMax >= RangeMin) {
        FLastLabelPos = -1;
        FPrevTickPos = -1;
        // Point labels of the text and mark styles are left out: no
        // series here carries any.
        if (EffectiveLabelStyle() == talValue) drawValueLabels(step);
    }
    if (Axis.Visible) drawAxisLine();
}

void TChartAxis::drawValueLabels(double step) {
    if (std::fabs(RangeMax / step) >= kMaxQuotient || std::fabs(RangeSpan / step) >= kMaxLabels)
        return;
    double v =
        (RangeMin == RangeMax || !FRoundFirstLabel) ? RangeMax : std::trunc(RangeMax / step) * step;
    if (FLabelsOnAxis) {
        while (v > RangeMax)
            v -= step;
        while (v >= RangeMin) {
            drawOneLabel(v);
            v -= step;
        }
    } else {
        while (v >= RangeMax)
            v -= step;
        while (v > RangeMin) {
            drawOneLabel(v);
            v -= step;
        }
    }
}

void TChartAxis::drawOneLabel(double value) {
    const int pos = ValueToPixel(value);
    if (!FTickOnLabelsOnly) drawTicksAndGrid(pos, value);
    if (!FLabels) return;
    const QString text = ValueText(value);
    if (FTickOnLabelsOnly) drawTicksAndGrid(pos, value);
    FPanel->ApplyFont(FLabelsFont);
    if (FHorizontal)
        drawLabelText(pos, LabelsPos, text, FLabelsAngle);
    else
        drawLabelText(LabelsPos, pos, text, FLabelsAngle);
    FLastLabelPos = pos;
    FDrawnLabels.push_back({value, pos, text});
}

void TChartAxis::drawTicksAndGrid(int pos, double value) {
    TTeeCanvas3D& cv = FPanel->Canvas();
    if (Ticks.Visible) {
        cv.ApplyPen(Ticks);
        drawTick(pos, 1, FTickLength);
    }
    if (Grid.Visible && value != RangeMax && value != RangeMin) {
        if (!FGridCentered)
            drawGridLine(pos);
        else if (FPrevTickPos >= 0)
            drawGridLine(Nearest((FPrevTickPos + pos) * 0.5));
    }
    if (TicksInner.Visible) {
        cv.ApplyPen(TicksInner);
        drawTick(pos, -1, -FTickInnerLength);
    }
    // A count below one has no gaps to divide (and -1 would divide by zero).
    if (MinorTicks.Visible && FPrevTickPos >= 0 && FMinorTickCount > 0) {
        cv.ApplyPen(MinorTicks);
        const double gap = static_cast<double>(pos - FPrevTickPos) / (FMinorTickCount + 1);
        for (int i = 1; i <= FMinorTickCount; ++i)
            drawTick(pos - Nearest(i * gap), 1, FMinorTickLength);
    }
    FPrevTickPos = pos;
}

void TChartAxis::drawTick(int p, int o, int l) {
    TTeeCanvas3D& cv = FPanel->Canvas();
    if (FHorizontal) {
        if (FOtherSide)
            cv.VerticalLine(p, AxisPos - o, AxisPos - o - l);
        else
            cv.VerticalLine(p, AxisPos + o, AxisPos + o + l);
    } else if (FOtherSide) {
        cv.HorizontalLine(AxisPos + o, AxisPos + o + l, p);
    } else {
        cv.HorizontalLine(AxisPos - o, AxisPos - o - l, p);
    }
}

void TChartAxis::drawGridLine(int p) {
    TCustomTeePanel& c = *FPanel;
    TTeeCanvas3D& cv = c.Canvas();
    cv.Brush().Style = bsClear;
    cv.ApplyPen(Grid);
    if (Grid.Color == AutoColor) cv.Pen().Color = clGray;
    cv.SetBackgroundMode(TRANSPARENT);
    if (FHorizontal) {
        if (FOtherSide)
            cv.VerticalLine(p, AxisPos + 1, c.PlotRect.Bottom);
        else
            cv.VerticalLine(p, AxisPos - 1, c.PlotRect.Top);
    } else if (FOtherSide) {
        cv.HorizontalLine(AxisPos - 1, c.PlotRect.Left, p);
    } else {
        cv.HorizontalLine(AxisPos + 1, c.PlotRect.Right, p);
    }
    cv.SetBackgroundMode(OPAQUE);
}

void TChartAxis::drawAxisLine() {
    TCustomTeePanel& c = *FPanel;
    TTeeCanvas3D& cv = c.Canvas();
    cv.ApplyPen(Axis);
    if (FHorizontal)
        cv.HorizontalLine(c.PlotRect.Left, c.PlotRect.Right, AxisPos);
    else
        cv.VerticalLine(AxisPos, c.PlotRect.Top, c.PlotRect.Bottom);
}

void TChartAxis::drawLabelText(int x0, int y0, const QString& text, int angle) {
    TCustomTeePanel& c = *FPanel;
    TTeeCanvas3D& cv = c.Canvas();
    cv.Brush().Color = c.Color();
    cv.Brush().Style = bsClear;
    if (angle != 0) {
        // Turned labels are not laid out in this program's chart.
        cv.TextOutRotated(x0, y0, text, angle);
        return;
    }
    const QStringList lines = text.isEmpty() ? QStringList() : text.split(u'\r');
    const int n = static_cast<int>(lines.size());
    const int h = cv.FontHeight();
    unsigned align = TA_TOP;
    if (FHorizontal)
        align |= TA_CENTER;
    else
        align |= FOtherSide ? TA_LEFT : TA_RIGHT;
    cv.SetTextAlignment(align);
    int y = y0;
    if (!FHorizontal) y -= h / 2;
    if (FHorizontal)
        y -= FOtherSide ? n * h : h;
    else
        y -= Nearest(h * 0.5 * (n + 1));
    for (const QString& line : lines) {
        y += h;
        cv.TextOut(x0, y, line);
    }
    cv.SetTextAlignment(TA_LEFT | TA_TOP);
}

void TChartAxis::drawTitle() {
    TCustomTeePanel& c = *FPanel;
    c.ApplyFont(Title.Font());
    const int x = FHorizontal ? c.PlotXCenter : TitlePos;
    const int y = FHorizontal ? TitlePos : c.PlotYCenter;
    drawLabelText(x, y, Title.Caption(), Title.Angle());
}
