#!/usr/bin/env bash
# Builds both targets and runs every test: the settings storage and the
# start-up picture's decoder natively (with sanitizers), a minute and a third
# of fuzzing them, then all Windows tests under Wine on a private virtual
# display. Installs what is missing first. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

tools/setup-debian.sh

echo "== Native build (Linux, sanitizers)"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== Fuzzing the settings storage and the start-up picture's decoder (clang, libFuzzer)"
tests/fuzz/run-fuzz.sh settings 60
tests/fuzz/run-fuzz.sh gif 20

echo "== Windows build (mingw-w64), tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows

. tools/virtual-display.sh
use_virtual_display_for_wine "$root/build/windows"
ctest --preset windows
