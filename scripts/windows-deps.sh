#!/usr/bin/env bash
# Installs what the Windows build and its tests under wine need, only when something is missing:
# the MinGW-w64 cross compiler, GoogleTest's sources (built with the same compiler), rsvg-convert
# and ImageMagick for the program's icon, wine to run the programs, Xvfb for the window's tests,
# and zip for the package.
set -euo pipefail
exec "$(dirname "$0")/install-deps.sh" cmake make g++-mingw-w64-x86-64 googletest librsvg2-bin \
  imagemagick wine64 xvfb xauth zip
