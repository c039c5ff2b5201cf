#!/usr/bin/env bash
# Drives the real, unmodified window program as a person does, on a virtual display (Xvfb, with
# the small window manager openbox, so that the window has its title bar): the Qt program of a
# Linux build, or the Windows program of a cross build under wine.
#
# First, started with --folder naming a file, the program must say so in a box and end with
# status 2. Then, in a fresh folder with the example lists east and west (as .vrk lists, so that
# the program's converters are used) and the demo's satellite table, it clicks Load and types
# east.vrk into the real file dialog, which must open in that folder, clicks Merge and types
# west.vrk, ticks "Split into vrk per Provider" and "Use satellite position as provider name",
# clicks the split button and answers every message box
# (the table names two satellites that the lists do not have). Then it closes the window and
# checks from outside: the pieces in VrkResult/, the generated provider_list.txt, and that
# running that script with --run merges the pieces back to the counts of east and west merged.
# Then the same job once more by keyboard alone, not a single click: Tab and Space, the arrow
# keys in the option buttons, Return in the dialogs and boxes, Alt+F4.
# Pictures of the window: BUILD/window-load.png after the load, BUILD/window.png after the split,
# BUILD/window-keyboard.png with the focus on the split button before the keyboard presses it.
# The Qt program is started elsewhere with --folder naming that folder, as the desktop menu starts
# it; nothing may appear where it was started. The Windows program runs as a user gets it: from
# dist/vrk-split-merge-windows.zip unzipped into a folder, started in that folder as a double
# click in Explorer does.
#
# Usage: scripts/window-e2e.sh linux BUILD            (a Linux build with the Qt window)
#        scripts/window-e2e.sh windows WINDOWS_BUILD  (after make windows, run under wine)
set -euo pipefail

[ $# -eq 2 ] || { echo "Usage: $0 linux|windows BUILD" >&2; exit 2; }
face=$1
build=$(cd "$2" && pwd)
repo=$(cd "$(dirname "$0")/.." && pwd)
run="$build/window-e2e"
bin="$build/bin"
log="$build/window-e2e.log"
if [ "$face" = windows ]; then
  run="$build/window-e2e/vrk-split-merge"  # the zip's folder
  bin=$run
fi

source "$repo/scripts/xvfb.sh"
if [ "$face" = windows ]; then
  windows_build=$build
  source "$repo/scripts/windows-wine.sh"
  wine_prepare
fi
for tool in Xvfb openbox xdotool import unzip; do
  if ! command -v "$tool" > /dev/null; then
    echo "$tool is missing: run scripts/window-e2e-deps.sh" >&2
    exit 1
  fi
done

window_manager=""
program=""
cleanup() {
  if [ -n "$program" ]; then kill "$program" 2> /dev/null || true; fi
  [ "$face" = windows ] && wine_stop
  if [ -n "$window_manager" ]; then kill "$window_manager" 2> /dev/null || true; fi
  xvfb_stop
}
trap cleanup EXIT

fail() {
  echo "window-e2e ($face): $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$build/window-failed.png" 2> /dev/null &&
    echo "Picture of the screen: $build/window-failed.png" >&2
  if [ -n "${DISPLAY:-}" ]; then
    echo "Visible windows:" >&2
    for id in $(xdotool search --onlyvisible --name '.' 2> /dev/null); do
      echo "  $(xdotool getwindowname "$id" 2> /dev/null)" >&2
    done
  fi
  [ -s "$log" ] && { echo "The program's output:" >&2; cat "$log" >&2; }
  exit 1
}

# The programs of the build: NAME runs the build's program NAME on its arguments, in the run
# folder; a file name as the program expects it.
if [ "$face" = windows ]; then
  tool() { (cd "$run" && "$wine_program" "$bin/$1.exe" "${@:2}"); }
  console_tool() { (cd "$run" && "$wine_program" "$bin/vrk-split-merge.com" "$@"); }
  file_name() { wine_path "$1"; }
else
  tool() { (cd "$run" && "$bin/$1" "${@:2}"); }
  console_tool() { (cd "$run" && "$bin/vrk-split-merge" "$@"); }
  file_name() { printf '%s' "$1"; }
fi

# The id of the visible window titled exactly TITLE, once it is there (at most SECONDS).
wait_for_window() {
  local title=$1 seconds=${2:-30} id="" tries=0
  while [ $tries -lt $((seconds * 10)) ]; do
    id=$(xdotool search --onlyvisible --name "^${title//./\\.}\$" 2> /dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
    tries=$((tries + 1))
  done
  return 1
}

wait_until_gone() {
  local id=$1 tries=0
  while xdotool getwindowname "$id" > /dev/null 2>&1 && [ $tries -lt 300 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
}

# Clicks the main window at X,Y of its client area, where the control table places a control,
# once the pointer is there: a busy machine may otherwise see the click before the move.
click() {
  xdotool windowactivate --sync "$main" > /dev/null 2>&1 || true
  xdotool mousemove --sync --window "$main" "$1" "$2"
  sleep 0.2
  xdotool click 1
}

# Answers the file dialog titled TITLE by typing NAME into it, as a person would; a NAME without
# a folder is found only when the dialog opened in the start folder.
choose_file() {
  local title=$1 name=$2 dialog
  dialog=$(wait_for_window "$title" 90) || fail "no file dialog \"$title\""
  xdotool windowactivate --sync "$dialog" > /dev/null 2>&1 || true
  sleep 0.5
  xdotool type --delay 15 "$name"
  sleep 0.2
  xdotool key Return
  wait_until_gone "$dialog"
}

# The last count text ("Tv n , Radio m") of a trace.
count_of() {
  awk -F'\t' '$1 == "status" && $2 == "1" && $3 ~ /^Tv / { count = $3 } END { print count }' "$1"
}

# A fresh folder (for Windows, the zip unzipped) with the example lists as .vrk and the demo's
# satellite table.
rm -rf "$build/window-e2e" "$build/window-elsewhere" "$build/window-load.png" "$build/window.png" \
  "$build/window-failed.png" "$build/window-no-folder.png" "$build/window-keyboard.png"
if [ "$face" = windows ]; then
  zip_file="$repo/dist/vrk-split-merge-windows.zip"
  [ -f "$zip_file" ] || { echo "Missing $zip_file: run make windows" >&2; exit 1; }
  mkdir -p "$build/window-e2e"
  unzip -q "$zip_file" -d "$build/window-e2e"
  examples="$run/examples"
else
  mkdir -p "$run"
  examples="$repo/examples"
fi
mkdir -p "$run/VrkKeep"
cp "$examples/demo/VrkKeep/sat_position.txt" "$run/VrkKeep/"
for list in east west; do
  cp "$examples/$list.txt" "$run/"
  tool mvt2vrk "$list.txt" "$list.vrk" || fail "cannot convert $list.txt"
  rm "$run/$list.txt"
done
# What east and west merged hold, from the program's console face.
printf '[VRK_SPLIT_MERGE]\r\nload east.vrk\r\nmerge west.vrk\r\n' > "$build/window-e2e-job.txt"
console_tool --run "$(file_name "$build/window-e2e-job.txt")" --trace \
  > "$build/window-e2e-job.trace" || fail "the console face could not merge east and west"
expected=$(count_of "$build/window-e2e-job.trace")
rm -rf "$run/VrkWork" "$run/VrkResult"

xvfb_start
openbox --sm-disable > /dev/null 2>&1 &
window_manager=$!
sleep 1

# Starts the window program with ARGUMENTS in the folder it is started from: the Windows
# program in the zip's folder, the Qt program in an empty folder of its own.
started_in=$run
[ "$face" = linux ] && started_in="$build/window-elsewhere"
start_window() {
  mkdir -p "$started_in"
  if [ "$face" = windows ]; then
    (cd "$started_in" && exec "$wine_program" "$bin/vrk-split-merge.exe" "$@") > "$log" 2>&1 &
  else
    (cd "$started_in" && QT_QPA_PLATFORM=xcb exec "$bin/vrk-split-merge" "$@") > "$log" 2>&1 &
  fi
  program=$!
}

# A start folder that cannot be made: a box says so before any window opens, and the program
# ends with status 2 once it is closed, having made no working folder.
printf 'in the way' > "$build/window-e2e-taken"
start_window --folder "$(file_name "$build/window-e2e-taken")"
box=$(wait_for_window "VRK Split & Merge" 60) || fail "no box about the folder in the way"
sleep 1
import -frame -window "$box" "$build/window-no-folder.png"
xdotool windowactivate --sync "$box" > /dev/null 2>&1 || true
xdotool key Return
for _ in $(seq 1 200); do kill -0 "$program" 2> /dev/null || break; sleep 0.1; done
status=0
wait "$program" || status=$?
program=""
[ "$status" -eq 2 ] || fail "with a file as its folder the program ended with status $status"
[ -e "$started_in/VrkWork" ] && fail "a working folder where the program was started"
rm "$build/window-e2e-taken"

# The script holds the names as the program's file system gives them: Windows-1252 under wine,
# whose files on Linux have UTF-8 names.
script_text() {
  if [ "$face" = windows ]; then
    iconv -f WINDOWS-1252 -t UTF-8 "$run/provider_list.txt"
  else
    cat "$run/provider_list.txt"
  fi
}
piece_names() {
  script_text | awk '/^(load|merge) / { sub(/\r$/, ""); n = split($0, part, /[\\\/]/); print part[n] }'
}

# The job, done by mouse or by keyboard alone: load east.vrk, merge west.vrk, tick "Split into vrk
# per Provider" and "Use satellite position as provider name", split.
do_the_job_by_mouse() {
  click 175 35  # Load
  choose_file "Please choose file to load" east.vrk
  sleep 1
  import -frame -window "$main" "$build/window-load.png"

  click 175 75  # Merge
  choose_file "Please choose file to merge" west.vrk
  sleep 1

  click 190 135  # Split into vrk per Provider
  click 50 260   # Use satellite position as provider name
  click 175 325  # the split button, now "Split per provider"
}

# Presses KEY COUNT times in the main window.
press() {
  local key=$1 count=${2:-1}
  xdotool windowactivate --sync "$main" > /dev/null 2>&1 || true
  for _ in $(seq 1 "$count"); do
    xdotool key "$key"
    sleep 0.2
  done
}

# The keyboard follows the eye: Load, Merge, "Keep preferred Antennas", "Split into vrk per
# Provider", "Remove all Favorites", "Remove all Radio channels", the FTA box, the option button
# that is set, the split button, Save. The window opens with the focus on Load; ten Tabs go once
# round.
do_the_job_by_keyboard() {
  press Tab 10
  press space  # Load
  choose_file "Please choose file to load" east.vrk
  sleep 1
  press Tab
  press space  # Merge
  choose_file "Please choose file to merge" west.vrk
  sleep 1
  press Tab 2
  press space  # Split into vrk per Provider
  press Tab 4  # to "Keep existing providers"
  press Down   # Use satellite position as provider name
  press Tab    # the split button, now "Split per provider"
  sleep 0.5
  import -frame -window "$main" "$build/window-keyboard.png"
  press space
}

# Starts the window program, does the job by HOW (mouse or keyboard), answers every message box
# (the table names two satellites that the lists do not have), closes the window and checks the
# pieces and that the generated script merges them back.
use_the_window() {
  local how=$1
  rm -rf "$run/VrkWork" "$run/VrkResult" "$run/provider_list.txt" "$run/provider_list.vrk"
  echo "Starting the $face window program in $run, to be used by $how"
  if [ "$face" = windows ]; then
    start_window
  else
    start_window --folder "$run"  # as the desktop entry does, with the folder named
  fi
  main=$(wait_for_window "VRK Split & Merge" 60) || fail "the window did not open"
  sleep 1
  "do_the_job_by_$how"

  # Every message box is answered; the script is in place once the split has ended.
  boxes=0
  for _ in $(seq 1 600); do
    [ -f "$run/provider_list.txt" ] && break
    box=$(xdotool search --onlyvisible --name '^File sat_position\.txt\.\.\.\.$' 2> /dev/null |
      head -n 1 || true)
    if [ -n "$box" ]; then
      xdotool windowactivate --sync "$box" > /dev/null 2>&1 || true
      sleep 0.3
      xdotool key Return
      wait_until_gone "$box"
      boxes=$((boxes + 1))
    else
      sleep 0.1
    fi
  done
  [ -f "$run/provider_list.txt" ] || fail "the split wrote no provider_list.txt"
  # The table names Amos and Atl.Bird 3, which neither list has: one box each.
  [ "$boxes" -eq 2 ] || fail "answered $boxes message boxes about the satellite table, expected 2"

  # The pieces named in the script, converted to .vrk in the background.
  mapfile -t pieces < <(piece_names)
  [ ${#pieces[@]} -gt 1 ] || fail "provider_list.txt names ${#pieces[@]} pieces"
  for _ in $(seq 1 300); do
    ready=1
    for piece in "${pieces[@]}"; do [ -f "$run/VrkResult/$piece" ] || ready=0; done
    compgen -G "$run/VrkResult/*.partial" > /dev/null && ready=0
    [ $ready -eq 1 ] && break
    sleep 0.1
  done
  for piece in "${pieces[@]}"; do
    [ -s "$run/VrkResult/$piece" ] || fail "missing piece VrkResult/$piece"
  done
  [ "$(find "$run/VrkResult" -name '*.vrk' | wc -l)" -eq ${#pieces[@]} ] ||
    fail "VrkResult holds other pieces than provider_list.txt names"
  sleep 1
  [ "$how" = mouse ] && import -frame -window "$main" "$build/window.png"

  # Closing the window ends the program, with status 0.
  xdotool windowactivate --sync "$main" > /dev/null 2>&1 || true
  xdotool key alt+F4
  for _ in $(seq 1 200); do kill -0 "$program" 2> /dev/null || break; sleep 0.1; done
  kill -0 "$program" 2> /dev/null && fail "the program did not end when its window was closed"
  wait "$program" || fail "the program ended with status $?"
  program=""
  if [ "$face" = linux ] && [ -n "$(ls -A "$started_in")" ]; then
    fail "the program wrote into the folder it was started from, not only into --folder's"
  fi

  # The generated script merges the pieces back to the same counts.
  console_tool --run provider_list.txt --trace > "$build/window-e2e-remerge.trace" ||
    fail "--run provider_list.txt failed"
  remerged=$(count_of "$build/window-e2e-remerge.trace")
  [ -s "$run/provider_list.vrk" ] || fail "--run provider_list.txt saved no provider_list.vrk"
  [ "$remerged" = "$expected" ] ||
    fail "the pieces merge back to \"$remerged\", expected \"$expected\""

  echo "$face window, by $how: loaded, merged, split into ${#pieces[@]} pieces, answered $boxes boxes;" \
    "the pieces merge back to $remerged"
}

use_the_window mouse
use_the_window keyboard
echo "Pictures: $build/window-load.png, $build/window.png, $build/window-keyboard.png (the focus on" \
  "the split button)"
