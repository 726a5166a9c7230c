#!/usr/bin/env bash
# Runs the end-to-end driver on Wine's default desktop, where windows get
# title bars, and ends with the driver's exit code.
#
#   run-e2e.sh BUILD_DIR DRIVER_EXE [driver options...]
#
# BUILD_DIR is a Windows build (its wine-run.sh and prefix are used).
# Options naming files (--editor=, --screenshots=) take Linux paths here.
# With --screenshots=DIR (or SCREENSHOT=DIR in the environment) the driver's
# pictures end up as DIR/*.png.
# Without DISPLAY a private virtual display is started and stopped.
# E2E_TIMEOUT (seconds, default 200) bounds the whole run.
set -euo pipefail
build=$(cd "$1" && pwd)
driver=$2
shift 2

# Wine's Z: drive is the Linux root.
windows_path() { printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"; }

shots=
args=()
# The screenshot folder may also come as SCREENSHOT in the environment.
if [ -n "${SCREENSHOT:-}" ]; then
  set -- "--screenshots=$SCREENSHOT" "$@"
  unset SCREENSHOT
fi
for argument in "$@"; do
  case "$argument" in
    --editor=*) args+=("--editor=$(windows_path "${argument#*=}")") ;;
    --screenshots=*)
      shots=$(realpath -m "${argument#*=}")
      mkdir -p "$shots"
      args+=("--screenshots=$(windows_path "$shots")") ;;
    *) args+=("$argument") ;;
  esac
done

if [ -z "${DISPLAY:-}" ]; then
  . "$(dirname "$0")/../../tools/virtual-display.sh"
  use_virtual_display_for_wine "$build"
fi
# The driver clicks title bars' close boxes: windows go onto one Wine
# desktop, which draws them, rather than straight onto the X display.
export HOTLINK_WINE_DESKTOP="${HOTLINK_WINE_DESKTOP:-1024x768}"

status=0
timeout -k 10 "${E2E_TIMEOUT:-200}" "$build/wine-run.sh" "$driver" "${args[@]}" || status=$?
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "run-e2e.sh: the end-to-end run did not finish within ${E2E_TIMEOUT:-200} s" >&2
fi

if [ -n "$shots" ]; then
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
  done
fi
exit "$status"
