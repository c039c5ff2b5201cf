#!/usr/bin/env bash
# Runs the main job without a window on the bundled example lists: convert them to .vrk, merge
# them, split the result per satellite position (free-to-air and scrambled apart), save it, and
# merge the pieces again with the script that the split wrote.
#
# Usage: scripts/demo.sh BUILD_DIR    (the demo works in BUILD_DIR/demo, made afresh)
set -euo pipefail

[ $# -eq 1 ] || { echo "Usage: $0 BUILD_DIR" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
tool="$build/bin/vrk-split-merge"
to_binary="$build/bin/mvt2vrk"
for program in "$tool" "$to_binary"; do
  [ -x "$program" ] || { echo "Missing $program: build first (make build)." >&2; exit 1; }
done

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/VrkKeep"
# A satellite table that names exactly the example lists' satellites.
cp "$repo/examples/demo/VrkKeep/sat_position.txt" "$demo/VrkKeep/"
cp "$repo/examples/demo/demo_job.txt" "$demo/"
cd "$demo"

# The last count text ("Tv n , Radio m") of a trace.
count_of() { awk -F'\t' '$1 == "status" && $2 == "1" && $3 ~ /^Tv / { count = $3 } END { print count }' "$1"; }

# Runs the tool on FILE with its trace in TRACE; messages go to messages.txt; stops on failure.
run() {
  local file=$1 trace=$2
  if ! "$tool" --run "$file" --trace > "$trace" 2>> messages.txt; then
    echo "vrk-split-merge --run $file failed:" >&2
    cat messages.txt >&2
    exit 1
  fi
}

echo "Demo folder: $demo"
echo
echo "Example lists, converted to .vrk:"
for list in "$repo"/examples/*.txt; do
  name=$(basename "$list" .txt)
  "$to_binary" "$list" "$name.vrk"
  run "$name.vrk" "trace-$name.txt"
  printf '  %-10s %s\n' "$name.vrk" "$(count_of "trace-$name.txt")"
done
rm -rf VrkWork/* VrkResult/*

echo
echo "1. demo_job.txt: load west, merge east and north, split per satellite position"
echo "   (free-to-air apart), save merged.vrk"
run demo_job.txt trace-demo_job.txt
printf '   merged list: %s\n' "$(count_of trace-demo_job.txt)"
pieces=(VrkResult/*.vrk)
printf '   %d pieces in VrkResult/ (one per position, Fta_ = free-to-air):\n' "${#pieces[@]}"
for ((i = 0; i < ${#pieces[@]}; i += 3)); do
  printf '     '
  for piece in "${pieces[@]:i:3}"; do printf '%-20s' "$(basename "$piece")"; done
  printf '\n'
done | sed 's/ *$//'
printf '   saved: merged.vrk (%d bytes)\n' "$(stat -c %s merged.vrk)"
printf '   written by the split: provider_list.txt (%d load, %d merge, %d save lines)\n' \
  "$(grep -c '^load ' provider_list.txt)" "$(grep -c '^merge ' provider_list.txt)" \
  "$(grep -c '^save ' provider_list.txt)"

echo
echo "2. provider_list.txt: merge the pieces again, save provider_list.vrk"
run provider_list.txt trace-provider_list.txt
printf '   re-merged list: %s\n' "$(count_of trace-provider_list.txt)"
printf '   saved: provider_list.vrk (%d bytes)\n' "$(stat -c %s provider_list.vrk)"

echo
if [ -s messages.txt ]; then
  echo "Messages:"
  sed 's/^/  /' messages.txt
else
  echo "No messages. Traces of every run: $demo/trace-*.txt"
fi
