#pragma once
#include "Alignment.h"
#include "Bevel.h"
#include "Canvas.h"
#include "Change.h"
#include "Font.h"
#include "Keys.h"
#include "TColor.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <functional>

// Frame outside the painted area.
enum TBorderStyle { bsNone, bsSingle };

enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TMouseEvent =
    std::function<void(QObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(QObject* sender, int& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(QObject* sender, QChar& key)>;

// A windowed control with a caption, a face colour and up to two bevels. The
// setters repaint only when the value changes; a single border is a sunken
// window frame around the painted (client) area.
class TCustomPanel : public QWidget {
    Q_OBJECT
public:
    explicit TCustomPanel(QWidget* parent = nullptr);
    ~TCustomPanel() override;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { set(FAlignment, v); }
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v) { set(FBevelOuter, v); }
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v) { set(FBevelInner, v); }
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v) { set(FBevelWidth, std::max(v, 1)); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v) { set(FBorderWidth, std::max(v, 0)); }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v); // also the brush colour
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v) { set(FCaption, v); }
    // Owned font: changes made through its setters repaint the control.
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& f) { FFont.Assign(f); }
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& v) { setToolTip(v); }
    // The control's brush (its colour follows Color); a change repaints.
    const TBrush& Brush() const { return FBrush; }
    void SetBrush(const TBrush& b);

    void SetBounds(int left, int top, int width, int height) {
        setGeometry(left, top, width, height);
    }
    // The painted area in widget coordinates (inside a single border).
    TRect ClientRect() const;

    // The control as it paints itself, for tests and screenshots.
    QImage Render();

protected:
    // Stores a property; only a real change notifies.
    template <class T, class U> void set(T& field, U&& v) {
        if (Change(field, std::forward<U>(v))) update();
    }
    // Draws the client area; the canvas origin is the widget's origin.
    virtual void Paint(TCanvas& canvas);
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void applyBorder();
    TAlignment FAlignment = taCenter;
    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    TColor FColor = clBtnFace;
    QString FCaption;
    TFont FFont;
    TBrush FBrush{clBtnFace, bsSolid};
};
