#!/usr/bin/env bash
# The real program killed with SIGKILL right after a lap is painted, started
# again and its run restored with Enter: the next lap carries on the restored
# count. Runs on a virtual X server (ctest starts it under tests/xvfb.sh) with a
# home of its own.
#
#   kill_restore.sh VANTEL
set -euo pipefail
vantel=$1
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed (tools/deps.sh test)"; exit 1; }
tmp=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
# The test command runs everything else offscreen; this one needs the X server.
export QT_QPA_PLATFORM=xcb
export HOME=$tmp/home XDG_STATE_HOME=$tmp/state XDG_CONFIG_HOME=$tmp/config
mkdir -p "$HOME"
dir=$XDG_STATE_HOME/vantel
fail() {
    echo "FAIL: $*" >&2
    [ -d "$dir" ] && tail -n 5 "$dir"/* >&2
    [ -f "$tmp/log" ] && tail -n 20 "$tmp/log" >&2
    xdotool search --name . getwindowname %@ >&2 2>/dev/null || true
    exit 1
}

source "$(dirname "$0")/x_program.sh"

start_vantel
xdotool key Return # start has the focus at start-up
wait_lines '^start '
xdotool key Return # LAP has it now
wait_lines '^lap .* c=1,0,0 '
sleep 0.2 # painted by now: the display refreshes every 10 ms
xdotool key Return
wait_lines '^lap .* c=2,0,0 '
sleep 0.2
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=

[ "$(stat -c %a "$dir")" = 700 ] || fail "folder mode $(stat -c %a "$dir")"
[ "$(stat -c %a "$dir"/*.journal)" = 600 ] || fail "file mode"

# The restore question comes first; Enter answers Restore.
start_vantel
xdotool key Return
wait_lines '^anchor '
# The window shows once the question is answered; on a loaded machine a key
# sent before it has the focus would be lost.
next_window "$wid"
xdotool key Return
wait_lines '^lap .* c=3,0,0 '
[ "$(ls "$dir" | wc -l)" = 1 ] || fail "one run, one journal: $(ls "$dir")"
echo "restored and went on: $(grep -c '^lap ' "$dir"/*.journal) laps in the journal"
