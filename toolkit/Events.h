#pragma once
#include "ErrorReport.h"

#include <exception>
#include <functional>
#include <utility>

class QObject;

// Runs an event handler; an error it raises goes to the installed error
// report and the program goes on with whatever the handler had already
// changed. This is the one place errors are caught: right around the
// handler, so the control that called it finishes its own work too, where
// an error caught further out would already have unwound through the
// control's half-done state and through Qt, which is not exception-safe.
template <class F> void Dispatch(F&& f) {
    try {
        std::forward<F>(f)();
    } catch (const std::exception& e) {
        ErrorReport::Report(e);
    }
}

using TNotifyEvent = std::function<void(QObject* sender)>;

inline void CallEvent(const TNotifyEvent& ev, QObject* sender) {
    if (ev) Dispatch([&] { ev(sender); });
}
