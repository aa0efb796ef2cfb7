#!/usr/bin/env bash
# Drives the real program on a virtual X server with key presses only, the way
# an operator runs it, and takes screenshots of the window along the way.
#
#   bench/look.sh [BUILD_DIR] [OUT_DIR]
#
# Run: focus on start -> Tab x6 to the distance list, Alt+Down opens it,
# Down x8 and Return pick 5864 -> Shift+Tab x3 to reset, Return -> Return
# starts -> laps by Return, Space and 1 -> laps by 2 and 3 -> Shift+Tab x3 to
# stop, Return -> Tab x5 to SAVE, Return -> the Menu key and H open Help.
# Screenshots (cropped to the window) go to OUT_DIR (default ./look-out):
# 1-start, 2-list, 3-picked, 4-running, 5-saved, 6-help. The CSV file is
# written in a fresh working directory, whose name and the file's first
# lines are printed. BUILD_DIR defaults to build-perf next to the source tree.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
"$here/../tools/deps.sh" bench
build="${1:-$here/../../build-perf}"
outdir="${2:-$PWD/look-out}"
build=$(cd "$build" 2>/dev/null && pwd || echo "$build") # the run changes directory
vantel="$build/app/vantel"
if [ ! -x "$vantel" ]; then
    echo "missing $vantel: cmake --build $build --target vantel" >&2
    exit 1
fi
mkdir -p "$outdir"
outdir=$(cd "$outdir" && pwd)

if [ -z "${VANTEL_LOOK_INNER:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env VANTEL_LOOK_INNER=1 "$0" "$build" "$outdir"
fi

work=$(mktemp -d)
cd "$work"
# A home of its own: the run journal of a look never mixes with the user's,
# and a look left unfinished is not offered back to the next one.
export HOME="$work/home" XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME"
"$vantel" >"$work/vantel.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

wid=$(xdotool search --sync --onlyvisible --name 'Vantel vr' | head -1)
eval "$(xdotool getwindowgeometry --shell "$wid")"
crop="${WIDTH}x${HEIGHT}+${X}+${Y}"

shot() {
    sleep 0.4
    import -window root "$outdir/tmp.png"
    convert "$outdir/tmp.png" -crop "$crop" +repage "$outdir/$1.png"
    rm -f "$outdir/tmp.png"
}
keys() {
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.15
    done
}

xdotool windowfocus --sync "$wid"
sleep 0.5
shot 1-start
keys Tab Tab Tab Tab Tab Tab alt+Down
import -window root "$outdir/2-list.png" # the list reaches below the window
keys Down Down Down Down Down Down Down Down Return
shot 3-picked
keys shift+Tab shift+Tab shift+Tab Return # reset
keys Return                               # start
# Laps at uneven gaps, so the figures differ.
for step in "Return 1.7" "space 2.1" "1 1.4" "Return 1.9" "2 0.6" "3 0.8" "2 1.2" "Return 1.5" "3 0.7" \
    "space 2.3" "Return 1.6" "1 1.1"; do
    set -- $step
    sleep "$2"
    xdotool key "$1"
done
sleep 0.6
shot 4-running
keys shift+Tab shift+Tab shift+Tab Return # stop
keys Tab Tab Tab Tab Tab Return           # SAVE
shot 5-saved
xdotool key Menu
sleep 0.4
xdotool key h
sleep 0.6
import -window root "$outdir/6-help.png"
xdotool key Return

echo "window: $crop, caption: $(xdotool getwindowname "$wid")"
echo "working directory: $work"
for f in "$work"/*.csv; do
    [ -e "$f" ] || { echo "no CSV file written"; break; }
    echo "== $(basename "$f") ($(wc -l <"$f") lines)"
    head -12 "$f"
done
echo "screenshots in $outdir"
