#include "LapInputSettings.h"

#include "InputHub.h"
#include "Messages.h"
#include "ProgramSettings.h"

#include <QRegularExpression>

#include <map>

namespace LapInputSettings {

namespace {
const QString kGroup = QStringLiteral("LapInputs");
constexpr uint32_t kMaxDebounceMs = 1000;
} // namespace

QSettings Open() {
    return ProgramSettings();
}

TLoaded Load(QSettings& s) {
    TLoaded out;
    s.beginGroup(kGroup);
    // The numbers in use, whatever line of an entry names them: a Device2Key
    // without its Device2 is a mistake to tell, not to pass over.
    static const QRegularExpression entry(
        QStringLiteral("^Device([1-9][0-9]{0,3})(Key|Button|Debounce)?$"));
    std::map<int, QString> numbers;
    for (const QString& k : s.childKeys())
        if (const QRegularExpressionMatch m = entry.match(k); m.hasMatch())
            numbers.emplace(m.captured(1).toInt(), m.captured(1));
    for (const auto& [n, digits] : numbers) {
        const QString prefix = QStringLiteral("Device") + digits;
        const QString device = s.value(prefix).toString().trimmed();
        if (device.isEmpty()) {
            out.Problems << Msg::LapInputNoDevice().arg(n);
            continue;
        }
        TLapInput in;
        in.Device = device;
        const QString keyName = s.value(prefix + QLatin1String("Key")).toString().trimmed();
        if (keyName.isEmpty()) {
            out.Problems << Msg::LapInputNoKey().arg(device);
            continue;
        }
        const std::optional<int> key = DeviceEvents::KeyCode(keyName);
        if (!key) {
            out.Problems << Msg::LapInputUnknownKey().arg(device, keyName);
            continue;
        }
        in.Key = *key;
        const QString button =
            s.value(prefix + QLatin1String("Button"), QStringLiteral("lap")).toString().trimmed();
        const std::optional<TRunAction> action = TInputHub::RemoteAction(button);
        if (!action || (*action != TRunAction::Lap && *action != TRunAction::Lap2 &&
                        *action != TRunAction::Lap3)) {
            out.Problems << Msg::LapInputBadButton().arg(device, button);
            continue;
        }
        in.Button = *action;
        const QVariant debounce = s.value(prefix + QLatin1String("Debounce"));
        if (debounce.isValid()) {
            bool ok = false;
            const QString text = debounce.toString().trimmed();
            const uint ms = text.toUInt(&ok);
            if (ok && ms <= kMaxDebounceMs)
                in.DebounceMs = ms;
            else
                out.Problems << Msg::LapInputBadDebounce()
                                    .arg(device, text)
                                    .arg(TLapInput::DefaultDebounceMs);
        }
        out.Inputs.push_back(in);
    }
    s.endGroup();
    return out;
}

void Write(QSettings& s, const std::vector<TLapInput>& inputs) {
    // A shorter list would leave the old tail behind.
    s.remove(kGroup);
    s.beginGroup(kGroup);
    for (size_t i = 0; i < inputs.size(); ++i) {
        const QString prefix = QStringLiteral("Device%1").arg(i + 1);
        s.setValue(prefix, inputs[i].Device);
        s.setValue(prefix + QLatin1String("Key"), DeviceEvents::KeyName(inputs[i].Key));
        s.setValue(prefix + QLatin1String("Button"), TInputHub::RemoteName(inputs[i].Button));
        s.setValue(prefix + QLatin1String("Debounce"), inputs[i].DebounceMs);
    }
    s.endGroup();
}

} // namespace LapInputSettings

void TLapInputStore::Save(std::vector<TLapInput> inputs) {
    bool idle = false;
    {
        std::lock_guard<std::mutex> hold(FLock);
        idle = !FPending;
        FPending = std::move(inputs);
    }
    if (!idle) return; // the write still queued takes the newer list along
    FPool.start([this] {
        std::vector<TLapInput> write;
        {
            std::lock_guard<std::mutex> hold(FLock);
            if (!FPending) return;
            write = std::move(*FPending);
            FPending.reset();
        }
        QSettings s = LapInputSettings::Open();
        LapInputSettings::Write(s, write);
        s.sync();
    });
}

using namespace DeviceEvents;

std::vector<std::unique_ptr<TDeviceInput>> OpenLapInputs(TInputHub& hub) {
    QSettings s = LapInputSettings::Open();
    const LapInputSettings::TLoaded loaded = LapInputSettings::Load(s);
    return OpenLapInputs(hub, loaded.Inputs, loaded.Problems);
}

std::vector<std::unique_ptr<TDeviceInput>>
OpenLapInputs(TInputHub& hub, const std::vector<TLapInput>& inputs, QStringList notes) {
    std::vector<std::unique_ptr<TDeviceInput>> out;
    // One note holds them all: a second would replace the first.
    for (const TLapInput& input : inputs) {
        const TOpened d = OpenDevice(input.Device, true);
        if (d.Fd < 0) {
            notes << OpenNote(input.Device, d.Error);
            continue;
        }
        if (d.Held) notes << Msg::DeviceHeld().arg(input.Device);
        out.push_back(std::make_unique<TDeviceInput>(hub, d.Fd, input, d.Clock, d.Name));
    }
    if (!notes.isEmpty()) hub.Note(notes.join(QLatin1Char('\n')));
    return out;
}
