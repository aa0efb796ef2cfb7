#pragma once
// "Press it now": which device and key the operator means for a lap button,
// learnt from the next key press on any event device, so that nobody has to
// know a device path or a key code.
#include "DeviceInput.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QSocketNotifier;

class TKeyCatcher : public QObject {
    Q_OBJECT
public:
    explicit TKeyCatcher(QObject* parent = nullptr);
    ~TKeyCatcher() override;
    TKeyCatcher(const TKeyCatcher&) = delete;
    TKeyCatcher& operator=(const TKeyCatcher&) = delete;

    // Listens on every event device in `dir` that can send keys, without
    // holding any exclusively (the keyboard goes on typing); returns how many.
    // Those that cannot be opened are in Refused().
    int ListenAll(const QString& dir = QStringLiteral("/dev/input"));
    // Listens on `fd` (owned; non-blocking) as the device `path` named `name`.
    void Listen(const QString& path, const QString& name, int fd);
    // Stops listening everywhere; Caught comes no more.
    void Stop();

    bool Listening() const { return !FDevices.empty(); }
    // The devices that could not be opened, and the note for them (empty
    // where every one could).
    const QStringList& Refused() const { return FRefused; }
    QString RefusedNote() const;

    // A press of a mouse button or a touch is the operator working the
    // dialog, never the lap key meant.
    static bool Learnable(int code);
    // The name a device keeps across plugs and boots: its link in by-id (or
    // by-path) under `dir`, else `eventPath` itself.
    static QString StablePath(const QString& eventPath,
                              const QString& dir = QStringLiteral("/dev/input"));

signals:
    // The first key press heard: the device's path, its name, the key. Then
    // the catcher stops.
    void Caught(const QString& devicePath, const QString& deviceName, int keyCode);

private:
    struct TDevice {
        QString Path, Name;
        int Fd = -1;
        QSocketNotifier* Notifier = nullptr;
        DeviceEvents::TRecordStream Stream;
    };
    void readReady(TDevice& d);
    void release(TDevice& d);
    void drop(TDevice& d);

    std::vector<std::unique_ptr<TDevice>> FDevices;
    QStringList FRefused;
};
