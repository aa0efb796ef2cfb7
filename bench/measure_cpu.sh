#!/usr/bin/env bash
# CPU cost of a running clock, whole process, on a virtual X server: the
# window's own 10 ms display floor, the same on Qt's default event loop and X
# transport, a literal 1 ms timer and, as the reference,
# a plain Qt window that rewrites one label on a 10 ms timer, in the same run.
#
#   bench/measure_cpu.sh [BUILD_DIR] [SECONDS] [--breakdown] [--repeat N]
#                        [--baseline OTHER_BUILD_DIR] [--a11y]
#
# BUILD_DIR defaults to build-perf next to the source tree (configure it with
# -DCMAKE_BUILD_TYPE=Release and build the target probe_cpu). --breakdown
# also runs the probe's prototype modes, which show where the time goes.
# With --repeat N every configuration runs N times, round-robin, so that a
# change in the machine's load during the run hits all of them alike.
# --a11y adds the window with Qt's accessibility bridge on in a private D-Bus
# session with the accessibility bus up (bench/a11y_session.sh), once with no
# client and once with a client listening as a screen reader does
# (bench/a11y_listen.py), to the same round robin. Every configuration then
# runs 3 s before its measured span, so that the client's start-up exchange
# with the window (it asks each early event's sender for its role and name)
# is over and what is measured is the running clock alone.
# --baseline adds the window as built in another build folder (say, of the
# commit before a change) to the same round robin, for a fair before/after.
# Figures are user + system CPU time of the process as a percentage of one
# core over SECONDS (default 10); the X server's own work is not included.
set -euo pipefail

. "$(dirname "$0")/measure_common.sh"
build="$default_build"
seconds=10
breakdown=0
repeat=1
baseline=""
a11y=0
positional=()
while [ $# -gt 0 ]; do
    case "$1" in
    --breakdown) breakdown=1 ;;
    --repeat) repeat="$2"; shift ;;
    --baseline) baseline="$2"; shift ;;
    --a11y) a11y=1 ;;
    *) positional+=("$1") ;;
    esac
    shift
done
[ ${#positional[@]} -ge 1 ] && build="${positional[0]}"
[ ${#positional[@]} -ge 2 ] && seconds="${positional[1]}"

need_probe "$build" probe_cpu

# label|probe arguments; a label starting with "baseline" runs the baseline's probe
configs=(
    "10 ms floor (the window as shipped)|"
    "10 ms, on Qt's default loop|--qt-defaults"
    "1 ms (a literal 1 ms timer)|--interval 1"
    "plain Qt window, one label at 10 ms|--mode qt-floor"
)
if [ -n "$baseline" ]; then
    if [ ! -x "$baseline/bench/probe_cpu" ]; then
        echo "missing $baseline/bench/probe_cpu" >&2
        exit 1
    fi
    configs+=("baseline: 10 ms floor, $(basename "$(cd "$baseline/.." && pwd)")|")
fi
settle=()
if [ "$a11y" -eq 1 ]; then
    settle=(--settle 3000)
    configs+=(
        "a11y bus on, no client|"
        "a11y bus on, client listening|"
    )
fi
if [ "$breakdown" -eq 1 ]; then
    configs+=(
        "10 ms, no window caption|--mode no-caption"
        "10 ms, caption every 10th tick|--mode caption-10hz"
        "10 ms, caption through Qt's title path|--mode qt-caption"
        "10 ms, clock labels only|--mode tick-only"
        "10 ms, one-line label paint|--single-line-labels"
        "10 ms, label size not re-measured|--fixed-label-size"
        "10 ms, both label prototypes|--single-line-labels --fixed-label-size"
        "10 ms, both + clock labels only|--mode tick-only --single-line-labels --fixed-label-size"
        "16 ms floor|--interval 16"
        "20 ms floor|--interval 20"
        "25 ms floor|--interval 25"
        "25 ms, both label prototypes|--interval 25 --single-line-labels --fixed-label-size"
        "33 ms floor|--interval 33"
        "timer stopped|--mode idle"
    )
fi

results=$(mktemp)
trap 'rm -f "$results"' EXIT
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for rep in $(seq "$repeat"); do
    for i in "${!configs[@]}"; do
        # shellcheck disable=SC2206
        args=(${configs[$i]#*|})
        run=("$probe")
        case "${configs[$i]}" in
        baseline*) run=("$baseline/bench/probe_cpu") ;;
        "a11y bus on, no client"*) run=("$bench_dir/a11y_session.sh" bus "$probe") ;;
        "a11y bus on, client listening"*) run=("$bench_dir/a11y_session.sh" client "$probe") ;;
        esac
        out=$(xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}" --seconds "$seconds" "${settle[@]}" "${args[@]}" 2>/dev/null)
        [ "$repeat" -eq 1 ] && echo "$out"
        echo "$i $(echo "$out" | sed -n 's/.*cpu%=\([0-9.]*\).*/\1/p' | head -1)" >>"$results"
    done
done
echo
for i in "${!configs[@]}"; do
    awk -v i="$i" '$1 == i { print $2 }' "$results" | sort -g | awk -v l="${configs[$i]%%|*}" '
        { v[NR] = $1 }
        END { printf "%-40s cpu%% of one core: min %5.2f  median %5.2f  max %5.2f  (%d runs)\n",
              l, v[1], v[int((NR + 1) / 2)], v[NR], NR }'
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
