#pragma once
// Display formatting of cell texts: number patterns and edit masks.
#include <QString>

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
