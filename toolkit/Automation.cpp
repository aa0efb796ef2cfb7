#include "Automation.h"

#include "Messages.h"
#include "OleError.h"

#include <QHash>
#include <QStringList>

namespace Automation {
namespace {

struct Tables {
    QHash<QString, TClassFactory> classes;
    QHash<QString, TDispatchPtr> running;
};

Tables& tables() {
    static Tables t;
    return t;
}

ScopedCallRecorder* recorder = nullptr;

QString key(const QString& progId) {
    return progId.toCaseFolded();
}

void record(TCallRecord::Kind what, QString target, QString member, TArgs args) {
    if (recorder)
        recorder->Records.push_back({what, std::move(target), std::move(member), std::move(args)});
}

TVariant invoke(const TVariant& target, const QString& member, TCallKind kind, const TArgs& args) {
    const TDispatchPtr obj = target.ToObject();
    static constexpr TCallRecord::Kind kinds[] = {TCallRecord::Get, TCallRecord::Put,
                                                  TCallRecord::Method};
    record(kinds[int(kind)], obj->ClassName(), member, args);
    return obj->Invoke(member, kind, args);
}

QString describe(const TArg& a) {
    return (a.ByRef ? QStringLiteral("&") : QString()) + a.Value.Describe();
}

} // namespace

void RegisterClass(const QString& progId, TClassFactory factory) {
    tables().classes.insert(key(progId), std::move(factory));
}

void UnregisterClass(const QString& progId) {
    tables().classes.remove(key(progId));
}

TVariant CreateOleObject(const QString& progId) {
    record(TCallRecord::Create, progId, {}, {});
    const auto it = tables().classes.constFind(key(progId));
    if (it == tables().classes.constEnd() || !*it)
        throw EOleSysError(Msg::InvalidClassString().arg(progId),
                           Msg::En::InvalidClassString().arg(progId));
    TDispatchPtr obj = (*it)();
    if (!obj)
        throw EOleSysError(Msg::CannotCreateObject().arg(progId),
                           Msg::En::CannotCreateObject().arg(progId));
    return TVariant(std::move(obj));
}

void RegisterActiveObject(const QString& progId, TDispatchPtr object) {
    tables().running.insert(key(progId), std::move(object));
}

void RevokeActiveObject(const QString& progId, const TDispatch* object) {
    auto& running = tables().running;
    const auto it = running.find(key(progId));
    if (it == running.end()) return;
    if (object && it->get() != object) return;
    running.erase(it);
}

TVariant GetActiveOleObject(const QString& progId) {
    record(TCallRecord::Active, progId, {}, {});
    const auto it = tables().running.constFind(key(progId));
    if (it == tables().running.constEnd())
        throw EOleSysError(Msg::OperationUnavailable().arg(progId),
                           Msg::En::OperationUnavailable().arg(progId));
    return TVariant(*it);
}

TVariant Get(const TVariant& target, const QString& member, const TArgs& args) {
    return invoke(target, member, TCallKind::Get, args);
}

void Put(const TVariant& target, const QString& member, const TArg& value, const TArgs& index) {
    TArgs args = index;
    args.push_back(value);
    invoke(target, member, TCallKind::Put, args);
}

TVariant Call(const TVariant& target, const QString& member, const TArgs& args) {
    return invoke(target, member, TCallKind::Method, args);
}

QString TCallRecord::Text() const {
    switch (What) {
    case Create:
        return QStringLiteral("create ") + Target;
    case Active:
        return QStringLiteral("active ") + Target;
    case Put: {
        QStringList index;
        for (qsizetype i = 0; i + 1 < Args.size(); ++i)
            index << describe(Args[i]);
        QString s = QStringLiteral("put ") + Target + u'.' + Member;
        if (!index.isEmpty()) s += u'(' + index.join(QStringLiteral(", ")) + u')';
        return s + QStringLiteral(" = ") + (Args.isEmpty() ? QString() : describe(Args.back()));
    }
    case Get:
    case Method: {
        QString s = (What == Get ? QStringLiteral("get ") : QStringLiteral("call ")) + Target +
                    u'.' + Member;
        if (!Args.isEmpty()) {
            QStringList a;
            for (const TArg& arg : Args)
                a << describe(arg);
            s += u'(' + a.join(QStringLiteral(", ")) + u')';
        }
        return s;
    }
    }
    return {};
}

ScopedCallRecorder::ScopedCallRecorder() {
    recorder = this;
}
ScopedCallRecorder::~ScopedCallRecorder() {
    if (recorder == this) recorder = nullptr;
}

QStringList ScopedCallRecorder::Texts() const {
    QStringList out;
    for (const TCallRecord& r : Records)
        out << r.Text();
    return out;
}

} // namespace Automation
