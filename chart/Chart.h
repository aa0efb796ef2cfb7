#pragma once
#include "Change.h"
#include "CustomAxisPanel.h"
#include "TeCanvas.h"
#include "TeeProcs.h"

#include <QImage>
#include <QStringList>

class QMouseEvent;
class TCustomChart;

// Every setter of these chart parts stores a changed value and repaints the
// chart through its ChartChanged.
class TChartPart {
public:
    explicit TChartPart(TCustomTeePanel* chart) : FChart(chart) {}
    virtual ~TChartPart() = default;
    TChartPart(const TChartPart&) = delete;
    TChartPart& operator=(const TChartPart&) = delete;

protected:
    template <class T> void set(T& field, const T& v) {
        if (Change(field, v)) repaint();
    }
    void repaint() {
        if (FChart) FChart->ChartChanged();
    }
    TCustomTeePanel* FChart;
};

class TChartGradient : public TChartPart {
public:
    using TChartPart::TChartPart;
    TGradientDirection Direction() const { return FDirection; }
    void SetDirection(TGradientDirection v) { set(FDirection, v); }
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor v) { set(FEndColor, v); }
    TColor StartColor() const { return FStartColor; }
    void SetStartColor(TColor v) { set(FStartColor, v); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { set(FVisible, v); }

private:
    TGradientDirection FDirection = gdTopBottom;
    TColor FEndColor = clYellow;
    TColor FStartColor = clWhite;
    bool FVisible = false;
};

// A brush whose colour starts unset.
struct TChartBrush : TBrush {
    TChartBrush() { Color = AutoColor; }
    // A picture that fills instead of the colour, when set.
    QImage Bitmap;
};

class TChartWall : public TChartPart {
public:
    TChartWall(TCustomTeePanel* chart, TColor defaultColor);
    TChartBrush& Brush() { return FBrush; }
    void SetBrushStyle(TBrushStyle v) { set(FBrush.Style, v); }
    void SetBrushColor(TColor v) { set(FBrush.Color, v); }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { set(FColor, v); }
    // The layout stores Color only when it differs from this.
    TColor DefaultColor() const { return FDefaultColor; }
    TChartPen Pen;
    int Size() const { return FSize; }
    void SetSize(int v) { set(FSize, v); }

private:
    TChartBrush FBrush;
    TColor FColor = AutoColor;
    TColor FDefaultColor;
    int FSize = 0;
};

class TChartTitle : public TChartFontObject {
public:
    explicit TChartTitle(TCustomTeePanel* chart);
    bool AdjustFrame() const { return FAdjustFrame; }
    void SetAdjustFrame(bool v) { set(FAdjustFrame, v); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { set(FAlignment, v); }
    TChartBrush& Brush() { return FBrush; }
    TChartHiddenPen Frame;
    QStringList Text() const { return FText; }
    void SetText(const QStringList& v) { set(FText, v); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { set(FVisible, v); }
    // Where the title was drawn last.
    TRect TitleRect;

private:
    bool FAdjustFrame = true;
    TAlignment FAlignment = taCenter;
    TChartBrush FBrush;
    QStringList FText;
    bool FVisible = true;
};

enum TLegendAlignment { laLeft, laRight, laTop, laBottom };
enum TLegendStyle { lsAuto, lsSeries, lsValues, lsLastValues };
enum TLegendTextStyle {
    ltsPlain,
    ltsLeftValue,
    ltsRightValue,
    ltsLeftPercent,
    ltsRightPercent,
    ltsXValue
};

// The legend's settings. The window's legend is hidden; a visible legend is
// not drawn by this chart and takes no space.
class TChartLegend : public TChartFontObject {
public:
    explicit TChartLegend(TCustomTeePanel* chart);
    TLegendAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TLegendAlignment v) { set(FAlignment, v); }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { set(FColor, v); }
    int ColorWidth() const { return FColorWidth; }
    void SetColorWidth(int v) { set(FColorWidth, v); }
    TChartHiddenPen DividingLines;
    int FirstValue() const { return FFirstValue; }
    void SetFirstValue(int v) { set(FFirstValue, v); }
    TChartPen Frame;
    int HorizMargin() const { return FHorizMargin; }
    void SetHorizMargin(int v) { set(FHorizMargin, v); }
    bool Inverted() const { return FInverted; }
    void SetInverted(bool v) { set(FInverted, v); }
    TLegendStyle LegendStyle() const { return FLegendStyle; }
    void SetLegendStyle(TLegendStyle v) { set(FLegendStyle, v); }
    bool ResizeChart() const { return FResizeChart; }
    void SetResizeChart(bool v) { set(FResizeChart, v); }
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor v) { set(FShadowColor, v); }
    int ShadowSize() const { return FShadowSize; }
    void SetShadowSize(int v) { set(FShadowSize, v); }
    TLegendTextStyle TextStyle() const { return FTextStyle; }
    void SetTextStyle(TLegendTextStyle v) { set(FTextStyle, v); }
    int TopPos() const { return FTopPos; }
    void SetTopPos(int v) { set(FTopPos, v); }
    int VertMargin() const { return FVertMargin; }
    void SetVertMargin(int v) { set(FVertMargin, v); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { set(FVisible, v); }

private:
    TLegendAlignment FAlignment = laRight;
    TColor FColor = clWhite;
    int FColorWidth = 12;
    int FFirstValue = 0;
    int FHorizMargin = 0;
    bool FInverted = false;
    TLegendStyle FLegendStyle = lsAuto;
    bool FResizeChart = true;
    TColor FShadowColor = clBlack;
    int FShadowSize = 3;
    TLegendTextStyle FTextStyle = ltsLeftValue;
    int FTopPos = 10;
    int FVertMargin = 0;
    bool FVisible = true;
};

enum TBackImageMode { pbmStretch, pbmTile, pbmCenter };
enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };

// The chart control: background gradient, walls, titles and legend around
// the axes and series, in a fixed order of drawing; zoom by a left-button
// drag and panning by a right-button one.
class TCustomChart : public TCustomAxisPanel {
    Q_OBJECT
public:
    explicit TCustomChart(QWidget* parent = nullptr);
    ~TCustomChart() override;

    TChartTitle Title{this};
    TChartTitle Foot{this};
    TChartGradient Gradient{this};
    TChartWall BackWall{this, AutoColor};
    TChartWall LeftWall{this, 0x80FFFF};
    TChartWall BottomWall{this, clWhite};
    TChartLegend Legend{this};

    // Views of the back wall: writing BackColor also makes its brush solid.
    TColor BackColor() const { return BackWall.Color(); }
    void SetBackColor(TColor v);
    TChartPen& Frame() { return BackWall.Pen; }

    const QImage& BackImage() const { return FBackImage; }
    void SetBackImage(const QImage& img);
    TBackImageMode BackImageMode() const { return FBackImageMode; }
    void SetBackImageMode(TBackImageMode v) { setInvalidating(FBackImageMode, v); }
    bool BackImageInside() const { return FBackImageInside; }
    void SetBackImageInside(bool v) { setInvalidating(FBackImageInside, v); }
    bool AllowZoom() const { return FAllowZoom; }
    void SetAllowZoom(bool v) { FAllowZoom = v; }
    TPanningMode AllowPanning() const { return FAllowPanning; }
    void SetAllowPanning(TPanningMode v) { FAllowPanning = v; }
    bool AnimatedZoom() const { return FAnimatedZoom; }
    void SetAnimatedZoom(bool v) { FAnimatedZoom = v; }
    int AnimatedZoomSteps() const { return FAnimatedZoomSteps; }
    void SetAnimatedZoomSteps(int v) { FAnimatedZoomSteps = v; }

    // Whether no series of the chart has the colour, nor (when asked) the
    // chart's background.
    bool ColorIsFree(TColor color, bool checkBackground) const;
    void ZoomToDragRect();
    // Zooms every axis to the values under a pixel rectangle.
    void ZoomRect(const TRect& r);
    void UndoZoom();

    TNotifyEvent OnZoom;
    TNotifyEvent OnUndoZoom;
    TNotifyEvent OnScroll;

protected:
    void DrawBackground(const TRect& rect) override;
    void DrawTitlesAndLegend() override;
    void DrawWalls() override;
    virtual void FillBackground(const TRect& rect);
    virtual void DrawBackImage(const TRect& rect);
    void DrawTitle(TChartTitle& title, bool atTop);
    void ApplyWall(TChartWall& wall);

    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void panBy(int dx, int dy);

    QImage FBackImage;
    TBackImageMode FBackImageMode = pbmStretch;
    bool FBackImageInside = false;
    bool FAllowZoom = true;
    TPanningMode FAllowPanning = pmBoth;
    bool FAnimatedZoom = false;
    int FAnimatedZoomSteps = 8;
};

class TChart : public TCustomChart {
    Q_OBJECT
public:
    using TCustomChart::TCustomChart;
};
