#!/usr/bin/env bash
# Builds Vantel twice (normal, and with AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs every test in both builds, then a short fixed-seed fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== formatting"
tools/format-check.sh

echo "== layering"
tools/check_layers.py

echo "== normal build"
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTEL_WERROR=ON >/dev/null
cmake --build build-test -j"$jobs"
(cd build-test && ctest --output-on-failure -j"$jobs" --timeout 300)

echo "== sanitizer build (address, undefined; halt on error)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTEL_WERROR=ON -DVANTEL_SANITIZE=ON -DVANTEL_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ctest --output-on-failure -j"$jobs" --timeout 600)

if [ -x tests/fuzz/run_fuzz.sh ] && command -v clang++ >/dev/null; then
  echo "== fuzzing (short, fixed seed)"
  tests/fuzz/run_fuzz.sh "${VANTEL_FUZZ_SECONDS:-10}"
  tests/fuzz/run_fuzz.sh "${VANTEL_FUZZ_SECONDS:-10}" "" journal
fi
echo "All tests passed in both builds."
