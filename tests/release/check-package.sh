#!/usr/bin/env bash
# The release zip as an administrator meets it: unpacked, it holds exactly
# the two programs, the guide and SHA256SUMS in one folder; `sha256sum -c`
# passes inside it; the guide opens in headless Chromium with every picture
# shown and no link to a file the zip lacks. Its first screen is saved as
# BUILD_DIR/guide-first-screen.png.
#
#   check-package.sh BUILD_DIR RELEASE_ZIP
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
zip=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cmake -E tar xf "$zip"
folder=$(basename "$zip" .zip)
expected=$(printf '%s\n' "$folder/" "$folder/HotlinkConfig.exe" "$folder/HotlinkConfigCmd.exe" \
  "$folder/SHA256SUMS" "$folder/使用说明.html" | sort)
found=$(find . -mindepth 1 | sed 's|^\./||; s|^'"$folder"'$|&/|' | sort)
if [ "$found" != "$expected" ]; then
  echo "the zip holds:"; echo "$found"; echo "expected:"; echo "$expected"
  exit 1
fi
(cd "$folder" && sha256sum -c SHA256SUMS)
/usr/bin/python3 "$here/check-guide.py" "$work/$folder/使用说明.html" "$build/guide-first-screen.png"
