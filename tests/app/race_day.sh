#!/usr/bin/env bash
# The real program against an operator's slips, from the keyboard alone:
# a restart pressed while the clock runs must leave the clock alone; a
# second run saved in the same minute as the first must go beside the first
# one's file, never over it, and the window says what it wrote; on a screen
# too small for the layout at twice the scale, the window still opens
# wholly inside the screen, and it is never made smaller than it fits. Runs
# on a virtual X server of 1280x1024 (ctest starts it under tests/xvfb.sh)
# with a home of its own.
#
#   race_day.sh VANTEL
set -euo pipefail
vantel=$(realpath "$1")
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed (tools/deps.sh test)"; exit 1; }
command -v xprop >/dev/null || { echo "FAIL: xprop is not installed (tools/deps.sh test)"; exit 1; }
tmp=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb
export HOME=$tmp/home XDG_STATE_HOME=$tmp/state XDG_CONFIG_HOME=$tmp/config
export XDG_DATA_HOME=$tmp/data XDG_CACHE_HOME=$tmp/cache
mkdir -p "$HOME/laps"
dir=$XDG_STATE_HOME/vantel
fail() {
    echo "FAIL: $*" >&2
    [ -d "$dir" ] && tail -n 8 "$dir"/* >&2
    [ -f "$tmp/log" ] && tail -n 20 "$tmp/log" >&2
    ls -l "$HOME/laps" >&2
    exit 1
}
source "$(dirname "$0")/x_program.sh"
last_line() { grep -h -- "$1" "$dir"/*.journal | tail -n 1; }
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
keys() {
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.1
    done
}
# The grids' main lap rows of a CSV as "number ms".
lap_rows() { tr -d '\r' <"$1" | awk -F, '$2 == "1" { print $1, $7 }'; }

# Both saves must fall in one minute: not too close to its end.
while [ "$(date +%S)" -ge 35 ]; do sleep 1; done

cd "$HOME/laps"
start_vantel

# --- a restart while running ----------------------------------------------
xdotool key Return # start
wait_lines '^start '
sleep 0.5
xdotool key Return # LAP
wait_lines '^lap .* c=1,0,0 '
# From LAP back over reset to restart, pressed while the clock runs.
keys shift+Tab shift+Tab Return
wait_lines '^restart '
[ "$(field f "$(last_line '^restart ')")" = LAP ] || fail "restart left the focus on $(field f "$(last_line '^restart ')")"
sleep 1
xdotool key Return
wait_lines '^lap .* c=2,0,0 '
# Stop: back from LAP over reset and restart.
keys shift+Tab shift+Tab shift+Tab Return
wait_lines '^stop .* run=0 '

# --- the first run's save ------------------------------------------------------
keys Tab Tab Tab Tab Tab Return # start, stop, restart, reset, LAP, SAVE
wait_lines '^save ' 1
first=$(field file "$(last_line '^save ')")
[[ $first =~ ^[0-9]{10}\.csv$ ]] || fail "first save named '$first'"
[ -f "$first" ] || fail "no $first"
laps=$(lap_rows "$first")
echo "first run (lap ms):"; echo "$laps"
lap2=$(awk '$1 == 2 { print $2 }' <<<"$laps")
# Lap 2 ran a second and more across the restart; a restart that rewound
# the clock gave it the time since the restart only, or less.
[ -n "$lap2" ] && [ "$lap2" -ge 1000 ] || fail "lap 2 across the restart is '$lap2' ms"
sum=$(md5sum <"$first")

# --- a second run in the same minute ------------------------------------------
keys shift+Tab shift+Tab Return # SAVE, LAP, reset
# A reset ends the run: its journal is put aside as finished at once.
for _ in $(seq 300); do
    grep -q '^reset ' "$dir"/*.done 2>/dev/null && break
    sleep 0.05
done
grep -q '^reset ' "$dir"/*.done 2>/dev/null || fail "no finished journal after the reset"
xdotool key Return # start has the focus after a reset; a new journal begins
wait_lines '^start '
sleep 0.3
xdotool key Return
wait_lines '^lap .* c=1,0,0 '
keys shift+Tab shift+Tab shift+Tab Return
wait_lines '^stop .* run=0 '
keys Tab Tab Tab Tab Tab Return
wait_lines '^save '
second=$(field file "$(last_line '^save ')")
[ "$second" = "${first%.csv}-2.csv" ] || fail "second run saved as '$second' beside '$first'"
[ "$(md5sum <"$first")" = "$sum" ] || fail "the first run's $first was changed"
[ "$(lap_rows "$second" | wc -l)" = 1 ] || fail "second file: $(lap_rows "$second")"
# The window says what it wrote, and the keyboard stays on SAVE.
[ "$(field f "$(last_line '^save ')")" = SAVE ] || fail "the save moved the focus"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=

# --- twice the scale on 1280x1024 --------------------------------------------
read -r sw sh < <(xdotool getdisplaygeometry)
rm -rf "$XDG_STATE_HOME" # no run to offer back
QT_SCALE_FACTOR=2 start_vantel
eval "$(xdotool getwindowgeometry --shell "$wid")"
echo "at twice the scale: ${WIDTH}x${HEIGHT} at $X,$Y on ${sw}x${sh}"
[ "$X" -ge 0 ] && [ "$Y" -ge 0 ] || fail "the window starts off the screen at $X,$Y"
[ $((X + WIDTH)) -le "$sw" ] && [ $((Y + HEIGHT)) -le "$sh" ] ||
    fail "the window ${WIDTH}x${HEIGHT} at $X,$Y goes past the ${sw}x${sh} screen"
hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
min=$(sed -n 's/.*program specified minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p' <<<"$hints")
echo "minimum size: $min"
[ "$min" = "$WIDTH $HEIGHT" ] || fail "minimum size '$min', window ${WIDTH}x${HEIGHT}: $hints"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=

# --- at the normal scale: the layout's size, and no smaller ------------------
start_vantel
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH $HEIGHT" = "792 566" ] || fail "the window is ${WIDTH}x${HEIGHT}"
min=$(xprop -id "$wid" WM_NORMAL_HINTS | sed -n 's/.*program specified minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
[ "$min" = "792 566" ] || fail "minimum size '$min'"
echo "race_day: restart, saves and window placement hold"
