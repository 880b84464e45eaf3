#!/usr/bin/env bash
# Redraws the program's icon (32 x 32, 256 colours) and the clip list's document glyph from
# their sources here. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"

# A clipboard holding a page of text, in the window's own blues.
convert -size 32x32 xc:none \
    -fill '#004080' -stroke '#00254A' -strokewidth 1 -draw 'roundrectangle 4,3 27,30 3,3' \
    -fill '#F2F9FF' -stroke '#5586D7' -draw 'rectangle 7,7 24,27' \
    -fill '#233381' -stroke '#00254A' -draw 'roundrectangle 11,1 20,6 2,2' \
    -stroke '#233381' -strokewidth 1 \
    -draw 'line 9,11 22,11' -draw 'line 9,14 22,14' -draw 'line 9,17 20,17' \
    -draw 'line 9,20 22,20' -draw 'line 9,23 17,23' \
    -colors 256 PNG8:icon-32.png

convert document-16x15.xpm PNG32:document-16x15.png
