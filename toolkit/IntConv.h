#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// Integer text as the program accepts it: optional leading blanks, an optional
// sign, then decimal digits, or hexadecimal digits after "$", "x", "X" or "0x",
// nothing else, and a value that fits in 32 bits. Overflow is checked at every
// digit, so a long run of digits is simply not an integer.
std::optional<int32_t> TryStrToInt(const QString& s);

// Lenient: the default (0 unless given) when the text is not an integer.
int32_t StrToIntDef(const QString& s, int32_t def = 0);

// Strict: raises EConvertError with Msg::NotAnInteger.
int32_t StrToInt(const QString& s);
