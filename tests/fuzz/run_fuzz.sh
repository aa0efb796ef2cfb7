#!/bin/sh
# Builds the CSV fuzz target with clang and runs it for a while with a fixed
# seed. Usage: run_fuzz.sh [seconds] [build-dir]   (default 10 s)
set -eu
secs=${1:-10}
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=${2:-${VANTEL_FUZZ_BUILD:-$src/build-fuzz}}
CC=clang CXX=clang++ cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTEL_FUZZ=ON -DVANTEL_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_csv
# New inputs go to a working corpus in the build folder; the seeds stay as they are.
work="$build/fuzz_csv_corpus"
mkdir -p "$work"
exec "$build/tests/fuzz/fuzz_csv" -seed=1 -max_total_time="$secs" -max_len=4096 \
    -artifact_prefix="$build/" "$work" "$here/corpus"
