#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR and checks it without installing it: unpacks it into a
# temporary root, runs the unpacked tool on the packaged demo job in a temporary folder (the tool
# must find its converters beside itself and write the pieces of its split), and runs lintian,
# which must report no errors. Installs what building and checking need when it is missing.
#
# Usage: scripts/package-test.sh [--package-only] [BUILD_DIR]    (default: build)
#   --package-only  only build the package (BUILD_DIR/vrk-split-merge_*.deb)
set -euo pipefail

package_only=false
if [ "${1:-}" = "--package-only" ]; then
  package_only=true
  shift
fi
[ $# -le 1 ] || { echo "Usage: $0 [--package-only] [BUILD_DIR]" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

fail() {
  echo "package-test: $*" >&2
  exit 1
}

install_missing() { "$repo/scripts/install-deps.sh" "$@"; }

# CPack's dependency list needs dpkg-shlibdeps (dpkg-dev) and file.
build_package() {
  "$repo/scripts/install-deps.sh"
  install_missing dpkg-dev file
  if [ ! -f "$build/CMakeCache.txt" ]; then
    "$repo/scripts/configure.sh" "$build" -DCMAKE_BUILD_TYPE=Release
  fi
  rm -f "$build"/vrk-split-merge_*.deb
  cmake --build "$build" -j "$jobs" --target package > "$build/package.log" 2>&1 ||
    { cat "$build/package.log" >&2; fail "building the package failed"; }
  local packages=("$build"/vrk-split-merge_*.deb)
  [ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] || fail "no package in $build"
  deb=$(cd "$(dirname "${packages[0]}")" && pwd)/$(basename "${packages[0]}")
}

# The installed files: the tool and exactly its two converters in bin, manual pages, the desktop
# entry and icon, the copyright file and the examples.
check_contents() {
  local root=$1 file
  [ "$(ls "$root/usr/bin" | tr '\n' ' ')" = "mvt2vrk vrk-split-merge vrk2mvt " ] ||
    fail "usr/bin holds $(ls "$root/usr/bin" | tr '\n' ' '), not the tool and its two converters"
  for file in usr/share/man/man1/{vrk-split-merge,vrk2mvt,mvt2vrk}.1.gz \
    usr/share/doc/vrk-split-merge/{copyright,changelog.gz,README.md,vrk-format.md} \
    usr/share/applications/vrk-split-merge.desktop \
    usr/share/icons/hicolor/scalable/apps/vrk-split-merge.svg; do
    [ -s "$root/$file" ] || fail "$file is missing from $deb"
  done
  desktop-file-validate "$root/usr/share/applications/vrk-split-merge.desktop" |
    { ! grep -E "error:"; } || fail "the desktop entry is not valid"
  dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "Depends lacks the Qt 6 libraries"
  check_version "$root"
}

# The manual pages, the changelog and the tool's version text carry the package's version: all
# are made from the project's version when the build is configured.
check_version() {
  local root=$1 version page
  version=$(dpkg-deb -f "$deb" Version)
  for page in vrk-split-merge vrk2mvt mvt2vrk; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | head -n 1 | grep -qF "\"vrk-split-merge $version\"" ||
      fail "the manual page $page.1 does not name version $version"
  done
  zcat "$root/usr/share/doc/vrk-split-merge/changelog.gz" | head -n 1 |
    grep -q "^vrk-split-merge ($version) " || fail "the changelog does not start with version $version"
  "$root/usr/bin/vrk-split-merge" --version | grep -qF "build ${version##*.} ," ||
    fail "the tool's version text does not name build ${version##*.}"
}

# The last count text ("Tv n , Radio m") of a trace.
count_of() { awk -F'\t' '$1 == "status" && $2 == "1" && $3 ~ /^Tv / { count = $3 } END { print count }' "$1"; }

# Runs the unpacked tool on FILE in the current folder; its trace goes to trace-FILE.
run_tool() {
  local tool=$1 file=$2
  "$tool" --run "$file" --trace > "trace-$file" 2>> messages.txt ||
    { cat messages.txt >&2; fail "vrk-split-merge --run $file failed"; }
}

# The packaged demo job, from a folder outside the build tree that holds no converter: loading a
# .vrk needs vrk2mvt, every piece needs mvt2vrk, so both must be found beside the unpacked tool.
check_demo_job() {
  local root=$1 work=$2
  local bin="$root/usr/bin" examples="$root/usr/share/doc/vrk-split-merge/examples"
  mkdir -p "$work"
  cp -r "$examples/demo/VrkKeep" "$examples/demo/demo_job.txt" "$work/"
  cd "$work"
  local list
  for list in west east north; do "$bin/mvt2vrk" "$examples/$list.txt" "$list.vrk"; done

  run_tool "$bin/vrk-split-merge" demo_job.txt
  ! grep -q "Conversion failed" messages.txt || { cat messages.txt >&2; fail "a conversion failed"; }
  [ -s merged.vrk ] || fail "the demo job saved no merged.vrk"
  local merged
  merged=$(count_of trace-demo_job.txt)
  [[ $merged =~ ^Tv\ [1-9] ]] || fail "the demo job loaded no services ($merged)"

  # Every piece that the re-merge script names was written as a binary list.
  local pieces=0 piece
  while IFS= read -r piece; do
    piece=${piece%$'\r'}
    [ "$(head -c 4 "$piece" 2>/dev/null)" = "VRKL" ] || fail "piece $piece is missing or not a .vrk list"
    pieces=$((pieces + 1))
  done < <(sed -n 's/^\(load\|merge\) *//p' provider_list.txt)
  [ "$pieces" -gt 1 ] || fail "the split named $pieces pieces"
  [ "$(find VrkResult -name '*.vrk' | wc -l)" -eq "$pieces" ] || fail "VrkResult/ holds other files"

  run_tool "$bin/vrk-split-merge" provider_list.txt
  [ -s provider_list.vrk ] || fail "merging the pieces again saved no provider_list.vrk"
  [ "$(count_of trace-provider_list.txt)" = "$merged" ] ||
    fail "the pieces merged again hold $(count_of trace-provider_list.txt), the list $merged"
  [ ! -s messages.txt ] || { cat messages.txt >&2; fail "the runs reported messages"; }
  echo "Unpacked tool: demo job gave $merged in $pieces pieces; merged again: the same."
  cd - > /dev/null
}

check_lintian() {
  local report status=0
  report=$(lintian --fail-on error "$deb" 2>&1) || status=$?
  echo "lintian $(basename "$deb"):"
  report=$(grep -v "running with root privileges" <<< "$report" || true)
  if [ -n "$report" ]; then sed 's/^/  /' <<< "$report"; else echo "  no tags"; fi
  [ "$status" -eq 0 ] || fail "lintian reports errors"
}

build_package
if $package_only; then
  echo "Package: $deb"
  exit 0
fi
install_missing lintian desktop-file-utils

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"
check_contents "$scratch/root"
check_demo_job "$scratch/root" "$scratch/work"
check_lintian
echo "Package test passed: $deb"
