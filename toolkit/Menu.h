#pragma once
#include "Events.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// One command of a pop-up menu. The caption marks its accelerator with '&'
// ("&&" shows one ampersand); the check mark is drawn only while Checked.
class TMenuItem : public QObject {
    Q_OBJECT
public:
    TMenuItem(QObject* owner, const QString& name, const QString& caption,
              TNotifyEvent onClick = {});
    ~TMenuItem() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);

    TNotifyEvent OnClick;
    // Runs OnClick, an error it raises going to the default error report.
    void Click();

    // The Qt action that shows this item in a menu.
    QAction* Action() const { return FAction; }

private:
    QString FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    QAction* FAction;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

// A menu shown at a screen point on request. It owns its items.
class TPopupMenu : public QObject {
    Q_OBJECT
public:
    explicit TPopupMenu(QObject* owner);
    ~TPopupMenu() override;

    TMenuItem* Add(const QString& name, const QString& caption, TNotifyEvent onClick = {});
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int i) const;
    TMenuItem* Find(const QString& name) const;

    // Where the menu stands relative to the point it is shown at: its left
    // edge, its right edge or its centre there.
    TPopupAlignment Alignment = paLeft;

    // Shows the menu and returns when it has closed (a chosen item's click has
    // run by then). The menu may be destroyed while it is open.
    void Popup(int screenX, int screenY);
    QMenu* Menu() const { return FMenu.get(); }
    // Times Popup has been called, shown or hooked.
    int PopupCount() const { return FPopupCount; }

    // Test hook: when set, Popup calls it instead of showing the menu.
    static std::function<void(TPopupMenu*, QPoint)>& PopupHook();

private:
    std::unique_ptr<QMenu> FMenu;
    std::vector<QPointer<TMenuItem>> FItems;
    int FPopupCount = 0;
};
