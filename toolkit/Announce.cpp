#include "Announce.h"

namespace Accessible {

namespace {
EventSink sink = nullptr;
} // namespace

void SetEventSink(EventSink s) {
    sink = s;
}

bool Listening() {
    return sink || QAccessible::isActive();
}

void Notify(QObject* object, QAccessible::Event event, int child) {
    // Building the event asks Qt for the object's interface: not worth it
    // while nobody listens.
    if (!object || !Listening()) return;
    QAccessibleEvent e(object, event);
    e.setChild(child);
    if (sink)
        sink(&e);
    else
        QAccessible::updateAccessibility(&e);
}

} // namespace Accessible
