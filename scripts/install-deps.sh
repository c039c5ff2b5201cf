#!/usr/bin/env bash
# Installs Debian packages, only those that are missing: the ones named as arguments, or, without
# arguments, the ones that building and testing need. On a machine without Debian's package tools
# it names the packages and leaves installing them to the user.
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -eq 0 ] && packages=(cmake make g++ qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev strace)

if ! command -v dpkg-query > /dev/null || ! command -v apt-get > /dev/null; then
  echo "install-deps: this machine has no Debian package tools (dpkg-query, apt-get)." >&2
  echo "install-deps: make sure these Debian packages, or your system's equivalents, are installed:" >&2
  echo "  ${packages[*]}" >&2
  exit 0
fi

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
