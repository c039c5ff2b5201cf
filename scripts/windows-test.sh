#!/usr/bin/env bash
# Runs the cross-built test programs under wine (headless, in the build folder's own wine
# prefix): the engine tests and the end-to-end tests of vrk-split-merge.exe. Then compares a split
# of the example lists by the Windows build with one by the Linux build (windows-compare.sh).
#
# Usage: scripts/windows-test.sh [WINDOWS_BUILD [LINUX_BUILD]]    (after windows-build.sh)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
windows_build=$(cd "${1:-build-windows}" && pwd)
linux_build=${2:-build}
source "$repo/scripts/windows-wine.sh"

wine_prepare
status=0
for tests in engine_tests e2e_tests; do
  echo "Running $tests.exe under wine"
  log="$windows_build/$tests.log"
  # The tests make their temporary folders below the Windows temporary folder of the prefix.
  # A hung test program must not hold up CI: each gets 15 minutes.
  # A program that crashes under wine can still end with status 0: only a run that reached the
  # summary without a failure counts.
  if (cd "$windows_build/bin" && timeout -k 10 900 "$wine_program" "$tests.exe" --gtest_brief=1) \
    > "$log" 2>&1 && grep -qE '^\[  PASSED  \] [0-9]+ tests?\.' "$log" &&
    ! grep -qE '^\[  FAILED  \]|^wine: Unhandled' "$log"; then
    grep -E '^\[  (PASSED|SKIPPED) ' "$log" || true
  else
    cat "$log"
    echo "$tests.exe failed under wine (log: $log)" >&2
    status=1
  fi
done
wine_stop

"$repo/scripts/windows-compare.sh" "$windows_build" "$linux_build" || status=1
exit "$status"
