#include "ShortcutsPortal.h"

#include "InputHub.h"

#include "Clock.h"
#include "Messages.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QList>
#include <QPair>
#include <QRandomGenerator>
#include <QSettings>
#include <QThread>
#include <QVariantMap>

#include <chrono>
#include <utility>

namespace {

using TShortcutList = QList<QPair<QString, QVariantMap>>;

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kListSignature = QStringLiteral("a(sa{sv})");

// The steady clock of the C++ library is CLOCK_MONOTONIC on Linux.
uint64_t monotonicMs() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// A fresh object path element for each request and session: a token that
// repeated would make a predicted path ambiguous.
QString newToken() {
    static uint32_t count = 0;
    return QStringLiteral("vantel_%1_%2").arg(++count).arg(QRandomGenerator::global()->generate());
}

// The (id, trigger description) pairs of an a(sa{sv}) shortcut list, or
// nothing when the value is not one; at most MaxListed are read.
std::optional<QList<QPair<QString, QString>>> shortcutList(const QVariant& value) {
    if (value.metaType() != QMetaType::fromType<QDBusArgument>()) return std::nullopt;
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentSignature() != kListSignature) return std::nullopt;
    QList<QPair<QString, QString>> out;
    arg.beginArray();
    while (!arg.atEnd() && out.size() < PortalShortcuts::MaxListed) {
        QString id;
        QVariantMap properties;
        arg.beginStructure();
        arg >> id >> properties;
        arg.endStructure();
        const QVariant trigger = properties.value(QStringLiteral("trigger_description"));
        out.append({id, trigger.metaType() == QMetaType::fromType<QString>() ? trigger.toString()
                                                                             : QString()});
    }
    // Also after a list cut short: the array's reader is freed only here.
    arg.endArray();
    return out;
}

} // namespace

TShortcutsPortal::TShortcutsPortal(TInputHub& hub, QObject* parent)
    : QObject(parent), FHub(hub), FBus(QString()), FMonotonic(monotonicMs) {
    // The list's element first: an array takes its signature from it.
    qDBusRegisterMetaType<QPair<QString, QVariantMap>>();
    qDBusRegisterMetaType<TShortcutList>();
}

TShortcutsPortal::~TShortcutsPortal() {
    if (FConnecting) {
        FConnecting->wait(); // at exit only: the connection hand-shake, bounded by the bus
        delete FConnecting;
    }
    // The portal closes the session when the connection goes; closing it
    // here frees the keys at once. No reply is awaited.
    if (!FSession.isEmpty() && FBus.isConnected()) {
        QDBusMessage close = QDBusMessage::createMethodCall(
            kService, FSession, QStringLiteral("org.freedesktop.portal.Session"),
            QStringLiteral("Close"));
        FBus.send(close);
    }
}

std::unique_ptr<TShortcutsPortal> TShortcutsPortal::ForSession(TInputHub& hub) {
    if (!PortalShortcuts::IsWaylandSession(qEnvironmentVariable("XDG_SESSION_TYPE"),
                                           qEnvironmentVariable("WAYLAND_DISPLAY")))
        return nullptr;
    auto portal = std::make_unique<TShortcutsPortal>(hub);
    portal->SetPreferred(PreferredFromSettings());
    TShortcutsPortal* p = portal.get();
    p->FConnecting = QThread::create([p] {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        QMetaObject::invokeMethod(
            p, [p, bus] { p->Start(bus); }, Qt::QueuedConnection);
    });
    p->FConnecting->start();
    return portal;
}

PortalShortcuts::TTriggers TShortcutsPortal::PreferredFromSettings() {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vantel"),
                QStringLiteral("vantel"));
    s.beginGroup(QStringLiteral("GlobalShortcuts"));
    PortalShortcuts::TTriggers out;
    for (int i = 0; i < PortalShortcuts::Count; ++i) {
        const QVariant v = s.value(PortalShortcuts::Id(i));
        if (v.metaType() != QMetaType::fromType<QString>()) continue;
        const QString trigger = PortalShortcuts::CleanTrigger(v.toString());
        if (!trigger.isEmpty()) out.insert(i, trigger);
    }
    return out;
}

void TShortcutsPortal::setState(TState state) {
    if (state == FState) return;
    FState = state;
    emit StateChanged(state);
}

void TShortcutsPortal::stop() {
    stopListening();
    setState(TState::Off);
}

void TShortcutsPortal::call(const QDBusMessage& message,
                            std::function<void(const QDBusMessage&)> done) {
    auto* watcher = new QDBusPendingCallWatcher(FBus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->reply());
    });
}

void TShortcutsPortal::Start(const QDBusConnection& bus) {
    if (FState != TState::Idle) return;
    FBus = bus;
    if (!FBus.isConnected()) return stop();
    // Ask for the interface's version first: a portal without it (or no
    // portal at all) answers with an error, and Vantel stays quietly off.
    setState(TState::Asking);
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    call(get, [this](const QDBusMessage& reply) { versionReply(reply); });
}

void TShortcutsPortal::versionReply(const QDBusMessage& reply) {
    if (FState != TState::Asking) return;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("v"))
        return stop();
    const QVariant version = reply.arguments().at(0).value<QDBusVariant>().variant();
    if (version.metaType() != QMetaType::fromType<uint>() || version.toUInt() < 1) return stop();
    FPortal = reply.service();
    FBus.connect(QString(), kPath, kInterface, QStringLiteral("Activated"), this,
                 SLOT(onActivated(QDBusMessage)));
    FBus.connect(QString(), kPath, kInterface, QStringLiteral("ShortcutsChanged"), this,
                 SLOT(onShortcutsChanged(QDBusMessage)));
    createSession();
}

bool TShortcutsPortal::fromPortal(const QDBusMessage& message) const {
    return !FPortal.isEmpty() && message.service() == FPortal;
}

void TShortcutsPortal::listenAt(const QString& requestPath) {
    stopListening();
    FRequestPath = requestPath;
    // Any sender: naming the portal's well-known name here would make Qt ask
    // the bus for its owner and wait. The sender is checked on arrival.
    FBus.connect(QString(), FRequestPath, kRequest, QStringLiteral("Response"), this,
                 SLOT(onResponse(QDBusMessage)));
}

void TShortcutsPortal::stopListening() {
    if (FRequestPath.isEmpty()) return;
    FBus.disconnect(QString(), FRequestPath, kRequest, QStringLiteral("Response"), this,
                    SLOT(onResponse(QDBusMessage)));
    FRequestPath.clear();
}

void TShortcutsPortal::createSession() {
    setState(TState::Creating);
    const QString token = newToken();
    listenAt(PortalShortcuts::RequestPath(FBus.baseService(), token));
    QDBusMessage create = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                         QStringLiteral("CreateSession"));
    create << QVariantMap{{QStringLiteral("handle_token"), token},
                          {QStringLiteral("session_handle_token"), newToken()}};
    call(create, [this](const QDBusMessage& reply) { requestReply(TState::Creating, reply); });
}

void TShortcutsPortal::bindShortcuts() {
    setState(TState::Binding);
    TShortcutList shortcuts;
    for (int i = 0; i < PortalShortcuts::Count; ++i) {
        QVariantMap properties{{QStringLiteral("description"), Msg::ShortcutName[i]()}};
        if (FPreferred.contains(i))
            properties.insert(QStringLiteral("preferred_trigger"), FPreferred.value(i));
        shortcuts.append({PortalShortcuts::Id(i), properties});
    }
    const QString token = newToken();
    listenAt(PortalShortcuts::RequestPath(FBus.baseService(), token));
    QDBusMessage bind = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("BindShortcuts"));
    bind << QVariant::fromValue(QDBusObjectPath(FSession)) << QVariant::fromValue(shortcuts)
         << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    call(bind, [this](const QDBusMessage& reply) { requestReply(TState::Binding, reply); });
}

// The reply to a call that answers through a Request: its handle. A portal
// older than the predicted paths may hand another one, to listen at instead.
void TShortcutsPortal::requestReply(TState stage, const QDBusMessage& reply) {
    if (FState != stage) return; // its Response came first and was handled
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("o"))
        return stop();
    const QString handle = reply.arguments().at(0).value<QDBusObjectPath>().path();
    if (handle != FRequestPath && !handle.isEmpty()) listenAt(handle);
}

void TShortcutsPortal::onResponse(const QDBusMessage& message) {
    if (!fromPortal(message) || message.path() != FRequestPath ||
        message.signature() != QLatin1String("ua{sv}"))
        return;
    const QList<QVariant> args = message.arguments();
    const uint response = args.at(0).toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(args.at(1));
    stopListening();
    // 1: the user cancelled, 2: any other end; both leave the keys unbound.
    if (response != 0) return stop();
    if (FState == TState::Creating) return sessionCreated(results);
    if (FState == TState::Binding) return shortcutsBound(results);
}

void TShortcutsPortal::sessionCreated(const QVariantMap& results) {
    // Documented as a string, though it is an object path; either is taken.
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    QString session;
    if (handle.metaType() == QMetaType::fromType<QString>())
        session = handle.toString();
    else if (handle.metaType() == QMetaType::fromType<QDBusObjectPath>())
        session = handle.value<QDBusObjectPath>().path();
    if (!PortalShortcuts::IsSessionPath(session)) return stop();
    FSession = session;
    bindShortcuts();
}

void TShortcutsPortal::shortcutsBound(const QVariantMap& results) {
    // The bound ones are a subset of those asked for, the empty set included:
    // a shortcut missing from the list has no trigger.
    const auto listed = shortcutList(results.value(QStringLiteral("shortcuts")));
    FTriggers.clear();
    if (listed) PortalShortcuts::TakeTriggers(*listed, FTriggers);
    setState(TState::Bound);
    FHub.Note(PortalShortcuts::Note(FTriggers));
}

void TShortcutsPortal::onActivated(const QDBusMessage& message) {
    // Both clocks are read first, before anything else can delay them.
    const uint32_t tickNow = Clock::GetTickCount();
    const uint64_t monotonicNow = FMonotonic();
    if (FSession.isEmpty() || !fromPortal(message) || message.path() != kPath ||
        message.signature() != QLatin1String("osta{sv}"))
        return;
    const QList<QVariant> args = message.arguments();
    if (args.at(0).value<QDBusObjectPath>().path() != FSession) return;
    const std::optional<int> index = PortalShortcuts::Index(args.at(1).toString());
    if (!index) return;
    FHub.Press(PortalShortcuts::Action(*index),
               PortalShortcuts::PressTick(args.at(2).toULongLong(), tickNow, monotonicNow));
}

void TShortcutsPortal::onShortcutsChanged(const QDBusMessage& message) {
    if (FState != TState::Bound || !fromPortal(message) || message.path() != kPath ||
        message.signature() != QLatin1String("oa(sa{sv})"))
        return;
    const QList<QVariant> args = message.arguments();
    if (args.at(0).value<QDBusObjectPath>().path() != FSession) return;
    const auto listed = shortcutList(args.at(1));
    if (!listed) return;
    // Only the shortcuts whose triggers changed may be listed.
    PortalShortcuts::TakeTriggers(*listed, FTriggers);
    FHub.Note(PortalShortcuts::Note(FTriggers));
}
