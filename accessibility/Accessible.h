#pragma once
// What assistive tools (screen readers, switch and voice control, test
// drivers) see of the toolkit's self-painted controls. Qt asks the factory
// below for an interface the first time a tool looks at a control; until a
// tool is active none of this runs.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>

#include <initializer_list>

class TLabel;
class TForm;

namespace Accessible {

// Interfaces for the toolkit's own classes (TForm, TLabel, TStringGrid and
// the grids derived from it), or nullptr. Installed once by the program.
QAccessibleInterface* ToolkitFactory(const QString& className, QObject* object);

// One line of a factory's table: widgets of the class named get their
// interface from Make.
struct TInterfaceMaker {
    const char* ClassName;
    QAccessibleInterface* (*Make)(QObject*);
};

// Makes the interface I over a widget of class W.
template <class W, class I> QAccessibleInterface* MakeInterface(QObject* widget) {
    return new I(static_cast<W*>(widget));
}

// The interface the table gives a widget of class `className`, or nullptr
// (also for an object that is not a widget).
QAccessibleInterface* FromTable(const QString& className, QObject* object,
                                std::initializer_list<TInterfaceMaker> table);

// The name a caption with '&' markers reads as: the text as shown.
QString ShownText(const QString& caption);

// "Alt+X" for a caption with an accelerator character, else "".
QString AcceleratorText(const QString& caption);

} // namespace Accessible

// A read-only text interface over a text that is read fresh on every call,
// so that a tool always gets what the control shows now, without the control
// announcing each change.
class TAccessibleReadOnlyText : public QAccessibleTextInterface {
public:
    virtual QString CurrentText() const = 0;

    void selection(int, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override { return static_cast<int>(CurrentText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;
};

// A label: static text named by its caption as shown. A label with a click
// handler can be pressed.
class TAccessibleLabel : public QAccessibleWidget, public TAccessibleReadOnlyText {
public:
    explicit TAccessibleLabel(TLabel* label);
    QString CurrentText() const override;
    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;
    QStringList actionNames() const override;
    void doAction(const QString& action) override;

private:
    TLabel* label() const;
};

// The main window: a window named by its caption as it stands now (Qt's own
// copy of a running caption lags up to a second behind).
class TAccessibleForm : public QAccessibleWidget {
public:
    explicit TAccessibleForm(TForm* form);
    QString text(QAccessible::Text t) const override;
};
