# Sourced by the windows-*.sh scripts: runs Windows programs under wine, headless and quietly,
# in a wine prefix of the build folder, so that every run starts from the same state.
#
# Needs: windows_build (the Windows build folder, absolute).

wine_program=$(command -v wine64 || command -v wine || true)
[ -z "$wine_program" ] && [ -x /usr/lib/wine/wine64 ] && wine_program=/usr/lib/wine/wine64
if [ -z "$wine_program" ]; then
  echo "wine is missing: run scripts/windows-deps.sh" >&2
  exit 1
fi
wineserver_program=$(command -v wineserver || true)
[ -z "$wineserver_program" ] && [ -x /usr/lib/wine/wineserver ] && wineserver_program=/usr/lib/wine/wineserver

export WINEPREFIX="$windows_build/wineprefix"
export WINEDEBUG=-all
# No window, no prompts for the Mono and Gecko add-ons, which console programs do not need.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# Creates the prefix once; later runs reuse it.
wine_prepare() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  echo "Creating the wine prefix $WINEPREFIX (once)"
  if ! "$wine_program" wineboot --init > "$windows_build/wineboot.log" 2>&1; then
    cat "$windows_build/wineboot.log" >&2
    return 1
  fi
  wine_stop
}

# Runs a Windows program: wine_run PROGRAM.exe ARGUMENTS...
wine_run() { "$wine_program" "$@"; }

# Ends the prefix's wine server and every process it still holds, so that no process outlives the
# run. Waiting for it is no use: the console hosts that wine starts for programs started without
# a window can stay behind and keep it alive.
wine_stop() { [ -n "$wineserver_program" ] && "$wineserver_program" -k 2> /dev/null || true; }

# A Linux path as the Windows programs see it (wine maps the root folder to drive Z:).
wine_path() { printf 'Z:%s' "${1//\//\\}"; }
