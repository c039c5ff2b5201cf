#!/usr/bin/env bash
# Installs what scripts/window-e2e.sh needs, only when something is missing: the virtual display,
# a small window manager, xdotool to click and type, ImageMagick to take the pictures, and unzip
# for the Windows package.
set -euo pipefail
exec "$(dirname "$0")/install-deps.sh" xvfb xauth openbox xdotool imagemagick unzip
