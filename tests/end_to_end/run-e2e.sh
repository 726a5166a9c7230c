#!/usr/bin/env bash
# Runs the end-to-end driver on a Wine desktop of its own, where windows get
# title bars, and ends with the driver's own result.
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

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "${VIRTUAL_DISPLAY_PID:-}" ]; then
  trap 'rm -rf "$work"; wineserver -k >/dev/null 2>&1 || true; stop_virtual_display' EXIT
fi
result="$work/result"

# Wine's explorer ends once the last program on its desktop has ended; its own
# exit code says nothing about the driver's, which the driver writes down.
status=0
timeout -k 10 "${E2E_TIMEOUT:-200}" "$build/wine-run.sh" explorer "/desktop=e2e,1024x768" "$driver" \
  "--result=$(windows_path "$result")" "${args[@]}" || status=$?
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "run-e2e.sh: the end-to-end run did not finish within ${E2E_TIMEOUT:-200} s" >&2
  exit 1
fi

if [ -n "$shots" ]; then
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
  done
fi

if [ ! -s "$result" ]; then
  echo "run-e2e.sh: the driver left no result (explorer exit status $status)" >&2
  exit 1
fi
exit "$(tr -d '\r\n' < "$result")"
