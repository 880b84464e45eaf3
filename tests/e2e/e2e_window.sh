#!/usr/bin/env bash
# The real window under a real window manager: its caption and client size, and a clean exit.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
printf 'Hello\r\nworld' >"$clips/faq1.txt"

e2e_start_display || exit 1
e2e_check "window titled Snipwell 1.0 appears" e2e_start_app "$clips"
sleep 0.5
e2e_screenshot window

geometry=$(xwininfo -id "$E2E_WINDOW")
width=$(awk '/^  Width:/ {print $2}' <<<"$geometry")
height=$(awk '/^  Height:/ {print $2}' <<<"$geometry")
e2e_check "client area is 321 x 326 (got ${width} x ${height})" test "$width" = 321 -a "$height" = 326
# The outer window, frame included, in the middle of the 1024 x 768 screen.
IFS=, read -r left top < <(e2e_position "$E2E_WINDOW")
extents=$(xprop -id "$E2E_WINDOW" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')
IFS=, read -r frame_left frame_right frame_top frame_bottom <<<"$extents"
outer_left=$((left - frame_left)) outer_top=$((top - frame_top))
outer_width=$((width + frame_left + frame_right)) outer_height=$((height + frame_top + frame_bottom))
e2e_check "the frame is centred (left $outer_left, top $outer_top)" \
    test $((2 * outer_left + outer_width - 1024)) -ge -1 -a $((2 * outer_left + outer_width - 1024)) -le 1 \
    -a $((2 * outer_top + outer_height - 768)) -ge -1 -a $((2 * outer_top + outer_height - 768)) -le 1
e2e_check_a11y "a screen reader sees a frame" e2e_output_is frame e2e_a11y role "Snipwell 1.0"
e2e_check_a11y "the about link as a link" e2e_output_is link e2e_a11y role About
e2e_check_a11y "the body's scroll bar by its name" e2e_output_is "scroll bar" e2e_a11y role "Body scroll bar"

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "closing the window ends the program with exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0

rm -rf "$clips"
e2e_finish
