#include "IntConv.h"

#include "Errors.h"
#include "Messages.h"

std::optional<int32_t> TryStrToInt(const QString& s) {
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n && s[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return std::nullopt;
    // Accumulate the magnitude in 64 bits and stop as soon as it leaves the
    // 32-bit range. Hexadecimal texts may use the full unsigned range
    // ($FFFFFFFF is -1); decimal texts must fit the signed range.
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t v = 0;
    for (; i < n; ++i) {
        const char16_t c = s[i].unicode();
        unsigned digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        v = v * (hex ? 16 : 10) + digit;
        if (v > limit) return std::nullopt;
    }
    uint32_t u = static_cast<uint32_t>(v);
    if (negative) u = 0u - u;
    return static_cast<int32_t>(u);
}

int32_t StrToIntDef(const QString& s, int32_t def) {
    return TryStrToInt(s).value_or(def);
}

int32_t StrToInt(const QString& s) {
    if (auto v = TryStrToInt(s)) return *v;
    throw EConvertError(Msg::NotAnInteger().arg(s), Msg::En::NotAnInteger().arg(s));
}
