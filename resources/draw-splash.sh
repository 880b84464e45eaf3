#!/usr/bin/env bash
# Redraws the splash picture (350 x 200) and encodes it as the progressive JPEG that the program
# carries: three components, none subsampled, seven scans that split the coefficients by
# frequency band only. Needs ImageMagick and the DejaVu and Arimo fonts; cjpeg (Debian's
# libjpeg-turbo-progs) gives the exact scan layout, ImageMagick alone a plain progressive file.
set -euo pipefail
cd "$(dirname "$0")"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Small clip cards along a band: a page with a folded corner and three lines of text.
cards() {
    local top=$1 x draw=""
    for x in 14 58 102 146 190 234 278 322; do
        draw+=" roundrectangle $x,$top $((x + 16)),$((top + 20)) 2,2"
    done
    echo "$draw"
}
card_lines() {
    local top=$1 x draw=""
    for x in 14 58 102 146 190 234 278 322; do
        draw+=" line $((x + 3)),$((top + 6)) $((x + 13)),$((top + 6))"
        draw+=" line $((x + 3)),$((top + 10)) $((x + 13)),$((top + 10))"
        draw+=" line $((x + 3)),$((top + 14)) $((x + 9)),$((top + 14))"
    done
    echo "$draw"
}

# The bands: dark blue running into the window's blue, a thin light rule towards the middle.
convert -size 350x40 -define gradient:direction=East gradient:'#00254A-#233381' "$work/top.png"
convert -size 350x34 -define gradient:direction=East gradient:'#233381-#00254A' "$work/bottom.png"

convert -size 350x200 gradient:'#FFFFFF-#E4EEFA' \
    "$work/top.png" -geometry +0+0 -composite \
    "$work/bottom.png" -geometry +0+166 -composite \
    -fill '#5586D7' -draw 'rectangle 0,40 349,41' -draw 'rectangle 0,163 349,164' \
    -fill '#F2F9FF' -stroke '#5586D7' -strokewidth 1 -draw "$(cards 10)" \
    -stroke '#233381' -draw "$(card_lines 10)" \
    -fill '#2E4A9A' -stroke '#5586D7' -draw "$(cards 173)" \
    -stroke '#F2F9FF' -draw "$(card_lines 173)" \
    -stroke none \
    -font DejaVu-Sans-Bold -pointsize 40 -fill '#00254A' -gravity center -annotate +0-8 'Snipwell 1.0' \
    -font Arimo-Regular -pointsize 13 -fill '#233381' -annotate +0+26 'Your ready-made answers, one keystroke away' \
    -gravity northwest \
    "$work/splash.png"

if command -v cjpeg >/dev/null 2>&1; then
    # DC of all three first, then the bands of the luminance and the two colour differences.
    cat >"$work/scans.txt" <<'EOF'
0,1,2: 0-0, 0, 0 ;
0: 1-5, 0, 0 ;
1: 1-63, 0, 0 ;
2: 1-63, 0, 0 ;
0: 6-14, 0, 0 ;
0: 15-32, 0, 0 ;
0: 33-63, 0, 0 ;
EOF
    # An sRGB profile goes with it where the system has one; the program applies none.
    icc=()
    [ -r /usr/share/color/icc/ghostscript/srgb.icc ] && icc=(-icc /usr/share/color/icc/ghostscript/srgb.icc)
    convert "$work/splash.png" ppm:- |
        cjpeg -quality 90 -sample 1x1 -dct int -optimize -scans "$work/scans.txt" "${icc[@]}" \
            -outfile "$work/cjpeg.jpg"
    # cjpeg writes JFIF 1.01 without a density: put a JFIF 1.02 header at 72 dots per inch in its
    # place, followed by an Adobe segment that names the colour transform (luminance and colour
    # difference), and keep the rest.
    {
        printf '\xFF\xD8'
        printf '\xFF\xE0\x00\x10JFIF\x00\x01\x02\x01\x00\x48\x00\x48\x00\x00'
        printf '\xFF\xEE\x00\x0EAdobe\x00\x64\x00\x00\x00\x00\x01'
        tail -c +21 "$work/cjpeg.jpg"
    } >splash.jpg
else
    convert "$work/splash.png" -strip -quality 90 -sampling-factor 1x1 -interlace Plane splash.jpg
fi
