#pragma once
#include "Application.h"

#include <QObject>
#include <QTimer>

// A repeating timer that raises OnTimer. Fire() delivers one tick directly, so
// tests and the replay harness drive the display without real time passing.
class TTimer : public QObject {
    Q_OBJECT
public:
    explicit TTimer(QObject* owner = nullptr);

    int Interval() const { return FInterval; }
    void SetInterval(int ms);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool on);
    // The real period used: the requested interval, but never below the
    // floor (the window system's own minimum for a repeating timer).
    int EffectiveInterval() const;
    void SetMinimumInterval(int ms);

    TNotifyEvent OnTimer;
    void Fire() { CallEvent(OnTimer, this); }

private:
    void restart();
    QTimer FTimer;
    int FInterval = 1000;
    int FMinimum = 1;
    bool FEnabled = true;
};
