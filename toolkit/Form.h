#pragma once
#include "Font.h"
#include "TColor.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include "Menu.h"

// A top-level window with the layout's colour and font and a popup menu that
// opens on a right click anywhere in it.
class TForm : public QWidget {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& c);
    TColor Color() const { return FColor; }
    void SetColor(TColor c);
    TFont& Font() { return FFont; }
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* m) { FPopupMenu = m; }
    // Gives the window the layout's size, which is also its least, and
    // places it wholly inside its screen's usable area, centred. A screen too
    // small for the layout (a large scale factor) gets the window as large as
    // fits, from the area's top left, where the layout puts what a run needs.
    // Placed again once shown, when the window manager's frame is known.
    void FitOnScreen(const QSize& layout);
    // The window's own rectangle for `wanted` on a usable area `avail`, its
    // frame `frame` around it.
    static QRect Placement(const QRect& avail, const QSize& wanted, const QMargins& frame);

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;
    void customEvent(QEvent* e) override;

private:
    void sendCaptionThroughQt();
    void writePendingCaption();
    void fit(const QMargins& frame);
    QSize FLayout; // empty: the window is placed by whoever made it
    bool FFitAfterShow = false;
    QString FCaption;
    // When Qt's own copy of the caption was last brought up to date.
    QElapsedTimer FQtCaptionAge;
    // A caption waits for the next repaint or flush event to go out.
    bool FCaptionPending = false;
    bool FCaptionFlushPosted = false;
    TColor FColor = clBtnFace;
    TFont FFont;
    QPointer<TPopupMenu> FPopupMenu;
};
