#pragma once
#include "Font.h"
#include "Keys.h"
#include "TColor.h"

#include <QPlainTextEdit>
#include <QString>

class TStringGrid;

// What the in-place editor asks of the grid it edits in, so that the editor
// needs no more of the grid than this. The grid answers through its own
// overridable editing hooks.
class TInplaceEditHost {
public:
    virtual TStringGrid* EditorGrid() = 0;
    virtual QWidget* EditorParent() = 0;
    // Stores the editor's text in the cell it is loaded with, if any.
    virtual void EditorTextEdited(const QString& text) = 0;
    // The grid's key handling, for the keys the editor hands on.
    virtual void EditorKeyDown(int& key, TShiftState shift) = 0;
    virtual void EditorKeyPress(QChar& ch) = 0;
    // Whether Left, Right, Home and End at the edge of the text leave the cell.
    virtual bool EditorAlwaysShown() const = 0;
    virtual bool EditorMayModify() = 0;
    virtual bool EditorAcceptsKey(QChar ch) = 0;
    // The editor gained or lost the focus.
    virtual void EditorFocusChanged() = 0;

protected:
    ~TInplaceEditHost() = default;
};

// The grid's in-place editor: a multi-line edit window over the current cell.
class TInplaceEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit(TInplaceEditHost* host);
    TStringGrid* Grid() const { return FGrid; }

    QString Text() const;
    void SetText(const QString& t);
    int SelStart() const;      // caret position (characters)
    void SetSelStart(int pos); // caret there, nothing selected
    int SelLength() const;
    void SelectAll();
    TColor Color() const { return FColor; }
    void SetColor(TColor c);
    void SetEditFont(const TFont& f);
    // Wrapping at the right edge instead of scrolling sideways.
    bool AutoHScroll() const { return FAutoHScroll; }
    void SetAutoHScroll(bool on);

    // Hooks for editors derived from this one. Setting key to 0 (or ch to a
    // null QChar) swallows the key.
    virtual void KeyDown(int& key, TShiftState shift);
    virtual void KeyPress(QChar& ch);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    // Text committed by an input method goes through KeyPress character by
    // character, like typed keys.
    void inputMethodEvent(QInputMethodEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void textEdited();
    void applyChar(QChar c);
    // A character the grid types into the editor, through the key-press rules.
    void typeChar(QChar ch);
    bool leftSide() const;
    bool rightSide() const;
    TInplaceEditHost* FHost;
    TStringGrid* FGrid;
    TColor FColor = clWindow;
    bool FAutoHScroll = true;
    bool FSettingText = false;
    int FInKey = 0;              // nesting of keyPressEvent
    bool FPendingChange = false; // text changed while a key was handled
    friend class TStringGrid;
};
