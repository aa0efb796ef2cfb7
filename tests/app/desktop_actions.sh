#!/usr/bin/env bash
# The desktop's actions and `vantel --lap` press the running program's
# buttons over the session bus: with no program the command says so and
# fails; with one, --start and three --lap make a start and three laps in its
# journal; an unknown action is refused by the program and makes nothing;
# --reset is not offered. Runs on a virtual X server (ctest starts it under
# tests/xvfb.sh) with a session bus and a home of its own.
#
#   desktop_actions.sh VANTEL
set -euo pipefail
vantel=$(realpath "$1")
for tool in xdotool dbus-daemon gdbus; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/deps.sh test)"; exit 1; }
done
tmp=$(mktemp -d)
pid=
bus_pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
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
    exit 1
}
source "$(dirname "$0")/x_program.sh"

private_bus

# Runs `vantel ARGS`, bounded: sets $rc and $err.
run() {
    rc=0
    timeout 20 "$vantel" "$@" >"$tmp/out" 2>"$tmp/err" || rc=$?
    err=$(cat "$tmp/err")
}

run --lap
[ "$rc" = 1 ] || fail "--lap with no program: exit $rc"
[ "$err" = "Vantel is not running" ] || fail "--lap with no program said '$err'"

run --reset
[ "$rc" = 2 ] || fail "--reset: exit $rc"
grep -q '^Usage: vantel ' "$tmp/err" || fail "--reset printed no usage: '$err'"

cd "$tmp/work"
start_vantel
# The name is asked for once the window is up; wait until the bus has it.
owned=
for _ in $(seq 100); do
    owned=$(timeout 5 gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner io.github.vantel.Vantel 2>/dev/null || true)
    [ "$owned" = "(true,)" ] && break
    sleep 0.1
done
[ "$owned" = "(true,)" ] || fail "the program took no bus name ($owned)"

run --start
[ "$rc" = 0 ] || fail "--start: exit $rc, '$err'"
wait_lines '^start '
for n in 1 2 3; do
    sleep 0.3 # laps of real time, each with a time of its own
    run --lap
    [ "$rc" = 0 ] || fail "--lap $n: exit $rc, '$err'"
    wait_lines "^lap .* c=$n,0,0 "
done
lines=$(cat "$dir"/*.journal | wc -l)

# Refused by the program with a bus error; nothing reaches the run.
rc=0
timeout 10 gdbus call --session --dest io.github.vantel.Vantel --object-path /io/github/vantel/Vantel \
    --method org.freedesktop.Application.ActivateAction reset '[]' '{}' >"$tmp/out" 2>"$tmp/err" || rc=$?
[ "$rc" != 0 ] || fail "the unknown action was taken: $(cat "$tmp/out")"
grep -q "InvalidArgs" "$tmp/err" || fail "the unknown action's error: $(cat "$tmp/err")"
grep -q "Vantel has no action 'reset'" "$tmp/err" || fail "the unknown action's error: $(cat "$tmp/err")"
# A press time of the wrong type is refused alike.
rc=0
timeout 10 gdbus call --session --dest io.github.vantel.Vantel --object-path /io/github/vantel/Vantel \
    --method org.freedesktop.Application.ActivateAction lap '[]' "{'vantel-press-tick': <'5'>}" \
    >"$tmp/out" 2>"$tmp/err" || rc=$?
[ "$rc" != 0 ] || fail "a text press time was taken"
# A lap after both: the journal is written in order, so once its line is
# there, a line of either refused call would be too.
run --lap
[ "$rc" = 0 ] || fail "the last --lap: exit $rc, '$err'"
wait_lines "^lap .* c=4,0,0 "
now=$(cat "$dir"/*.journal | wc -l)
[ "$now" = $((lines + 1)) ] || fail "journal lines went from $lines to $now, not by the last lap alone"
kill -0 "$pid" || fail "the program is gone"
echo "PASS"
