#!/usr/bin/env bash
# Installs the Debian packages that the Windows build and its tests under wine need, only when
# something is missing: the MinGW-w64 cross compiler, GoogleTest's sources (built with the same
# compiler), wine to run the programs, and zip for the package.
set -euo pipefail

packages=(cmake make g++-mingw-w64-x86-64 googletest wine64 zip)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
