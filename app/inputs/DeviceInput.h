#pragma once
// Foot pedals, big USB buttons and gamepads as lap buttons: their key presses
// read from the kernel's event device (/dev/input/event*), each timed at the
// moment the kernel saw it, not when the window's thread got to it.
#include "RunAction.h"

#include <QObject>
#include <QString>

#include <linux/input.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;
class TInputHub;

namespace DeviceEvents {

// The event records whole, out of reads that may split one: a device hands
// out whole records only, a pipe (the tests, a forwarding helper) whatever
// was written so far.
class TRecordStream {
public:
    // The records `data` completes, in order; a partial one waits for the
    // next read.
    std::vector<input_event> Take(const char* data, size_t size);
    size_t Waiting() const { return FPartSize; }

private:
    char FPart[sizeof(input_event)] = {};
    size_t FPartSize = 0;
};

// Which of a device's events are lap presses: the chosen key going down (not
// its auto-repeat, not its release), and not within the debounce after the
// last press taken, which a bouncing pedal contact or a heavy foot gives.
class TKeyFilter {
public:
    TKeyFilter(int key, uint32_t debounceMs) : FKey(key), FDebounce(debounceMs) {}
    // Whether the event made at `tick` is a press to take; taking it starts
    // the debounce again.
    bool Take(const input_event& e, uint32_t tick);
    void SetDebounce(uint32_t ms) { FDebounce = ms; }
    uint32_t Debounce() const { return FDebounce; }
    int Key() const { return FKey; }

private:
    int FKey;
    uint32_t FDebounce;
    std::optional<uint32_t> FLast;
};

// The clock a device stamps its events with.
enum class TEventClock { Boottime, Realtime };
// The tick counter at an event stamped on CLOCK_BOOTTIME.
uint32_t BoottimeTick(const input_event& e);
// The tick counter at an event stamped on CLOCK_REALTIME, through the offset
// between the two clocks as read when the event arrived.
uint32_t RealtimeTick(const input_event& e, const timespec& realNow, const timespec& bootNow);

// How a read of everything a descriptor holds now ended.
enum class TReadEnd {
    Drained, // nothing more for now
    Closed,  // the writing end is gone (a pipe)
    Failed,  // an error: Error holds it (ENODEV: the device was unplugged)
};
struct TReadResult {
    std::vector<input_event> Events;
    TReadEnd End = TReadEnd::Drained;
    int Error = 0;
};
// Reads what `fd` (non-blocking) holds now, never waiting for more.
TReadResult ReadAvailable(int fd, TRecordStream& stream);

// A key's code from its name as the kernel's header spells it ("KEY_F13",
// "BTN_SOUTH"), and back.
std::optional<int> KeyCode(const QString& name);
QString KeyName(int code);

// An event device opened for reading.
struct TOpened {
    int Fd = -1;   // -1: not opened, Error says why
    int Error = 0; // errno of the open
    QString Name;  // as the device tells it; the path where it tells none
    TEventClock Clock = TEventClock::Realtime;
    bool Held = false; // another program holds it exclusively
    bool HasKeys = false;
};
// Opens `path` non-blocking, its events stamped on CLOCK_BOOTTIME where the
// kernel agrees, and with `grab` exclusively, so that its key types nowhere
// else.
TOpened OpenDevice(const QString& path, bool grab);
// The note for a device that cannot be opened (errno `err`): with no access,
// how to get it.
QString OpenNote(const QString& path, int err);
// The device's USB vendor id as four hex digits, "...." where unknown.
QString VendorId(const QString& path);

} // namespace DeviceEvents

// One device's lap button, as the settings give it.
struct TLapInput {
    static constexpr uint32_t DefaultDebounceMs = 30;
    QString Device;
    int Key = 0;
    TRunAction Button = TRunAction::Lap;
    uint32_t DebounceMs = DefaultDebounceMs;
};

// Reads one device's events on the thread it lives on (the window's), never
// blocking it, and presses the lap button at each press of the key.
class TDeviceInput : public QObject {
    Q_OBJECT
public:
    // Reads `fd` (owned; non-blocking) as the device `name`.
    TDeviceInput(TInputHub& hub, int fd, const TLapInput& input, DeviceEvents::TEventClock clock,
                 const QString& name, QObject* parent = nullptr);
    ~TDeviceInput() override;
    TDeviceInput(const TDeviceInput&) = delete;
    TDeviceInput& operator=(const TDeviceInput&) = delete;

    // Opens input.Device; where it cannot, nullptr after a note that says why.
    static std::unique_ptr<TDeviceInput> Open(TInputHub& hub, const TLapInput& input);

    void SetDebounce(uint32_t ms) { FFilter.SetDebounce(ms); }
    const QString& Name() const { return FName; }
    // False once the device is gone or its writer closed.
    bool Reading() const { return FFd >= 0; }

private:
    void readReady();
    void stop();

    TInputHub& FHub;
    int FFd;
    TLapInput FInput;
    DeviceEvents::TEventClock FClock;
    QString FName;
    DeviceEvents::TRecordStream FStream;
    DeviceEvents::TKeyFilter FFilter;
    QSocketNotifier* FNotifier = nullptr;
};
