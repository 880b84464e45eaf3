#!/usr/bin/env bash
# Create and Delete as a person uses them: the new-name box over the Create button, each outcome
# of Create (a new empty clip, a name that is taken, a name that cannot be a file) with its
# notice box, and Delete's confirmation answered No and Yes, with the files on disk checked.
# Every box is read back: its caption from the X server, its text and buttons as a screen
# reader gets them, and its place on the screen.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
folder=$(cd "$clips" && pwd -P)
printf 'Dear customer' >"$clips/faq1.txt"
printf 'FAQ' >"$clips/faq1.hed"
printf 'Open 9 to 5' >"$clips/hours.txt"

# Waits for a message box other than the main window (whose caption it may share); sets BOX.
wait_box() {
    BOX=$(e2e_wait_window "$1" "$E2E_WINDOW")
    [ -n "$BOX" ]
}

# The box is centred on the screen (1024 x 768), give or take half its title bar: the window
# manager adds the frame after the box has placed itself.
centred_on_screen() {
    local info x y w h
    info=$(xwininfo -id "$1")
    x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
    w=$(awk '/^  Width:/ {print $2}' <<<"$info")
    h=$(awk '/^  Height:/ {print $2}' <<<"$info")
    local dx=$((x + w / 2 - 512)) dy=$((y + h / 2 - 384))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 12 ] && return 0
    echo "    client area at $x,$y, $w x $h: its middle is off by $dx,$dy"
    return 1
}

no_box_appears() {
    sleep 0.5
    ! e2e_visible_windows '^(Snipwell 1\.0|Confirm)$' | grep -q -v -x "$E2E_WINDOW"
}

# The clip folder holds exactly these files (in byte order of their names).
folder_holds() {
    e2e_same "$*" "$(cd "$clips" && LC_ALL=C && echo *)"
}

list_is() {
    e2e_same "$(printf '%s\n' "$@")" "$(e2e_a11y items 'Clip list')"
}

# Create, a name, Enter.
create() {
    e2e_click 276 258
    e2e_type "$1"
    e2e_key Return
}

# Selects the first entry of the list from the keyboard, which opens it.
select_first_entry() {
    e2e_type '*'
    e2e_key Down
}

e2e_start_display || exit 1
e2e_check "window appears" e2e_start_app "$clips" || exit 1
# Away from the middle, so that boxes centred on the screen are not centred on the window.
xdotool windowmove --sync "$E2E_WINDOW" 40 40
e2e_activate

# --- Create: a new clip.
e2e_click 276 258
e2e_check_a11y_eventually "Create opens the new-name box and focuses it" 3 e2e_state_is "New clip name" focused yes
e2e_check_a11y "the Create button is disabled while the box is open" e2e_state_is Create enabled no
e2e_step new-name-box
e2e_type Memo
e2e_step typed-Memo
e2e_key Return
e2e_check_eventually "Enter makes Memo.txt, empty" 3 e2e_file_is "$clips/Memo.txt" ''
e2e_check "with no notice box" no_box_appears
e2e_step created-Memo
e2e_check "and no title file yet" folder_holds Memo.txt faq1.hed faq1.txt hours.txt
e2e_check_a11y "the list shows Memo.txt in its sorted place" list_is faq1.txt hours.txt Memo.txt
e2e_check_a11y "the new-name box is closed" e2e_state_is "New clip name" showing no
e2e_check_a11y "the Create button is enabled again" e2e_state_is Create enabled yes
e2e_check_a11y "the focus is back in the command box" e2e_state_is "Command box" focused yes

# --- Create: the name is taken, in another letter case.
create MEMO
e2e_check "MEMO: a notice box appears" wait_box '^Snipwell 1\.0$'
e2e_step notice-already-exists
e2e_check "its caption is Snipwell 1.0" test "$(e2e_window_name "$BOX")" = 'Snipwell 1.0'
e2e_check "it is a dialog of the main window" \
    bash -c "xprop -id $BOX _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG"
e2e_check_a11y "it says File already exists! with one OK button and no icon" \
    e2e_box_is "alert message" "Snipwell 1.0" "File already exists!" OK
e2e_check "it is centred on the screen, not on the window" centred_on_screen "$BOX"
e2e_key Return
e2e_check "Enter closes it" e2e_wait_window_gone "$BOX"
e2e_check "Memo.txt is left as it was" e2e_file_is "$clips/Memo.txt" ''
e2e_check "no other file is made" folder_holds Memo.txt faq1.hed faq1.txt hours.txt

# --- Create: a pattern that matches an existing clip counts as taken.
create 'fa*'
e2e_check "fa*: a notice box appears" wait_box '^Snipwell 1\.0$'
e2e_step notice-pattern-taken
e2e_check_a11y "it says File already exists!" e2e_box_is "alert message" "Snipwell 1.0" "File already exists!" OK
e2e_key Escape
e2e_check "Esc closes it" e2e_wait_window_gone "$BOX"

# --- Create: a name that cannot be a file name.
create 'a|b'
e2e_check "a|b: a notice box appears" wait_box '^Snipwell 1\.0$'
e2e_step notice-error-creating
e2e_check "its caption is Snipwell 1.0" test "$(e2e_window_name "$BOX")" = 'Snipwell 1.0'
e2e_check_a11y "it says Error creating file! with one OK button" \
    e2e_box_is "alert message" "Snipwell 1.0" "Error creating file!" OK
e2e_check "it is centred on the screen" centred_on_screen "$BOX"
wmctrl -i -c "$BOX"
e2e_check "its close button closes it" e2e_wait_window_gone "$BOX"
e2e_check "no file is made" folder_holds Memo.txt faq1.hed faq1.txt hours.txt
e2e_check_a11y "the new-name box is closed and empty" e2e_text_is "New clip name" ""

# --- Delete, answered No.
select_first_entry
e2e_check_eventually "the first entry, faq1, is picked" 5 e2e_clipboard_is 'Dear customer'
e2e_click 276 290
e2e_check "Delete asks: a box captioned Confirm appears" wait_box '^Confirm$'
e2e_step confirm-delete
e2e_check_a11y "it asks Delete file <folder>/faq1.txt ? with Yes and No" \
    e2e_box_is "alert message" Confirm "Delete file $folder/faq1.txt ?" "Yes | No"
e2e_check "it is centred on the screen" centred_on_screen "$BOX"
e2e_key n
e2e_check "N (the No button's key) answers it" e2e_wait_window_gone "$BOX"
e2e_step answered-no
e2e_check "faq1.txt is kept" e2e_file_is "$clips/faq1.txt" 'Dear customer'
e2e_check "faq1.hed is kept" e2e_file_is "$clips/faq1.hed" 'FAQ'
e2e_check_a11y "the list is read again: nothing selected" e2e_same "" "$(e2e_a11y selected 'Clip list')"
e2e_check_a11y "the clip still shows" e2e_text_is "Clip name" FAQ1
e2e_check_a11y "the focus is in the command box" e2e_state_is "Command box" focused yes

# Esc is No as well.
select_first_entry
e2e_check_a11y_eventually "faq1.txt selected again" 5 e2e_output_is faq1.txt e2e_a11y selected 'Clip list'
e2e_click 276 290
e2e_check "Delete asks again" wait_box '^Confirm$'
e2e_key Escape
e2e_check "Esc answers it" e2e_wait_window_gone "$BOX"
e2e_check "faq1.txt and faq1.hed are still there" test -f "$clips/faq1.txt" -a -f "$clips/faq1.hed"

# --- Delete, answered Yes (the default button, so Enter).
select_first_entry
e2e_check_a11y_eventually "faq1.txt selected again" 5 e2e_output_is faq1.txt e2e_a11y selected 'Clip list'
e2e_click 276 290
e2e_check "Delete asks again" wait_box '^Confirm$'
e2e_key Return
e2e_check "Enter (Yes) answers it" e2e_wait_window_gone "$BOX"
e2e_step answered-yes
e2e_check "faq1.txt is deleted" test ! -e "$clips/faq1.txt"
e2e_check "faq1.hed is deleted" test ! -e "$clips/faq1.hed"
e2e_check "the other clips are kept" folder_holds Memo.txt hours.txt
e2e_check_a11y "the list no longer shows faq1.txt" list_is hours.txt Memo.txt
e2e_check_a11y "the name display is empty" e2e_text_is "Clip name" ""
e2e_check_a11y "the title line is empty" e2e_text_is Title ""
e2e_check_a11y "the body editor is empty" e2e_text_is Body ""
e2e_check_a11y "the focus is in the command box" e2e_state_is "Command box" focused yes

# --- Delete with no entry selected asks nothing.
e2e_click 276 290
e2e_check "Delete with nothing selected shows no box" no_box_appears
e2e_step delete-nothing-selected
e2e_check "and deletes nothing" folder_holds Memo.txt hours.txt

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
rm -rf "$clips"
e2e_finish
