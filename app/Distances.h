#pragma once
// What the operator may add to the distance list by typing. The lap speeds
// multiply the distance in whole metres before they divide by the lap time,
// in signed 32-bit arithmetic; above MaxMetres that product wraps and the
// speeds come out negative or nonsense, so such a distance is refused at
// the keyboard rather than shown as a wrong figure.
#include <QString>
#include <QStringList>

#include <optional>

namespace Distances {

constexpr int MinMetres = 1;
constexpr int MaxMetres = 214748;

// The entry a typed text adds: the number in ASCII digits without leading
// zeros ("５８６４" and "0400" give "5864" and "400"), or nothing when the
// text is no whole number of metres in range. Blanks around the number are
// allowed (an input method leaves ideographic ones too); a sign, a blank
// inside the number or any other character is not.
std::optional<QString> Typed(const QString& text);

// Whether `entry` names a number one of `items` already names: the same
// text, or the same number written another way ("0400" listed by an older
// run's journal, "400" typed).
bool Listed(const QStringList& items, const QString& entry);

} // namespace Distances
