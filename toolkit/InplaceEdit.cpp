#include "InplaceEdit.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

TInplaceEdit::TInplaceEdit(TInplaceEditHost* host)
    : QPlainTextEdit(host->EditorParent()), FHost(host), FGrid(host->EditorGrid()) {
    setFrameStyle(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    // Every change goes through the key rules: no context-menu paste, no drops.
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    document()->setDocumentMargin(1);
    setAutoFillBackground(true);
    hide();
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (FSettingText) return;
        if (FInKey > 0) {
            FPendingChange = true;
            return;
        }
        textEdited();
    });
    SetColor(FColor);
}

void TInplaceEdit::textEdited() {
    FPendingChange = false;
    FHost->EditorTextEdited(Text());
}

QString TInplaceEdit::Text() const {
    return toPlainText();
}

void TInplaceEdit::SetText(const QString& t) {
    if (t == Text()) return;
    const bool was = FSettingText;
    FSettingText = true;
    setPlainText(t);
    FSettingText = was;
}

int TInplaceEdit::SelStart() const {
    return textCursor().selectionStart();
}

void TInplaceEdit::SetSelStart(int pos) {
    QTextCursor c = textCursor();
    const int len = static_cast<int>(document()->characterCount()) - 1;
    c.setPosition(std::clamp(pos, 0, std::max(0, len)));
    setTextCursor(c);
}

int TInplaceEdit::SelLength() const {
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TInplaceEdit::SelectAll() {
    selectAll();
}

void TInplaceEdit::SetColor(TColor c) {
    FColor = c;
    QPalette p = palette();
    p.setColor(QPalette::Base, ToQColor(c));
    p.setColor(QPalette::Window, ToQColor(c));
    setPalette(p);
}

void TInplaceEdit::SetEditFont(const TFont& f) {
    setFont(f.ToQFont());
    QPalette p = palette();
    p.setColor(QPalette::Text, ToQColor(f.Color));
    setPalette(p);
}

void TInplaceEdit::SetAutoHScroll(bool on) {
    if (FAutoHScroll == on) return;
    FAutoHScroll = on;
    setLineWrapMode(on ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

bool TInplaceEdit::leftSide() const {
    const QTextCursor c = textCursor();
    const int len = Text().size();
    return c.selectionStart() == 0 && (c.selectionEnd() == 0 || c.selectionEnd() == len);
}

bool TInplaceEdit::rightSide() const {
    const QTextCursor c = textCursor();
    const int len = Text().size();
    return (c.selectionStart() == 0 || c.selectionEnd() == c.selectionStart()) &&
           c.selectionEnd() == len;
}

void TInplaceEdit::KeyDown(int& key, TShiftState shift) {
    // Keys that belong to the grid go there and are used up; Left and Right
    // leave the cell only when the editor is always shown and the caret is
    // already at that edge of the text.
    auto sendToGrid = [&] {
        FHost->EditorKeyDown(key, shift);
        key = 0;
    };
    const bool forward = FHost->EditorAlwaysShown();
    const bool ctrl = shift & ssCtrl;
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
        sendToGrid();
        break;
    case VK_INSERT:
        if (shift == 0)
            sendToGrid();
        else if (shift == ssShift && !FHost->EditorMayModify())
            key = 0;
        break;
    case VK_LEFT:
    case VK_HOME:
        if (forward && (ctrl || leftSide())) sendToGrid();
        break;
    case VK_RIGHT:
    case VK_END:
        if (forward && (ctrl || rightSide())) sendToGrid();
        break;
    case VK_TAB:
        if (!(shift & ssAlt)) sendToGrid();
        break;
    case VK_F2:
        SetSelStart(Text().size());
        key = 0;
        break;
    default:
        break;
    }
    if (key == VK_DELETE && !FHost->EditorMayModify()) key = 0;
}

void TInplaceEdit::KeyPress(QChar& ch) {
    FHost->EditorKeyPress(ch);
    if (ch.isNull()) return;
    const ushort u = ch.unicode();
    if (u > 31 && !FHost->EditorAcceptsKey(ch)) {
        ch = QChar();
        QApplication::beep();
        return;
    }
    switch (u) {
    case 9:
    case 27:
        ch = QChar();
        break;
    case 13:
        // Enter that the grid did not take toggles between all selected and
        // the caret at the end.
        if (SelLength() == Text().size() && !Text().isEmpty())
            SetSelStart(Text().size());
        else
            SelectAll();
        ch = QChar();
        break;
    case 8:
    case 22: // Ctrl+V
    case 24: // Ctrl+X
        if (!FHost->EditorMayModify()) ch = QChar();
        break;
    default:
        if (u >= 32 && !FHost->EditorMayModify()) ch = QChar();
        break;
    }
}

void TInplaceEdit::applyChar(QChar c) {
    switch (c.unicode()) {
    case 8: {
        QTextCursor cur = textCursor();
        if (cur.hasSelection())
            cur.removeSelectedText();
        else
            cur.deletePreviousChar();
        setTextCursor(cur);
        return;
    }
    case 1:
        selectAll();
        return;
    case 3:
        copy();
        return;
    case 22:
        paste();
        return;
    case 24:
        cut();
        return;
    case 10:
    case 13:
        insertPlainText(QStringLiteral("\n"));
        return;
    default:
        break;
    }
    if (c.unicode() >= 32) insertPlainText(QString(c));
}

void TInplaceEdit::typeChar(QChar ch) {
    QChar c = ch;
    KeyPress(c);
    if (c.isNull()) return;
    ++FInKey;
    applyChar(c);
    --FInKey;
    if (FInKey == 0 && FPendingChange) textEdited();
}

void TInplaceEdit::keyPressEvent(QKeyEvent* e) {
    const int vk = VirtualKeyOf(e->key());
    const TShiftState shift = ShiftStateOf(e->modifiers());
    int key = vk;
    if (vk != 0) {
        KeyDown(key, shift);
        if (key == 0) {
            e->accept();
            return;
        }
    }
    const QChar ch = KeyCharOf(e);
    ++FInKey;
    if (key != vk) {
        // A hook turned the key into another one: the edit handles that key
        // instead, and the character of the original key is not typed.
        QKeyEvent other(QEvent::KeyPress, QtKeyOf(key), e->modifiers());
        QPlainTextEdit::keyPressEvent(&other);
    } else if (!ch.isNull()) {
        QChar c = ch;
        KeyPress(c);
        if (!c.isNull() && isVisible()) {
            if (c == ch)
                QPlainTextEdit::keyPressEvent(e);
            else
                applyChar(c);
        }
    } else {
        QPlainTextEdit::keyPressEvent(e);
    }
    --FInKey;
    e->accept();
    if (FInKey == 0 && FPendingChange) textEdited();
}

void TInplaceEdit::inputMethodEvent(QInputMethodEvent* e) {
    if (e->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    QString accepted;
    for (const QChar c : e->commitString()) {
        QChar k = c;
        KeyPress(k);
        if (!isVisible()) return; // the grid closed the editor
        if (!k.isNull() && k.unicode() >= 32) accepted += k;
    }
    QInputMethodEvent filtered(e->preeditString(), e->attributes());
    filtered.setCommitString(accepted, e->replacementStart(), e->replacementLength());
    ++FInKey;
    QPlainTextEdit::inputMethodEvent(&filtered);
    --FInKey;
    e->accept();
    if (FInKey == 0 && FPendingChange) textEdited();
}

// The grid shows whether it (with its editor) holds the focus.
void TInplaceEdit::focusInEvent(QFocusEvent* e) {
    QPlainTextEdit::focusInEvent(e);
    FHost->EditorFocusChanged();
}

void TInplaceEdit::focusOutEvent(QFocusEvent* e) {
    QPlainTextEdit::focusOutEvent(e);
    FHost->EditorFocusChanged();
}
