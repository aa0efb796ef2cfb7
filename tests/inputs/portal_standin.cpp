// A stand-in for the desktop's global shortcuts portal, for tests on a
// private session bus: it owns org.freedesktop.portal.Desktop, answers
// CreateSession and BindShortcuts with the documented Request/Response
// dance, and emits Activated and ShortcutsChanged when its control interface
// (io.github.vantel.PortalStandin at /standin) tells it to.
//
//   portal_standin                 the interface as documented
//   portal_standin --no-shortcuts  a portal without the interface
//
// Each Response is sent before the method's reply, the order a caller that
// only listens after the reply would miss.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QVariantMap>

#include <cstdio>

using TShortcutList = QList<QPair<QString, QVariantMap>>;

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");

QString senderElement(QString unique) {
    if (unique.startsWith(QLatin1Char(':'))) unique.remove(0, 1);
    return unique.replace(QLatin1Char('.'), QLatin1Char('_'));
}

} // namespace

class TPortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    uint version() const { return 1; }
    QString Session;       // the one session made
    QStringList BoundText; // what BindShortcuts was given, id:description:preferred
    TShortcutList Bound;   // what was answered

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options) {
        const QString element = senderElement(message().service());
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        const QString request = kPath + QStringLiteral("/request/") + element + u'/' + token;
        Session = kPath + QStringLiteral("/session/") + element + u'/' +
                  options.value(QStringLiteral("session_handle_token")).toString();
        // Documented as a string, not an object path.
        respond(request, {{QStringLiteral("session_handle"), Session}});
        return QDBusObjectPath(request);
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session, const TShortcutList& shortcuts,
                                  const QString& parentWindow, const QVariantMap& options) {
        const QString request = kPath + QStringLiteral("/request/") +
                                senderElement(message().service()) + u'/' +
                                options.value(QStringLiteral("handle_token")).toString();
        if (session.path() != Session) {
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("unknown session"));
            return {};
        }
        static const char* const assigned[] = {"Ctrl+F9", "Ctrl+F10", "Ctrl+F11"};
        Bound.clear();
        BoundText.clear();
        BoundText << QStringLiteral("parent=") + parentWindow;
        int n = 0;
        for (const auto& [id, props] : shortcuts) {
            const QString preferred = props.value(QStringLiteral("preferred_trigger")).toString();
            BoundText << id + u':' + props.value(QStringLiteral("description")).toString() + u':' +
                             preferred;
            const QString trigger =
                !preferred.isEmpty() ? preferred : QLatin1String(assigned[n++ % 3]);
            Bound.append({id,
                          {{QStringLiteral("description"), props.value("description")},
                           {QStringLiteral("trigger_description"), trigger}}});
        }
        // A shortcut the caller never asked for: it must be ignored.
        TShortcutList answer = Bound;
        answer.append({QStringLiteral("reset"),
                       {{QStringLiteral("trigger_description"), QStringLiteral("Ctrl+R")}}});
        respond(request, {{QStringLiteral("shortcuts"), QVariant::fromValue(answer)}});
        return QDBusObjectPath(request);
    }

signals:
    void Activated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                   const QVariantMap& options);
    void ShortcutsChanged(const QDBusObjectPath& session, const TShortcutList& shortcuts);

private:
    void respond(const QString& request, const QVariantMap& results) {
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << 0u << results;
        connection().send(response);
    }
};

class TControl : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.vantel.PortalStandin")
public:
    explicit TControl(TPortal& portal) : FPortal(portal) {}

public slots:
    // An activation of `id` stamped `timestamp`, for `session` (empty: the
    // one session made).
    void Press(const QString& id, qulonglong timestamp, const QString& session) {
        emit FPortal.Activated(QDBusObjectPath(session.isEmpty() ? FPortal.Session : session), id,
                               timestamp, {});
    }
    // The desktop's settings changed `id`'s trigger; only that one is listed.
    void Change(const QString& id, const QString& trigger, const QString& session) {
        emit FPortal.ShortcutsChanged(
            QDBusObjectPath(session.isEmpty() ? FPortal.Session : session),
            {{id, {{QStringLiteral("trigger_description"), trigger}}}});
    }
    QString Bound() const { return FPortal.BoundText.join(u';'); }

private:
    TPortal& FPortal;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<QPair<QString, QVariantMap>>();
    qDBusRegisterMetaType<TShortcutList>();
    // The bus finds slot and signal arguments by their type names.
    qRegisterMetaType<TShortcutList>("TShortcutList");
    const bool withShortcuts = !app.arguments().contains(QStringLiteral("--no-shortcuts"));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "portal_standin: no session bus\n");
        return 1;
    }
    TPortal portal;
    TControl control(portal);
    if (withShortcuts &&
        !bus.registerObject(kPath, &portal,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties))
        return 1;
    if (!bus.registerObject(QStringLiteral("/standin"), &control, QDBusConnection::ExportAllSlots))
        return 1;
    // The control object first, the portal's name last: once the name is
    // seen on the bus, everything answers.
    if (!bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "portal_standin: name taken\n");
        return 1;
    }
    return app.exec();
}

#include "portal_standin.moc"
