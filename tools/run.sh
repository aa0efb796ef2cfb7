#!/usr/bin/env bash
# Builds Vantel and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVANTEL_TESTS=OFF -DVANTEL_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target vantel
exec build/app/vantel "$@"
