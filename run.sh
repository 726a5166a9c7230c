#!/usr/bin/env bash
# Builds the editor for Windows and starts it under Wine. Installs what is
# missing first. The editor keeps its Config.ini beside HotlinkConfig.exe in
# build/windows/bin.
#
# With a display, the editor opens there and the command ends when it closes.
# Without one (a server, CI), the editor runs on a private virtual display,
# driven by the end-to-end driver: it photographs the start-up picture, clicks
# it, photographs the main window and each dialog as it opens, and cancels.
# The command prints where the pictures are and ends.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

tools/setup-debian.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target HotlinkConfig e2e_driver

export LC_ALL="${LC_ALL:-zh_CN.UTF-8}"
exe=build/windows/bin/HotlinkConfig.exe
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting $exe"
  exec build/windows/wine-run.sh "$exe"
fi

. tools/virtual-display.sh
use_virtual_display_for_wine "$root/build/windows"
echo "No display here: the editor runs on the private virtual display $DISPLAY"
shots=build/screenshots
rm -f "$shots"/*.png
tests/end_to_end/run-e2e.sh build/windows build/windows/tests/end_to_end/e2e_driver.exe --tour \
  "--editor=$exe" "--screenshots=$shots"
for shot in start-up-window main-window form2 form3; do
  echo "Screenshot: $root/$shots/$shot.png"
done
