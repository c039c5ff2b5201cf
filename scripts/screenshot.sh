#!/usr/bin/env bash
# Takes a picture of the window under a virtual X display (Xvfb): examples/east.txt loaded and
# examples/west.txt merged through the Load and Merge buttons, saved as build/window.png.
# Usage: scripts/screenshot.sh [build-folder]   (default: build)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"
picture="$root/build/window.png"
tool="$build/bin/vrk-split-merge"

if ! command -v xvfb-run > /dev/null; then
  echo "Installing xvfb"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends xvfb xauth
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  "$root/scripts/configure.sh" "$build" -DCMAKE_BUILD_TYPE=Release
fi
if ! build_output="$(cmake --build "$build" -j "${JOBS:-2}" --target vrk-split-merge 2>&1)"; then
  echo "$build_output" >&2
  exit 1
fi

# The tool creates its working folders in the folder it starts in: a scratch one.
run_folder="$(mktemp -d)"
trap 'rm -rf "$run_folder"' EXIT
mkdir -p "$(dirname "$picture")"
rm -f "$picture"

(cd "$run_folder" &&
  VSM_SCREENSHOT="$picture" \
    VSM_SCREENSHOT_LOAD="$root/examples/east.txt" \
    VSM_SCREENSHOT_MERGE="$root/examples/west.txt" \
    QT_QPA_PLATFORM=xcb \
    timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" "$tool")

if [ ! -s "$picture" ]; then
  echo "No picture was taken." >&2
  exit 1
fi
echo "Picture of the window: $picture"
