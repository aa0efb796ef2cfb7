#pragma once
// Signed 32-bit arithmetic that wraps modulo 2^32, as the timing figures are
// defined. Plain int32_t overflow is undefined behaviour in C++, so every
// operation goes through uint32_t and converts back (well defined since C++20).
#include <cstdint>
#include <optional>

namespace wrap {

constexpr int32_t fromU(uint32_t u) {
    return static_cast<int32_t>(u);
}
constexpr uint32_t toU(int32_t v) {
    return static_cast<uint32_t>(v);
}

constexpr int32_t add(int32_t a, int32_t b) {
    return fromU(toU(a) + toU(b));
}
constexpr int32_t sub(int32_t a, int32_t b) {
    return fromU(toU(a) - toU(b));
}
constexpr int32_t mul(int32_t a, int32_t b) {
    return fromU(toU(a) * toU(b));
}
constexpr int32_t neg(int32_t a) {
    return fromU(0u - toU(a));
}

// Truncating division. The one overflowing case, INT32_MIN quot -1, wraps to
// INT32_MIN instead of trapping. Division by zero has no value: nullopt.
constexpr std::optional<int32_t> quot(int32_t a, int32_t d) {
    if (d == 0) return std::nullopt;
    if (d == -1) return neg(a);
    return a / d;
}

// Truncating remainder; INT32_MIN rem -1 is 0.
constexpr std::optional<int32_t> rem(int32_t a, int32_t d) {
    if (d == 0) return std::nullopt;
    if (d == -1) return 0;
    return a % d;
}

} // namespace wrap
