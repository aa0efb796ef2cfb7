#pragma once
#include "Variant.h"

#include <QList>
#include <QString>
#include <functional>

// Late-bound automation: objects are reached through calls by member name
// with variant arguments, and outside applications are found by their
// programmatic identifier. Nothing but this layer connects a client with a
// server, so a client never depends on a server's C++ types.

using TClassFactory = std::function<TDispatchPtr()>;

namespace Automation {

// Class registry by programmatic identifier (matched without regard to case).
void RegisterClass(const QString& progId, TClassFactory factory);
void UnregisterClass(const QString& progId);
// A new instance of the registered class; EOleSysError when none is
// registered. A factory's own failure passes on as it is.
TVariant CreateOleObject(const QString& progId);

// Running-object table.
void RegisterActiveObject(const QString& progId, TDispatchPtr object);
// Removes the entry; with an object given, only when that object is the entry.
void RevokeActiveObject(const QString& progId, const TDispatch* object = nullptr);
// The running object; EOleSysError when there is none.
TVariant GetActiveOleObject(const QString& progId);

// Calls by member name on the object held by `target` (EOleError when it
// holds none).
TVariant Get(const TVariant& target, const QString& member, const TArgs& args = {});
void Put(const TVariant& target, const QString& member, const TArg& value, const TArgs& index = {});
TVariant Call(const TVariant& target, const QString& member, const TArgs& args = {});

// One call as the record keeps it.
struct TCallRecord {
    enum Kind { Create, Active, Get, Put, Method } What;
    QString Target; // class name of the object called, or the identifier
    QString Member;
    TArgs Args; // for Put, the value is the last one
    // "create Excel.Application", "call Workbooks.Add",
    // "get Worksheet.Cells(int 1, int 1)", "put Interior.Color = &int 0".
    QString Text() const;
};

// Keeps a record of every call made through this layer while it lives.
class ScopedCallRecorder {
public:
    ScopedCallRecorder();
    ~ScopedCallRecorder();
    ScopedCallRecorder(const ScopedCallRecorder&) = delete;
    ScopedCallRecorder& operator=(const ScopedCallRecorder&) = delete;
    QList<TCallRecord> Records;
    QStringList Texts() const;
};

} // namespace Automation
