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
    // Places the window at the centre of its screen.
    void CenterOnScreen();

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;
    void customEvent(QEvent* e) override;

private:
    void sendCaptionThroughQt();
    void writePendingCaption();
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
