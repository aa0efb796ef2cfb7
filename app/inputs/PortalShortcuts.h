#pragma once
#include "RunAction.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// The rules of the desktop's global shortcuts portal client that do not need
// the bus: which shortcuts there are, what a press's time is on the tick
// counter, what the note says. Everything that came over the bus is treated
// as untrusted here: another program on the session bus may send anything.
namespace PortalShortcuts {

// The shortcuts Vantel binds, by their ids on the bus: the three lap buttons.
constexpr int Count = 3;
QString Id(int index); // "lap", "lap2", "lap3"
std::optional<int> Index(QStringView id);
TRunAction Action(int index);

// Longest trigger text kept and most shortcuts read from one list; a desktop
// has no reason to send more, and a note must stay one line.
constexpr int MaxTriggerLength = 64;
constexpr int MaxListed = 32;

// The portal is of use only in a Wayland session; elsewhere the X server's
// own grabs serve.
bool IsWaylandSession(const QString& sessionType, const QString& waylandDisplay);

// The path of the Request object the portal will make for a call with
// `token`: the caller's unique name without its ':' and with '_' for '.'.
// Subscribing there before the call means a Response sent before the call's
// reply is never missed.
QString RequestPath(const QString& uniqueName, const QString& token);
// A session handle the portal may give: a valid object path under its
// session folder.
bool IsSessionPath(const QString& path);

// The moment of an Activated signal on the tick counter. The portal only
// promises a timestamp "with millisecond granularity, with an undefined
// base"; Linux compositors stamp their input events with CLOCK_MONOTONIC in
// milliseconds, so that is assumed here. `tickNow` and `monotonicNow` are the
// two clocks read when the signal arrived; their difference carries the
// stamp over. A stamp ahead of the monotonic reading, or more than MaxAge
// before it, is on some other clock and is not trusted (nullopt: the press
// is timed when it is handled).
constexpr uint64_t MaxAge = 1000;
std::optional<uint32_t> PressTick(uint64_t timestamp, uint32_t tickNow, uint64_t monotonicNow);

// A trigger text as shown: control characters dropped, cut to
// MaxTriggerLength.
QString CleanTrigger(const QString& text);

// What the desktop bound, by shortcut index; an empty text is a shortcut
// with no trigger.
using TTriggers = QMap<int, QString>;
// Adds the listed (id, trigger description) pairs to `into`: unknown ids
// and all past MaxListed are ignored, the first of a repeated id counts.
void TakeTriggers(const QList<QPair<QString, QString>>& listed, TTriggers& into);
// "Desktop shortcuts: LAP: Ctrl+F9, LAP2: not set, LAP3: Ctrl+F11".
QString Note(const TTriggers& triggers);

} // namespace PortalShortcuts
