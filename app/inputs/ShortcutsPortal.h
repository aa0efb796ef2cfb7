#pragma once
#include "PortalShortcuts.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QThread;
class TInputHub;

// The lap buttons as global shortcuts of the desktop, through its global
// shortcuts portal on the session bus: a session is made, the three
// shortcuts are bound (the desktop picks the final keys and the note says
// which), and each activation presses its button, timed when the key went
// down. Every step is asynchronous: the window's thread never waits on the
// bus. A desktop without the portal, or a portal without the interface,
// leaves it quietly off.
class TShortcutsPortal : public QObject {
    Q_OBJECT
public:
    enum class TState { Idle, Asking, Creating, Binding, Bound, Off };
    // Milliseconds of CLOCK_MONOTONIC, the clock the Activated stamps are
    // assumed to be on; replaceable so that a test controls the stamps' age.
    using MonotonicFn = std::function<uint64_t()>;

    explicit TShortcutsPortal(TInputHub& hub, QObject* parent = nullptr);
    ~TShortcutsPortal() override;

    // The triggers to propose to the desktop, by shortcut index; the desktop
    // may take them or not.
    void SetPreferred(const PortalShortcuts::TTriggers& preferred) { FPreferred = preferred; }
    void SetMonotonic(MonotonicFn fn) { FMonotonic = std::move(fn); }
    // Begins on `bus`; everything after comes from the bus's replies.
    void Start(const QDBusConnection& bus);
    // In a Wayland session only: the preferred triggers from the settings,
    // and the session bus connected on a thread of its own (a connection is
    // a blocking hand-shake), then Start on the window's thread.
    static std::unique_ptr<TShortcutsPortal> ForSession(TInputHub& hub);
    // [GlobalShortcuts] lap=..., lap2=..., lap3=... in vantel.conf.
    static PortalShortcuts::TTriggers PreferredFromSettings();

    TState State() const { return FState; }
    const PortalShortcuts::TTriggers& Triggers() const { return FTriggers; }

signals:
    void StateChanged(TShortcutsPortal::TState state);

private slots:
    void onResponse(const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    void setState(TState state);
    void stop();
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> done);
    void versionReply(const QDBusMessage& reply);
    void createSession();
    void bindShortcuts();
    void requestReply(TState stage, const QDBusMessage& reply);
    void listenAt(const QString& requestPath);
    void stopListening();
    void sessionCreated(const QVariantMap& results);
    void shortcutsBound(const QVariantMap& results);
    bool fromPortal(const QDBusMessage& message) const;

    TInputHub& FHub;
    QDBusConnection FBus;
    PortalShortcuts::TTriggers FPreferred;
    PortalShortcuts::TTriggers FTriggers;
    MonotonicFn FMonotonic;
    TState FState = TState::Idle;
    QString FPortal;      // the portal's unique name: only its signals count
    QString FRequestPath; // the Request object whose Response is awaited
    QString FSession;     // our session's handle, once the portal gave it
    QThread* FConnecting = nullptr;
};
