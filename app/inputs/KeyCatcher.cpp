#include "KeyCatcher.h"

#include "Messages.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

using namespace DeviceEvents;

TKeyCatcher::TKeyCatcher(QObject* parent) : QObject(parent) {}

TKeyCatcher::~TKeyCatcher() {
    Stop();
}

int TKeyCatcher::ListenAll(const QString& dir) {
    const QStringList nodes =
        QDir(dir).entryList({QStringLiteral("event*")}, QDir::System | QDir::Files, QDir::Name);
    int listening = 0;
    for (const QString& node : nodes) {
        const QString path = QDir(dir).filePath(node);
        const TOpened d = OpenDevice(path, false);
        if (d.Fd < 0) {
            if (d.Error == EACCES || d.Error == EPERM) FRefused << path;
            continue;
        }
        if (!d.HasKeys) { // a sensor, a switch: no press to learn
            ::close(d.Fd);
            continue;
        }
        Listen(StablePath(path, dir), d.Name, d.Fd);
        ++listening;
    }
    return listening;
}

void TKeyCatcher::Listen(const QString& path, const QString& name, int fd) {
    auto d = std::make_unique<TDevice>();
    d->Path = path;
    d->Name = name;
    d->Fd = fd;
    d->Notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    TDevice* raw = d.get();
    connect(d->Notifier, &QSocketNotifier::activated, this, [this, raw] { readReady(*raw); });
    FDevices.push_back(std::move(d));
}

void TKeyCatcher::Stop() {
    for (auto& d : FDevices)
        release(*d);
    FDevices.clear();
}

QString TKeyCatcher::RefusedNote() const {
    if (FRefused.isEmpty()) return QString();
    return Msg::LearnNoAccess().arg(FRefused.join(QStringLiteral(", ")));
}

bool TKeyCatcher::Learnable(int code) {
    const bool mouse = code >= BTN_MOUSE && code < BTN_JOYSTICK;
    const bool touch = code >= BTN_DIGI && code < BTN_WHEEL;
    return code > 0 && code <= KEY_MAX && !mouse && !touch;
}

QString TKeyCatcher::StablePath(const QString& eventPath, const QString& dir) {
    const QString target = QFileInfo(eventPath).canonicalFilePath();
    if (target.isEmpty()) return eventPath;
    for (const char* sub : {"by-id", "by-path"}) {
        const QDir links(QDir(dir).filePath(QLatin1String(sub)));
        for (const QFileInfo& link : links.entryInfoList(QDir::System | QDir::Files, QDir::Name))
            if (link.isSymLink() && link.canonicalFilePath() == target)
                return link.absoluteFilePath();
    }
    return eventPath;
}

void TKeyCatcher::readReady(TDevice& d) {
    const TReadResult r = ReadAvailable(d.Fd, d.Stream);
    for (const input_event& e : r.Events) {
        if (e.type != EV_KEY || e.value != 1 || !Learnable(e.code)) continue;
        const QString path = d.Path, name = d.Name;
        const int code = e.code;
        Stop(); // `d` is gone from here on
        emit Caught(path, name, code);
        return;
    }
    if (r.End != TReadEnd::Drained) drop(d); // unplugged while listening
}

void TKeyCatcher::release(TDevice& d) {
    // Stop may come from the notifier's own signal: it goes once that is over.
    d.Notifier->setEnabled(false);
    d.Notifier->deleteLater();
    ::close(d.Fd);
}

void TKeyCatcher::drop(TDevice& d) {
    release(d);
    FDevices.erase(std::find_if(FDevices.begin(), FDevices.end(),
                                [&](const auto& p) { return p.get() == &d; }));
}
