#!/usr/bin/env bash
# Installs Debian packages, only those that are missing: the ones named as arguments, or, without
# arguments, the ones that building and testing need.
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -eq 0 ] && packages=(cmake make g++ qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev)
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
