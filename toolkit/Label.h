#pragma once
#include "Change.h"
#include "Events.h"
#include "Font.h"
#include "TColor.h"

#include <QWidget>

// Text placement inside a label.
enum class LabelAlign { Left, Right, Center };

// The part of a label of `size` that changes when its caption goes from
// `before` to `after`: for figure texts on one line only the ink of the glyphs
// that differ, otherwise the whole label.
QRect CaptionDamage(const QString& before, const QString& after, const QFont& font,
                    LabelAlign align, const QSize& size);

// A static text drawn straight on its parent. With AutoSize it fits itself to
// its caption whenever the caption changes: a right-aligned label keeps its
// right edge, the others keep their left edge. '&' marks an underlined
// character, "&&" shows one ampersand.
class TLabel : public QWidget {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& text);
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& f) { FFont.Assign(f); }
    LabelAlign Alignment() const { return FAlignment; }
    void SetAlignment(LabelAlign a) { set(FAlignment, a); }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);
    // clNone: transparent, the parent shows through.
    TColor Color() const { return FColor; }
    void SetColor(TColor c) { set(FColor, c); }
    void SetHint(const QString& hint) { setToolTip(hint); }
    // A label whose caption changes at a moment worth telling (a lap's
    // figures) announces each change to assistive tools; a running clock's
    // labels do not, their text is read when asked for.
    bool Announced() const { return FAnnounced; }
    void SetAnnounced(bool on) { FAnnounced = on; }

    TNotifyEvent OnClick;

    QImage Render();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // Stores a property; only a real change notifies.
    template <class T, class U> void set(T& field, U&& v) {
        if (Change(field, std::forward<U>(v))) update();
    }
    void adjustBounds();
    QString FCaption;
    TFont FFont;
    // The font as Qt takes it, made once per font change: the clock labels
    // are re-measured on every display tick.
    QFont FQFont;
    LabelAlign FAlignment = LabelAlign::Left;
    bool FAutoSize = true;
    TColor FColor = clNone;
    bool FPressed = false;
    bool FAnnounced = false;
};
