#pragma once
#include "Change.h"
#include "Events.h"

#include <QObject>
#include <QTimer>

// A repeating timer that raises OnTimer. Fire() delivers one tick directly, so
// tests and the replay harness drive the display without real time passing.
class TTimer : public QObject {
    Q_OBJECT
public:
    explicit TTimer(QObject* owner = nullptr);

    int Interval() const { return FInterval; }
    void SetInterval(int ms) { set(FInterval, ms); }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool on) { set(FEnabled, on); }
    // The real period used: the requested interval, but never below the
    // floor (the window system's own minimum for a repeating timer).
    int EffectiveInterval() const;
    void SetMinimumInterval(int ms);

    TNotifyEvent OnTimer;
    void Fire() { CallEvent(OnTimer, this); }

private:
    // Stores a property; only a real change notifies.
    template <class T, class U> void set(T& field, U&& v) {
        if (Change(field, std::forward<U>(v))) restart();
    }
    void restart();
    QTimer FTimer;
    int FInterval = 1000;
    int FMinimum = 1;
    bool FEnabled = true;
};
