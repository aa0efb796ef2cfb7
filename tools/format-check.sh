#!/usr/bin/env bash
# Fails on any tracked C++ file that clang-format would change, naming it.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=()
while IFS= read -r f; do
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then bad+=("$f"); fi
done < <(git ls-files '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
  echo "not formatted (run clang-format -i on them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "formatting: all $(git ls-files '*.cpp' '*.h' | wc -l) C++ files as clang-format writes them"
