#include "InputHub.h"

#include "ErrorReport.h"
#include "Unit1.h"

#include <exception>

namespace {

struct TRemote {
    const char* Name;
    TRunAction Action;
};
constexpr TRemote kRemote[] = {
    {"lap", TRunAction::Lap},     {"lap2", TRunAction::Lap2}, {"lap3", TRunAction::Lap3},
    {"start", TRunAction::Start}, {"stop", TRunAction::Stop}, {"restart", TRunAction::Restart},
};

} // namespace

TInputHub::TInputHub(TVantel& window, QObject* parent) : QObject(parent), FWindow(window) {}

std::optional<TRunAction> TInputHub::RemoteAction(QStringView name) {
    for (const TRemote& r : kRemote)
        if (name == QLatin1String(r.Name)) return r.Action;
    return std::nullopt;
}

QString TInputHub::RemoteName(TRunAction action) {
    for (const TRemote& r : kRemote)
        if (r.Action == action) return QLatin1String(r.Name);
    return QString();
}

void TInputHub::Press(TRunAction action, std::optional<uint32_t> pressTick) {
    if (RemoteName(action).isEmpty()) return;
    // The press comes from a socket or the bus, not from an event of the
    // window: its error is reported here, as the window reports its own.
    try {
        FWindow.Run.Press(action, pressTick);
    } catch (const std::exception& e) {
        ErrorReport::Report(e);
    }
}

void TInputHub::Note(const QString& text) {
    FWindow.ShowRunNote(text);
}
