#!/usr/bin/env bash
# `vantel --lap` against a running program: the time from the command's start
# to the program's answer, median and p99, on a virtual X server and a
# private session bus.
#
#   bench/measure_command.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to build-perf next to the source tree (a Release build
# of the targets vantel and probe_command); RUNS to 50.
set -euo pipefail

. "$(dirname "$0")/measure_common.sh"
build="${1:-$default_build}"
runs="${2:-50}"
need_probe "$build" probe_command
vantel="$build/app/vantel"
[ -x "$vantel" ] || { echo "missing $vantel: cmake --build $build --target vantel" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_STATE_HOME="$scratch/state" XDG_CONFIG_HOME="$scratch/config" \
    XDG_CACHE_HOME="$scratch/cache" XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/runtime" \
    QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset AT_SPI_BUS_ADDRESS
cd "$scratch"
"$bench_dir/../tests/xvfb.sh" 1024x768x24 dbus-run-session -- bash -c '
    "$1" >"$HOME/log" 2>&1 &
    pid=$!
    trap "kill $pid 2>/dev/null; wait $pid 2>/dev/null" EXIT
    for _ in $(seq 200); do
        [ "$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.NameHasOwner io.github.vantel.Vantel 2>/dev/null)" = "(true,)" ] && break
        sleep 0.05
    done
    "$1" --start
    echo "load average: $(cut -d" " -f1-3 /proc/loadavg)"
    "$2" "$1" "$3" --lap | tail -n 1
' _ "$vantel" "$probe" "$runs"
