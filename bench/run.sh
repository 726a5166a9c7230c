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
export LC_ALL=zh_CN.UTF-8
use_virtual_display_for_wine "$root/build/windows"
build/windows/wine-run.sh build/windows/bench/bench_main_window.exe
