#include "ComboBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Entries are added by the window's own rules, never by Qt's insert policy.
    setInsertPolicy(QComboBox::NoInsert);
    setFocusPolicy(Qt::StrongFocus);
    FFont.OnChange = [this] { applyLook(); };
    // No completion and no matching on Enter: what the user types stays as
    // typed, and only a pick from the list selects an entry.
    setCompleter(nullptr);
    setDuplicatesEnabled(true);
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        FItemIndex = i;
        CallEvent(OnChange, this);
    });
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString&) {
        FItemIndex = -1;
        CallEvent(OnChange, this);
    });
    setCurrentIndex(-1);
    lineEdit()->clear();
    // The open drop-down is a window of its own: its keys never reach
    // keyPressEvent.
    view()->installEventFilter(this);
    applyLook();
}

QString TComboBox::Text() const {
    return lineEdit()->text();
}

void TComboBox::SetText(const QString& t) {
    lineEdit()->setText(t);
}

void TComboBox::SetItemIndex(int i) {
    if (i < -1 || i >= count()) i = -1;
    FItemIndex = i;
    QSignalBlocker block(this);
    setCurrentIndex(i);
    if (i < 0) lineEdit()->clear();
}

void TComboBox::PickFromList(int i) {
    if (i < 0 || i >= count()) return;
    setCurrentIndex(i);
    emit activated(i);
}

QStringList TComboBox::Items() const {
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << itemText(i);
    return out;
}

void TComboBox::AddItem(const QString& s) {
    // Adding must not disturb what the user typed or picked.
    const QString text = lineEdit()->text();
    const int cursor = lineEdit()->cursorPosition();
    {
        QSignalBlocker block(this);
        addItem(s);
        setCurrentIndex(FItemIndex);
    }
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(cursor);
}

void TComboBox::RemoveItem(int i) {
    if (i < 0 || i >= count()) return;
    const QString text = lineEdit()->text();
    const int cursor = lineEdit()->cursorPosition();
    if (FItemIndex == i)
        FItemIndex = -1;
    else if (FItemIndex > i)
        --FItemIndex;
    {
        QSignalBlocker block(this);
        removeItem(i);
        setCurrentIndex(FItemIndex);
    }
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(cursor);
}

void TComboBox::SetColor(TColor c) {
    FColor = c;
    applyLook();
}

void TComboBox::applyLook() {
    setFont(FFont.ToQFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Base, ToQColor(FColor));
    pal.setColor(QPalette::Button, ToQColor(FColor));
    pal.setColor(QPalette::Text, ToQColor(FFont.Color));
    pal.setColor(QPalette::ButtonText, ToQColor(FFont.Color));
    // The selection colours come from the same system colour table as the
    // buttons' bevels, not from the desktop theme, for the text field and for
    // the drop-down list (a window of its own that inherits no palette).
    pal.setColor(QPalette::Highlight, ToQColor(clHighlight));
    pal.setColor(QPalette::HighlightedText, ToQColor(clHighlightText));
    setPalette(pal);
    lineEdit()->setPalette(pal);
    view()->setPalette(pal);
}

bool TComboBox::removeKey(QKeyEvent* e, int index) {
    if (e->key() != Qt::Key_Delete || e->modifiers() != Qt::ShiftModifier) return false;
    // Taken whether or not an entry goes: in the text field Shift+Delete
    // would cut the text the operator typed.
    e->accept();
    if (index >= 0 && OnRemoveKey) Dispatch([&] { OnRemoveKey(this, index); });
    return true;
}

bool TComboBox::eventFilter(QObject* watched, QEvent* e) {
    if (watched == view() && e->type() == QEvent::KeyPress)
        return removeKey(static_cast<QKeyEvent*>(e), view()->currentIndex().row());
    return QComboBox::eventFilter(watched, e);
}

void TComboBox::keyPressEvent(QKeyEvent* e) {
    if (removeKey(e, FItemIndex)) return;
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (OnKeyPress) {
        QChar ch;
        if (enter)
            ch = QChar(13);
        else if (!e->text().isEmpty() &&
                 !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            ch = e->text().at(0);
        if (!ch.isNull()) {
            QChar key = ch;
            Dispatch([&] { OnKeyPress(this, key); });
            if (key.isNull()) {
                e->accept();
                return;
            }
        }
    }
    // Enter has no meaning of its own in the text field.
    if (enter) {
        e->accept();
        return;
    }
    QComboBox::keyPressEvent(e);
}
