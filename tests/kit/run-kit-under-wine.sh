#!/usr/bin/env bash
# The Windows test kit, checked here as a Windows machine would use it: the
# zip unpacked into a fresh folder and run-tests.cmd run by Wine's own cmd.
# Passes when the script exits 0 and its summary line says that every test
# program it lists passed; a program missing from the kit fails it.
#
#   run-kit-under-wine.sh BUILD_DIR KIT_ZIP
set -euo pipefail
build=$(cd "$1" && pwd)
zip=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
cd "$work/HotlinkConfig-tests"
status=0
"$build/wine-run.sh" cmd /c run-tests.cmd >run.log 2>&1 || status=$?
tr -d '\r' <run.log | grep -E '^(HotlinkConfig Windows|ANSI code page|====|missing|Skipped|\[  (PASSED|FAILED)|All |[0-9]+ of )' || true
summary=$(tr -d '\r' <run.log | tail -n 1)
if [ "$status" -ne 0 ] || [[ "$summary" != "All "*" test programs passed." ]]; then
  echo "run-tests.cmd ended with $status: $summary"
  tr -d '\r' <run.log | tail -n 60
  exit 1
fi
echo "run-tests.cmd under Wine: $summary"
