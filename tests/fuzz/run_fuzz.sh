#!/bin/sh
# Builds a fuzz target with clang and runs it for a while with a fixed seed.
# Usage: run_fuzz.sh [seconds] [build-dir] [csv|journal]   (default 10 s, csv)
set -eu
secs=${1:-10}
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=${2:-${VANTEL_FUZZ_BUILD:-$src/build-fuzz}}
what=${3:-csv}
seeds="$here/corpus"
[ "$what" = journal ] && seeds="$here/journal_corpus"
CC=clang CXX=clang++ cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTEL_FUZZ=ON -DVANTEL_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target "fuzz_$what"
# New inputs go to a working corpus in the build folder; the seeds stay as they are.
work="$build/fuzz_${what}_corpus"
mkdir -p "$work"
exec "$build/tests/fuzz/fuzz_$what" -seed=1 -max_total_time="$secs" -max_len=4096 \
    -artifact_prefix="$build/" "$work" "$seeds"
