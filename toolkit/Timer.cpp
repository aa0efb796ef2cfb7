#include "Timer.h"

TTimer::TTimer(QObject* owner) : QObject(owner) {
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] { Fire(); });
    restart();
}

int TTimer::EffectiveInterval() const {
    return FInterval > FMinimum ? FInterval : FMinimum;
}

void TTimer::SetMinimumInterval(int ms) {
    FMinimum = ms;
    restart();
}

void TTimer::restart() {
    FTimer.stop();
    if (FEnabled && FInterval > 0) FTimer.start(EffectiveInterval());
}
