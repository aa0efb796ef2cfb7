#!/usr/bin/env bash
# Writes the replay harness's current output over tests/scenarios/*.expected.
# Use it after a change that alters the output on purpose, then read
# `git diff tests/scenarios` to see that only the intended lines moved.
# Usage: tools/update-scenarios.sh [BUILD_DIR]   (default build-test)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
export QT_QPA_PLATFORM=offscreen
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTEL_WERROR=ON >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target vantel-replay
# A scenario added since the last configure gets its test from this.
cmake "$build" >/dev/null
(cd "$build" && VANTEL_UPDATE_SCENARIOS=1 ctest -R '^replay\.' -E '^replay\.(bad_lines|readme_commands)$' --output-on-failure)
git status --short tests/scenarios
