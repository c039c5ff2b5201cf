#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the sources of src/ and tools/, using the
# compile commands of a configured build folder; any finding fails. Usage: scripts/tidy.sh BUILD
set -euo pipefail
build=${1:-build}
repo=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: $build/compile_commands.json is missing; configure $build first (make configure)" >&2
  exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Only the engine, its tools and the front ends: tests follow their framework's idioms.
if run-clang-tidy -quiet -j "${JOBS:-2}" -p "$build" "^$repo/(src|tools)/.*\.cpp$" > "$log" 2>&1; then
  echo "clang-tidy: no findings"
else
  grep -E 'warning:|error:' "$log" | sort -u >&2 || cat "$log" >&2
  echo "clang-tidy found the above (checks in .clang-tidy)" >&2
  exit 1
fi
