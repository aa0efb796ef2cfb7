#pragma once
// The rules of the column-defined grid that need no painting and no widget:
// cell colours, what a cell is drawn with, display formatting of cell text,
// and the typing and storing rules of integer columns. The widgets in
// StringGridEx only apply what these functions decide.
#include "Canvas.h"
#include "Font.h"
#include "Panel.h" // TAlignment
#include "StringGrid.h"
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

// --- Display formatting -------------------------------------------------------

// The text of a data cell under a display mask: texts made only of "+-.0123456789"
// go through the number pattern (FormatNumberPattern), all others through the
// edit mask (FormatMaskText). A text of those characters that is not a number
// (such as "1.2.3", "+" or "-") comes back unchanged.
QString FormatDisplayText(const QString& text, const QString& mask);

// Number pattern, up to three sections "positive;negative;zero" (an empty or
// missing section falls back to the first; a value shown by the negative
// section gets no minus sign of its own). Within a section:
//   0   a digit, shown even when it is a leading or trailing zero
//   #   a digit, left out when it is a leading or trailing zero
//   .   the decimal point: the first one marks where the fraction starts; it is
//       shown only when fraction digits follow
//   ,   anywhere left of the point: group the integer digits by thousands
//   E+ E- e+ e-  followed by zeros: scientific notation; E+ always shows the
//       exponent's sign, E- only a minus; the zeros give the minimum exponent
//       digits
//   "x" 'x'  quoted literal text
//   \x  the next character as a literal
//   any other character is copied as it is.
// Integer digits beyond the pattern's placeholders all go in front of the first
// one. A value that rounds to zero is shown without a minus sign. A pattern
// without any digit placeholder shows only its literals. Infinite or NaN
// values give "INF", "-INF" or "NAN".
QString FormatNumberPattern(double value, const QString& pattern);

// Edit mask "mask;save-literals;blank", the usual masked input syntax:
//   0  required digit          9  optional digit        #  optional digit or sign
//   L  required letter         l  optional letter
//   A  required letter/digit   a  optional letter/digit
//   C  required any character  c  optional any character
//   >  upper case from here    <  lower case from here  <> no case change
//   \  the next mask character is a literal
//   _  a literal blank
//   !  missing characters are taken to be leading ones (the text is right
//      aligned in the mask) instead of trailing ones
//   any other character is a literal.
// Second field "1" (the default) means the text already contains the literals
// (a literal in the text at a literal position is consumed); "0" means the
// text holds only the characters of the placeholders. Third field: the blank
// character shown at placeholder positions without a fitting character
// (default "_"). A text character that does not fit its placeholder is
// consumed and shown as the blank character; characters beyond the mask are
// dropped.
QString FormatMaskText(const QString& editMask, const QString& text);

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
