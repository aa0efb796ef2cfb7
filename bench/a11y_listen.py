"""An accessibility client as a screen reader is one: it registers for the
events a screen reader follows and takes them in until it is stopped, then
says how many came. Argument: a file to create once it listens."""
import signal
import sys

import pyatspi
from gi.repository import GLib

EVENTS = ["object:property-change", "object:state-changed", "object:children-changed",
          "object:text-changed", "object:active-descendant-changed", "object:selection-changed",
          "object:value-changed", "window:activate", "focus:"]
counts = {}


def on_event(event):
    # A screen reader asks who sent an event: so does this client, which
    # costs the program a round trip per event as a real client does.
    try:
        key = f"{event.type} {event.source.getRoleName()} {event.source.name!r}"
    except Exception:  # the sender is gone
        key = f"{event.type} (gone)"
    counts[key] = counts.get(key, 0) + 1


def stop(*_):
    total = sum(counts.values())
    print(f"client: {total} events", flush=True)
    for key, n in sorted(counts.items(), key=lambda kv: -kv[1])[:8]:
        print(f"  {n:6d} {key}", flush=True)
    sys.exit(0)


pyatspi.Registry.registerEventListener(on_event, *EVENTS)
signal.signal(signal.SIGTERM, stop)
open(sys.argv[1], "w").close()
loop = GLib.MainLoop()
GLib.unix_signal_add(GLib.PRIORITY_HIGH, signal.SIGTERM, lambda: stop() or False)
loop.run()
