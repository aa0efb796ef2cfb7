#!/usr/bin/env bash
# Input to screen: real X key presses (xdotool) against the running window,
# and the delay until LAP's figures are painted in the labels and the grids.
#
#   bench/measure_input.sh [BUILD_DIR] [PRESSES] [DELAY_MS]
#
# Starts probe_input on a virtual X server, waits for its window, focuses it
# and sends PRESSES (default 20) Return keys about DELAY_MS (default 150) apart; the
# focus is on LAP, so each Return records a lap. The gaps grow by 13 ms a
# press so that every lap time, and so the lap label, differs from the last. The probe prints the latency
# distributions. BUILD_DIR defaults to build-perf next to the source tree
# (Release build of the target probe_input).
set -euo pipefail

. "$(dirname "$0")/measure_common.sh"
build="${1:-$default_build}"
presses="${2:-20}"
delay="${3:-150}"
need_probe "$build" probe_input

if [ -z "${VANTEL_MEASURE_INNER:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env VANTEL_MEASURE_INNER=1 "$0" "$build" "$presses" "$delay"
fi

out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$probe" --presses "$presses" --verbose >"$out" 2>/dev/null &
pid=$!
wid=
for _ in $(seq 100); do
    wid=$(sed -n 's/^READY \([0-9]*\)$/\1/p' "$out")
    [ -n "$wid" ] && break
    sleep 0.1
done
if [ -z "$wid" ]; then
    echo "probe did not start" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
fi
xdotool windowfocus --sync "$wid"
sleep 0.3
# Gaps of different lengths, so no two laps have the same time and every
# press changes the lap label.
for i in $(seq "$presses"); do
    xdotool key Return
    sleep "$(awk -v d="$delay" -v i="$i" 'BEGIN { printf "%.3f", (d + 13 * i) / 1000 }')"
done
wait "$pid" || true
grep -v '^READY' "$out"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
