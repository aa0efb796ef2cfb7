#pragma once
#include <QString>

#include <cstdint>

class QDBusMessage;

// `vantel --lap` and its kin: the command line presses a button of the
// running program over the session bus and exits. It has no window and no
// widgets, so that a desktop shortcut's press is on its way within moments of
// the command's start.
namespace ActionCommand {

struct TCommand {
    enum TKind { OpenWindow, Send, Help, Usage };
    TKind Kind = OpenWindow;
    QString Action; // for Send: the action's name on the bus ("lap")
};
// The program's own options are the ones with two dashes; anything else
// (Qt's -platform and the like) is left to the window as before. A sending
// option is the command's only argument.
TCommand Parse(int argc, const char* const* argv);

struct TOutcome {
    int ExitCode = 0;
    QString Text; // for stderr, empty when all went well
};
// What the program's answer to the call means to whoever ran the command.
TOutcome Outcome(const QDBusMessage& reply);
// Sends `action`, pressed at `pressTick`, to the running program and waits
// at most `timeoutMs` for its answer. Needs a QCoreApplication.
TOutcome Send(const QString& action, uint32_t pressTick, int timeoutMs = 2000);

} // namespace ActionCommand
