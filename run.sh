#!/usr/bin/env bash
# Builds the editor for Windows and starts it under Wine. Installs what is
# missing first. The editor keeps its Config.ini beside HotlinkConfig.exe in
# build/windows/bin.
#
# With a display, the editor opens there and the command ends when it closes.
# Without one (a server, CI), the editor runs on a private virtual display;
# the command saves a screenshot of it, prints where, and ends it.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

tools/setup-debian.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target HotlinkConfig

export LC_ALL="${LC_ALL:-zh_CN.UTF-8}"
exe=build/windows/bin/HotlinkConfig.exe
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting $exe"
  exec build/windows/wine-run.sh "$exe"
fi

. tools/virtual-display.sh
use_virtual_display_for_wine "$root/build/windows"
echo "No display here: the editor runs on the private virtual display $DISPLAY"
# A desktop window of Wine's own draws title bars, as a window manager would.
build/windows/wine-run.sh explorer /desktop=HotlinkConfig,640x560 "$exe" &
sleep 8
mkdir -p build/screenshots
shot=build/screenshots/main-window.png
import -window root -crop 640x560+0+0 +repage "$shot"
echo "Screenshot of the editor: $root/$shot"
