#!/usr/bin/env bash
# Runs the same jobs on the example lists with the Linux build and, under wine, with the Windows
# build, and checks that both write the same files: the converted lists, the pieces of a split per
# provider and of a split per antenna (text forms and .vrk), the merged lists, and the re-merge
# scripts. Files must be equal byte for byte; in the script lines only the start folder and the
# folder separator may differ.
#
# Usage: scripts/windows-compare.sh [WINDOWS_BUILD [LINUX_BUILD]]
#   WINDOWS_BUILD  the cross build (default build-windows)
#   LINUX_BUILD    a Linux build with bin/vrk-split-merge, bin/vrk2mvt and bin/mvt2vrk (default
#                  build); when it has none, they are built in WINDOWS_BUILD/linux-reference.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
windows_build=$(cd "${1:-build-windows}" && pwd)
linux_build=${2:-build}
source "$repo/scripts/windows-wine.sh"

programs=(vrk-split-merge vrk2mvt mvt2vrk)
have_linux_programs() {
  for program in "${programs[@]}"; do [ -x "$linux_build/bin/$program" ] || return 1; done
}
if ! have_linux_programs; then
  linux_build="$windows_build/linux-reference"
  echo "Building the Linux programs for the comparison in $linux_build"
  scripts/configure.sh "$linux_build" -DCMAKE_BUILD_TYPE=Release -DVSM_BUILD_GUI=OFF \
    -DVSM_BUILD_TESTS=OFF
  cmake --build "$linux_build" -j "${JOBS:-2}" --target "${programs[@]}" > /dev/null
fi
linux_build=$(cd "$linux_build" && pwd)
for program in "${programs[@]}"; do
  [ -f "$windows_build/bin/$program.exe" ] || { echo "Missing $program.exe: run make windows" >&2; exit 1; }
done

compare="$windows_build/compare"
rm -rf "$compare"

# The jobs, as batch scripts; relative names are taken from the folder the tool runs in.
job_header=$'[VRK_SPLIT_MERGE]\r\nload west.vrk\r\nmerge east.vrk\r\nmerge north.vrk\r\n'
provider_job="${job_header}"$'split_into_providers true\r\nuse_satellite_position true\r\ndivide_fta_notfta true\r\nsplit\r\nsave merged.vrk\r\n'
antenna_job="${job_header}"$'remove_radios true\r\nuse_antenna_names true\r\nsplit\r\nsave merged.txt\r\n'

# Makes a start folder with the example lists, the demo's satellite table and a job.
prepare_folder() {
  local folder=$1 job=$2
  mkdir -p "$folder/VrkKeep"
  cp examples/*.txt "$folder/"
  cp examples/demo/VrkKeep/sat_position.txt "$folder/VrkKeep/"
  printf '%s' "$job" > "$folder/job.txt"
}

# Runs one platform's tool in FOLDER: convert the lists, run the job, run the re-merge script.
# Traces and messages go beside the folder, so that only the tool's own files are compared.
run_linux() {
  local folder=$1 remerge=$2 bin=$linux_build/bin
  (
    cd "$folder"
    for list in west east north; do "$bin/mvt2vrk" "$list.txt" "$list.vrk"; done
    "$bin/vrk-split-merge" --run job.txt --trace > "$folder.job.trace" 2> "$folder.messages"
    "$bin/vrk-split-merge" --run "$remerge" --trace > "$folder.remerge.trace" 2>> "$folder.messages"
  )
}
run_windows() {
  local folder=$1 remerge=$2 bin=$windows_build/bin
  (
    cd "$folder"
    for list in west east north; do wine_run "$bin/mvt2vrk.exe" "$list.txt" "$list.vrk"; done
    wine_run "$bin/vrk-split-merge.exe" --run job.txt --trace > "$folder.job.trace" 2> "$folder.messages"
    wine_run "$bin/vrk-split-merge.exe" --run "$remerge" --trace > "$folder.remerge.trace" 2>> "$folder.messages"
  )
}

# A re-merge script with the start folder and the separator of its platform taken out, and its
# piece names in UTF-8: each tool writes the names of its own file system, UTF-8 on Linux and the
# ANSI names (Windows-1252 here) on Windows.
normalised_script() {
  local file=$1 start=$2 encoding=$3
  iconv -f "$encoding" -t UTF-8 "$file" |
    START="$start" perl -pe 's/\Q$ENV{START}\E/<start>\//g; s{\\}{/}g if /^(load|merge) /'
}

failures=0
differ() { echo "DIFFERENT: $*" >&2; failures=$((failures + 1)); }

# The tool's own files in the work folder are not compared: the journal of its temporaries names
# them by random names and whole paths, and only Windows keeps a lock file.
tools_own='^\./VrkWork/vrk-split-merge\.(journal|lock)$'

compare_folders() {
  local linux=$1 windows=$2 windows_start
  windows_start="$(wine_path "$windows")\\"
  local linux_files windows_files
  linux_files=$(cd "$linux" && find . -type f | grep -Ev "$tools_own" | LC_ALL=C sort)
  windows_files=$(cd "$windows" && find . -type f | grep -Ev "$tools_own" | LC_ALL=C sort)
  if [ "$linux_files" != "$windows_files" ]; then
    differ "the files in $linux and $windows:"
    diff <(echo "$linux_files") <(echo "$windows_files") >&2 || true
  fi
  local count=0 file
  while IFS= read -r file; do
    [ -f "$windows/$file" ] || continue
    count=$((count + 1))
    case "$file" in
      ./antenna_list.txt | ./provider_list.txt)
        if ! cmp -s <(normalised_script "$linux/$file" "$linux/" UTF-8) \
          <(normalised_script "$windows/$file" "$windows_start" WINDOWS-1252); then
          differ "$file"
          diff <(normalised_script "$linux/$file" "$linux/" UTF-8) \
            <(normalised_script "$windows/$file" "$windows_start" WINDOWS-1252) >&2 || true
        fi
        ;;
      *) cmp -s "$linux/$file" "$windows/$file" || differ "$file in $linux and $windows" ;;
    esac
  done <<< "$linux_files"
  echo "  $count files compared"
}

for job in provider antenna; do
  job_text=${job}_job
  for platform in linux windows; do prepare_folder "$compare/$platform/$job" "${!job_text}"; done
  echo "Split per $job of the example lists, on Linux and under wine"
  run_linux "$compare/linux/$job" "${job}_list.txt"
  run_windows "$compare/windows/$job" "${job}_list.txt"
  compare_folders "$compare/linux/$job" "$compare/windows/$job"
  for platform in linux windows; do
    if [ -s "$compare/$platform/$job.messages" ]; then
      differ "$platform reported:"
      cat "$compare/$platform/$job.messages" >&2
    fi
  done
done
wine_stop

if [ "$failures" -ne 0 ]; then
  echo "The Windows build wrote other files than the Linux build ($failures differences)" >&2
  exit 1
fi
echo "The Windows build wrote the same files as the Linux build"
