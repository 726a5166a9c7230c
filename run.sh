#!/usr/bin/env bash
# Builds the editor for Windows and starts it under Wine. Installs what is
# missing first. Without a display (a server, CI) it starts a private
# virtual one. The editor keeps its Config.ini beside HotlinkConfig.exe in
# build/windows/bin.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup-debian.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target HotlinkConfig

. tools/virtual-display.sh
if [ -z "${DISPLAY:-}" ]; then
  start_virtual_display
  trap stop_virtual_display EXIT
  echo "No display here: the editor runs on the private virtual display $DISPLAY"
fi
export LC_ALL="${LC_ALL:-zh_CN.UTF-8}"
echo "Starting build/windows/bin/HotlinkConfig.exe"
build/windows/wine-run.sh build/windows/bin/HotlinkConfig.exe
