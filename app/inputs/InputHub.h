#pragma once
#include "RunAction.h"

#include <QObject>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

class TVantel;

// Where the presses from outside the window's keyboard go: a global key, the
// desktop's actions and the command line, the shortcuts portal, input
// devices. Each tells the moment of its press where it knows it, and the lap
// is timed at that moment; the window's keyboard focus is left alone.
class TInputHub : public QObject {
    Q_OBJECT
public:
    explicit TInputHub(TVantel& window, QObject* parent = nullptr);

    // The actions an input from outside may ask for, by their names in the
    // desktop file and on the bus ("lap", "lap2", "lap3", "start", "stop",
    // "restart"); never reset, save or a correction: nothing from outside
    // may end or change a run.
    static std::optional<TRunAction> RemoteAction(QStringView name);
    static QString RemoteName(TRunAction action);

    // Performs `action` through the run, made at `pressTick` when known. An
    // error of its handler is reported as every handler's is.
    void Press(TRunAction action, std::optional<uint32_t> pressTick = std::nullopt);
    // Tells the operator something about an input (a key another program
    // holds, a device that cannot be opened) without taking the focus.
    void Note(const QString& text);

    TVantel& Window() const { return FWindow; }

private:
    TVantel& FWindow;
};
