#!/usr/bin/env bash
# Remakes the README's pictures: the main window with a sample clip open, its compact layout and
# the About window, taken under a private X server so that nothing of the desktop around shows.
# Usage: scripts/screenshots.sh BINARY OUTDIR
set -euo pipefail

binary=$(realpath "${1:?path of the snipwell binary}")
out=$(mkdir -p "${2:?folder for the pictures}" && cd "$2" && pwd)
samples=$(cd "$(dirname "$0")/../examples/clips" && pwd)

work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Runs the command every 50 ms until it succeeds, for at most 10 s.
wait_until() {
    local _
    for _ in $(seq 200); do
        "$@" && return 0
        sleep 0.05
    done
    echo "screenshots: gave up waiting for: $*" >&2
    return 1
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_until test -s "$work/display"
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wait_until bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"

# The program edits the folder it runs in: give it a copy of the samples.
mkdir "$work/clips"
cp "$samples"/* "$work/clips/"
(cd "$work/clips" && exec env -u QT_QPA_PLATFORM "$binary") >"$work/app.log" 2>&1 &
pids+=($!)
window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Snipwell 1\.0$' | head -n1)
splash_gone() { [ -z "$(xdotool search --onlyvisible --name '^Snipwell$' 2>/dev/null)" ]; }
wait_until splash_gone
# The pointer out of the way, where it hovers over nothing.
xdotool mousemove 1023 767
xdotool windowactivate --sync "$window"

# grey value (0 to 255) of the darkest and the brightest pixel of a rectangle of a picture
luma() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray \
        -format '%[fx:int(255*minima+0.5)] %[fx:int(255*maxima+0.5)]' info:
}

# The title line's text turns from grey to white when the poll has enabled the editors.
title_enabled() {
    import -window "$window" "$work/probe.png"
    [ "$(luma "$work/probe.png" 8 32 305 17 | cut -d' ' -f2)" -gt 192 ]
}

# The window with its frame, taken at a moment when the command box's caret is off (it blinks):
# the empty box is then white all over. The frame puts the client area 1 pixel right, 20 down.
shoot_main() {
    caret_off() {
        import -frame -window "$window" "$work/shot.png"
        [ "$(luma "$work/shot.png" 66 28 54 17 | cut -d' ' -f1)" -gt 240 ]
    }
    wait_until caret_off
    cp "$work/shot.png" "$work/$1.png"
}

# Small files: no metadata, and a palette where the picture has few enough colours to keep
# every pixel.
optimise() {
    if [ "$(identify -format '%k' "$work/$1.png")" -le 256 ]; then
        convert "$work/$1.png" -strip -define png:compression-level=9 "PNG8:$out/$1.png"
    else
        convert "$work/$1.png" -strip -define png:compression-level=9 "PNG24:$out/$1.png"
    fi
}

xdotool type --delay 20 faq1
xdotool key Return
wait_until title_enabled
shoot_main main-window

xdotool key Escape
compact() { [ "$(xwininfo -id "$window" | awk '/^  Height:/ {print $2}')" -lt 100 ]; }
wait_until compact
shoot_main compact
xdotool key Escape

xdotool type '?'
about_shown() { about=$(xdotool search --onlyvisible --name '^Snipwell$' 2>/dev/null | head -n1) && [ -n "$about" ]; }
wait_until about_shown
# Painted once decoded: a picture with no black left in its middle is there.
painted() {
    import -window "$about" "$work/about.png"
    [ "$(luma "$work/about.png" 100 80 150 40 | cut -d' ' -f2)" -gt 100 ]
}
wait_until painted

for picture in main-window compact about; do
    optimise "$picture"
    echo "$out/$picture.png"
done
