#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR and checks it without installing it: unpacks it into a
# temporary root, checks that the relative links of the installed README name installed files,
# validates its desktop entry (desktop-file-validate) and software-centre metadata
# (appstreamcli validate), runs the unpacked tool on the packaged demo job in a temporary folder
# (the tool must find its converters beside itself and write the pieces of its split), starts it
# as the desktop menu does with a fresh home folder (its working folders must appear in its own
# folder among the documents and nowhere else), and runs lintian, which must report no errors.
# Installs what building and checking need when it is missing.
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

# The installed files, all below /usr: the tool and exactly its two converters in bin, manual
# pages, the desktop entry and icon, the software-centre metadata, the copyright file and the
# examples.
check_contents() {
  local root=$1 file
  [ "$(ls "$root")" = usr ] || fail "the package installs outside /usr: $(ls "$root" | tr '\n' ' ')"
  [ "$(ls "$root/usr/bin" | tr '\n' ' ')" = "mvt2vrk vrk-split-merge vrk2mvt " ] ||
    fail "usr/bin holds $(ls "$root/usr/bin" | tr '\n' ' '), not the tool and its two converters"
  for file in usr/share/man/man1/{vrk-split-merge,vrk2mvt,mvt2vrk}.1.gz \
    usr/share/doc/vrk-split-merge/{copyright,changelog.gz,README.md,vrk-format.md} \
    usr/share/applications/vrk-split-merge.desktop \
    usr/share/icons/hicolor/scalable/apps/vrk-split-merge.svg \
    usr/share/metainfo/"$appstream_id".metainfo.xml; do
    [ -s "$root/$file" ] || fail "$file is missing from $deb"
  done
  [ "$(ls "$root/usr/share/metainfo")" = "$appstream_id.metainfo.xml" ] ||
    fail "usr/share/metainfo holds $(ls "$root/usr/share/metainfo" | tr '\n' ' ')"
  dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "Depends lacks the Qt 6 libraries"
  check_version "$root"
}

# The manual pages, the changelog (and the metainfo's releases, made from it) and the tool's
# version text carry the package's version: all are made from the project's version when the
# build is configured.
check_version() {
  local root=$1 version page
  version=$(dpkg-deb -f "$deb" Version)
  for page in vrk-split-merge vrk2mvt mvt2vrk; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | head -n 1 | grep -qF "\"vrk-split-merge $version\"" ||
      fail "the manual page $page.1 does not name version $version"
  done
  zcat "$root/usr/share/doc/vrk-split-merge/changelog.gz" | head -n 1 |
    grep -q "^vrk-split-merge ($version) " || fail "the changelog does not start with version $version"
  grep -m 1 "<release " "$root/usr/share/metainfo/$appstream_id.metainfo.xml" |
    grep -qF "version=\"$version\"" || fail "the metainfo's newest release is not $version"
  "$root/usr/bin/vrk-split-merge" --version | grep -qF "build ${version##*.} ," ||
    fail "the tool's version text does not name build ${version##*.}"
}

# desktop-file-validate must find nothing at all, not even a hint (two main categories show the
# tool twice in the menu); appstreamcli must report neither errors nor warnings, its hints and
# infos are shown.
check_desktop_files() {
  local root=$1 report
  report=$(desktop-file-validate "$root/usr/share/applications/vrk-split-merge.desktop" 2>&1) ||
    { echo "$report" >&2; fail "the desktop entry is not valid"; }
  [ -z "$report" ] || { echo "$report" >&2; fail "desktop-file-validate reports the above"; }
  echo "desktop-file-validate vrk-split-merge.desktop: no findings"
  # The screenshot's address is not looked up: CI may have no network.
  report=$(appstreamcli validate --pedantic --no-net \
    "$root/usr/share/metainfo/$appstream_id.metainfo.xml" 2>&1) ||
    { echo "$report" >&2; fail "the software-centre metadata is not valid"; }
  echo "appstreamcli validate $appstream_id.metainfo.xml:"
  sed 's/^/  /' <<< "$report"
  ! grep -qE "^[EW]:" <<< "$report" || fail "appstreamcli reports errors or warnings"
}

# Every relative link of the installed README.md (a markdown link "](path)" without a scheme and
# not only an anchor) names a file that the package installs, so the links work there too.
check_readme_links() {
  local doc=$1/usr/share/doc/vrk-split-merge link target links=0
  while IFS= read -r link; do
    target=${link%%#*}
    target=${target%% *}
    [ -f "$doc/$target" ] || fail "README.md links to $target, which the package does not install"
    links=$((links + 1))
  done < <(grep -o '](\([^)]*\))' "$doc/README.md" | sed 's/^](\(.*\))$/\1/' |
    grep -Ev '^(#|[A-Za-z][A-Za-z0-9+.-]*:)')
  [ "$links" -gt 0 ] || fail "found no relative link in README.md"
  echo "README.md: its $links relative links name installed files."
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

# The tool as the desktop menu starts it: the command of the unpacked desktop entry's Exec line,
# found through PATH, with nothing of this environment but a fresh home folder whose desktop
# names its documents folder "Dokumente". Its working folders must appear in "VRK Split & Merge"
# there and nowhere else; a relative name given to --run is taken from that folder too.
check_desktop_start() {
  local root=$1 scratch=$2
  local home="$scratch/home" elsewhere="$scratch/elsewhere" examples
  local folder="$scratch/home/Dokumente/VRK Split & Merge"
  examples="$root/usr/share/doc/vrk-split-merge/examples"
  local command
  read -r -a command <<< "$(sed -n 's/^Exec=//p' "$root/usr/share/applications/vrk-split-merge.desktop")"
  [ "${command[0]}" = vrk-split-merge ] || fail "the desktop entry starts ${command[0]}"
  mkdir -p "$home/.config" "$elsewhere"
  # shellcheck disable=SC2016  # the file holds $HOME itself, as xdg-user-dirs-update writes it
  printf 'XDG_DOCUMENTS_DIR="$HOME/Dokumente"\n' > "$home/.config/user-dirs.dirs"
  printf '[VRK_SPLIT_MERGE]\r\nload %s\r\nsplit\r\nsave merged.txt\r\n' "$examples/west.txt" \
    > "$scratch/first_job.txt"
  desktop_start() {
    (cd "$elsewhere" && env -i HOME="$home" PATH="$root/usr/bin:/usr/bin:/bin" \
      "${command[@]}" "$@") 2>> "$scratch/desktop-messages.txt" ||
      { cat "$scratch/desktop-messages.txt" >&2; fail "${command[*]} $* failed"; }
  }
  desktop_start --run "$scratch/first_job.txt"
  desktop_start --run antenna_list.txt  # the split's script, in the new folder
  [ ! -s "$scratch/desktop-messages.txt" ] ||
    { cat "$scratch/desktop-messages.txt" >&2; fail "the runs reported messages"; }

  local found
  found=$(cd "$scratch" && find home elsewhere -name 'Vrk*' -prune | sort | tr '\n' ' ')
  [ "$found" = "home/Dokumente/VRK Split & Merge/VrkKeep home/Dokumente/VRK Split & Merge/VrkResult home/Dokumente/VRK Split & Merge/VrkWork " ] ||
    fail "the working folders are $found"
  [ -z "$(ls -A "$elsewhere")" ] || fail "the tool wrote into the folder it was started from"
  local file
  for file in VrkKeep/sat_position.txt merged.txt antenna_list.txt antenna_list.vrk; do
    [ -s "$folder/$file" ] || fail "$file is missing from $folder"
  done
  compgen -G "$folder/VrkResult/*.vrk" > /dev/null || fail "the split left no piece in $folder"
  echo "Started as the desktop entry does (${command[*]}): the working folders, the split and" \
    "its script are in Dokumente/VRK Split & Merge of the fresh home folder only."
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
install_missing lintian desktop-file-utils appstream
appstream_id=$(sed -n 's/^VSM_APPSTREAM_ID:[A-Z]*=//p' "$build/CMakeCache.txt")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"
check_contents "$scratch/root"
check_readme_links "$scratch/root"
check_desktop_files "$scratch/root"
check_demo_job "$scratch/root" "$scratch/work"
check_desktop_start "$scratch/root" "$scratch/desktop"
check_lintian
echo "Package test passed: $deb"
