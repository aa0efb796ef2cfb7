#include "DesktopActions.h"

#include "InputHub.h"
#include "Messages.h"
#include "Unit1.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>
#include <QMetaType>
#include <QThread>

#include <cstdio>

namespace DesktopActions {

QString CheckPlatformData(const QVariantMap& platformData) {
    if (platformData.size() > MaxPlatformData) return Msg::PlatformDataSize().arg(MaxPlatformData);
    return QString();
}

TActionCall CheckActionCall(const QString& name, const QVariantList& parameter,
                            const QVariantMap& platformData) {
    TActionCall call;
    const QString data = CheckPlatformData(platformData);
    if (!data.isEmpty()) {
        call.Refusal = data;
        return call;
    }
    const std::optional<TRunAction> action = TInputHub::RemoteAction(name);
    if (!action) {
        // Only the start of a long name: the refusal goes back to whoever
        // sent it, and into nothing else.
        call.Refusal = Msg::UnknownAction().arg(name.left(64));
        return call;
    }
    if (!parameter.isEmpty()) {
        call.Refusal = Msg::ActionParameter().arg(name);
        return call;
    }
    const auto tick = platformData.constFind(QLatin1String(PressTickKey));
    if (tick != platformData.cend()) {
        // Exactly the bus's uint32: a signed or wider number, a string or a
        // variant in a variant is a caller's mistake, not a time to guess at.
        if (tick->metaType().id() != QMetaType::UInt) {
            call.Refusal = Msg::PressTickType().arg(
                QLatin1String(PressTickKey), QString::fromLatin1(tick->metaType().name()).left(64));
            return call;
        }
        call.PressTick = tick->value<uint32_t>();
    }
    call.Action = action;
    return call;
}

} // namespace DesktopActions

TDesktopActions::TDesktopActions(TInputHub& hub, QObject* parent) : QObject(parent), FHub(hub) {}

TDesktopActions::~TDesktopActions() {
    if (!FPublisher) return;
    // A bus that never answered must not hold the program's exit for long;
    // a thread still waiting on it is left to the process's end.
    if (FPublisher->wait(2000)) delete FPublisher;
}

void TDesktopActions::Publish() {
    if (FPublisher) return;
    QObject* self = this;
    FPublisher = QThread::create([self] {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            std::fprintf(stderr, "%s\n",
                         qPrintable(Msg::BusNotReached().arg(bus.lastError().message())));
            return;
        }
        // The object first: a caller that sees the name finds it there.
        // Its calls are delivered on the thread the object lives on.
        bus.registerObject(QLatin1String(DesktopActions::ObjectPath), self,
                           QDBusConnection::ExportScriptableSlots);
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            bus.interface()->registerService(QLatin1String(DesktopActions::BusName),
                                             QDBusConnectionInterface::DontQueueService,
                                             QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid())
            std::fprintf(stderr, "%s\n",
                         qPrintable(Msg::BusNotReached().arg(reply.error().message())));
        else if (reply.value() != QDBusConnectionInterface::ServiceRegistered)
            std::fprintf(
                stderr, "%s\n",
                qPrintable(Msg::BusNameTaken().arg(QLatin1String(DesktopActions::BusName))));
    });
    FPublisher->start();
}

void TDesktopActions::Refuse(const QString& why) {
    if (calledFromDBus()) sendErrorReply(QDBusError::InvalidArgs, why);
}

void TDesktopActions::Activate(const QVariantMap& platform_data) {
    const QString data = DesktopActions::CheckPlatformData(platform_data);
    if (!data.isEmpty()) return Refuse(data);
    // The window comes to the front; which of its controls has the focus
    // is left as it was, so a running run's LAP keeps it.
    TVantel& w = FHub.Window();
    if (w.isMinimized()) w.showNormal();
    w.show();
    w.raise();
    w.activateWindow();
}

void TDesktopActions::ActivateAction(const QString& action_name, const QVariantList& parameter,
                                     const QVariantMap& platform_data) {
    const DesktopActions::TActionCall call =
        DesktopActions::CheckActionCall(action_name, parameter, platform_data);
    if (!call.Action) return Refuse(call.Refusal);
    // With no time from the caller the press is the call's: the run reads
    // the clock as the call is handled. A time ahead of the clock or older
    // than a press may be is the run's to refuse (TRunModel::Press).
    FHub.Press(*call.Action, call.PressTick);
}

void TDesktopActions::Open(const QStringList& uris, const QVariantMap& platform_data) {
    Q_UNUSED(uris);
    Q_UNUSED(platform_data);
    if (calledFromDBus()) sendErrorReply(QDBusError::NotSupported, Msg::OpensNoFiles());
}
