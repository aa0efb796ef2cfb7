// The lap inputs as the program keeps them: read at start-up from the
// settings file, a bad text told in the window, and what the dialog applies
// written back for the next start.
#include "LapInputs.h"
#include "InputHub.h"
#include "Label.h"
#include "Messages.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequenceEdit>
#include <QPushButton>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

struct Program {
    FakeClock Clock;
    TVantel W;
    TInputHub Hub{W};
    Program() { W.Timer1->SetEnabled(false); }
    QString Note() const {
        return W.RunNote && !W.RunNote->isHidden() ? W.RunNote->Caption() : QString();
    }
};

void writeSettings(const QByteArray& text) {
    const QString path = TLapInputs::SettingsFile();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

GlobalKeys::TTexts readBack() {
    const QSettings s(TLapInputs::SettingsFile(), QSettings::IniFormat);
    return GlobalKeys::Load(s).Keys;
}

TEST(LapInputs, TheSettingsAreTheProgramsOwnFileInTheConfigFolder) {
    EXPECT_EQ(TLapInputs::SettingsFile(),
              QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("vantel/vantel.conf"));
}

TEST(LapInputs, NoSettingsIsNoKeyAndNoNote) {
    Program p;
    TLapInputs inputs(p.Hub);
    for (const QString& k : inputs.Keys())
        EXPECT_TRUE(k.isEmpty());
    EXPECT_TRUE(p.Note().isEmpty());
}

TEST(LapInputs, TheKeysAreReadAtStartUpABadOneToldInTheWindow) {
    writeSettings("[LapInputs]\nGlobalLap=f9\nGlobalLap2=Bogus\nGlobalLap3=Ctrl+Alt+L\n");
    Program p;
    TLapInputs inputs(p.Hub);
    const GlobalKeys::TTexts want = {"F9", "", "Ctrl+Alt+L"};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(inputs.Keys()[i], want[i]) << i;
    EXPECT_EQ(p.Note(), Msg::GlobalKeyUnknown().arg("Bogus", "GlobalLap2"));
}

TEST(LapInputs, WhatTheDialogAppliesIsKeptForTheNextStart) {
    writeSettings("[LapInputs]\nGlobalLap=F9\n[Other]\nKept=1\n");
    Program p;
    {
        TLapInputs inputs(p.Hub);
        inputs.ShowDialog();
        TLapInputsDialog* d = inputs.Dialog();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->objectName(), QStringLiteral("LapInputs"));
        EXPECT_EQ(d->KeyEdit(0)->keySequence(), QKeySequence(Qt::Key_F9));
        d->ClearButton(0)->click();
        d->KeyEdit(2)->setKeySequence(QKeySequence(Qt::Key_Pause));
        d->ApplyButton()->click();
        EXPECT_EQ(inputs.Keys()[2], QStringLiteral("Pause"));
        // Opened again, the one dialog comes back.
        inputs.ShowDialog();
        EXPECT_EQ(inputs.Dialog(), d);
    } // the write is waited for at the end
    const GlobalKeys::TTexts got = readBack();
    const GlobalKeys::TTexts want = {"", "", "Pause"};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(got[i], want[i]) << i;
    // The rest of the file is left as it was.
    EXPECT_EQ(QSettings(TLapInputs::SettingsFile(), QSettings::IniFormat).value("Other/Kept"), "1");
}

} // namespace
