#pragma once
#include <exception>
#include <functional>
#include <utility>

class QObject;

namespace Application {
// The default error report: a message box with the error's message
// (Application.h has the rest of the application's services).
void ShowException(const std::exception& e);
} // namespace Application

// Runs an event handler; an error it raises goes to the default error report
// and the program goes on with whatever the handler had already changed.
template <class F> void Dispatch(F&& f) {
    try {
        std::forward<F>(f)();
    } catch (const std::exception& e) {
        Application::ShowException(e);
    }
}

using TNotifyEvent = std::function<void(QObject* sender)>;

inline void CallEvent(const TNotifyEvent& ev, QObject* sender) {
    if (ev) Dispatch([&] { ev(sender); });
}
