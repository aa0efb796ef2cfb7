#!/usr/bin/env bash
# The real program corrects a run from the keyboard alone and saves it: four
# laps, the second lap's row deleted on the main grid, saved; undone with
# Ctrl+Z and saved again. The CSV must follow each correction: the deleted
# lap's time goes to the next lap and the later laps are renumbered, and the
# undo brings the four laps back as they were. Runs on a virtual X server
# (ctest starts it under tests/xvfb.sh) with a home of its own; the CSV lands
# in a working folder of its own.
#
#   correct_save.sh VANTEL [SCREENSHOT]
#
# SCREENSHOT, when given and ImageMagick's import is there, is where the screen is
# captured right after the delete, for a person to look at the note.
set -euo pipefail
vantel=$(realpath "$1") # the program starts in a folder of its own
shot=${2:-}
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed (tools/deps.sh test)"; exit 1; }
# The system's python, not one found through the real home.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
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
# The test command runs everything else offscreen; this one needs the X server.
export QT_QPA_PLATFORM=xcb
export HOME=$tmp/home XDG_STATE_HOME=$tmp/state XDG_CONFIG_HOME=$tmp/config
export XDG_DATA_HOME=$tmp/data XDG_CACHE_HOME=$tmp/cache
mkdir -p "$HOME" "$tmp/work"
dir=$XDG_STATE_HOME/vantel
fail() {
    echo "FAIL: $*" >&2
    [ -d "$dir" ] && tail -n 8 "$dir"/* >&2
    [ -f "$tmp/log" ] && tail -n 20 "$tmp/log" >&2
    for f in "$tmp"/work/*.csv; do [ -f "$f" ] && { echo "$f:" >&2; cat -A "$f" >&2; }; done
    exit 1
}

source "$(dirname "$0")/x_program.sh"
# The last journal line matching $1.
last_line() { grep -- "$1" "$dir"/*.journal | tail -n 1; }
# Where the action of journal line $1 left the focus.
focus_of() { sed -n 's/.* f=\([^ ]*\).*/\1/p' <<<"$1"; }

keys() {
    # One key at a time: a burst could outrun the focus moves it causes.
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.1
    done
}

# The main lap rows of a saved CSV as "number lap-ms", one a line: the rows
# whose button field is 1 (the grid shows it as " 1 "; the file holds each
# cell trimmed). Read through python's csv module so that quoting is undone
# as a reader would.
lap_rows() {
    "$python" - "$1" <<'EOF'
import csv, sys
with open(sys.argv[1], newline='') as f:
    data = f.read()
lines = data.split('\r\n')
if lines[-1] != '':
    sys.exit(f'last line does not end in CRLF: {lines[-1]!r}')
if any('\n' in l or '\r' in l for l in lines):
    sys.exit('a bare CR or LF inside the file')
for row in csv.reader(lines[:-1]):
    if len(row) >= 7 and row[1] == '1':
        if not (row[0].isdigit() and row[6].isdigit()):
            sys.exit(f'a lap row with no number or time: {row!r}')
        print(row[0], row[6])
EOF
}

# Saves with SAVE, which must hold the focus; prints the file written.
save() {
    local n=$(( $(grep -c '^save ' "$dir"/*.journal || true) + 1 ))
    xdotool key Return
    wait_lines '^save ' "$n"
    local line file
    line=$(last_line '^save ')
    file=$(sed -n 's/.* file=\([^ ]*\).*/\1/p' <<<"$line")
    [[ $file =~ ^[0-9]{10}\.csv$ ]] || fail "save file name '$file'"
    # A correction's own line tells the focus of the rebuilt run, before the
    # window puts it back; the save's tells where the keys before it led.
    [ "$(focus_of "$line")" = SAVE ] || fail "saved with the focus on $(focus_of "$line")"
    # The name is the minute of the save.
    local now before
    now=$(date +%y%m%d%H%M)
    before=$(date -d '-1 minute' +%y%m%d%H%M)
    [ "${file%.csv}" = "$now" ] || [ "${file%.csv}" = "$before" ] || fail "'$file' is not this minute ($now)"
    [ -f "$tmp/work/$file" ] || fail "no $file in the working folder: $(ls "$tmp/work")"
    # The lines as written, for whoever reads the log.
    grep -a '^[0-9]*,1,' "$tmp/work/$file" | sed 's/\r$/<CR>/' | sed "s/^/$file: /" >&2
    echo "$tmp/work/$file"
}

cd "$tmp/work"
start_vantel

xdotool key Return # start has the focus at start-up
wait_lines '^start '
for n in 1 2 3 4; do
    sleep 0.4 # laps of real time, so that each has a time of its own
    xdotool key Return # LAP has the focus once running
    wait_lines "^lap .* c=$n,0,0 "
done
# Stopped, so that nothing moves while the run is corrected: back from LAP
# over reset and restart to stop.
keys shift+Tab shift+Tab shift+Tab Return
wait_lines '^stop .* run=0 '
[ "$(focus_of "$(last_line '^stop ')")" = start ] || fail "stop left the focus on $(focus_of "$(last_line '^stop ')")"

# start, stop, restart, reset, LAP, SAVE.
keys Tab Tab Tab Tab Tab
csv=$(save)
before=$(lap_rows "$csv") || fail "first save unreadable"
echo "first save, laps (number ms):"; echo "$before"
[ "$(awk '{print $1}' <<<"$before" | paste -sd,)" = 1,2,3,4 ] || fail "first save laps: $before"
read -r lap2 lap3 < <(awk 'NR==2{a=$2} NR==3{b=$2} END{print a, b}' <<<"$before")
{ [ "$lap2" -gt 0 ] && [ "$lap3" -gt 0 ]; } || fail "lap times $lap2 $lap3"

# SAVE, distance list, main grid; from wherever its current row is, the
# arrows go to the top and one down: row 2, the second lap.
keys Tab Tab
keys Up Up Up Up Up Up Down
xdotool key Delete
wait_lines '^delete of='
line=$(last_line '^delete ')
[[ $line == *' c=3,0,0 '* ]] || fail "after the delete: $line"
if [ -n "$shot" ]; then
    sleep 0.3
    if command -v import >/dev/null; then
        import -window root "$shot" || echo "no screenshot taken"
    else
        echo "no screenshot: ImageMagick's import is not installed"
    fi
fi

# Back over the distance list to SAVE.
keys shift+Tab shift+Tab
csv=$(save)
after=$(lap_rows "$csv") || fail "second save unreadable"
echo "after the delete, laps (number ms):"; echo "$after"
[ "$(awk '{print $1}' <<<"$after" | paste -sd,)" = 1,2,3 ] || fail "after the delete: $after"
# Lap 3 now runs from the first press to the third.
expect=$(awk -v s=$((lap2 + lap3)) 'NR==1{print} NR==2{print 2, s} NR==4{print 3, $2}' <<<"$before")
[ "$after" = "$expect" ] || fail "after the delete: got '$after', want '$expect'"

xdotool key ctrl+z
wait_lines '^undo '
line=$(last_line '^undo ')
[[ $line == *' c=4,0,0 '* ]] || fail "after the undo: $line"
csv=$(save)
undone=$(lap_rows "$csv") || fail "third save unreadable"
echo "after the undo, laps (number ms):"; echo "$undone"
[ "$undone" = "$before" ] || fail "after the undo: got '$undone', want '$before'"
