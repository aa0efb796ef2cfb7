#!/usr/bin/env bash
# Runs the chart redraw benchmarks of bench_chart in BUILD_DIR RUNS times
# (default 3), every family once per run, so that each library sees the same
# moments of a busy machine, and prints the median CPU time per point count
# as a table: ours, each other family the benchmark has, and ours divided by
# the fastest of them.
# Usage: bench/chart_table.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: bench/chart_table.sh BUILD_DIR [RUNS]}
runs=${2:-3}
bin="$build/bench/bench_chart"
[ -x "$bin" ] || { echo "missing $bin: cmake --build $build --target bench_chart" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The benchmark never needs the real home or a display.
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache" \
    XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
for ((k = 1; k <= runs; ++k)); do
    "$bin" --benchmark_filter='Redraw/' --benchmark_format=csv 2>/dev/null |
        grep '^"BM_' >>"$scratch/all.csv"
done
python3 - "$scratch/all.csv" <<'PY'
import csv, statistics, sys
times = {}
for row in csv.reader(open(sys.argv[1])):
    family, n = row[0].split("/")[:2]
    assert row[4] == "ms", row
    times.setdefault(family, {}).setdefault(int(n), []).append(float(row[3]))
ours = "BM_ChartRedraw"
others = [f for f in times if f != ours]
print("| points per series | " + " | ".join([ours] + others) + " | ours ÷ fastest other |")
print("|---" * (len(others) + 3) + "|")
for n in sorted(times[ours]):
    med = {f: statistics.median(times[f][n]) for f in times if n in times[f]}
    best = min((med[f] for f in others if f in med), default=None)
    ratio = f"{med[ours] / best:.2f}" if best else "-"
    cells = [f"{med[f]:.3g} ms" if f in med else "-" for f in [ours] + others]
    print(f"| {n:,} | " + " | ".join(cells) + f" | {ratio} |")
PY
