#pragma once
#include <QList>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>

class TDispatch;
using TDispatchPtr = std::shared_ptr<TDispatch>;

enum class TVarType { Empty, Boolean, Integer, Double, String, Object };

// A value passed to or returned by an automation call. Each kind keeps its
// own type, because a server may refuse a value of the wrong kind and the
// call record must show exactly what was sent.
class TVariant {
public:
    TVariant() = default;
    TVariant(bool v) : FValue(v) {}
    TVariant(int32_t v) : FValue(v) {}
    TVariant(double v) : FValue(v) {}
    TVariant(QString v) : FValue(std::move(v)) {}
    TVariant(TDispatchPtr v) : FValue(std::move(v)) {}
    // A literal would otherwise become a Boolean.
    TVariant(const char*) = delete;

    TVarType Type() const { return static_cast<TVarType>(FValue.index()); }
    bool IsEmpty() const { return Type() == TVarType::Empty; }
    bool IsObject() const { return Type() == TVarType::Object && std::get<TDispatchPtr>(FValue); }

    // Conversions as a server applies them to its arguments; a value that
    // cannot be converted raises EOleError (a type mismatch).
    bool ToBool() const;
    int32_t ToInt() const;
    double ToDouble() const;
    QString ToString() const;
    // The object; EOleError when the value holds none.
    TDispatchPtr ToObject() const;

    // "int 5", "bool true", "str \"A1\"", "obj Range", "empty".
    QString Describe() const;

    bool operator==(const TVariant& o) const { return FValue == o.FValue; }

private:
    // The value as a number, for the kinds that are numbers (True is -1).
    std::optional<double> asNumber() const;
    std::variant<std::monostate, bool, int32_t, double, QString, TDispatchPtr> FValue;
};

// The name of a variant kind as the call record shows it.
const char* VarTypeName(TVarType t);

enum class TCallKind { Get, Put, Method };

struct TArg {
    TVariant Value;
    bool ByRef = false;
};
inline TArg ByVal(TVariant v) {
    return {std::move(v), false};
}
inline TArg ByRef(TVariant v) {
    return {std::move(v), true};
}
using TArgs = QList<TArg>;

// An automation object. For a property write the value is the last argument.
class TDispatch {
public:
    virtual ~TDispatch() = default;
    // The object's class as call records show it.
    virtual QString ClassName() const = 0;
    virtual TVariant Invoke(QStringView member, TCallKind kind, const TArgs& args) = 0;
};
