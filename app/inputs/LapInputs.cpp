#include "LapInputs.h"

#include "InputHub.h"
#include "LapInputsDialog.h"
#include "Unit1.h"

#include <QSettings>

#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<QSettings> programSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("vantel"), QStringLiteral("vantel"));
}

} // namespace

QString TLapInputs::SettingsFile() {
    return programSettings()->fileName();
}

void TLapInputs::Tell(TInputHub& hub, const QString& text) {
    std::fprintf(stderr, "vantel: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    hub.Note(text);
}

TLapInputs::TLapInputs(TInputHub& hub)
    : FHub(hub), FGrabs(hub, [&hub](const QString& t) { Tell(hub, t); }) {
    FWriter.setMaxThreadCount(1);
    // Read once, before the run starts: a small local file.
    const GlobalKeys::TLoaded loaded = GlobalKeys::Load(*programSettings());
    for (const QString& note : loaded.Notes)
        Tell(hub, note);
    FKeys = loaded.Keys;
    FGrabs.SetKeys(FKeys);
}

TLapInputs::~TLapInputs() {
    // The last Apply's write is not lost to the exit.
    FWriter.waitForDone();
    delete FDialog.data();
}

void TLapInputs::ShowDialog() {
    if (!FDialog) {
        FDialog = new TLapInputsDialog(&FHub.Window(),
                                       [this](const GlobalKeys::TTexts& keys) { Apply(keys); });
        FDialog->SetKeys(FKeys);
        for (const auto& [title, make] : FSections)
            FDialog->AddSection(title, make(FDialog));
    }
    FDialog->show();
    FDialog->raise();
    FDialog->activateWindow();
}

void TLapInputs::Apply(const GlobalKeys::TTexts& keys) {
    FKeys = keys;
    FGrabs.SetKeys(FKeys);
    FWriter.start([keys] {
        const std::unique_ptr<QSettings> settings = programSettings();
        GlobalKeys::Save(*settings, keys);
        settings->sync();
    });
}
