#!/usr/bin/env bash
# CPU cost of a running clock, whole process, on a virtual X server: the
# window's own 10 ms display floor and a literal 1 ms timer, in the same run.
#
#   bench/measure_cpu.sh [BUILD_DIR] [SECONDS] [--breakdown] [--repeat N]
#
# BUILD_DIR defaults to build-perf next to the source tree (configure it with
# -DCMAKE_BUILD_TYPE=Release and build the target probe_cpu). --breakdown
# also runs the probe's prototype modes, which show where the time goes.
# Figures are user + system CPU time of the process as a percentage of one
# core; the X server's own work is not included.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build="$here/../../build-perf"
seconds=10
breakdown=0
repeat=1
positional=()
while [ $# -gt 0 ]; do
    case "$1" in
    --breakdown) breakdown=1 ;;
    --repeat) repeat="$2"; shift ;;
    *) positional+=("$1") ;;
    esac
    shift
done
[ ${#positional[@]} -ge 1 ] && build="${positional[0]}"
[ ${#positional[@]} -ge 2 ] && seconds="${positional[1]}"

probe="$build/bench/probe_cpu"
if [ ! -x "$probe" ]; then
    echo "missing $probe: cmake --build $build --target probe_cpu" >&2
    exit 1
fi

run() {
    xvfb-run -a -s "-screen 0 1024x768x24" "$probe" --seconds "$seconds" "$@" 2>/dev/null
}

# Several runs give the spread when the machine is shared.
summary() {
    local label="$1"
    shift
    local values=()
    for _ in $(seq "$repeat"); do
        local out
        out=$(run "$@")
        [ "$repeat" -eq 1 ] && echo "$out"
        values+=("$(echo "$out" | head -1 | sed -n 's/.*cpu%=\([0-9.]*\).*/\1/p')")
    done
    printf '%s\n' "${values[@]}" | sort -g | awk -v l="$label" '
        { v[NR] = $1 }
        END { printf "%-46s cpu%% of one core: min %.2f  median %.2f  max %.2f  (%d runs)\n",
              l, v[1], v[int((NR + 1) / 2)], v[NR], NR }'
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
summary "10 ms floor (the window as shipped)"
summary "1 ms (a literal 1 ms timer)" --interval 1
if [ "$breakdown" -eq 1 ]; then
    summary "10 ms, no window caption" --mode no-caption
    summary "10 ms, caption every 10th tick" --mode caption-10hz
    summary "10 ms, clock read once a tick" --mode one-now
    summary "10 ms, clock labels only" --mode tick-only
    summary "10 ms, one-line label paint" --single-line-labels
    summary "10 ms, label size not re-measured" --fixed-label-size
    summary "10 ms, both label prototypes" --single-line-labels --fixed-label-size
    summary "10 ms, both + clock read once" --mode one-now --single-line-labels --fixed-label-size
    summary "10 ms, both + clock labels only" --mode tick-only --single-line-labels --fixed-label-size
    summary "16 ms floor" --interval 16
    summary "20 ms floor" --interval 20
    summary "33 ms floor" --interval 33
    summary "timer stopped" --mode idle
fi
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
