#pragma once
#include "Events.h"
#include "Font.h"
#include "TColor.h"

#include <QComboBox>
#include <functional>

// An editable drop-down list. ItemIndex is the entry picked from the list, -1
// once the user types into the text field (the typed text matches no pick).
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& t);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int i);
    QStringList Items() const;
    void AddItem(const QString& s);
    // Takes entry i out; the pick stays on the same entry (none when it was i)
    // and the typed text stays as it is.
    void RemoveItem(int i);
    int ItemCount() const { return count(); }
    void SetDropDownCount(int n) { setMaxVisibleItems(n); }
    void SetColor(TColor c);
    TFont& Font() { return FFont; }
    // The hint names the list for assistive tools too: its text is a number.
    void SetHint(const QString& hint) {
        setToolTip(hint);
        setAccessibleName(hint);
    }

    // Raised on a pick from the list and on every change of the typed text.
    TNotifyEvent OnChange;
    // Raised for each typed character (Enter as '\r'); setting it to a null
    // QChar swallows the key.
    std::function<void(QObject* sender, QChar& key)> OnKeyPress;

    // Raised by Shift+Delete with the entry it is about: the highlighted one
    // of the open drop-down, else the entry picked (never with -1). The
    // handler decides whether the entry goes.
    std::function<void(QObject* sender, int index)> OnRemoveKey;

    // Picks entry i as a user picking it from the drop-down does.
    void PickFromList(int i);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void applyLook();
    bool removeKey(QKeyEvent* e, int index);
    int FItemIndex = -1;
    TColor FColor = clWindow;
    TFont FFont;
};
