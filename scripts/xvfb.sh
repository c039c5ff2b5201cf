# shellcheck shell=bash
# Sourced by the scripts that show a window: a virtual X display of their own (Xvfb).
#
#   xvfb_start    starts Xvfb on a free display number and exports DISPLAY
#   xvfb_stop     ends that Xvfb (also done on exit when the caller traps it)

xvfb_pid=""

xvfb_start() {
  command -v Xvfb > /dev/null || { echo "Xvfb is missing (Debian package xvfb)" >&2; return 1; }
  local display_file
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$display_file" > /dev/null 2>&1 &
  xvfb_pid=$!
  local tries=0
  while [ ! -s "$display_file" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
  if [ ! -s "$display_file" ]; then
    rm -f "$display_file"
    echo "Xvfb did not start" >&2
    return 1
  fi
  DISPLAY=":$(head -n 1 "$display_file")"
  export DISPLAY
  rm -f "$display_file"
}

xvfb_stop() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2> /dev/null || true
    wait "$xvfb_pid" 2> /dev/null || true
    xvfb_pid=""
  fi
}
