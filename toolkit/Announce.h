#pragma once
// How a control tells assistive tools that what it shows has changed. This is
// all a control needs of accessibility: the interfaces that tools read are
// made elsewhere (accessibility/) and installed by the program, so a control
// never sees them.
#include <QAccessible>

namespace Accessible {

// Where the events below go instead of Qt, when set: a recorder. Qt drops
// every event while no platform bridge is active (as on the offscreen
// platform), so a recorder installed as Qt's update handler would hear none.
using EventSink = void (*)(QAccessibleEvent*);
void SetEventSink(EventSink sink);

// Whether a tool or a recorder listens: one test of a flag.
bool Listening();

// Sends `event` about `object` (about its child `child` when not -1) to the
// active tools; with no tool active it costs one test of a flag.
void Notify(QObject* object, QAccessible::Event event, int child = -1);

} // namespace Accessible
