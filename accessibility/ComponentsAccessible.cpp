#include "ComponentsAccessible.h"

#include "Accessible.h"
#include "CuteBtn.h"
#include "GridColumnLogic.h"
#include "StringGridEx.h"

namespace Accessible {

QAccessibleInterface* ComponentsFactory(const QString& className, QObject* object) {
    return FromTable(className, object,
                     {{"TCuteButton", MakeInterface<TCuteButton, TAccessibleCuteButton>},
                      {"TStringGridEx", MakeInterface<TStringGridEx, TAccessibleStringGridEx>}});
}

} // namespace Accessible

// ---- button

TAccessibleCuteButton::TAccessibleCuteButton(TCuteButton* button)
    : QAccessibleWidget(button, QAccessible::Button) {}

TCuteButton* TAccessibleCuteButton::button() const {
    return static_cast<TCuteButton*>(widget());
}

QString TAccessibleCuteButton::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        if (!button()->accessibleName().isEmpty()) break;
        return Accessible::ShownText(button()->Caption());
    case QAccessible::Accelerator:
        return Accessible::AcceleratorText(button()->Caption());
    default:
        break;
    }
    return QAccessibleWidget::text(t); // the description is the hint
}

QAccessible::State TAccessibleCuteButton::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = button()->Down();
    return s;
}

QStringList TAccessibleCuteButton::actionNames() const {
    QStringList names;
    if (button()->isEnabled()) names << QAccessibleActionInterface::pressAction();
    // Focusing stays the tool's choice; a press does not move the focus.
    return names + QAccessibleWidget::actionNames();
}

void TAccessibleCuteButton::doAction(const QString& action) {
    if (action == QAccessibleActionInterface::pressAction()) {
        if (button()->isEnabled()) button()->PressAction();
        return;
    }
    QAccessibleWidget::doAction(action);
}

QStringList TAccessibleCuteButton::keyBindingsForAction(const QString& action) const {
    if (action == QAccessibleActionInterface::pressAction()) {
        const QString accel = Accessible::AcceleratorText(button()->Caption());
        return accel.isEmpty() ? QStringList() : QStringList{accel};
    }
    return QAccessibleWidget::keyBindingsForAction(action);
}

// ---- column-defined grid

TAccessibleStringGridEx::TAccessibleStringGridEx(TStringGridEx* grid) : TAccessibleGrid(grid) {}

QString TAccessibleStringGridEx::CellText(int row, int col) const {
    auto* g = static_cast<TStringGridEx*>(Grid());
    CellDrawInput in;
    in.Row = row;
    in.State = row < g->FixedRows() || col < g->FixedCols() ? TGridDrawState(gdFixed) : 0;
    in.Text = g->Cells(col, row);
    in.DefaultDrawing = g->DefaultDrawing();
    const TGridColumn* def = g->ColumnDef(col);
    in.Column = def ? &def->Props() : nullptr;
    const CellDrawPlan plan = PlanCellDraw(in);
    return plan.DrawsText ? plan.Text : in.Text;
}
