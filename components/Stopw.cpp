#include "Stopw.h"

#include "Clock.h"
#include "Label.h"
#include "TimeText.h"

TStopWatch::TStopWatch(QObject* owner) : QObject(owner) {}

void TStopWatch::Start() {
    FStopTime = 0;
    FOffset = 0;
    FRunning = true;
    FStartTick = Clock::GetTickCount();
}

void TStopWatch::Stop() {
    const int32_t e = Elapsed();
    FStopTime = e;
    FOffset = e;
    FRunning = false;
    if (FDisplayLabel) FDisplayLabel->SetCaption(TimeText());
}

void TStopWatch::Resume() {
    FRunning = true;
    FStartTick = Clock::GetTickCount();
}

int32_t TStopWatch::Elapsed() const {
    if (!FRunning) return FStopTime;
    // Modulo 2^32: one wrap of the tick counter during an interval is harmless.
    const uint32_t span = Clock::GetTickCount() - FStartTick;
    return static_cast<int32_t>(span + static_cast<uint32_t>(FOffset));
}

QString TStopWatch::TimeText() const {
    return ::TimeText(Elapsed());
}

void TStopWatch::ShowTime() {
    if (FDisplayLabel) FDisplayLabel->SetCaption(TimeText());
}

void TStopWatch::SetDisplayLabel(TLabel* label) {
    if (FDisplayLabel == label) return;
    QObject::disconnect(FLabelGone);
    FDisplayLabel = label;
    FLabelObject = label;
    // The label is owned elsewhere; its destruction is announced to us so that
    // we never write into a dead label.
    if (label)
        FLabelGone = connect(label, &QObject::destroyed, this,
                             [this](QObject* gone) { Notification(gone, opRemove); });
}

void TStopWatch::Notification(QObject* component, TOperation operation) {
    if (operation == opRemove && component != nullptr && component == FLabelObject) {
        FDisplayLabel = nullptr;
        FLabelObject = nullptr;
        QObject::disconnect(FLabelGone);
    }
}
