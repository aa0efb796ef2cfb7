#include "Menu.h"

TMenuItem::TMenuItem(QObject* owner, const QString& name, const QString& caption,
                     TNotifyEvent onClick)
    : QObject(owner), OnClick(std::move(onClick)), FCaption(caption),
      FAction(new QAction(caption, this)) {
    setObjectName(name);
    FAction->setObjectName(name);
    QObject::connect(FAction, &QAction::triggered, this, [this] {
        // A checkable action flips its own mark when chosen; the item's mark
        // changes only through SetChecked, so put it back before the click.
        FAction->setChecked(FChecked);
        Click();
    });
}

TMenuItem::~TMenuItem() = default;

void TMenuItem::SetCaption(const QString& v) {
    if (FCaption == v) return;
    FCaption = v;
    FAction->setText(v);
}

void TMenuItem::SetChecked(bool v) {
    if (FChecked == v) return;
    FChecked = v;
    FAction->setCheckable(v);
    FAction->setChecked(v);
}

void TMenuItem::SetEnabled(bool v) {
    if (FEnabled == v) return;
    FEnabled = v;
    FAction->setEnabled(v);
}

void TMenuItem::Click() {
    // A copy, so that a handler that replaces OnClick or destroys the item
    // does not pull the running handler from under itself.
    const TNotifyEvent handler = OnClick;
    CallEvent(handler, this);
}

std::function<void(TPopupMenu*, QPoint)>& TPopupMenu::PopupHook() {
    static std::function<void(TPopupMenu*, QPoint)> hook;
    return hook;
}

TPopupMenu::TPopupMenu(QObject* owner) : QObject(owner), FMenu(std::make_unique<QMenu>()) {}

TPopupMenu::~TPopupMenu() {
    // The items die after this object's members; they must not reach back.
    for (const auto& item : FItems)
        if (item) QObject::disconnect(item, nullptr, this, nullptr);
    // Destroyed from a handler that runs while the menu is open: the menu's own
    // code is still on the stack, so close it and let it go later.
    if (FMenu->isVisible()) {
        FMenu->hide();
        FMenu.release()->deleteLater();
    }
}

TMenuItem* TPopupMenu::Add(const QString& name, const QString& caption, TNotifyEvent onClick) {
    auto* item = new TMenuItem(this, name, caption, std::move(onClick));
    FItems.emplace_back(item);
    // An item destroyed on its own leaves the list.
    QObject::connect(item, &QObject::destroyed, this, [this](QObject* gone) {
        std::erase_if(FItems, [gone](const QPointer<TMenuItem>& p) {
            return p.isNull() || p.data() == gone;
        });
    });
    FMenu->addAction(item->Action());
    return item;
}

TMenuItem* TPopupMenu::Items(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return FItems[static_cast<size_t>(i)];
}

TMenuItem* TPopupMenu::Find(const QString& name) const {
    for (const auto& item : FItems)
        if (item && item->objectName() == name) return item;
    return nullptr;
}

void TPopupMenu::Popup(int screenX, int screenY) {
    ++FPopupCount;
    const QPoint at(screenX, screenY);
    if (auto& hook = PopupHook()) {
        const auto run = hook; // the hook may replace itself
        run(this, at);
        return;
    }
    QPoint p = at;
    const QSize sz = FMenu->sizeHint();
    if (Alignment == paRight)
        p.rx() -= sz.width();
    else if (Alignment == paCenter)
        p.rx() -= sz.width() / 2;
    FMenu->exec(p);
}
