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

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "closing the window ends the program with exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0

rm -rf "$clips"
e2e_finish
