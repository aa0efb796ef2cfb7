#!/usr/bin/env bash
# The real program in a Wayland session binds its lap buttons as the
# desktop's global shortcuts through the portal, and an activation presses
# LAP timed at the activation's own stamp, not when it arrived. No desktop
# here has a portal backend: a stand-in that speaks the documented interface
# (tests/inputs/portal_standin.cpp) owns the portal's name on a session bus
# of the test's own. Runs on a virtual X server (ctest starts it under
# tests/xvfb.sh) with a home of its own.
#
#   portal_shortcuts.sh VANTEL PORTAL_STANDIN
set -euo pipefail
vantel=$(realpath "$1")
standin=$(realpath "$2")
for tool in xdotool dbus-daemon gdbus; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/deps.sh test)"; exit 1; }
done
python=/usr/bin/python3
[ -x "$python" ] || python=python3
tmp=$(mktemp -d)
pid=
bus_pid=
standin_pid=
cleanup() {
    for p in "$pid" "$standin_pid"; do
        [ -n "$p" ] && { kill -9 "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; }
    done
    [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb
export HOME=$tmp/home XDG_STATE_HOME=$tmp/state XDG_CONFIG_HOME=$tmp/config
export XDG_DATA_HOME=$tmp/data XDG_CACHE_HOME=$tmp/cache XDG_RUNTIME_DIR=$tmp/runtime
mkdir -p "$HOME" "$tmp/work" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
dir=$XDG_STATE_HOME/vantel
fail() {
    echo "FAIL: $*" >&2
    [ -d "$dir" ] && tail -n 8 "$dir"/* >&2
    [ -f "$tmp/log" ] && tail -n 20 "$tmp/log" >&2
    [ -f "$tmp/standin.log" ] && tail -n 20 "$tmp/standin.log" >&2
    exit 1
}
source "$(dirname "$0")/x_program.sh"

private_bus

"$standin" >"$tmp/standin.log" 2>&1 &
standin_pid=$!
control() {
    timeout 5 gdbus call --session --dest org.freedesktop.portal.Desktop --object-path /standin \
        --method "io.github.vantel.PortalStandin.$1" "${@:2}"
}
for _ in $(seq 100); do control Bound >/dev/null 2>&1 && break; sleep 0.1; done

# A Wayland session, as far as the program can tell; the window itself is
# still drawn on the virtual X server.
export XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-standin
cd "$tmp/work"
start_vantel
bound=
for _ in $(seq 100); do
    bound=$(control Bound 2>/dev/null || true)
    [[ $bound == *lap3* ]] && break
    sleep 0.1
done
[[ $bound == *"lap:LAP"*"lap2:LAP2"*"lap3:LAP3"* ]] || fail "the shortcuts bound: '$bound'"

xdotool key Return # start has the focus at start-up
wait_lines '^start '
sleep 0.5 # the press comes well after the start
# An activation stamped 120 ms ago on the monotonic clock; the lap must be
# timed then: at the tick counter (CLOCK_BOOTTIME ms) of that moment.
read -r stamp want < <("$python" -c '
import time
m = time.clock_gettime(time.CLOCK_MONOTONIC)
b = time.clock_gettime(time.CLOCK_BOOTTIME)
print(int(m * 1000) - 120, (int(b * 1000) - 120) % 2**32)')
control Press lap "$stamp" '' >/dev/null || fail "the stand-in took no press"
wait_lines '^lap .* c=1,0,0 '
got=$(grep -h '^lap ' "$dir"/*.journal | sed -n 's/.* t=\([0-9]*\).*/\1/p' | head -1)
off=$(( (got - want + 2**31) % 2**32 - 2**31 ))
echo "lap read the clock at $got; the activation was at $want (off by $off ms)"
[ "${off#-}" -le 5 ] || fail "the lap was timed $off ms from the activation's stamp"
# An activation of a shortcut the program never bound presses nothing.
control Press reset "$stamp" '' >/dev/null || true
sleep 0.5
[ "$(grep -c '^lap \|^reset ' "$dir"/*.journal)" = 1 ] || fail "an unknown shortcut pressed something"
kill -0 "$pid" || fail "the program is gone"
echo "PASS"
