#pragma once
// The lap inputs in the user's settings ($XDG_CONFIG_HOME/vantel/vantel.conf),
// group [LapInputs], plain to write by hand:
//
//     [LapInputs]
//     Device1=/dev/input/by-id/usb-Pedal-event-kbd
//     Device1Key=KEY_F13
//     Device1Button=lap
//     Device1Debounce=30
//
// Key is the key's name as the kernel's header spells it; Button is lap,
// lap2 or lap3 (lap where left out); Debounce is in ms (30 where left out).
#include "DeviceInput.h"

#include <QSettings>
#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace LapInputSettings {

// The user's settings file, as every part of the program opens it.
QSettings Open();

struct TLoaded {
    std::vector<TLapInput> Inputs; // in the order of their numbers
    QStringList Problems;          // each entry left out or mended, as a note
};
// Reads the group: an entry with no device, no key, an unknown key or
// button is left out; a debounce that is not 0 to 1000 ms keeps the default.
TLoaded Load(QSettings& s);
// Writes `inputs` as the whole group, numbered from 1.
void Write(QSettings& s, const std::vector<TLapInput>& inputs);

} // namespace LapInputSettings

// The lap inputs of the settings, opened at start-up; the trouble of any,
// each entry left out and each device that cannot be opened, told in one note
// through the hub.
std::vector<std::unique_ptr<TDeviceInput>> OpenLapInputs(TInputHub& hub);
// The same for the inputs the dialog settled on; `notes` are told with the
// trouble of opening them.
std::vector<std::unique_ptr<TDeviceInput>>
OpenLapInputs(TInputHub& hub, const std::vector<TLapInput>& inputs, QStringList notes = {});

// Writes the lap inputs the dialog settles on, on a worker thread of its own,
// so that the window's thread never waits on the disk.
class TLapInputStore {
public:
    TLapInputStore() { FPool.setMaxThreadCount(1); }
    ~TLapInputStore() { Flush(); } // every write handed over reaches the disk
    TLapInputStore(const TLapInputStore&) = delete;
    TLapInputStore& operator=(const TLapInputStore&) = delete;
    // Writes handed over faster than the disk takes them are merged; the
    // last one wins.
    void Save(std::vector<TLapInput> inputs);
    void Flush() { FPool.waitForDone(); }

private:
    QThreadPool FPool;
    std::mutex FLock;
    std::optional<std::vector<TLapInput>> FPending; // under FLock
};
