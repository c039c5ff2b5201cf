#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64, statically linked: the tool with its window
# (vrk-split-merge.exe) and its console twin (vrk-split-merge.com), the converters vrk2mvt.exe
# and mvt2vrk.exe, and the test programs. Then packs the programs, a READ-ME for Windows users,
# the README and the example lists into dist/vrk-split-merge-windows.zip.
#
# Usage: scripts/windows-build.sh [BUILD_DIR [JOBS]]    (default: build-windows, 2)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
windows_build=${1:-build-windows}
jobs=${2:-2}
cd "$repo"
"$repo/scripts/windows-deps.sh"

scripts/configure.sh "$windows_build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVSM_BUILD_GUI=OFF -DVSM_BUILD_TESTS=ON
cmake --build "$windows_build" -j "$jobs"

bin="$windows_build/bin"
programs=(vrk-split-merge.exe vrk-split-merge.com vrk2mvt.exe mvt2vrk.exe)
for program in "${programs[@]}"; do
  # A static program needs no DLL beyond the system's own.
  if x86_64-w64-mingw32-objdump -p "$bin/$program" | grep -qiE 'DLL Name: (libstdc|libgcc|libwinpthread)'; then
    echo "$program is not linked statically" >&2
    exit 1
  fi
done

package_root="$windows_build/package"
package="$package_root/vrk-split-merge"
rm -rf "$package_root"
mkdir -p "$package" dist
for program in "${programs[@]}"; do cp "$bin/$program" "$package/"; done
# Texts for Windows users end their lines in CR LF, which every Windows editor shows.
sed 's/$/\r/' packaging/windows-readme.txt > "$package/READ-ME.txt"
cp README.md LICENSE "$package/"
cp -r examples "$package/"
zip_file="$repo/dist/vrk-split-merge-windows.zip"
rm -f "$zip_file"
(cd "$package_root" && zip -q -r -X "$zip_file" vrk-split-merge)
echo "Packed $zip_file"
