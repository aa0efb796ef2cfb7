// A device's key press is a lap timed at the kernel's moment of the press,
// read without ever blocking the window's thread. A pipe stands in for the
// device: the reader only ever reads records off a descriptor.
#include "DeviceInput.h"
#include "FileError.h"
#include "InputHub.h"
#include "Label.h"
#include "Messages.h"
#include "TestUtil.h"
#include "Timer.h"
#include "Unit1.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace DeviceEvents;

namespace {

input_event Event(uint16_t type, uint16_t code, int32_t value, uint32_t tick) {
    input_event e{};
    e.input_event_sec = tick / 1000;
    e.input_event_usec = (tick % 1000) * 1000;
    e.type = type;
    e.code = code;
    e.value = value;
    return e;
}
input_event Press(uint32_t tick, uint16_t code = KEY_F13) {
    return Event(EV_KEY, code, 1, tick);
}

struct Pipe {
    int R = -1, W = -1;
    Pipe() {
        int fds[2];
        if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) R = fds[0], W = fds[1];
    }
    ~Pipe() {
        if (W >= 0) ::close(W);
    }
    void Write(const void* data, size_t n) { ASSERT_EQ(::write(W, data, n), ssize_t(n)); }
    void Write(const std::vector<input_event>& events) {
        Write(events.data(), events.size() * sizeof(input_event));
    }
    // The reader owns the reading end from here on.
    int TakeReader() { return std::exchange(R, -1); }
};

// Lets the window's thread see what is waiting on its descriptors.
void Pump() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// Each lap's stopwatch total, as the run performed it.
struct LapTotals : TRunObserver {
    TVantel& W;
    std::vector<int32_t> Totals;
    explicit LapTotals(TVantel& w) : W(w) { W.Run.Observe(this); }
    ~LapTotals() override { W.Run.Forget(this); }
    void ActionDone(const TActionRecord& r) override {
        if (r.Action == TRunAction::Lap) Totals.push_back(W.State.Total);
        if (r.Action == TRunAction::Lap3) Totals.push_back(W.State.Lap3Time);
    }
};

struct Window {
    FakeClock Clock;
    TVantel W;
    TInputHub Hub{W};
    uint32_t Start;
    Window() {
        Clock.Tick = 4'294'967'000u; // the counter wraps 296 ms into the run
        W.Timer1->SetEnabled(false);
        W.Run.Perform(TRunAction::Reset);
        W.Run.Perform(TRunAction::Start);
        Start = Clock.Tick;
    }
    QString Note() const {
        return W.RunNote && !W.RunNote->isHidden() ? W.RunNote->Caption() : QString();
    }
};

TLapInput F13(uint32_t debounce = TLapInput::DefaultDebounceMs,
              TRunAction button = TRunAction::Lap) {
    TLapInput in;
    in.Key = KEY_F13;
    in.Button = button;
    in.DebounceMs = debounce;
    return in;
}

TEST(DeviceInput, OnlyTheKeyGoingDownOutsideTheDebounceIsALap) {
    struct Case {
        const char* Name;
        std::vector<input_event> Events; // ticks from the start of the run
        std::vector<int32_t> Totals;
        uint32_t Debounce = TLapInput::DefaultDebounceMs;
        TRunAction Button = TRunAction::Lap;
    } cases[] = {
        {"a press", {Press(100)}, {100}},
        {"its report around it",
         {Event(EV_MSC, MSC_SCAN, 0x70068, 100), Press(100), Event(EV_SYN, SYN_REPORT, 0, 100)},
         {100}},
        {"repeats and the release",
         {Press(100), Event(EV_KEY, KEY_F13, 2, 350), Event(EV_KEY, KEY_F13, 2, 383),
          Event(EV_KEY, KEY_F13, 0, 400)},
         {100}},
        {"a bounce within 30 ms", {Press(100), Event(EV_KEY, KEY_F13, 0, 110), Press(129)}, {100}},
        {"a press 30 ms after", {Press(100), Press(130)}, {100, 130}},
        {"a dropped press starts no debounce", {Press(100), Press(120), Press(135)}, {100, 135}},
        {"another key", {Press(100, KEY_A), Press(200), Press(250, BTN_SOUTH)}, {200}},
        {"the key's code in another type", {Event(EV_ABS, KEY_F13, 1, 100), Press(300)}, {300}},
        {"no debounce", {Press(100), Press(101)}, {100, 101}, 0},
        {"a longer debounce", {Press(100), Press(199), Press(200)}, {100, 200}, 100},
        // LAP3's figure is its lap time.
        {"the third lap button", {Press(100), Press(400)}, {100, 300}, 30, TRunAction::Lap3},
    };
    for (const Case& c : cases) {
        Window f;
        LapTotals laps(f.W);
        Pipe p;
        TDeviceInput in(f.Hub, p.TakeReader(), F13(c.Debounce, c.Button), TEventClock::Boottime,
                        QStringLiteral("Pedal"));
        f.Clock.Advance(500);
        std::vector<input_event> events = c.Events;
        for (input_event& e : events) { // on the run's counter, which wraps
            const uint32_t at =
                f.Start + uint32_t(e.input_event_sec * 1000 + e.input_event_usec / 1000);
            e.input_event_sec = at / 1000;
            e.input_event_usec = (at % 1000) * 1000;
        }
        p.Write(events);
        Pump();
        EXPECT_EQ(laps.Totals, c.Totals) << c.Name;
    }
}

TEST(DeviceInput, ARecordSplitAcrossReadsIsReadWhole) {
    Window f;
    LapTotals laps(f.W);
    Pipe p;
    TDeviceInput in(f.Hub, p.TakeReader(), F13(), TEventClock::Boottime, QStringLiteral("Pedal"));
    f.Clock.Advance(500);
    const input_event a = Press(f.Start + 100), b = Press(f.Start + 300);
    const char* ab = reinterpret_cast<const char*>(&a);
    const char* bb = reinterpret_cast<const char*>(&b);
    p.Write(ab, 7);
    Pump();
    EXPECT_TRUE(laps.Totals.empty());
    p.Write(ab + 7, sizeof a - 7);
    p.Write(bb, 5);
    Pump();
    EXPECT_EQ(laps.Totals, (std::vector<int32_t>{100}));
    p.Write(bb + 5, sizeof b - 5);
    Pump();
    EXPECT_EQ(laps.Totals, (std::vector<int32_t>{100, 300}));

    // The stream on its own, a byte at a time.
    TRecordStream s;
    std::vector<input_event> got;
    for (const input_event& e : {a, b, Event(EV_SYN, SYN_REPORT, 0, 7)})
        for (size_t i = 0; i < sizeof e; ++i) {
            const auto whole = s.Take(reinterpret_cast<const char*>(&e) + i, 1);
            EXPECT_EQ(whole.size(), i + 1 == sizeof e ? 1u : 0u);
            got.insert(got.end(), whole.begin(), whole.end());
        }
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1].input_event_usec, b.input_event_usec);
    EXPECT_EQ(got[2].type, EV_SYN);
    EXPECT_EQ(s.Waiting(), 0u);
}

// The real clock: the window's thread is busy for 300 ms while three presses
// are made; each lap is timed at its own press all the same.
TEST(DeviceInput, PressesMadeWhileTheWindowIsBusyAreTimedAtTheirEvents) {
    TVantel w;
    TInputHub hub(w);
    LapTotals laps(w);
    w.Timer1->SetEnabled(false);
    w.Run.Perform(TRunAction::Reset);
    w.Run.Perform(TRunAction::Start);
    const uint32_t start = Clock::GetTickCount();
    Pipe p;
    TDeviceInput in(hub, p.TakeReader(), F13(), TEventClock::Boottime, QStringLiteral("Pedal"));
    std::vector<uint32_t> made;
    QElapsedTimer busy;
    busy.start();
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        timespec now{};
        clock_gettime(CLOCK_BOOTTIME, &now);
        input_event e = Press(0);
        e.input_event_sec = now.tv_sec;
        e.input_event_usec = now.tv_nsec / 1000;
        p.Write({e, Event(EV_SYN, SYN_REPORT, 0, 0)});
        made.push_back(Clock::TickAt(now));
    }
    std::this_thread::sleep_for(
        std::chrono::milliseconds(300 - std::min<qint64>(busy.elapsed(), 300)));
    EXPECT_TRUE(laps.Totals.empty()) << "nothing is read while the thread is busy";
    Pump();
    ASSERT_EQ(laps.Totals.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(laps.Totals[i], int32_t(made[i] - start), 2) << i;
    EXPECT_LT(laps.Totals[0], laps.Totals[1]);
    EXPECT_LT(laps.Totals[1], laps.Totals[2]);
    EXPECT_GE(Clock::GetTickCount() - start, 300u);
}

TEST(DeviceInput, AnEventTimeBecomesTheTickAtIt) {
    // On CLOCK_BOOTTIME the time is the counter's, modulo 2^32.
    EXPECT_EQ(BoottimeTick(Event(EV_KEY, 0, 1, 12345)), 12345u);
    input_event e{};
    e.input_event_sec = 4294967;
    e.input_event_usec = 295999;
    EXPECT_EQ(BoottimeTick(e), 4294967295u);
    e.input_event_usec = 296000;
    EXPECT_EQ(BoottimeTick(e), 0u);
    e.input_event_sec = 4294967 + 10;
    EXPECT_EQ(BoottimeTick(e), 10000u);

    // On CLOCK_REALTIME it is moved by the offset between the clocks at arrival.
    struct Case {
        const char* Name;
        int64_t EventMs, RealNowMs, BootNowMs;
        uint32_t Tick;
    } cases[] = {
        {"10 ms before arrival", 1'765'400'000'250, 1'765'400'000'260, 50'010, 50'000},
        {"at arrival", 1'765'400'000'260, 1'765'400'000'260, 50'010, 50'010},
        {"the counter wraps between", 1'765'400'000'250, 1'765'400'000'260, 4'294'967'300,
         4'294'967'290u},
        {"the wall clock stepped back after it", 1'765'400'000'263, 1'765'400'000'260, 50'010,
         50'013},
    };
    const auto at = [](int64_t ms) {
        timespec t{};
        t.tv_sec = ms / 1000;
        t.tv_nsec = (ms % 1000) * 1000000;
        return t;
    };
    for (const Case& c : cases) {
        input_event ev{};
        ev.input_event_sec = c.EventMs / 1000;
        ev.input_event_usec = (c.EventMs % 1000) * 1000;
        EXPECT_EQ(RealtimeTick(ev, at(c.RealNowMs), at(c.BootNowMs)), c.Tick) << c.Name;
    }
}

TEST(DeviceInput, ADeviceThatGoesAwayIsToldOnceAndNoLongerRead) {
    Window f;
    // A directory's descriptor is always readable and every read fails, as
    // an unplugged device's does (ENODEV).
    const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    TLapInput pedal = F13();
    pedal.Device = QStringLiteral("/dev/input/by-id/usb-Pedal-event-kbd");
    TDeviceInput in(f.Hub, fd, pedal, TEventClock::Boottime, QStringLiteral("Pedal"));
    Pump();
    EXPECT_EQ(f.Note(), Msg::DeviceGone().arg(pedal.Device));
    EXPECT_FALSE(in.Reading());
    f.W.ShowRunNote(QString());
    Pump();
    EXPECT_EQ(f.Note(), QString()) << "told once";

    // A writer that closes ends the reading quietly.
    Pipe p;
    TDeviceInput piped(f.Hub, p.TakeReader(), F13(), TEventClock::Boottime, QStringLiteral("P"));
    ::close(std::exchange(p.W, -1));
    Pump();
    EXPECT_FALSE(piped.Reading());
    EXPECT_EQ(f.Note(), QString());
}

TEST(DeviceInput, ADeviceThatCannotBeOpenedIsNamedInANote) {
    Window f;
    TLapInput in = F13();
    in.Device = QStringLiteral("/dev/input/by-id/usb-No-such-pedal-event-kbd");
    EXPECT_EQ(TDeviceInput::Open(f.Hub, in), nullptr);
    EXPECT_EQ(f.Note(), QStringLiteral("Cannot open the lap input "
                                       "/dev/input/by-id/usb-No-such-pedal-event-kbd: No such "
                                       "file or directory"));

    // No access: what to do about it, with the device's vendor where sysfs
    // knows it, a blank to fill in where it does not.
    const QString refused = OpenNote(in.Device, EACCES);
    EXPECT_EQ(refused, Msg::DeviceNoAccess().arg(in.Device, FileError::Reason(EACCES),
                                                 QStringLiteral("....")));
    EXPECT_TRUE(refused.startsWith(QStringLiteral(
        "Cannot read the lap input /dev/input/by-id/usb-No-such-pedal-event-kbd: Permission "
        "denied. Add yourself to the group input")));
    EXPECT_TRUE(refused.contains(QStringLiteral("ATTRS{idVendor}==\"....\"")));
    EXPECT_EQ(OpenNote(in.Device, EPERM),
              Msg::DeviceNoAccess().arg(in.Device, FileError::Reason(EPERM), "...."));
}

TEST(DeviceInput, KeysAreNamedAsTheKernelNamesThem) {
    struct Case {
        const char* Name;
        std::optional<int> Code;
    } cases[] = {
        {"KEY_F13", KEY_F13}, {" KEY_A ", KEY_A}, {"BTN_SOUTH", BTN_SOUTH},
        {"BTN_0", BTN_0},     {"KEY_PEDAL", {}},  {"F13", {}},
        {"ABS_X", {}},        {"", {}},           {"key_f13", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyCode(QString::fromLatin1(c.Name)), c.Code) << c.Name;
    EXPECT_EQ(KeyName(KEY_F13), QStringLiteral("KEY_F13"));
    for (int code : {KEY_F13, KEY_SPACE, KEY_ENTER, BTN_SOUTH, BTN_0, BTN_TRIGGER_HAPPY1})
        EXPECT_EQ(KeyCode(KeyName(code)), code) << code;
}

} // namespace
