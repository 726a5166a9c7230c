#!/usr/bin/env bash
# Builds the Windows target and runs the benchmarks under Wine on a private
# virtual display. Figures go to standard output.
#
#   bench/run.sh [BUILD_DIR]     (default build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows}
tools/setup-debian.sh
if [ "$build" = build/windows ]; then
  cmake --preset windows >/dev/null
else
  cmake --preset windows -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target bench_main_window bench_storage launch_bench
build=$(cd "$build" && pwd)
. tools/virtual-display.sh
export LC_ALL=zh_CN.UTF-8
use_virtual_display_for_wine "$build"

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(wine --version 2>/dev/null), load average $(cut -d' ' -f1-3 /proc/loadavg)"
run() {
  local started=$SECONDS
  echo
  echo "== $1"
  "$build/wine-run.sh" "$build/bench/$1.exe"
  echo "($1: $((SECONDS - started)) s)"
}
run bench_main_window
run bench_storage
run launch_bench

# The DLLs each program names in its import table: all of them are Windows'
# own, loaded before the first line of the program runs.
echo
for exe in "$build/bin/HotlinkConfig.exe" "$build/bench/bare_window.exe"; do
  echo "$(basename "$exe") ($(stat -c %s "$exe") bytes) imports:" \
    $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
done
