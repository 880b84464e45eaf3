#!/usr/bin/env bash
# The program at twice the size (QT_SCALE_FACTOR=2) on a large screen: every size doubles (the
# window manager's frame does not), clips open as usual, and pictures of the main window, of its
# compact layout and of the About window are kept for a look at how the text and the small
# bitmaps scale.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
cp "$(dirname "$0")/../../examples/clips/"* "$clips/"

# near VALUE TARGET: within a pixel; the frame's 21 pixels are 10.5 at this scale.
near() {
    [ "$1" -ge $(($2 - 1)) ] && [ "$1" -le $(($2 + 1)) ]
}

outer_height_near() {
    local height
    height=$(e2e_outer_height "$E2E_WINDOW")
    near "$height" "$1" || { echo "    outer height $height"; return 1; }
}

window_picture() {
    E2E_STEP=$((E2E_STEP + 1))
    import -window "$2" "$E2E_OUT/$(printf '%02d' "$E2E_STEP")-$1.png" 2>/dev/null
}

e2e_start_display 24 1600x1200 || exit 1
E2E_APP_ENV=(QT_SCALE_FACTOR=2)
e2e_check "window appears" e2e_start_app "$clips" || exit 1
e2e_activate
e2e_check "the client area is 642 x 652, twice 321 x 326 (got $(e2e_client_size "$E2E_WINDOW"))" \
    test "$(e2e_client_size "$E2E_WINDOW")" = 642x652

e2e_type faq1
e2e_key Return
e2e_check_eventually "faq1 opens and its body is on the clipboard" 5 \
    e2e_same "$(e2e_bytes "$clips/faq1.txt")" "$(e2e_clipboard_bytes)"
e2e_check_a11y_eventually "the editors are enabled" 3 e2e_editors_enabled yes
window_picture main-window-clip-open "$E2E_WINDOW"
e2e_step screen-clip-open

e2e_key Escape
e2e_check_eventually "Esc: the outer height is twice 78" 3 outer_height_near 156
window_picture compact "$E2E_WINDOW"
e2e_check "the width stays 642" test "$(e2e_client_size "$E2E_WINDOW" | cut -dx -f1)" = 642
e2e_key Escape
e2e_check_eventually "Esc again: the outer height is twice 351" 3 outer_height_near 702

e2e_type '?'
about=$(e2e_wait_window '^Snipwell$')
e2e_check "? opens the About window" test -n "$about"
e2e_check "the About window is 704 x 404, twice 352 x 202 (got $(e2e_client_size "$about"))" \
    test "$(e2e_client_size "$about")" = 704x404
e2e_check "it is centred on the screen at 448,398 (got $(e2e_position "$about"))" test "$(e2e_position "$about")" = 448,398
# Drawn at 350 x 200 the picture would leave the lower right quarter black.
e2e_check "the picture fills the window to its lower right corner" \
    test "$(e2e_region_luma "$about" 500 250 190 140 | cut -d' ' -f2)" -gt 100
window_picture about "$about"
e2e_click 300 200 "$about"
e2e_check "a click on the picture closes it" e2e_wait_window_gone "$about"

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
rm -rf "$clips"
e2e_finish
