#!/usr/bin/env bash
# Two copies of the real program, each with a run, killed with SIGKILL; the
# next start asks about both runs, one question after the other, and Enter
# restores each in a window of its own. Each run goes on in its own journal,
# and killed again, neither loses anything. Runs on a virtual X server
# (ctest starts it under tests/xvfb.sh) with a home of its own.
#
#   kill_two_restore.sh VANTEL
set -euo pipefail
vantel=$1
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed (tools/deps.sh test)"; exit 1; }
tmp=$(mktemp -d)
pid=
first=
cleanup() {
    for p in $pid $first; do kill -9 "$p" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb
export HOME=$tmp/home XDG_STATE_HOME=$tmp/state XDG_CONFIG_HOME=$tmp/config
mkdir -p "$HOME"
dir=$XDG_STATE_HOME/vantel
fail() {
    echo "FAIL: $*" >&2
    [ -d "$dir" ] && tail -n 3 "$dir"/* >&2
    [ -f "$tmp/log" ] && tail -n 20 "$tmp/log" >&2
    exit 1
}

source "$(dirname "$0")/x_program.sh"

press() { # Enter, then waits for the line it writes
    xdotool key Return
    wait_lines "$@"
    sleep 0.2 # painted by now
}

start_vantel # the first copy: started, one lap
press '^start ' 1
press ' c=1,0,0 ' 1
first=$pid
start_vantel # the second copy: started, two laps
press '^start ' 2
press ' c=1,0,0 ' 2
press ' c=2,0,0 ' 1
kill -9 "$first" "$pid"
wait "$first" "$pid" 2>/dev/null || true
first=
pid=

# Two questions, newest run first; Enter restores each.
start_vantel
xdotool key Return
next_window "$wid"
dialog=$wid
xdotool key Return
wait_lines '^anchor ' 2
windows=
for _ in $(seq 100); do
    windows=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -cvx "$dialog" || true)
    [ "$windows" -ge 2 ] && break
    sleep 0.1
done
[ "$windows" = 2 ] || fail "$windows windows for two restored runs"
[ "$(ls "$dir" | wc -l)" = 2 ] || fail "two runs, two journals: $(ls "$dir")"

# A lap in one of them goes on that run, in that run's journal.
xdotool windowfocus --sync "$(xdotool search --onlyvisible --pid "$pid" | grep -vx "$dialog" | tail -1)"
sleep 0.3
press '^lap ' 4
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=
laps=$(for f in "$dir"/*.journal; do grep -c '^lap ' "$f"; done | sort | tr '\n' ' ')
[ "$laps" = "2 2 " ] || [ "$laps" = "1 3 " ] || fail "laps per journal: $laps"
[ "$(ls "$dir" | wc -l)" = 2 ] || fail "both still unfinished: $(ls "$dir")"
echo "two runs restored, each in its own window and journal; laps per journal: $laps"
