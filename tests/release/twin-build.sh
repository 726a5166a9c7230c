#!/usr/bin/env bash
# The same bytes every time: the source, copied into another folder, is
# built a second time there, and the two programs and the release zip must
# equal the build's own byte for byte. No link time, no build or source
# path, and no time of the build may be in them.
#
#   twin-build.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
twin=$(mktemp -d /tmp/hotlink-twin.XXXXXX)
trap 'rm -rf "$twin"' EXIT
mkdir "$twin/checkout"
tar -C "$source" --exclude=./build -c . | tar -C "$twin/checkout" -x
(cd "$twin/checkout" && cmake --preset windows -B "$twin/build" >/dev/null)
cmake --build "$twin/build" -j2 --target release_package >/dev/null
zip=$(basename "$(ls "$build"/HotlinkConfig-[0-9]*.zip)")
status=0
for file in bin/HotlinkConfig.exe bin/HotlinkConfigCmd.exe "$zip"; do
  if cmp "$build/$file" "$twin/build/$file"; then
    echo "same: $file"
  else
    echo "DIFFERENT: $file"
    status=1
  fi
done
exit "$status"
