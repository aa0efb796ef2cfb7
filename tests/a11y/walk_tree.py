"""Walks the program's accessibility tree over AT-SPI, as a screen reader or a
test driver does, and runs a short lap session by accessibility actions alone."""
import sys
import time

import pyatspi
from gi.repository import GLib

heard = []


def on_event(event):
    try:
        source = event.source
        if source.getRoleName() == "table cell":  # a cell says which table
            source = source.parent
        heard.append((event.type, source.description))
    except Exception:
        heard.append((event.type, None))


def pump(seconds, until=None):
    """Lets the events the program sent arrive, for `seconds` or until all
    of `until` have been heard."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        if until and until <= set(heard):
            return
        time.sleep(0.02)


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def find_app(timeout=20.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "vantel" and app.childCount > 0:
                return app
        time.sleep(0.2)
    fail("the program never showed up on the accessibility bus")


def walk(node, out):
    for child in node:
        if child is None:
            continue
        role = child.getRoleName()
        out.append(child)
        if role not in ("table", "chart"):  # their children are cells
            walk(child, out)
    return out


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        fail(f"{button.name!r} offers no Press action, only {names}")
    action.doAction(names.index("Press"))


def row_texts(table, row):
    t = table.queryTable()
    return [t.getAccessibleAt(row, c).name for c in range(t.nColumns)]


def main():
    app = find_app()
    frame = app[0]
    if frame.getRoleName() != "frame":
        fail(f"the window is a {frame.getRoleName()}")
    nodes = walk(frame, [])
    by_role = {}
    for n in nodes:
        by_role.setdefault(n.getRoleName(), []).append(n)
    buttons = {b.name: b for b in by_role.get("push button", [])}
    want = ["LAP(1)", "LAP(2)", "LAP(3)", "start", "stop", "restart", "reset", "SAVE", "up", "dw"]
    missing = [w for w in want if w not in buttons]
    if missing:
        fail(f"buttons missing: {missing}; found {sorted(buttons)}")
    labels = {l.description: l for l in by_role.get("label", []) if l.description}
    for hint in ["Total", "Fast Lap", "Lap", "Lap real", "Average Lap", "Lap count",
                 "Fast Lap count", "+ - milli sec", "Lap Km/h", "Average Km/h"]:
        if hint not in labels:
            fail(f"no label described {hint!r}; found {sorted(labels)}")
    tables = {t.description: t for t in by_role.get("table", [])}
    for hint in ["Main Number data grid", "LAP1,2,3 mix grid"]:
        if hint not in tables:
            fail(f"no table described {hint!r}; found {sorted(tables)}")
    charts = by_role.get("chart", [])
    if len(charts) != 1 or charts[0].description != "LAP milli & Average milli":
        fail(f"chart: {[(c.name, c.description) for c in charts]}")
    combos = [c for c in by_role.get("combo box", []) if c.name == "meter choice or write"]
    if not combos:
        fail("the distance list is not named by its hint")
    if buttons["LAP(1)"].description != "LAP":
        fail(f"LAP's description is {buttons['LAP(1)'].description!r}")
    print(f"found {len(nodes)} objects: {len(buttons)} buttons, {len(labels)} described labels, "
          f"{len(tables)} tables, 1 chart, 1 distance list")

    pyatspi.Registry.registerEventListener(
        on_event, "object:property-change:accessible-name", "object:state-changed:selected",
        "object:active-descendant-changed", "object:text-changed")
    for name in ["reset", "start", "LAP(1)"]:
        press(buttons[name])
    pump(0.3)
    heard.clear()
    press(buttons["LAP(1)"])
    wanted_events = {("object:property-change:accessible-name", "Lap count"),
                     ("object:state-changed:selected", "Main Number data grid"),
                     ("object:state-changed:selected", "LAP1,2,3 mix grid")}
    pump(10, until=wanted_events)  # a loaded machine may take a while
    lap_events = set(heard)
    for wanted in sorted(wanted_events):
        if wanted not in lap_events:
            fail(f"a lap press did not send {wanted}; heard {sorted(lap_events)}")
    # The running clock (its labels, the window caption) changes 100 times a
    # second and says nothing. Late events of the lap press may still come.
    heard.clear()
    pump(1.0)
    clock = [e for e in heard if e[1] in ("Total", "Lap real", "")]
    if clock:
        fail(f"the running clock sent {len(clock)} events: {sorted(set(clock))[:5]}")
    print(f"a lap press sent {len(lap_events)} kinds of event; 1 s of running clock sent none")

    count = labels["Lap count"].queryText()
    lap_count = count.getText(0, -1)
    if lap_count != "2":
        fail(f"lap count label reads {lap_count!r} after two laps")
    main_row = row_texts(tables["Main Number data grid"], 2)
    mix_row = row_texts(tables["LAP1,2,3 mix grid"], 2)
    header = row_texts(tables["Main Number data grid"], 0)
    print("lap count:", lap_count)
    print("main grid header:", header)
    print("main grid row 2:", main_row)
    print("mix grid row 2:", mix_row)
    if main_row[0] != "2" or mix_row[0] != "2":
        fail("row 2 of a grid is not lap 2")
    if not all(header):
        fail("a column of the main grid has no header")
    chart_name = charts[0].name
    print("chart:", chart_name)
    if not chart_name.startswith("Lap time and Average: 2 laps"):
        fail("the chart's name does not say it shows two laps")
    print("PASS")


main()
