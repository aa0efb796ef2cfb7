#include "ActionCommand.h"

#include "DesktopActions.h"
#include "InputHub.h"
#include "Messages.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QVariant>

#include <cstring>

namespace ActionCommand {

TCommand Parse(int argc, const char* const* argv) {
    TCommand command;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--", 2) != 0) continue;
        const QString name = QString::fromLocal8Bit(arg + 2);
        if (name == QLatin1String("help")) {
            command.Kind = TCommand::Help;
            continue;
        }
        // Only the actions an outside press may make; reset and save are not
        // among them.
        if (argc == 2 && TInputHub::RemoteAction(name)) return {TCommand::Send, name};
        return {TCommand::Usage, {}};
    }
    return command;
}

TOutcome Outcome(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ReplyMessage) return {};
    const QString error = reply.errorName();
    // No bus at all, or nobody on it owns the name: no program to press.
    if (error == QDBusError::errorString(QDBusError::ServiceUnknown) ||
        error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
        error == QDBusError::errorString(QDBusError::Disconnected) ||
        error == QDBusError::errorString(QDBusError::NoServer))
        return {1, Msg::NotRunning()};
    const QString why = reply.errorMessage().isEmpty() ? error : reply.errorMessage();
    return {1, Msg::PressNotTaken().arg(why)};
}

TOutcome Send(const QString& action, uint32_t pressTick, int timeoutMs) {
    // The bus's own types are registered on first use, without a lock: left
    // to the call, this thread marshalling the message and the bus's thread
    // reading the answer can race to it (seen: "invalid type" warnings when
    // many commands start at once). Asking for a signature here registers
    // them before the bus's thread exists.
    (void)QDBusMetaType::typeToSignature(QMetaType::fromType<QVariantMap>());
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(DesktopActions::BusName), QLatin1String(DesktopActions::ObjectPath),
        QLatin1String(DesktopActions::Interface), QStringLiteral("ActivateAction"));
    // Nothing would start the program with a run in it; a name nobody owns
    // is an answer at once.
    call.setAutoStartService(false);
    QVariantMap platformData;
    platformData.insert(QLatin1String(DesktopActions::PressTickKey),
                        QVariant::fromValue(pressTick));
    call << action << QVariantList() << platformData;
    return Outcome(QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs));
}

} // namespace ActionCommand
