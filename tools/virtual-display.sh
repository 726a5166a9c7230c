# Sourced by the project's scripts: a private X display for Wine, started on
# a free display number and stopped when the calling script exits.

start_virtual_display() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  VIRTUAL_DISPLAY_PID=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  if [ ! -e "/tmp/.X11-unix/X$n" ]; then
    echo "Xvfb did not start on :$n" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

stop_virtual_display() {
  if [ -n "${VIRTUAL_DISPLAY_PID:-}" ]; then
    kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
    wait "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
    VIRTUAL_DISPLAY_PID=
  fi
}

# For Wine programs of the build folder $1: its own Wine prefix, a virtual
# display with one Wine desktop on it (title bars without a window manager,
# and windows that show at once), and both stopped when the calling script
# exits.
use_virtual_display_for_wine() {
  export WINEPREFIX="$1/wineprefix"
  export HOTLINK_WINE_DESKTOP=1024x768
  trap 'wineserver -k >/dev/null 2>&1 || true; stop_virtual_display' EXIT
  start_virtual_display
}
