#!/usr/bin/env bash
# Builds the Windows target and runs the benchmarks under Wine on a private
# virtual display. Figures go to standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tools/setup-debian.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target bench_main_window
. tools/virtual-display.sh
export WINEPREFIX="$root/build/windows/wineprefix" LC_ALL=zh_CN.UTF-8
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  stop_virtual_display
}
trap cleanup EXIT
start_virtual_display
build/windows/wine-run.sh build/windows/bench/bench_main_window.exe
