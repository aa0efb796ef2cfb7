#include "Variant.h"

#include "Messages.h"
#include "OleError.h"

#include <cmath>
#include <iterator>
#include <limits>

namespace {

[[noreturn]] void mismatch(const TVariant& v, const char* wanted) {
    throw EOleError(Msg::TypeMismatch().arg(v.Describe(), QLatin1String(wanted)),
                    Msg::En::TypeMismatch().arg(v.Describe(), QLatin1String(wanted)));
}

} // namespace

const char* VarTypeName(TVarType t) {
    // In the order of TVarType.
    static constexpr const char* names[] = {"empty", "bool", "int", "double", "str", "obj"};
    static_assert(std::size(names) == size_t(TVarType::Object) + 1);
    const auto i = size_t(t);
    return i < std::size(names) ? names[i] : "?";
}

std::optional<double> TVariant::asNumber() const {
    switch (Type()) {
    case TVarType::Boolean:
        return std::get<bool>(FValue) ? -1.0 : 0.0;
    case TVarType::Integer:
        return std::get<int32_t>(FValue);
    case TVarType::Double:
        return std::get<double>(FValue);
    default:
        return std::nullopt;
    }
}

bool TVariant::ToBool() const {
    if (Type() == TVarType::Boolean) return std::get<bool>(FValue);
    const std::optional<double> n = asNumber();
    if (!n) mismatch(*this, "bool");
    return *n != 0.0;
}

int32_t TVariant::ToInt() const {
    if (Type() == TVarType::Integer) return std::get<int32_t>(FValue);
    const std::optional<double> n = asNumber();
    if (!n) mismatch(*this, "int");
    const double d = std::round(*n);
    if (!std::isfinite(d) || d < std::numeric_limits<int32_t>::min() ||
        d > std::numeric_limits<int32_t>::max())
        mismatch(*this, "int");
    return static_cast<int32_t>(d);
}

double TVariant::ToDouble() const {
    const std::optional<double> n = asNumber();
    if (!n) mismatch(*this, "double");
    return *n;
}

QString TVariant::ToString() const {
    switch (Type()) {
    case TVarType::String:
        return std::get<QString>(FValue);
    case TVarType::Integer:
        return QString::number(std::get<int32_t>(FValue));
    case TVarType::Double:
        return QString::number(std::get<double>(FValue), 'g', 15);
    case TVarType::Boolean:
        return std::get<bool>(FValue) ? QStringLiteral("True") : QStringLiteral("False");
    default:
        mismatch(*this, "str");
    }
}

TDispatchPtr TVariant::ToObject() const {
    if (!IsObject())
        throw EOleError(Msg::NotAnObject().arg(Describe()), Msg::En::NotAnObject().arg(Describe()));
    return std::get<TDispatchPtr>(FValue);
}

QString TVariant::Describe() const {
    const QString kind = QLatin1String(VarTypeName(Type()));
    switch (Type()) {
    case TVarType::Empty:
        return kind;
    case TVarType::Boolean:
        return kind + QLatin1String(std::get<bool>(FValue) ? " true" : " false");
    case TVarType::Integer:
        return kind + u' ' + QString::number(std::get<int32_t>(FValue));
    case TVarType::Double:
        return kind + u' ' + QString::number(std::get<double>(FValue), 'g', 17);
    case TVarType::String:
        return kind + QStringLiteral(" \"") + std::get<QString>(FValue) + u'"';
    case TVarType::Object: {
        const TDispatchPtr& p = std::get<TDispatchPtr>(FValue);
        return kind + u' ' + (p ? p->ClassName() : QStringLiteral("nil"));
    }
    }
    return kind;
}
