#pragma once
#include <QString>
#include <QStringList>

// The fields of a row text: how one comma-separated text fills the cells of a
// grid row. Leading characters 1..32 are skipped; a field is either a quoted
// text (a doubled quote stands for one quote, blanks kept, an unclosed quote
// runs to the end) or the characters up to the next comma or character 1..32.
// After a field, characters 1..32 are skipped, then one comma and the
// characters 1..32 after it. A NUL character ends the text.
QStringList RowTextFields(const QString& text);

// Deals the fields into `cellCount` cells: each field goes into the first
// empty cell counting from 0, or is dropped when none is empty. An empty field
// therefore leaves its cell free for the next one.
QStringList RowTextCells(const QString& text, int cellCount);
