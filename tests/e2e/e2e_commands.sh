#!/usr/bin/env bash
# The command box's keys under a real window manager: Esc for the compact and the full window
# (sizes read back from the X server), "/" and the check box for always-on-top, "?" for the
# About window, "*" for the clip list, and picking clips from the list with keys and the mouse.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
printf 'Dear customer' >"$clips/faq1.txt"
printf 'FAQ' >"$clips/faq1.hed"
printf 'Open 9 to 5' >"$clips/hours.txt"
printf 'Hours' >"$clips/hours.hed"
printf 'Thank you' >"$clips/thanks.txt"
printf 'Thanks' >"$clips/thanks.hed"

focused() {
    e2e_state_is "$1" focused yes >/dev/null
}

e2e_start_display || exit 1
e2e_check "window appears" e2e_start_app "$clips" || exit 1
e2e_activate
place=$(e2e_position "$E2E_WINDOW")
e2e_step started
e2e_check_a11y "a screen reader sees a frame" e2e_output_is frame e2e_a11y role "Snipwell 1.0"
e2e_check_a11y "the about link as a link" e2e_output_is link e2e_a11y role About
e2e_check_a11y "the body's scroll bar by its name" e2e_output_is "scroll bar" e2e_a11y role "Body scroll bar"

# --- Esc: compact and full height. The outer heights 78 and 351 include the frame (21 pixels
# under openbox here, less where the title font is smaller), so the client is that much lower.
e2e_type fa
e2e_key Escape
e2e_check_eventually "Esc makes the window 78 high with its frame" 3 e2e_output_is 78 e2e_outer_height "$E2E_WINDOW"
e2e_step compact
frame=$(e2e_frame_height "$E2E_WINDOW")
e2e_check "the compact client area is 321 x $((78 - frame)) (got $(e2e_client_size "$E2E_WINDOW"))" \
    test "$(e2e_client_size "$E2E_WINDOW")" = 321x$((78 - frame))
e2e_check "the window has not moved" test "$(e2e_position "$E2E_WINDOW")" = "$place"
e2e_check_a11y "Esc leaves fa in the command box" e2e_text_is "Command box" fa
e2e_type q1
e2e_key Return
e2e_check_eventually "fa, Esc, q1, Enter opens faq1" 5 e2e_clipboard_is 'Dear customer'
e2e_check_a11y_eventually "the editors are enabled" 3 e2e_editors_enabled yes
# Compact: Tab goes between the command box and the title line only.
e2e_key Tab
e2e_check_a11y "compact: Tab moves from the command box to the title line" focused Title
e2e_key Tab
e2e_check_a11y "compact: the next Tab goes back to the command box, past the hidden body" focused "Command box"
e2e_check_a11y "compact: a screen reader is told the body is not showing" e2e_state_is Body showing no
e2e_check_a11y "compact: nor the clip list" e2e_state_is "Clip list" showing no
e2e_check_a11y "compact: the title line shows" e2e_state_is Title showing yes
e2e_step compact-clip-open

e2e_key Escape
e2e_check_eventually "Esc again makes the window 351 high with its frame" 3 e2e_output_is 351 e2e_outer_height "$E2E_WINDOW"
e2e_step expanded
e2e_check "the full client area is 321 x $((351 - frame)) (got $(e2e_client_size "$E2E_WINDOW"))" \
    test "$(e2e_client_size "$E2E_WINDOW")" = 321x$((351 - frame))
e2e_check "the window has still not moved" test "$(e2e_position "$E2E_WINDOW")" = "$place"
e2e_key Tab Tab
e2e_check_a11y "full: two Tabs reach the body editor again" focused Body
e2e_check_a11y "full: the clip list shows again" e2e_state_is "Clip list" showing yes
e2e_click 90 16

# --- "/" and the check box: always-on-top off and on. Each switch re-reads the clip list,
# which empties the command box and leaves no clip open.
e2e_check "after the splash the window is topmost" e2e_has_state "$E2E_WINDOW" _NET_WM_STATE_ABOVE
e2e_type 'ab/'
e2e_check_eventually "ab/ switches always-on-top off" 3 e2e_lacks_state "$E2E_WINDOW" _NET_WM_STATE_ABOVE
e2e_step topmost-off
e2e_check_a11y "the AlwaysOnTop box is cleared" e2e_state_is "Always on top" checked no
e2e_check_a11y "the command box is empty" e2e_text_is "Command box" ""
e2e_check_a11y_eventually "the re-read list closes the clip: the poll disables the editors" 3 e2e_editors_enabled no
e2e_check "the window has not moved" test "$(e2e_position "$E2E_WINDOW")" = "$place"
e2e_type /
e2e_check_eventually "/ switches it on again" 3 e2e_has_state "$E2E_WINDOW" _NET_WM_STATE_ABOVE
e2e_check_a11y "the AlwaysOnTop box is checked" e2e_state_is "Always on top" checked yes
e2e_check_a11y "the command box is empty again" e2e_text_is "Command box" ""
e2e_click 135 16
e2e_check_eventually "a click on the AlwaysOnTop box switches it off" 3 e2e_lacks_state "$E2E_WINDOW" _NET_WM_STATE_ABOVE
e2e_step topmost-off-by-click
e2e_check_a11y "and gives the focus to the command box" focused "Command box"
e2e_click 135 16
e2e_check_eventually "another click switches it on" 3 e2e_has_state "$E2E_WINDOW" _NET_WM_STATE_ABOVE

# A press on the name display leaves the focus in the command box.
e2e_click 270 16
e2e_check_a11y "a click on the name display leaves the focus in the command box" focused "Command box"

# --- "?": the About window, modal, closed by a click on its picture.
e2e_type faq1
e2e_key Return
e2e_check_a11y_eventually "faq1 open again" 3 e2e_editors_enabled yes
e2e_type 'ab?'
about=$(e2e_wait_window '^Snipwell$')
e2e_check "ab? opens the About window" test -n "$about"
e2e_step about
e2e_check "the About window is 352 x 202 (got $(e2e_client_size "$about"))" test "$(e2e_client_size "$about")" = 352x202
e2e_check_a11y_eventually "the poll goes on under it and disables the editors" 3 e2e_editors_enabled no
e2e_check_a11y "a screen reader finds the About dialog and the picture's name" e2e_output_is dialog e2e_a11y role "About Snipwell"
e2e_check_a11y "and is told how to close it" \
    e2e_output_is "Click the picture, or press Alt+F4, to close the About box" e2e_a11y description "Snipwell picture"
e2e_click 175 100 "$about"
e2e_check "a click on the picture closes it" e2e_wait_window_gone "$about"
e2e_step about-closed
e2e_type '?'
about=$(e2e_wait_window '^Snipwell$' "$about")
xdotool key alt+F4
e2e_check "so does the window manager's close key, Alt+F4" e2e_wait_window_gone "$about"
e2e_check_eventually "the main window is active again" 3 e2e_output_is "$E2E_WINDOW" xdotool getactivewindow
e2e_check_a11y "the command box is empty" e2e_text_is "Command box" ""

# --- "*": the list is read again (a clip made by another program appears) and takes the focus.
printf 'Zeta' >"$clips/zeta.txt"
e2e_check_a11y "a clip made by another program is not listed yet" \
    e2e_same "$(printf 'faq1.txt\nhours.txt\nthanks.txt')" "$(e2e_a11y items 'Clip list')"
e2e_type 'ab*'
e2e_check_a11y_eventually "* gives the focus to the clip list" 3 focused "Clip list"
e2e_step star
e2e_check_a11y "* re-reads the list: zeta.txt is there" \
    e2e_same "$(printf 'faq1.txt\nhours.txt\nthanks.txt\nzeta.txt')" "$(e2e_a11y items 'Clip list')"
e2e_check_a11y "no entry is selected" e2e_same "" "$(e2e_a11y selected 'Clip list')"
e2e_check_a11y "the command box is empty" e2e_text_is "Command box" ""

# Keys in the list open each entry they pass, starting with the first.
e2e_key Down
e2e_check_eventually "the first Down opens the first entry, faq1" 5 e2e_clipboard_is 'Dear customer'
e2e_step down-faq1
e2e_check_a11y "faq1.txt is selected" e2e_same faq1.txt "$(e2e_a11y selected 'Clip list')"
e2e_check_a11y "the name display shows FAQ1" e2e_text_is "Clip name" FAQ1
e2e_check_a11y "the focus stays in the list" focused "Clip list"
e2e_key Down
e2e_check_eventually "Down opens hours" 5 e2e_clipboard_is 'Open 9 to 5'
e2e_check_a11y "the title line shows Hours" e2e_text_is Title Hours
e2e_key End
e2e_check_eventually "End opens zeta, the new clip" 5 e2e_clipboard_is 'Zeta'
e2e_step end-zeta
e2e_check "opening zeta made its title file" e2e_file_is "$clips/zeta.hed" ''

# The mouse: a click on an entry opens it; a click on the entry that was picked last does not.
if [ "$E2E_A11Y" = 1 ]; then
    read -r x y <<<"$(e2e_a11y where thanks.txt)"
    xdotool mousemove "$x" "$y" click 1
    e2e_check_eventually "a click on thanks.txt opens it" 5 e2e_clipboard_is 'Thank you'
    e2e_step clicked-thanks
    e2e_set_clipboard 'pasted elsewhere'
    xdotool click 1
    sleep 0.3
    e2e_check "a second click on the same entry copies nothing" e2e_clipboard_is 'pasted elsewhere'
else
    e2e_check_a11y "clicks on list entries (found through the accessibility bus)" true
fi

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
rm -rf "$clips"
e2e_finish
