#pragma once
// The rules of the column-defined grid that need no painting and no widget:
// cell colours, what a cell is drawn with (its text formatted by
// DisplayFormat), and the typing and storing rules of integer columns. The
// widgets in StringGridEx only apply what these functions decide.
#include "Alignment.h"
#include "Font.h"
#include "GridTypes.h"
#include "Keys.h"
#include "Rect.h"
#include "TColor.h"

#include <QChar>
#include <QString>
#include <optional>

enum TInputDataType { dtString, dtInteger };

enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};

enum TGridStyle { gsNormal, gsStriped };

// Everything one column definition holds, in declaration order. The fonts are
// value copies here; the column object owns the real ones.
struct GridColumnProps {
    TAlignment Alignment = taLeftJustify;
    bool CanEdit = true;
    TColor Color = clWindow;
    QString Caption;
    TInputDataType DataType = dtString;
    QString DisplayMask;
    TFont FixCellFont;
    TFont Font;
    TImeMode ImeMode = imDisable;
    bool MultiLine = false;
    bool Wordwrap = false;
};

// --- Cell colour -----------------------------------------------------------

// Background of a data cell. `columnColor` is the column definition's colour,
// or nothing when the column has no definition.
TColor GridCellColor(TGridStyle style, TColor gridColor, TColor stripeColor, int row,
                     std::optional<TColor> columnColor);

// --- Drawing a cell ----------------------------------------------------------

struct CellDrawInput {
    int Row = 0;
    TRect Rect;                    // the whole cell
    TGridDrawState State = 0;      // gdFixed, gdSelected, gdFocused
    QString Text;                  // the cell's stored text
    bool DefaultDrawing = true;    // the grid's DefaultDrawing
    const GridColumnProps* Column; // nullptr: the column has no definition
    TColor CellColor = clWindow;   // the cell colour rule's answer for this cell
};

// What one cell gets on the canvas. When DrawsText is false nothing beyond the
// toolkit's own fill is drawn.
struct CellDrawPlan {
    bool DrawsText = false;
    bool Fill = false;         // data cells are filled again, fixed cells are not
    TColor FillColor = clNone; // valid when Fill
    TRect FillRect;            // valid when Fill
    TFont Font;                // valid when DrawsText
    QString Text;              // valid when DrawsText (before '&' processing)
    TRect TextRect;            // valid when DrawsText
    uint32_t Flags = 0;        // valid when DrawsText
    TRect EventRect;           // handed to OnDrawCell
};

CellDrawPlan PlanCellDraw(const CellDrawInput& in);

// Text flags of a column: always DT_EDITCONTROL, DT_WORDBREAK for word wrap,
// DT_RIGHT or DT_CENTER by alignment.
uint32_t CellTextFlags(TAlignment alignment, bool wordwrap);

// --- Editing rules -------------------------------------------------------------

// Characters an integer column takes while typing: #0 to #32, "+", "-", "."
// and the digits.
bool IntegerKeyAccepted(QChar ch);

// Whether the editor accepts a typed character in a column (nullptr: the column
// has no definition and accepts everything).
bool ColumnAcceptsKey(const GridColumnProps* column, QChar ch);

// Whether the editor may change a cell of the column.
bool ColumnMayModify(const GridColumnProps* column);

// What an integer column stores for the editor's text: "-" becomes "-0",
// empty stays empty, a signed 32-bit decimal integer (leading blanks allowed)
// becomes its canonical text. Nothing means the text is rejected and the
// previous content wins.
std::optional<QString> IntegerStoredText(const QString& value);

// Key-down decision of the in-place editor.
enum class EditorKeyAction {
    Inherited,        // the toolkit editor's handling
    CloseEditor,      // hide the grid's editor, key becomes 0
    EditWindowOnly,   // not handed on: the edit window moves its own caret
    MoveGridCaretEnd, // hand the key to the grid (no shift), caret to the end, key 0
    EnterAsRight,     // Enter becomes Right, then the toolkit editor's handling
};
EditorKeyAction DecideEditorKey(bool multiLine, int key, TShiftState shift);
