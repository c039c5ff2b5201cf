#!/usr/bin/env bash
# Refreshes docs/window.png, the picture of the window in the README and the software-centre
# metadata: drives the real Qt program of BUILD through scripts/window-e2e.sh (load, merge, split
# per satellite position on a virtual display) and keeps its picture after the split, without
# the time stamps that ImageMagick writes into a PNG.
#
# Usage: scripts/readme-picture.sh [BUILD]    (default: build; make readme-picture)
set -euo pipefail

[ $# -le 1 ] || { echo "Usage: $0 [BUILD]" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)

"$repo/scripts/window-e2e.sh" linux "$build"
convert "$build/window.png" -strip "$repo/docs/window.png"
echo "README picture: $repo/docs/window.png"
