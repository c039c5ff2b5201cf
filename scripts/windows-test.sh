#!/usr/bin/env bash
# Runs the cross-built test programs under wine, in the build folder's own wine prefix: the engine
# tests and the end-to-end tests headless, the window's tests on a virtual display (Xvfb). Then
# checks the program's two faces through cmd.exe, and compares a split of the example lists by
# the Windows build with one by the Linux build (windows-compare.sh).
#
# Usage: scripts/windows-test.sh [WINDOWS_BUILD [LINUX_BUILD]]    (after windows-build.sh)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
windows_build=$(cd "${1:-build-windows}" && pwd)
linux_build=${2:-build}
source "$repo/scripts/windows-wine.sh"
source "$repo/scripts/xvfb.sh"
trap 'wine_stop; xvfb_stop' EXIT

# Runs one GoogleTest program of the build under wine. A hung test program must not hold up CI:
# each gets 15 minutes. A program that crashes under wine can still end with status 0: only a run
# that reached the summary without a failure counts.
run_tests() {
  local tests=$1 log="$windows_build/$1.log"
  echo "Running $tests.exe under wine"
  # The tests make their temporary folders below the Windows temporary folder of the prefix.
  if (cd "$windows_build/bin" && timeout -k 10 900 "$wine_program" "$tests.exe" --gtest_brief=1) \
    > "$log" 2>&1 && grep -qE '^\[  PASSED  \] [0-9]+ tests?\.' "$log" &&
    ! grep -qE '^\[  FAILED  \]|^wine: Unhandled' "$log"; then
    grep -E '^\[  (PASSED|SKIPPED) ' "$log" || true
  else
    cat "$log"
    echo "$tests.exe failed under wine (log: $log)" >&2
    return 1
  fi
}

# vrk-split-merge.exe is a window program (no console when double-clicked) and
# vrk-split-merge.com its console twin, which cmd.exe finds first for a bare "vrk-split-merge":
# there the tool writes to the console, cmd waits for it, and its exit status is cmd's.
check_two_faces() {
  local bin=$windows_build/bin folder status=0
  subsystem() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^Subsystem.*(\(.*\))$/\1/p'; }
  [ "$(subsystem "$bin/vrk-split-merge.exe")" = "Windows GUI" ] ||
    { echo "vrk-split-merge.exe is not a window program" >&2; return 1; }
  [ "$(subsystem "$bin/vrk-split-merge.com")" = "Windows CUI" ] ||
    { echo "vrk-split-merge.com is not a console program" >&2; return 1; }
  folder=$(mktemp -d "$windows_build/faces.XXXXXX")
  # Beside a stand-in .exe that would answer differently, cmd must start the .com.
  cp "$bin/vrk-split-merge.com" "$folder/"
  cp "$bin/print_arguments.exe" "$folder/vrk-split-merge.exe"
  local output
  output=$(cd "$folder" && "$wine_program" cmd /c "vrk-split-merge --version" 2>&1) || status=1
  if [[ "$output" != "Version 1.5 build 324 ,  20-06-2007 19:56 "* ]]; then
    echo "cmd /c vrk-split-merge --version beside a stand-in .exe gave: $output" >&2
    status=1
  fi
  rm -rf "$folder"
  # A job run through cmd: cmd returns once the run and its conversions have ended, with the
  # tool's exit status.
  folder=$(mktemp -d "$windows_build/faces.XXXXXX")
  cp "$bin"/vrk-split-merge.{exe,com} "$bin"/{vrk2mvt,mvt2vrk}.exe examples/east.txt "$folder/"
  printf '[VRK_SPLIT_MERGE]\r\nload east.txt\r\nsave east.vrk\r\n' > "$folder/job.txt"
  expect_exit() {
    local expected=$1 actual=0
    shift
    (cd "$folder" && "$wine_program" cmd /c "$*" > "$folder/out" 2>&1) || actual=$?
    if [ "$actual" -ne "$expected" ]; then
      echo "cmd /c $*: exit status $actual, expected $expected" >&2
      cat "$folder/out" >&2
      status=1
    fi
  }
  expect_exit 0 vrk-split-merge --run job.txt
  [ -s "$folder/east.vrk" ] ||
    { echo "cmd /c vrk-split-merge --run job.txt wrote no east.vrk" >&2; status=1; }
  expect_exit 1 vrk-split-merge --run missing.vrk
  grep -q '^Nice....: LoadFile: No file specified or found.' "$folder/out" ||
    { echo "the failed load was not reported in the console" >&2; status=1; }
  expect_exit 2 vrk-split-merge --bogus
  expect_exit 0 vrk-split-merge --help
  grep -q '^Usage: vrk-split-merge' "$folder/out" ||
    { echo "no usage text in the console" >&2; status=1; }
  rm -rf "$folder"
  [ "$status" -eq 0 ] && echo "The window program and its console twin behave as documented"
  return "$status"
}

# The window program carries the project's version, and a manifest that asks for the common
# controls 6, DPI awareness and no elevation.
check_resources() {
  local program=$windows_build/bin/vrk-split-merge.exe version status=0
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$windows_build/CMakeCache.txt")
  strings -el "$program" | grep -qx "$version" ||
    { echo "vrk-split-merge.exe has no version resource $version" >&2; status=1; }
  local manifest
  manifest=$(strings "$program")
  for wanted in 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
    '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' \
    'level="asInvoker"'; do
    [[ "$manifest" == *"$wanted"* ]] ||
      { echo "the manifest of vrk-split-merge.exe lacks $wanted" >&2; status=1; }
  done
  [ "$status" -eq 0 ] && echo "vrk-split-merge.exe carries version $version and its manifest"
  return "$status"
}

wine_prepare
status=0
check_resources || status=1
for tests in engine_tests e2e_tests; do run_tests "$tests" || status=1; done
check_two_faces || status=1
wine_stop

# The window needs a display; a wine server started without one would not use it.
xvfb_start
run_tests win32_window_tests || status=1
wine_stop
xvfb_stop
unset DISPLAY

"$repo/scripts/windows-compare.sh" "$windows_build" "$linux_build" || status=1
exit "$status"
