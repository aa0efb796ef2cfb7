#include "AutoObject.h"

#include "Messages.h"
#include "OleError.h"

void TAutoObject::AddProperty(const QString& name, Getter get, Setter set) {
    FMembers.insert(name.toCaseFolded(), Member{std::move(get), std::move(set)});
}

void TAutoObject::AddMethod(const QString& name, Getter call) {
    FMembers.insert(name.toCaseFolded(), Member{std::move(call), {}});
}

const TVariant& TAutoObject::Arg(const TArgs& args, qsizetype i) {
    if (i < 0 || i >= args.size()) throw EOleError(Msg::ArgCount(), Msg::En::ArgCount());
    return args[i].Value;
}

void TAutoObject::ExpectArgs(const TArgs& args, qsizetype lo, qsizetype hi, QStringView member) {
    if (args.size() < lo || args.size() > hi)
        throw EOleError(Msg::ArgCountOf().arg(member), Msg::En::ArgCountOf().arg(member));
}

TVariant TAutoObject::Invoke(QStringView member, TCallKind kind, const TArgs& args) {
    CheckAlive();
    const auto it = FMembers.constFind(member.toString().toCaseFolded());
    if (it == FMembers.constEnd())
        throw EOleError(Msg::UnknownName().arg(ClassName(), member),
                        Msg::En::UnknownName().arg(ClassName(), member));
    if (kind == TCallKind::Put) {
        if (!it->set)
            throw EOleError(Msg::CannotSet().arg(ClassName(), member),
                            Msg::En::CannotSet().arg(ClassName(), member));
        TArgs index = args;
        if (index.isEmpty())
            throw EOleError(Msg::NoValue().arg(member), Msg::En::NoValue().arg(member));
        const TVariant value = index.takeLast().Value;
        it->set(index, value);
        return {};
    }
    if (!it->get)
        throw EOleError(Msg::CannotRead().arg(ClassName(), member),
                        Msg::En::CannotRead().arg(ClassName(), member));
    return it->get(args);
}
