# Sourced by the drawing scripts: the program's motif, a picture in a frame
# with a shield over it, 256 x 256 pixels on a transparent ground.
# Needs ImageMagick.
draw_motif() {
  convert -size 256x256 xc:none \
    -fill '#1e5aa8' -stroke '#0d2f5e' -strokewidth 10 -draw 'roundrectangle 16,36 200,200 18,18' \
    -fill '#ffffff' -stroke none -draw 'rectangle 36,56 180,180' \
    -fill '#4caf50' -draw 'polygon 40,176 92,104 128,150 150,126 178,176' \
    -fill '#ffc107' -draw 'circle 150,84 166,84' \
    -fill '#d32f2f' -stroke '#7f1111' -strokewidth 8 \
    -draw 'path "M 176,112 L 244,136 L 240,188 Q 232,232 176,250 Q 120,232 112,188 L 108,136 Z"' \
    -fill '#ffffff' -stroke none -draw 'rectangle 164,150 188,212' \
    "$1"
}
