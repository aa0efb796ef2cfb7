#!/usr/bin/env bash
# Start-up to the first painted main window, on a virtual X server.
#
#   bench/measure_startup.sh [BUILD_DIR] [RUNS]
#
# Starts probe_startup RUNS times (default 10) in one X server and prints
# min / median / max of the time from the start of main and from the start of
# the process (kernel start time, 10 ms resolution) to the moment the window's
# first paint has been processed. BUILD_DIR defaults to build-perf next to the
# source tree (Release build of the target probe_startup).
set -euo pipefail

. "$(dirname "$0")/measure_common.sh"
build="${1:-$default_build}"
runs="${2:-10}"
need_probe "$build" probe_startup

out=$(mktemp)
trap 'rm -f "$out"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    for i in $(seq "$2"); do "$1" 2>/dev/null || echo "run $i failed"; done' _ "$probe" "$runs" >"$out"
cat "$out"

stats() {
    local key="$1"
    sed -n "s/.*$key=\([0-9.]*\).*/\1/p" "$out" | sort -g | awk -v k="$key" '
        { v[NR] = $1 }
        END {
            if (NR == 0) { print k ": no samples"; exit 1 }
            med = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%-18s min %.1f  median %.1f  max %.1f ms  (%d runs)\n", k, v[1], med, v[NR], NR
        }'
}
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
stats "main->painted"
stats "process->painted"
