#!/usr/bin/env bash
# Installs what the Windows build and its tests under wine need, only when something is missing:
# the MinGW-w64 cross compiler, GoogleTest's sources (built with the same compiler), wine to run
# the programs, and zip for the package.
set -euo pipefail
exec "$(dirname "$0")/install-deps.sh" cmake make g++-mingw-w64-x86-64 googletest wine64 zip
