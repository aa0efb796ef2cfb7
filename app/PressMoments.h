#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <optional>

class QWidget;

// When the key or mouse press that clicks a lap button was made, by the
// display server's own time of the event, so that a busy moment between the
// press and its handler costs the lap nothing. Known on X11 only, whose event
// times are milliseconds of the monotonic clock; elsewhere (offscreen, the
// tests) the handler's reading of the clock stands.
class TPressMoments : public QObject {
public:
    explicit TPressMoments(QWidget* window);
    // The tick of the press being handled now, if known; given once.
    std::optional<uint32_t> Take();

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override;

private:
    QPointer<QWidget> FWindow;
    bool FX11 = false;
    std::optional<uint32_t> FTick;
    QElapsedTimer FSeen;
};
