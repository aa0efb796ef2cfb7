#!/usr/bin/env bash
# The real program with a global key for LAP, F9, written into its settings
# by hand. With the run started and another program's window in the focus,
# F9 makes one lap and the other window never sees the key; the focus stays
# where it was. In the program's own window F9 laps too, and held down it
# makes one lap. Then another program holds F10 first and the program is
# configured with F10: it says so on its standard error, and still runs.
# In between, the Lap inputs dialog gives LAP another key, F11, from the
# keyboard alone: it is kept in the settings and F9 is free again.
# Runs on a virtual X server (ctest starts it under tests/xvfb.sh) with a
# home of its own.
#
#   global_key.sh VANTEL KEY_WINDOW
set -euo pipefail
vantel=$(realpath "$1")
keywin=$(realpath "$2")
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed (tools/deps.sh test)"; exit 1; }
tmp=$(mktemp -d)
pid=
kpid=
stop_pid() {
    if [ -n "$1" ]; then
        kill -9 "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}
cleanup() {
    stop_pid "$pid"
    stop_pid "$kpid"
    rm -rf "$tmp"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb
# Each part has a home, settings and journals of its own.
use_home() {
    export HOME=$tmp/$1/home XDG_STATE_HOME=$tmp/$1/state XDG_CONFIG_HOME=$tmp/$1/config
    export XDG_DATA_HOME=$tmp/$1/data XDG_CACHE_HOME=$tmp/$1/cache
    mkdir -p "$HOME" "$XDG_CONFIG_HOME/vantel" "$tmp/$1/work"
    dir=$XDG_STATE_HOME/vantel
    cd "$tmp/$1/work"
}
fail() {
    echo "FAIL: $*" >&2
    [ -d "$dir" ] && tail -n 8 "$dir"/* >&2
    [ -f "$tmp/log" ] && tail -n 20 "$tmp/log" >&2
    [ -f "$tmp/keys.log" ] && { echo "the other window's keys:" >&2; cat "$tmp/keys.log" >&2; }
    exit 1
}
source "$(dirname "$0")/x_program.sh"

# Starts the other program's window, focused: sets $kpid and $kwid. With a
# keysym, the window first holds that key as its own global key.
start_key_window() {
    : >"$tmp/keys.out"
    "$keywin" "$tmp/keys.log" "$@" >"$tmp/keys.out" 2>&1 &
    kpid=$!
    kwid=$(timeout 60 xdotool search --sync --onlyvisible --pid "$kpid" | head -1) || true
    [ -n "$kwid" ] || fail "the other window did not show: $(cat "$tmp/keys.out")"
    xdotool windowfocus --sync "$kwid"
    sleep 0.3
}

# Waits for a line $1 in file $2.
wait_file_line() {
    for _ in $(seq 200); do
        grep -qx -- "$1" "$2" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "no line '$1' in $2"
}

# Sets $dwid to the program's Lap inputs dialog shown; false if none. By its
# exact title among the program's windows: a search by name matches the
# run's window too.
dialog_window() {
    dwid=
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "Lap inputs" ] && dwid=$w
    done
    [ -n "$dwid" ]
}

# --- F9 presses LAP wherever the focus is -----------------------------------
use_home grab
printf '[LapInputs]\nGlobalLap=F9\n' >"$XDG_CONFIG_HOME/vantel/vantel.conf"
start_vantel
xdotool key Return # start has the focus at start-up
wait_lines '^start '

start_key_window
# The other window does get the keys typed to it, so that its empty log
# below means F9 never reached it.
xdotool key a
wait_file_line A "$tmp/keys.log"
xdotool key F9
wait_lines "^lap .* c=1,0,0 "
xdotool key b
wait_file_line B "$tmp/keys.log"
# One press, one lap; F9 went to no one else, and the focus stayed.
[ "$(cat "$dir"/*.journal | grep -c '^lap ')" -eq 1 ] || fail "more than one lap for one F9"
! grep -qx F9 "$tmp/keys.log" || fail "the other window got F9"
[ "$(xdotool getwindowfocus)" = "$kwid" ] || fail "the focus left the other window"
# A second press, a second lap.
sleep 0.2
xdotool key F9
wait_lines "^lap .* c=2,0,0 "
# In the run's own window too, and held down, with the server repeating it,
# it is one press.
xdotool windowfocus --sync "$wid"
sleep 0.3
xdotool key F9
wait_lines "^lap .* c=3,0,0 "
xdotool keydown F9
sleep 1.2
xdotool keyup F9
wait_lines "^lap .* c=4,0,0 "
sleep 0.3
[ "$(cat "$dir"/*.journal | grep -c '^lap ')" -eq 4 ] || fail "a held F9 made more than one lap"
# (No session bus here: the line that says so is not a lap input's.)
! grep 'vantel: ' "$tmp/log" | grep -qv 'no session bus' ||
    fail "a note where none was due: $(grep 'vantel: ' "$tmp/log")"

# --- the dialog gives LAP F11 instead ----------------------------------------
xdotool windowfocus --sync "$wid"
sleep 0.3
xdotool key Menu
sleep 0.5
xdotool key Up Up # Lap inputs…, above the last item, Live board…
xdotool key Return
for _ in $(seq 100); do
    dialog_window && break
    sleep 0.1
done
[ -n "$dwid" ] || fail "no Lap inputs dialog"
# The menu gives the focus back to the window it was opened from as it
# closes; the dialog is focused once that is done.
sleep 0.5
xdotool windowfocus --sync "$dwid"
sleep 0.3
[ "$(xdotool getwindowfocus)" = "$dwid" ] || fail "the dialog has no focus: $(xdotool getwindowfocus) for $dwid"
# The LAP field has the focus; the key caught, the field waits a second
# before it takes it as whole.
xdotool key F11
sleep 1.5
# Out of the field, which would catch Alt+A as a key, and Apply.
xdotool key Tab
sleep 0.1
xdotool key alt+a
conf=$XDG_CONFIG_HOME/vantel/vantel.conf
for _ in $(seq 100); do
    grep -qx 'GlobalLap=F11' "$conf" && break
    sleep 0.05
done
grep -qx 'GlobalLap=F11' "$conf" || fail "Apply did not keep F11: $(cat "$conf")"
# With the dialog still open, the run's window keeps its own keys: LAP's
# accelerator.
dialog_window || fail "the dialog closed on Apply"
xdotool windowfocus --sync "$wid"
sleep 0.3
xdotool key alt+1
wait_lines "^lap .* c=5,0,0 "
xdotool windowfocus --sync "$kwid"
sleep 0.3
xdotool key F11
wait_lines "^lap .* c=6,0,0 "
# F9 is let go: the other window gets it, and it makes no lap.
xdotool key F9
wait_file_line F9 "$tmp/keys.log"
[ "$(cat "$dir"/*.journal | grep -c '^lap ')" -eq 6 ] || fail "F9 made a lap after it was changed"
! grep -qx F11 "$tmp/keys.log" || fail "the other window got F11"
stop_pid "$pid"
pid=
stop_pid "$kpid"
kpid=

# --- F10 held by another program first -------------------------------------
use_home taken
start_key_window 0xffc7 # F10
grep -qx grabbed "$tmp/keys.out" || fail "the other window could not hold F10: $(cat "$tmp/keys.out")"
printf '[LapInputs]\nGlobalLap=F10\n' >"$XDG_CONFIG_HOME/vantel/vantel.conf"
start_vantel
want="vantel: The key F10 for LAP1 is held by another program; it presses nothing in Vantel."
for _ in $(seq 200); do
    grep -qxF -- "$want" "$tmp/log" && break
    sleep 0.05
done
grep -qxF -- "$want" "$tmp/log" || fail "no note of the key held"
# The program still runs: its run starts from its own keyboard.
xdotool key Return
wait_lines '^start '
kill -0 "$pid" || fail "the program quit"
echo "PASS"
