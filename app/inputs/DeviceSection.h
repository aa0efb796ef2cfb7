#pragma once
#include "DeviceInput.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QListWidget;
class QSpinBox;
class TKeyCatcher;

// The devices part of the "Lap inputs…" dialog: the pedals and buttons that
// press the lap buttons, each caught by pressing it ("Press it now for
// LAP"), with its debounce; Save hands the list over to be kept and opened.
class TDeviceSection : public QWidget {
    Q_OBJECT
public:
    using TSave = std::function<void(const std::vector<TLapInput>&)>;
    TDeviceSection(std::vector<TLapInput> inputs, TSave save, QWidget* parent = nullptr);
    ~TDeviceSection() override;

    const std::vector<TLapInput>& Inputs() const { return FInputs; }
    // The line a device shows in the list: "LAP: /dev/input/... KEY_F13, 30 ms".
    static QString Line(const TLapInput& input);
    // Starts catching the next key pressed on any device for `button`;
    // `dir` is where the devices are (tests give another).
    void Catch(TRunAction button, const QString& dir = QStringLiteral("/dev/input"));
    // The device and key caught: kept for the button being caught.
    void Caught(const QString& path, int key);

private:
    void showList();
    std::vector<TLapInput> FInputs;
    TSave FSave;
    TRunAction FCatching = TRunAction::Lap;
    TKeyCatcher* FCatcher = nullptr;
    QListWidget* FList = nullptr;
    QSpinBox* FDebounce = nullptr;
    QLabel* FStatus = nullptr;
};
