// A global key as the operator writes it, the X server grabs it and its
// presses arrive: the keysym and modifiers of a key text, the settings as
// written by hand, the time of an X press and the auto-repeat of a held key.
#include "GlobalKeys.h"
#include "Clock.h"
#include "LapInputsDialog.h"
#include "Messages.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using GlobalKeys::ModAlt;
using GlobalKeys::ModControl;
using GlobalKeys::ModShift;
using GlobalKeys::ModSuper;

TEST(GlobalKeys, AKeyTextIsTheKeysymAndModifiersXKnowsItBy) {
    struct Case {
        const char* Text;
        uint32_t Keysym;
        uint16_t Mods;
    } cases[] = {
        {"F9", 0xffc6, 0},
        {"F1", 0xffbe, 0},
        {"F13", 0xffca, 0},
        {"F35", 0xffe0, 0},
        {"Pause", 0xff13, 0},
        {"ScrollLock", 0xff14, 0},
        {"Ctrl+Alt+L", 'l', ModControl | ModAlt},
        {"Shift+A", 'a', ModShift},
        {"Meta+F2", 0xffbf, ModSuper},
        {"ctrl+shift+f12", 0xffc9, ModControl | ModShift},
        {" F9 ", 0xffc6, 0},
        {"5", '5', 0},
        {"Num+5", 0xffb5, 0},
        {"Num+Enter", 0xff8d, 0},
        {"Return", 0xff0d, 0},
        {"Space", ' ', 0},
        {"Ctrl+,", ',', ModControl},
        {"PgDown", 0xff56, 0},
        {"Media Play", 0x1008ff14, 0},
    };
    for (const Case& c : cases) {
        const auto key = GlobalKeys::Parse(QString::fromUtf8(c.Text));
        ASSERT_TRUE(key.has_value()) << c.Text;
        EXPECT_EQ(key->Keysym, c.Keysym) << c.Text;
        EXPECT_EQ(key->Mods, c.Mods) << c.Text;
    }
}

TEST(GlobalKeys, WhatNoGrabCanBeIsNoKey) {
    for (const char* text : {"", "   ", "Foo", "Ctrl+", "Ctrl", "Shift", "F9, F10", "Ctrl+Foo",
                             "NumLock", "CapsLock", "Num+Q", "Back"})
        EXPECT_FALSE(GlobalKeys::Parse(QString::fromUtf8(text)).has_value()) << text;
}

struct SettingsFile {
    QTemporaryDir Dir;
    QString Path = Dir.filePath(QStringLiteral("vantel.conf"));
    explicit SettingsFile(const char* text) { std::ofstream(Path.toStdString()) << text; }
    GlobalKeys::TLoaded Load() const {
        const QSettings s(Path, QSettings::IniFormat);
        return GlobalKeys::Load(s);
    }
};

TEST(GlobalKeys, TheSettingsAreReadAsWrittenByHandBadTextsIgnoredWithANote) {
    struct Case {
        const char* Name;
        const char* File;
        GlobalKeys::TTexts Keys;
        QStringList Notes;
    } cases[] = {
        {"none", "", {}, {}},
        {"other groups only", "[Other]\nGlobalLap=F9\n", {}, {}},
        {"one", "[LapInputs]\nGlobalLap=F9\n", {"F9", "", ""}, {}},
        {"all three, written as typed",
         "[LapInputs]\nGlobalLap=ctrl+alt+l\nGlobalLap2=F10\nGlobalLap3=Pause\n",
         {"Ctrl+Alt+L", "F10", "Pause"},
         {}},
        {"empty is off", "[LapInputs]\nGlobalLap=\nGlobalLap2=F2\n", {"", "F2", ""}, {}},
        {"a bad one among good ones",
         "[LapInputs]\nGlobalLap=F9\nGlobalLap2=Hyper+Q\nGlobalLap3=F11\n",
         {"F9", "", "F11"},
         {Msg::GlobalKeyUnknown().arg(QStringLiteral("Hyper+Q"), QStringLiteral("GlobalLap2"))}},
        {"a comma unquoted", "[LapInputs]\nGlobalLap3=Ctrl+,\n", {"", "", "Ctrl+,"}, {}},
        {"a comma quoted", "[LapInputs]\nGlobalLap3=\"Ctrl+,\"\n", {"", "", "Ctrl+,"}, {}},
        {"a key twice",
         "[LapInputs]\nGlobalLap=F9\nGlobalLap2=f9\n",
         {"F9", "", ""},
         {Msg::GlobalKeyTwice().arg(QStringLiteral("f9"), QStringLiteral("GlobalLap2"))}},
        {"two combinations",
         "[LapInputs]\nGlobalLap=\"F9, F10\"\n",
         {},
         {Msg::GlobalKeyUnknown().arg(QStringLiteral("F9, F10"), QStringLiteral("GlobalLap"))}},
    };
    for (const Case& c : cases) {
        const SettingsFile f(c.File);
        const GlobalKeys::TLoaded got = f.Load();
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(got.Keys[i], c.Keys[i]) << c.Name << " lap " << i;
        EXPECT_EQ(got.Notes, c.Notes) << c.Name;
    }
}

TEST(GlobalKeys, WhatIsSavedReadsBackTheSame) {
    const SettingsFile f("[LapInputs]\nGlobalLap=F1\nGlobalLap2=F2\n");
    const GlobalKeys::TTexts keys = {"Ctrl+,", "", "Ctrl+Alt+L"};
    {
        QSettings s(f.Path, QSettings::IniFormat);
        GlobalKeys::Save(s, keys);
    }
    const GlobalKeys::TLoaded got = f.Load();
    EXPECT_TRUE(got.Notes.isEmpty());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(got.Keys[i], keys[i]) << i;
}

TEST(GlobalKeys, AnXTimeIsTrustedOnlyUpToASecondBeforeNow) {
    // The boot clock runs ahead of the monotonic one by the time suspended;
    // either may wrap.
    struct Case {
        const char* Name;
        uint32_t XTime, MonotonicNow, TickNow;
        std::optional<uint32_t> Tick;
    } cases[] = {
        {"just now", 50'000, 50'000, 80'000, 80'000},
        {"40 ms ago", 49'960, 50'000, 80'000, 79'960},
        {"a second ago", 49'000, 50'000, 80'000, 79'000},
        {"more than a second ago", 48'999, 50'000, 80'000, std::nullopt},
        {"ahead of now", 50'001, 50'000, 80'000, std::nullopt},
        {"another machine's clock", 3'000'000'000u, 50'000, 80'000, std::nullopt},
        {"the tick counter wrapped", 4'294'967'000u, 4'294'967'100u, 100, 0},
        {"the X time wrapped", 4'294'967'000u, 200, 1'000'000, 1'000'000 - 496},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Clock::TickOfMonotonic(c.XTime, c.MonotonicNow, c.TickNow), c.Tick) << c.Name;
}

TEST(GlobalKeys, AHeldKeyPressesOnce) {
    enum Kind { Press, Release };
    struct Event {
        Kind K;
        uint8_t Keycode;
        uint32_t Time;
        bool New; // for a press: whether it counts
    };
    struct Case {
        const char* Name;
        std::vector<Event> Events;
    } cases[] = {
        {"two taps", {{Press, 75, 100, true}, {Release, 75, 180, false}, {Press, 75, 400, true}}},
        {"repeats as release and press at one time",
         {{Press, 75, 100, true},
          {Release, 75, 600, false},
          {Press, 75, 600, false},
          {Release, 75, 633, false},
          {Press, 75, 633, false},
          {Release, 75, 640, false},
          {Press, 75, 900, true}}},
        {"repeats as presses alone",
         {{Press, 75, 100, true}, {Press, 75, 600, false}, {Press, 75, 633, false}}},
        {"other keys are their own",
         {{Press, 75, 100, true}, {Press, 76, 100, true}, {Press, 75, 150, false}}},
        {"a release lost, the key pressed again much later",
         {{Press, 75, 100, true}, {Press, 75, 5000, true}}},
        {"the first press at the time of nothing before", {{Press, 75, 0, true}}},
    };
    for (const Case& c : cases) {
        GlobalKeys::TRepeatFilter f;
        for (size_t i = 0; i < c.Events.size(); ++i) {
            const Event& e = c.Events[i];
            if (e.K == Release)
                f.Release(e.Keycode, e.Time);
            else
                EXPECT_EQ(f.Press(e.Keycode, e.Time), e.New) << c.Name << " event " << i;
        }
    }
}

TEST(LapInputsDialog, ShowsTheKeysAndAppliesWhatWasChosen) {
    std::vector<GlobalKeys::TTexts> applied;
    TLapInputsDialog d(nullptr, [&](const GlobalKeys::TTexts& k) { applied.push_back(k); });
    EXPECT_EQ(d.objectName(), QStringLiteral("LapInputs"));
    EXPECT_FALSE(d.isModal());
    d.SetKeys({"F9", "", "Ctrl+Alt+L"});
    EXPECT_EQ(d.KeyEdit(0)->keySequence(), QKeySequence(Qt::Key_F9));
    EXPECT_TRUE(d.KeyEdit(1)->keySequence().isEmpty());
    d.ClearButton(0)->click();
    d.KeyEdit(1)->setKeySequence(QKeySequence(Qt::Key_F10));
    // Nothing is kept before Apply.
    EXPECT_TRUE(applied.empty());
    d.ApplyButton()->click();
    ASSERT_EQ(applied.size(), 1u);
    const GlobalKeys::TTexts want = {"", "F10", "Ctrl+Alt+L"};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(applied[0][i], want[i]) << i;
}

TEST(LapInputsDialog, ASecondKeyWithinTheEditsPauseDoesNotMakeASequence) {
    TLapInputsDialog d(nullptr, {});
    d.KeyEdit(2)->setKeySequence(QKeySequence(QStringLiteral("F9, F10")));
    EXPECT_EQ(d.Keys()[2], QStringLiteral("F9"));
    EXPECT_EQ(d.KeyEdit(2)->keySequence(), QKeySequence(Qt::Key_F9));
}

TEST(LapInputsDialog, TabLeavesAKeyFieldAndEveryOtherKeyIsCaught) {
    TLapInputsDialog d(nullptr, {});
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    d.KeyEdit(0)->setFocus();
    QTest::keyClick(d.KeyEdit(0), Qt::Key_F11);
    EXPECT_EQ(d.KeyEdit(0)->keySequence(), QKeySequence(Qt::Key_F11));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), d.ClearButton(0));
    EXPECT_EQ(d.KeyEdit(0)->keySequence(), QKeySequence(Qt::Key_F11));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), d.KeyEdit(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), d.ClearButton(0));
    // With Ctrl, Tab is a key like any other.
    QTest::keyClick(d.KeyEdit(1), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(d.KeyEdit(1)->keySequence(), QKeySequence(Qt::CTRL | Qt::Key_Tab));
}

TEST(LapInputsDialog, ASectionAddedGoesAboveTheButtonsWithItsTitle) {
    TLapInputsDialog d(nullptr, {});
    auto* content = new QLabel(QStringLiteral("devices"));
    d.AddSection(QStringLiteral("Devices"), content);
    auto* box = qobject_cast<QGroupBox*>(content->parentWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), QStringLiteral("Devices"));
    EXPECT_EQ(box->window(), &d);
    const QList<QGroupBox*> boxes = d.findChildren<QGroupBox*>();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[0]->title(), Msg::GlobalKeysTitle());
    d.adjustSize();
    EXPECT_LT(box->geometry().bottom(), d.ApplyButton()->mapTo(&d, QPoint(0, 0)).y());
}

} // namespace
