#pragma once
// What assistive tools see of the owner-painted button and the
// column-defined grid.
#include "AccessibleGrid.h"

#include <QAccessibleWidget>

class TCuteButton;
class TStringGridEx;

namespace Accessible {
// Interfaces for TCuteButton and TStringGridEx, or nullptr.
QAccessibleInterface* ComponentsFactory(const QString& className, QObject* object);
} // namespace Accessible

// A push button named by its caption as shown ("LAP(1)"), described by its
// hint, with its accelerator as shortcut. Its Press action clicks it as a
// mouse click does.
class TAccessibleCuteButton : public QAccessibleWidget {
public:
    explicit TAccessibleCuteButton(TCuteButton* button);
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& action) override;
    QStringList keyBindingsForAction(const QString& action) const override;

private:
    TCuteButton* button() const;
};

// The column-defined grid reads as it is drawn: an empty header cell shows
// its column's caption, data cells their column's display mask.
class TAccessibleStringGridEx : public TAccessibleGrid {
public:
    explicit TAccessibleStringGridEx(TStringGridEx* grid);
    QString CellText(int row, int col) const override;
};
