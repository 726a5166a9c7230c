#!/usr/bin/env bash
# Draws the picture of the editor's start-up window (300 x 300 pixels, one
# frame, at most 256 colours) and writes StartPicture.gif beside this script:
# the program's picture frame with its shield on a light disc, the product's
# name and version, and a band at the bottom that tells the user to click.
# Needs ImageMagick and the WenQuanYi Micro Hei font (fonts-wqy-microhei).
# The output carries no time stamps, so the same tools draw the same bytes.
set -euo pipefail
cd "$(dirname "$0")"

font=$(fc-list -f '%{file}\n' 'WenQuanYi Micro Hei' 2>/dev/null | grep -m1 'wqy-microhei\.ttc$' || true)
font=${font:-/usr/share/fonts/truetype/wqy/wqy-microhei.ttc}
if [ ! -f "$font" ]; then
  echo "make-start-picture.sh: WenQuanYi Micro Hei not found (apt-get install fonts-wqy-microhei)" >&2
  exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The icon's drawing, made smaller for the disc.
. ./motif.sh
draw_motif "$tmp/motif-256.png"
convert "$tmp/motif-256.png" -resize 104x104 "$tmp/motif.png"

# Light gradient, the disc behind the motif, the blue band with its lighter
# top edge; then the texts and a dark edge, since the window has no border.
convert -size 300x300 -define gradient:angle=180 gradient:'#f7fafe-#d3e2f4' \
  -fill '#ffffff' -stroke '#c5d8ef' -strokewidth 2 -draw 'circle 150,80 150,20' \
  -stroke none -fill '#1e5aa8' -draw 'rectangle 0,222 299,299' \
  -fill '#4f86cf' -draw 'rectangle 0,222 299,223' \
  "$tmp/motif.png" -gravity north -geometry +4+28 -composite \
  -font "$font" \
  -fill '#123f7a' -pointsize 27 -annotate +0+150 '澜星图片防盗链' \
  -fill '#4a6a92' -pointsize 16 -annotate +0+188 'V3.0 设置' \
  -fill '#ffffff' -pointsize 17 -gravity center -annotate +0+111 '在本窗口任意处点击进入设置' \
  -gravity northwest -fill none -stroke '#0d2f5e' -strokewidth 2 -draw 'rectangle 0,0 299,299' \
  "$tmp/picture.png"

convert "$tmp/picture.png" -dither FloydSteinberg -colors 256 \
  +set date:create +set date:modify -strip StartPicture.gif
