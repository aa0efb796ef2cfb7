#include "GridColumnLogic.h"

#include "Canvas.h"
#include "DisplayFormat.h"
#include "IntConv.h"

// --- Cell colour -----------------------------------------------------------

TColor GridCellColor(TGridStyle style, TColor gridColor, TColor stripeColor, int row,
                     std::optional<TColor> columnColor) {
    if (style == gsStriped) return row % 2 == 0 ? stripeColor : gridColor;
    return columnColor ? *columnColor : gridColor;
}

// --- Drawing a cell ----------------------------------------------------------

uint32_t CellTextFlags(TAlignment alignment, bool wordwrap) {
    uint32_t flags = DT_EDITCONTROL;
    if (wordwrap) flags |= DT_WORDBREAK;
    if (alignment == taRightJustify)
        flags |= DT_RIGHT;
    else if (alignment == taCenter)
        flags |= DT_CENTER;
    return flags;
}

CellDrawPlan PlanCellDraw(const CellDrawInput& in) {
    CellDrawPlan plan;
    plan.EventRect = in.Rect;
    if (!in.DefaultDrawing || in.Column == nullptr) return plan;

    const GridColumnProps& column = *in.Column;
    plan.DrawsText = true;
    plan.Text = in.Text;
    plan.TextRect = in.Rect;
    int shrink;
    if (in.State & gdFixed) {
        plan.Font = column.FixCellFont;
        if (plan.Text.isEmpty() && in.Row == 0) plan.Text = column.Caption;
        shrink = 3;
    } else {
        // Selection is not shown by colour: the cell keeps its own background.
        plan.Fill = true;
        plan.FillColor = in.CellColor;
        plan.FillRect = in.Rect;
        plan.Font = column.Font;
        if (!plan.Text.isEmpty() && !column.DisplayMask.isEmpty())
            plan.Text = FormatDisplayText(plan.Text, column.DisplayMask);
        shrink = 2;
    }
    plan.TextRect.Inflate(-shrink, -shrink);
    plan.Flags = CellTextFlags(column.Alignment, column.Wordwrap);
    plan.EventRect = plan.TextRect;
    return plan;
}

// --- Editing rules -------------------------------------------------------------

bool IntegerKeyAccepted(QChar ch) {
    const char16_t c = ch.unicode();
    return c <= 32 || c == u'+' || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9');
}

bool ColumnAcceptsKey(const GridColumnProps* column, QChar ch) {
    if (column && column->DataType == dtInteger) return IntegerKeyAccepted(ch);
    return true;
}

bool ColumnMayModify(const GridColumnProps* column) {
    return column ? column->CanEdit : true;
}

std::optional<QString> IntegerStoredText(const QString& value) {
    if (value == u"-") return QStringLiteral("-0");
    if (value.isEmpty()) return QString();
    // Decimal only: blanks, an optional sign, then digits.
    qsizetype i = 0;
    while (i < value.size() && value[i] == u' ')
        ++i;
    if (i < value.size() && (value[i] == u'+' || value[i] == u'-')) ++i;
    if (i >= value.size()) return std::nullopt;
    for (; i < value.size(); ++i)
        if (value[i] < u'0' || value[i] > u'9') return std::nullopt;
    const std::optional<int32_t> v = TryStrToInt(value);
    if (!v) return std::nullopt;
    return QString::number(*v);
}

EditorKeyAction DecideEditorKey(bool multiLine, int key, TShiftState shift) {
    const TShiftState mods = shift & (ssShift | ssAlt | ssCtrl);
    if (!multiLine)
        return key == VK_RETURN ? EditorKeyAction::EnterAsRight : EditorKeyAction::Inherited;
    if (key == VK_RETURN)
        return mods == ssCtrl ? EditorKeyAction::CloseEditor : EditorKeyAction::Inherited;
    if (key >= VK_LEFT && key <= VK_DOWN) {
        if (mods == 0) return EditorKeyAction::EditWindowOnly;
        if (mods == ssCtrl) return EditorKeyAction::MoveGridCaretEnd;
    }
    return EditorKeyAction::Inherited;
}
