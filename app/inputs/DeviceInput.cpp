#include "DeviceInput.h"

#include "Clock.h"
#include "FileError.h"
#include "InputHub.h"
#include "Messages.h"
#include "Wrap.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <libevdev/libevdev.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace DeviceEvents {

std::vector<input_event> TRecordStream::Take(const char* data, size_t size) {
    std::vector<input_event> out;
    out.reserve((FPartSize + size) / sizeof(input_event));
    while (size > 0) {
        const size_t n = std::min(size, sizeof(input_event) - FPartSize);
        std::memcpy(FPart + FPartSize, data, n);
        FPartSize += n;
        data += n;
        size -= n;
        if (FPartSize == sizeof(input_event)) {
            input_event e;
            std::memcpy(&e, FPart, sizeof e);
            out.push_back(e);
            FPartSize = 0;
        }
    }
    return out;
}

bool TKeyFilter::Take(const input_event& e, uint32_t tick) {
    if (e.type != EV_KEY || e.code != FKey || e.value != 1) return false;
    if (FLast) {
        const int32_t since = wrap::sub(wrap::fromU(tick), wrap::fromU(*FLast));
        if (since >= 0 && uint32_t(since) < FDebounce) return false;
    }
    FLast = tick;
    return true;
}

uint32_t BoottimeTick(const input_event& e) {
    timespec t{};
    t.tv_sec = e.input_event_sec;
    t.tv_nsec = long(e.input_event_usec) * 1000;
    return Clock::TickAt(t);
}

uint32_t RealtimeTick(const input_event& e, const timespec& realNow, const timespec& bootNow) {
    const auto ms = [](int64_t sec, int64_t nsec) { return sec * 1000 + nsec / 1000000; };
    const int64_t offset =
        ms(bootNow.tv_sec, bootNow.tv_nsec) - ms(realNow.tv_sec, realNow.tv_nsec);
    const int64_t at =
        ms(e.input_event_sec, int64_t(e.input_event_usec) * 1000) + offset; // on CLOCK_BOOTTIME
    return uint32_t(uint64_t(at)); // modulo 2^32, as the counter
}

TReadResult ReadAvailable(int fd, TRecordStream& stream) {
    TReadResult r;
    char buf[64 * sizeof(input_event)];
    // Bounded, so that a device that floods the queue still lets the window
    // paint: what is left wakes the notifier again at once.
    for (int round = 0; round < 16; ++round) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            std::vector<input_event> got = stream.Take(buf, size_t(n));
            r.Events.insert(r.Events.end(), got.begin(), got.end());
            continue;
        }
        if (n == 0) {
            r.End = TReadEnd::Closed;
            return r;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return r;
        r.End = TReadEnd::Failed;
        r.Error = errno;
        return r;
    }
    return r;
}

std::optional<int> KeyCode(const QString& name) {
    const QByteArray n = name.trimmed().toLatin1();
    if (!n.startsWith("KEY_") && !n.startsWith("BTN_")) return std::nullopt;
    const int code = libevdev_event_code_from_name(EV_KEY, n.constData());
    if (code < 0) return std::nullopt;
    return code;
}

QString KeyName(int code) {
    const char* n = libevdev_event_code_get_name(EV_KEY, unsigned(code));
    return n ? QString::fromLatin1(n) : QString::number(code);
}

TOpened OpenDevice(const QString& path, bool grab) {
    TOpened d;
    d.Name = path;
    const QByteArray p = QFile::encodeName(path);
    d.Fd = ::open(p.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (d.Fd < 0) {
        d.Error = errno;
        return d;
    }
    // Stamped on the stopwatch's own clock, an event's time is its tick as it
    // stands: no step of the wall clock (NTP, the operator, a time zone's
    // daylight saving) comes between.
    int clockId = CLOCK_BOOTTIME;
    if (::ioctl(d.Fd, EVIOCSCLOCKID, &clockId) == 0) d.Clock = TEventClock::Boottime;
    if (grab && ::ioctl(d.Fd, EVIOCGRAB, 1) != 0 && errno == EBUSY) d.Held = true;
    libevdev* dev = nullptr;
    if (libevdev_new_from_fd(d.Fd, &dev) == 0) {
        if (const char* name = libevdev_get_name(dev); name && *name)
            d.Name = QString::fromUtf8(name);
        d.HasKeys = libevdev_has_event_type(dev, EV_KEY);
        libevdev_free(dev);
    }
    return d;
}

QString VendorId(const QString& path) {
    // The device node itself may be unreadable; its attributes in sysfs are
    // not. A by-id link names the node through the link's target.
    const QString node = QFileInfo(path).canonicalFilePath();
    const QString base = QFileInfo(node.isEmpty() ? path : node).fileName();
    QFile f(QStringLiteral("/sys/class/input/%1/device/id/vendor").arg(base));
    if (base.startsWith(QLatin1String("event")) && f.open(QIODevice::ReadOnly)) {
        const QString id = QString::fromLatin1(f.readAll()).trimmed();
        if (id.size() == 4) return id;
    }
    return QStringLiteral("....");
}

QString OpenNote(const QString& path, int err) {
    if (err == EACCES || err == EPERM)
        return Msg::DeviceNoAccess().arg(path, FileError::Reason(err), VendorId(path));
    return Msg::DeviceNotOpened().arg(path, FileError::Reason(err));
}

} // namespace DeviceEvents

using namespace DeviceEvents;

TDeviceInput::TDeviceInput(TInputHub& hub, int fd, const TLapInput& input, TEventClock clock,
                           const QString& name, QObject* parent)
    : QObject(parent), FHub(hub), FFd(fd), FInput(input), FClock(clock), FName(name),
      FFilter(input.Key, input.DebounceMs) {
    FNotifier = new QSocketNotifier(FFd, QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] { readReady(); });
}

TDeviceInput::~TDeviceInput() {
    stop();
}

std::unique_ptr<TDeviceInput> TDeviceInput::Open(TInputHub& hub, const TLapInput& input) {
    const TOpened d = OpenDevice(input.Device, true);
    if (d.Fd < 0) {
        hub.Note(OpenNote(input.Device, d.Error));
        return nullptr;
    }
    if (d.Held) hub.Note(Msg::DeviceHeld().arg(input.Device));
    return std::make_unique<TDeviceInput>(hub, d.Fd, input, d.Clock, d.Name);
}

void TDeviceInput::readReady() {
    if (FFd < 0) return;
    TReadResult r = ReadAvailable(FFd, FStream);
    if (!r.Events.empty()) {
        timespec realNow{}, bootNow{};
        if (FClock == TEventClock::Realtime) {
            // The kernel would not stamp on CLOCK_BOOTTIME (a driver or
            // kernel without EVIOCSCLOCKID): the events carry the wall
            // clock, which NTP or the operator may step and which stands
            // still in suspend. The offset between the two clocks read now,
            // a few ms after the press, carries no step but one made in
            // those ms; one read at the start would carry every step and
            // suspend since into each lap.
            clock_gettime(CLOCK_REALTIME, &realNow);
            clock_gettime(CLOCK_BOOTTIME, &bootNow);
        }
        for (const input_event& e : r.Events) {
            const uint32_t tick = FClock == TEventClock::Boottime
                                      ? BoottimeTick(e)
                                      : RealtimeTick(e, realNow, bootNow);
            if (FFilter.Take(e, tick)) FHub.Press(FInput.Button, tick);
        }
    }
    if (r.End == TReadEnd::Closed) {
        stop();
    } else if (r.End == TReadEnd::Failed) {
        // Unplugged (ENODEV) or broken: said once, and the descriptor closed,
        // since a notifier on it would wake the thread for ever.
        stop();
        FHub.Note(Msg::DeviceGone().arg(FInput.Device.isEmpty() ? FName : FInput.Device));
    }
}

void TDeviceInput::stop() {
    if (FFd < 0) return;
    // Called from the notifier's own signal too: it goes once that is over.
    FNotifier->setEnabled(false);
    FNotifier->deleteLater();
    FNotifier = nullptr;
    ::close(FFd);
    FFd = -1;
}
