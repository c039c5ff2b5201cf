#!/usr/bin/env bash
# Configures a build folder quietly: cmake's output is shown only when configuring fails, so that
# the reason is never thrown away. Usage: scripts/configure.sh BUILD_DIR [CMAKE_ARGUMENT...]
set -euo pipefail
build=$1
shift
repo=$(cd "$(dirname "$0")/.." && pwd)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! cmake -S "$repo" -B "$build" "$@" > "$log" 2>&1; then
  cat "$log" >&2
  echo "Configuring $build failed (cmake's output above)." >&2
  exit 1
fi
