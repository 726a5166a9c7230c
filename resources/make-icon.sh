#!/usr/bin/env bash
# Draws the program's icon (a picture frame with a shield over it) in 16, 24,
# 32 and 48 pixels and writes HotlinkConfig.ico beside this script.
# Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. ./motif.sh
draw_motif "$tmp/icon.png"
for size in 16 24 32 48; do convert "$tmp/icon.png" -resize "${size}x${size}" "$tmp/icon-$size.png"; done
convert "$tmp/icon-16.png" "$tmp/icon-24.png" "$tmp/icon-32.png" "$tmp/icon-48.png" HotlinkConfig.ico
