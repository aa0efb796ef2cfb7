#pragma once
#include "RunAction.h"

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <cstdint>
#include <memory>
#include <optional>

class TInputHub;
class QThread;

// The desktop's own way to press a button of the program: its launcher's
// actions, a keyboard shortcut running `vantel --lap`, a script calling the
// bus. The program owns a name on the session bus and answers there as a
// desktop application does.
namespace DesktopActions {

inline constexpr char BusName[] = "io.github.vantel.Vantel";
inline constexpr char ObjectPath[] = "/io/github/vantel/Vantel";
inline constexpr char Interface[] = "org.freedesktop.Application";
// The platform data's key for the moment of the press, on the tick counter.
inline constexpr char PressTickKey[] = "vantel-press-tick";
// A launcher sends a few entries (a start-up id, an activation token); many
// more is no launcher's.
inline constexpr int MaxPlatformData = 32;

// What an ActivateAction call asks for, once everything in it is checked:
// either the action and the moment of its press (when the caller knew it),
// or why it is refused.
struct TActionCall {
    std::optional<TRunAction> Action;
    std::optional<uint32_t> PressTick;
    QString Refusal; // empty when the call is taken
};
TActionCall CheckActionCall(const QString& name, const QVariantList& parameter,
                            const QVariantMap& platformData);
// An empty text when a platform data may be taken, else why not.
QString CheckPlatformData(const QVariantMap& platformData);

} // namespace DesktopActions

// The program's object on the bus, org.freedesktop.Application. Its calls
// arrive on the window's thread as events do; what goes to the run goes
// through the hub.
class TDesktopActions : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit TDesktopActions(TInputHub& hub, QObject* parent = nullptr);
    ~TDesktopActions() override;

    // Connects to the session bus, shows this object and asks for the name,
    // all on a thread of its own: the bus's answers can take any time, and
    // the window's thread never waits for them. A name another copy owns
    // stays with it; this copy says so on stderr and goes on without it.
    void Publish();

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap& platform_data);
    Q_SCRIPTABLE void ActivateAction(const QString& action_name, const QVariantList& parameter,
                                     const QVariantMap& platform_data);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platform_data);

private:
    void Refuse(const QString& why);

    TInputHub& FHub;
    QThread* FPublisher = nullptr;
};
