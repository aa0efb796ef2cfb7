#pragma once
#include "Variant.h"

#include <QHash>
#include <functional>

// A server object built from a table of named members. Names are matched
// without regard to case. A property is read by a Get or, as late-bound
// clients do for a member without arguments, by a method call; methods may
// likewise be invoked with Get.
class TAutoObject : public TDispatch {
public:
    using Getter = std::function<TVariant(const TArgs& args)>;
    using Setter = std::function<void(const TArgs& index, const TVariant& value)>;

    TVariant Invoke(QStringView member, TCallKind kind, const TArgs& args) final;

protected:
    void AddProperty(const QString& name, Getter get, Setter set = {});
    void AddMethod(const QString& name, Getter call);
    // Raises EOleError when the object may no longer be used (its server has
    // quit, its workbook was closed).
    virtual void CheckAlive() const {}

    // Argument helpers: EOleError when the argument is missing.
    static const TVariant& Arg(const TArgs& args, qsizetype i);
    static void ExpectArgs(const TArgs& args, qsizetype lo, qsizetype hi, QStringView member);

private:
    struct Member {
        Getter get;
        Setter set;
    };
    QHash<QString, Member> FMembers;
};
