#pragma once
#include <QObject>
#include <QString>
#include <cstdint>

class TLabel;

enum TOperation { opInsert, opRemove };

// Measures the running time of a timing run from the millisecond tick
// counter: start from zero, stop (freeze), resume. It has no timer of its own;
// the window's display timer calls ShowTime and the lap buttons read Elapsed.
class TStopWatch : public QObject {
    Q_OBJECT
public:
    explicit TStopWatch(QObject* owner = nullptr);

    void Start();
    void Stop();
    void Resume();
    int32_t Elapsed() const;
    QString TimeText() const;
    void ShowTime();

    TLabel* DisplayLabel() const { return FDisplayLabel; }
    void SetDisplayLabel(TLabel* label);
    // Removal notice: forgets the display label when it is destroyed.
    void Notification(QObject* component, TOperation operation);

    bool Running() const { return FRunning; }
    // The tick at which a running watch would have read 0: its elapsed time
    // at tick t is t - Origin(), modulo 2^32, for a view that runs on alone.
    uint32_t Origin() const { return FStartTick - static_cast<uint32_t>(FOffset); }

private:
    TLabel* FDisplayLabel = nullptr;
    // The same object seen as a QObject, kept so that the removal notice is
    // compared without touching the half-destroyed label.
    QObject* FLabelObject = nullptr;
    uint32_t FStartTick = 0;
    int32_t FStopTime = 0;
    int32_t FOffset = 0;
    bool FRunning = false;
    QMetaObject::Connection FLabelGone;
};
