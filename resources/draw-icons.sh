#!/usr/bin/env bash
# Redraws the program's icon (32 x 32, 256 colours, compiled into the binary), the same icon at
# the desktop's theme sizes, and the clip list's document glyph from their sources here.
# Needs ImageMagick. The scalable icons/hicolor/scalable/apps/*.svg is written by hand from the
# drawing below: change both together.
set -euo pipefail
cd "$(dirname "$0")"

app_id=io.github.snipwell.Snipwell

# Every picture carries the time stamp of the first drawing, so that a redraw gives the same
# bytes and leaves git nothing to see.
stamp=2026-12-08T18:04:52+00:00
SOURCE_DATE_EPOCH=$(date -d "$stamp" +%s)
export SOURCE_DATE_EPOCH
dated=(-set date:create "$stamp" -set date:modify "$stamp")

# A clipboard holding a page of text, in the window's own blues, on the 32 x 32 pixel grid.
icon='
fill "#004080" stroke "#00254A" stroke-width 1 roundrectangle 4,3 27,30 3,3
fill "#F2F9FF" stroke "#5586D7" rectangle 7,7 24,27
fill "#233381" stroke "#00254A" roundrectangle 11,1 20,6 2,2
stroke "#233381"
line 9,11 22,11  line 9,14 22,14  line 9,17 20,17  line 9,20 22,20  line 9,23 17,23'

# draw_icon SIZE OUTPUT-OPTIONS...: the drawing scaled to SIZE x SIZE. Pixel centres sit on whole
# coordinates, so the grid is scaled about the picture's corner, half a pixel out; the strokes
# grow with it.
draw_icon() {
    local size=$1
    shift
    local scale shift_by
    scale=$(awk -v n="$size" 'BEGIN { print n / 32 }')
    shift_by=$(awk -v n="$size" 'BEGIN { print (n / 32 - 1) / 2 }')
    convert -size "${size}x${size}" xc:none \
        -draw "affine $scale,0,0,$scale,$shift_by,$shift_by $icon" "${dated[@]}" "$@"
}

draw_icon 32 -colors 256 PNG8:icon-32.png

for size in 16 22 24 32 48 64 128 256; do
    dir=icons/hicolor/${size}x${size}/apps
    mkdir -p "$dir"
    draw_icon "$size" PNG32:"$dir/$app_id.png"
done

convert document-16x15.xpm "${dated[@]}" PNG32:document-16x15.png
