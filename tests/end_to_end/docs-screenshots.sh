#!/usr/bin/env bash
# Takes the README's and the guide's pictures again: runs the end-to-end tests of a Windows
# build (build/windows unless another is given) on a private virtual display
# with screenshots on and, when every test passes, puts them into docs/.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/windows}

[ -f "$build/CMakeCache.txt" ] || cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j2 --target e2e_driver
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
env -u DISPLAY LC_ALL=zh_CN.UTF-8 tests/end_to_end/run-e2e.sh "$build" "$build/tests/end_to_end/e2e_driver.exe" \
  "--editor=$build/bin/HotlinkConfig.exe" "--screenshots=$shots"
cp "$shots"/*.png docs/
for picture in "$shots"/*.png; do echo "docs/$(basename "$picture")"; done
