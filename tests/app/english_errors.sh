#!/usr/bin/env bash
# The real program's error boxes read in English too, under LANG=C: the
# working folder is removed under the running program, so that SAVE cannot
# create its file; the box must come up, and the program's log must hold the
# Japanese message and the English with the file's full path and the system's
# reason. The mix grid's up button on row 1 must be refused the same way.
# After each box is closed with Return the program must still run. Runs on a
# virtual X server (ctest starts it under tests/xvfb.sh) with a home of its own.
#
#   english_errors.sh VANTEL
set -euo pipefail
vantel=$(realpath "$1") # the program starts in a folder of its own
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed (tools/deps.sh test)"; exit 1; }
tmp=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    cd /
    rm -rf "$tmp"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb
export LANG=C LC_ALL=C LANGUAGE=
export HOME=$tmp/home XDG_STATE_HOME=$tmp/state XDG_CONFIG_HOME=$tmp/config
export XDG_DATA_HOME=$tmp/data XDG_CACHE_HOME=$tmp/cache
mkdir -p "$HOME" "$tmp/work"
dir=$XDG_STATE_HOME/vantel
fail() {
    echo "FAIL: $*" >&2
    [ -f "$tmp/log" ] && tail -n 20 "$tmp/log" >&2
    exit 1
}

source "$(dirname "$0")/x_program.sh"

keys() {
    # One key at a time: a burst could outrun the focus moves it causes.
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.1
    done
}

# Whether window $1 of the program is shown. The list is taken whole first: a
# grep -q that stops reading early could make the pipe fail under pipefail.
shown() {
    local ids
    ids=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null) || true
    grep -qx -- "$1" <<<"$ids"
}

# Waits (bounded) for a box of the program, a visible window besides its main
# one, and checks that it is titled $1; sets $box.
wait_box() {
    box=
    for _ in $(seq 100); do
        box=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null) || true
        box=$(grep -vx -- "$wid" <<<"$box" | head -n 1) || true
        [ -n "$box" ] && break
        sleep 0.1
    done
    [ -n "$box" ] || fail "no box titled '$1'"
    local title
    title=$(xdotool getwindowname "$box")
    [ "$title" = "$1" ] || fail "a box titled '$title', not '$1'"
}

# Waits (bounded) until the log holds the fixed string $1.
wait_log() {
    for _ in $(seq 100); do
        grep -qF -- "$1" "$tmp/log" && return 0
        sleep 0.1
    done
    fail "the log lacks '$1'"
}

# Closes the box with Return and checks that it went and the program runs on.
close_box() {
    # No window manager gives the box the focus: it is given here.
    xdotool windowfocus --sync "$box"
    sleep 0.3
    xdotool key Return
    for _ in $(seq 100); do
        shown "$box" || break
        sleep 0.1
    done
    ! shown "$box" || fail "the box '$1' stayed after Return"
    kill -0 "$pid" 2>/dev/null || fail "the program ended after the box '$1'"
    shown "$wid" || fail "the window went with the box '$1'"
}

cd "$tmp/work"
start_vantel
# The folder goes from under the running program: SAVE names its file in it.
cd "$tmp"
rmdir "$tmp/work"

# start, stop, restart, reset, LAP, SAVE.
keys Tab Tab Tab Tab Tab Return
wait_box Vantel
wait_log 'ファイル 26'
# One line for the box, its Japanese first and then the English; the name is
# this minute's (or the one before, at a minute's turn).
line=$(grep -F 'vantel: Vantel: ファイル 26' "$tmp/log" | tail -n 1)
echo "logged: $line"
[[ $line =~ ^vantel:\ Vantel:\ ファイル\ ([0-9]{10})\.csv\ を作成できません\ /\ Cannot\ create\ (/[^:]*):\ No\ such\ file\ or\ directory$ ]] ||
    fail "the log line for SAVE: $line"
[ "${BASH_REMATCH[2]}" = "$tmp/work/${BASH_REMATCH[1]}.csv" ] ||
    fail "the English names '${BASH_REMATCH[2]}', not the full path $tmp/work/${BASH_REMATCH[1]}.csv"
close_box Vantel

# Back on SAVE: distance list, main grid, mix grid, up. The mix grid's
# current row is row 1 at start-up, which cannot move up.
keys Tab Tab Tab Tab Return
wait_box エラー
wait_log 'vantel: エラー: 先頭行なので上に移動できません。 / The first row cannot move up.'
echo "logged: $(grep -F '先頭行' "$tmp/log" | tail -n 1)"
close_box エラー
echo "PASS"
