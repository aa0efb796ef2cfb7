// The lap inputs a hand-written settings file holds: each good entry as
// written, each mistake told and left out (or mended) rather than guessed.
#include "LapInputSettings.h"
#include "Messages.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Want {
    const char* Device;
    int Key;
    TRunAction Button;
    uint32_t Debounce;
};

LapInputSettings::TLoaded LoadText(const QTemporaryDir& dir, const char* text) {
    // A file of its own each time: QSettings keeps a file it read in memory
    // and may not see a rewrite of the same size within the same second.
    static int n = 0;
    const QString path = dir.filePath(QStringLiteral("vantel-%1.conf").arg(++n));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    QSettings s(path, QSettings::IniFormat);
    return LapInputSettings::Load(s);
}

TEST(LapInputSettings, EntriesAreTakenAsWrittenAndMistakesAreTold) {
    const QString a = QStringLiteral("/dev/input/by-id/usb-Pedal-event-kbd");
    struct Case {
        const char* Name;
        const char* Text;
        std::vector<Want> Inputs;
        QStringList Problems;
    } cases[] = {
        {"good entries, defaults where left out",
         "[LapInputs]\nDevice1=/dev/input/by-id/usb-Pedal-event-kbd\nDevice1Key=KEY_F13\n"
         "Device1Button=lap2\nDevice1Debounce=45\nDevice2=/dev/input/event5\n"
         "Device2Key=BTN_SOUTH\n",
         {{"/dev/input/by-id/usb-Pedal-event-kbd", KEY_F13, TRunAction::Lap2, 45},
          {"/dev/input/event5", BTN_SOUTH, TRunAction::Lap, 30}},
         {}},
        {"in the order of their numbers",
         "[LapInputs]\nDevice10=/dev/input/event10\nDevice10Key=KEY_B\nDevice2=/dev/input/event2\n"
         "Device2Key=KEY_A\nDevice2Button=lap3\nDevice2Debounce=0\n",
         {{"/dev/input/event2", KEY_A, TRunAction::Lap3, 0},
          {"/dev/input/event10", KEY_B, TRunAction::Lap, 30}},
         {}},
        {"an unknown key name",
         "[LapInputs]\nDevice1=/dev/input/by-id/usb-Pedal-event-kbd\nDevice1Key=KEY_PEDAL\n"
         "Device2=/dev/input/event2\nDevice2Key=F13\n",
         {},
         {Msg::LapInputUnknownKey().arg(a, QStringLiteral("KEY_PEDAL")),
          Msg::LapInputUnknownKey().arg(QStringLiteral("/dev/input/event2"),
                                        QStringLiteral("F13"))}},
        {"no key",
         "[LapInputs]\nDevice1=/dev/input/by-id/usb-Pedal-event-kbd\n",
         {},
         {Msg::LapInputNoKey().arg(a)}},
        {"a bad debounce keeps the default",
         "[LapInputs]\nDevice1=/dev/input/event1\nDevice1Key=KEY_F13\nDevice1Debounce=abc\n"
         "Device2=/dev/input/event2\nDevice2Key=KEY_F13\nDevice2Debounce=-5\n"
         "Device3=/dev/input/event3\nDevice3Key=KEY_F13\nDevice3Debounce=1001\n"
         "Device4=/dev/input/event4\nDevice4Key=KEY_F13\nDevice4Debounce=1000\n",
         {{"/dev/input/event1", KEY_F13, TRunAction::Lap, 30},
          {"/dev/input/event2", KEY_F13, TRunAction::Lap, 30},
          {"/dev/input/event3", KEY_F13, TRunAction::Lap, 30},
          {"/dev/input/event4", KEY_F13, TRunAction::Lap, 1000}},
         {QStringLiteral("Lap inputs: /dev/input/event1 has the debounce abc, not a whole "
                         "number of ms from 0 to 1000; it keeps 30 ms."),
          Msg::LapInputBadDebounce().arg(QStringLiteral("/dev/input/event2"), QStringLiteral("-5"),
                                         QStringLiteral("30")),
          Msg::LapInputBadDebounce().arg(QStringLiteral("/dev/input/event3"),
                                         QStringLiteral("1001"), QStringLiteral("30"))}},
        {"a missing device",
         "[LapInputs]\nDevice2Key=KEY_F13\nDevice2Button=lap\nDevice3=\nDevice3Key=KEY_F13\n",
         {},
         {Msg::LapInputNoDevice().arg(2), Msg::LapInputNoDevice().arg(3)}},
        {"a button that is not a lap button",
         "[LapInputs]\nDevice1=/dev/input/event1\nDevice1Key=KEY_F13\nDevice1Button=start\n",
         {},
         {Msg::LapInputBadButton().arg(QStringLiteral("/dev/input/event1"),
                                       QStringLiteral("start"))}},
        {"other lines and groups are not entries",
         "[Distances]\nDevice1=/dev/input/event1\n[LapInputs]\nComment=pedal\nDevice0=x\n"
         "DeviceKey=KEY_A\nDevice1Colour=red\n",
         {},
         {}},
        {"no group", "", {}, {}},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Case& c : cases) {
        const LapInputSettings::TLoaded got = LoadText(dir, c.Text);
        EXPECT_EQ(got.Problems, c.Problems) << c.Name;
        ASSERT_EQ(got.Inputs.size(), c.Inputs.size()) << c.Name;
        for (size_t i = 0; i < c.Inputs.size(); ++i) {
            EXPECT_EQ(got.Inputs[i].Device, QString::fromLatin1(c.Inputs[i].Device)) << c.Name;
            EXPECT_EQ(got.Inputs[i].Key, c.Inputs[i].Key) << c.Name;
            EXPECT_EQ(got.Inputs[i].Button, c.Inputs[i].Button) << c.Name;
            EXPECT_EQ(got.Inputs[i].DebounceMs, c.Inputs[i].Debounce) << c.Name;
        }
    }
}

// What the dialog writes reads back the same, in the user's file, in place
// of what was there.
TEST(LapInputSettings, WhatIsSavedLoadsBack) {
    std::vector<TLapInput> inputs(2);
    inputs[0].Device = QStringLiteral("/dev/input/by-id/usb-Pedal-event-kbd");
    inputs[0].Key = KEY_F13;
    inputs[1].Device = QStringLiteral("/dev/input/by-id/usb-Pad-event-joystick");
    inputs[1].Key = BTN_SOUTH;
    inputs[1].Button = TRunAction::Lap2;
    inputs[1].DebounceMs = 80;
    {
        TLapInputStore store;
        std::vector<TLapInput> three = inputs;
        three.push_back(inputs[0]);
        store.Save(three);
        store.Save(inputs);
    }
    QSettings s = LapInputSettings::Open();
    EXPECT_TRUE(s.fileName().endsWith(QStringLiteral("/vantel/vantel.conf")));
    const LapInputSettings::TLoaded got = LapInputSettings::Load(s);
    EXPECT_TRUE(got.Problems.isEmpty());
    ASSERT_EQ(got.Inputs.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(got.Inputs[i].Device, inputs[i].Device);
        EXPECT_EQ(got.Inputs[i].Key, inputs[i].Key);
        EXPECT_EQ(got.Inputs[i].Button, inputs[i].Button);
        EXPECT_EQ(got.Inputs[i].DebounceMs, inputs[i].DebounceMs);
    }
    EXPECT_EQ(s.value(QStringLiteral("LapInputs/Device2Key")).toString(),
              QStringLiteral("BTN_SOUTH"));
    EXPECT_EQ(s.value(QStringLiteral("LapInputs/Device2Button")).toString(),
              QStringLiteral("lap2"));
    EXPECT_FALSE(s.contains(QStringLiteral("LapInputs/Device3")));
}

} // namespace
