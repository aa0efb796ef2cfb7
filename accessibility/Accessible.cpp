#include "Accessible.h"

#include "AccessibleGrid.h"
#include "Canvas.h"
#include "Form.h"
#include "Label.h"
#include "StringGrid.h"

#include <QTextBoundaryFinder>

namespace Accessible {

QAccessibleInterface* FromTable(const QString& className, QObject* object,
                                std::initializer_list<TInterfaceMaker> table) {
    if (!object || !object->isWidgetType()) return nullptr;
    for (const TInterfaceMaker& m : table)
        if (className == QLatin1String(m.ClassName)) return m.Make(object);
    return nullptr;
}

QAccessibleInterface* ToolkitFactory(const QString& className, QObject* object) {
    return FromTable(className, object,
                     {{"TLabel", MakeInterface<TLabel, TAccessibleLabel>},
                      {"TForm", MakeInterface<TForm, TAccessibleForm>},
                      {"TStringGrid", MakeInterface<TStringGrid, TAccessibleGrid>}});
}

QString ShownText(const QString& caption) {
    return StripPrefix(caption).Text;
}

QString AcceleratorText(const QString& caption) {
    const QChar c = AccelChar(caption);
    return c.isNull() ? QString() : QStringLiteral("Alt+") + c;
}

} // namespace Accessible

// ---- read-only text

namespace {

// The span of `text` that holds `offset` for a kind of boundary.
std::pair<int, int> spanAt(const QString& text, int offset, QAccessible::TextBoundaryType type) {
    const int n = static_cast<int>(text.size());
    if (n == 0) return {0, 0};
    offset = std::clamp(offset, 0, n);
    if (type == QAccessible::CharBoundary)
        return offset < n ? std::pair{offset, offset + 1} : std::pair{n, n};
    if (type != QAccessible::WordBoundary) return {0, n}; // one line, one sentence
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.setPosition(offset);
    int start = words.isAtBoundary() ? offset : words.toPreviousBoundary();
    if (offset == n) start = words.toPreviousBoundary();
    words.setPosition(start);
    const int end = words.toNextBoundary();
    return {std::max(start, 0), end < 0 ? n : end};
}

} // namespace

void TAccessibleReadOnlyText::selection(int, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
}

QString TAccessibleReadOnlyText::text(int startOffset, int endOffset) const {
    const QString t = CurrentText();
    startOffset = std::clamp(startOffset, 0, static_cast<int>(t.size()));
    if (endOffset < 0 || endOffset > t.size()) endOffset = static_cast<int>(t.size());
    return t.mid(startOffset, std::max(0, endOffset - startOffset));
}

QString TAccessibleReadOnlyText::textAtOffset(int offset, QAccessible::TextBoundaryType type,
                                              int* startOffset, int* endOffset) const {
    const QString t = CurrentText();
    const auto [s, e] = spanAt(t, offset, type);
    *startOffset = s;
    *endOffset = e;
    return t.mid(s, e - s);
}

QString TAccessibleReadOnlyText::textBeforeOffset(int offset, QAccessible::TextBoundaryType type,
                                                  int* startOffset, int* endOffset) const {
    const QString t = CurrentText();
    const int at = spanAt(t, offset, type).first;
    if (at == 0) {
        *startOffset = *endOffset = 0;
        return {};
    }
    const auto [s, e] = spanAt(t, at - 1, type);
    *startOffset = s;
    *endOffset = e;
    return t.mid(s, e - s);
}

QString TAccessibleReadOnlyText::textAfterOffset(int offset, QAccessible::TextBoundaryType type,
                                                 int* startOffset, int* endOffset) const {
    const QString t = CurrentText();
    const int after = spanAt(t, offset, type).second;
    if (after >= t.size()) {
        *startOffset = *endOffset = static_cast<int>(t.size());
        return {};
    }
    const auto [s, e] = spanAt(t, after, type);
    *startOffset = s;
    *endOffset = e;
    return t.mid(s, e - s);
}

QString TAccessibleReadOnlyText::attributes(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

// ---- label

TAccessibleLabel::TAccessibleLabel(TLabel* label)
    : QAccessibleWidget(label, QAccessible::StaticText) {}

TLabel* TAccessibleLabel::label() const {
    return static_cast<TLabel*>(widget());
}

QString TAccessibleLabel::CurrentText() const {
    return Accessible::ShownText(label()->Caption());
}

QString TAccessibleLabel::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && label()->accessibleName().isEmpty()) return CurrentText();
    return QAccessibleWidget::text(t);
}

void* TAccessibleLabel::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QStringList TAccessibleLabel::actionNames() const {
    if (label()->OnClick && label()->isEnabled())
        return {QAccessibleActionInterface::pressAction()};
    return {};
}

void TAccessibleLabel::doAction(const QString& action) {
    if (action == QAccessibleActionInterface::pressAction() && label()->isEnabled())
        CallEvent(label()->OnClick, label());
}

// ---- window

TAccessibleForm::TAccessibleForm(TForm* form) : QAccessibleWidget(form, QAccessible::Window) {}

QString TAccessibleForm::text(QAccessible::Text t) const {
    auto* form = static_cast<TForm*>(widget());
    if (t == QAccessible::Name && form->accessibleName().isEmpty()) return form->Caption();
    return QAccessibleWidget::text(t);
}
