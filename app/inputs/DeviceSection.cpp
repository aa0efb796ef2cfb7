#include "DeviceSection.h"

#include "InputHub.h"
#include "KeyCatcher.h"
#include "Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace {

QString buttonName(TRunAction b) {
    return b == TRunAction::Lap2   ? QStringLiteral("LAP2")
           : b == TRunAction::Lap3 ? QStringLiteral("LAP3")
                                   : QStringLiteral("LAP");
}

} // namespace

TDeviceSection::TDeviceSection(std::vector<TLapInput> inputs, TSave save, QWidget* parent)
    : QWidget(parent), FInputs(std::move(inputs)), FSave(std::move(save)) {
    setObjectName(QStringLiteral("LapDevices"));
    auto* layout = new QVBoxLayout(this);
    FList = new QListWidget(this);
    FList->setObjectName(QStringLiteral("LapDeviceList"));
    layout->addWidget(FList);
    auto* row = new QHBoxLayout;
    for (TRunAction b : {TRunAction::Lap, TRunAction::Lap2, TRunAction::Lap3}) {
        auto* press = new QPushButton(Msg::DevicePressNow().arg(buttonName(b)), this);
        press->setObjectName(QStringLiteral("PressNow") + buttonName(b));
        press->setAutoDefault(false);
        connect(press, &QPushButton::clicked, this, [this, b] { Catch(b); });
        row->addWidget(press);
    }
    layout->addLayout(row);
    auto* options = new QHBoxLayout;
    options->addWidget(new QLabel(Msg::DeviceDebounce(), this));
    FDebounce = new QSpinBox(this);
    FDebounce->setObjectName(QStringLiteral("LapDebounce"));
    FDebounce->setRange(0, 1000);
    FDebounce->setSuffix(QStringLiteral(" ms"));
    FDebounce->setValue(int(TLapInput::DefaultDebounceMs));
    options->addWidget(FDebounce);
    auto* remove = new QPushButton(Msg::DeviceRemove(), this);
    remove->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, [this] {
        const int i = FList->currentRow();
        if (i < 0 || size_t(i) >= FInputs.size()) return;
        FInputs.erase(FInputs.begin() + i);
        showList();
    });
    options->addWidget(remove);
    auto* keep = new QPushButton(Msg::DeviceSave(), this);
    keep->setObjectName(QStringLiteral("SaveDevices"));
    keep->setAutoDefault(false);
    connect(keep, &QPushButton::clicked, this, [this] {
        if (FSave) FSave(FInputs);
    });
    options->addWidget(keep);
    layout->addLayout(options);
    FStatus = new QLabel(this);
    FStatus->setWordWrap(true);
    layout->addWidget(FStatus);
    showList();
}

TDeviceSection::~TDeviceSection() = default;

QString TDeviceSection::Line(const TLapInput& input) {
    return Msg::DeviceLine()
        .arg(buttonName(input.Button), input.Device, DeviceEvents::KeyName(input.Key))
        .arg(input.DebounceMs);
}

void TDeviceSection::showList() {
    FList->clear();
    for (const TLapInput& input : FInputs)
        FList->addItem(Line(input));
}

void TDeviceSection::Catch(TRunAction button, const QString& dir) {
    FCatching = button;
    delete FCatcher;
    FCatcher = new TKeyCatcher(this);
    connect(FCatcher, &TKeyCatcher::Caught, this,
            [this](const QString& path, const QString&, int key) { Caught(path, key); });
    const int listening = FCatcher->ListenAll(dir);
    QString status = listening > 0 ? Msg::DevicePressNowStatus().arg(buttonName(button))
                                   : Msg::DeviceNoneToListen();
    if (!FCatcher->RefusedNote().isEmpty()) status += u'\n' + FCatcher->RefusedNote();
    FStatus->setText(status);
}

void TDeviceSection::Caught(const QString& path, int key) {
    TLapInput input;
    input.Device = path;
    input.Key = key;
    input.Button = FCatching;
    input.DebounceMs = uint32_t(FDebounce->value());
    FInputs.push_back(input);
    showList();
    FStatus->setText(Msg::DeviceCaught().arg(Line(input)));
}
