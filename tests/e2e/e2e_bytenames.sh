#!/usr/bin/env bash
# File names are bytes: the program started in a folder whose name is not valid UTF-8 (d\xe9p,
# written in Latin-1), holding a clip named in Latin-1 (caf\xe9), its UTF-8 twin that reads the
# same (caf\xc3\xa9, with a title file of its own) and a name of invalid bytes (\xff\xfe). The
# Latin-1 clip is picked from the keyboard, edited and deleted; its twin is never touched.
source "$(dirname "$0")/lib.sh"

root=$(mktemp -d)
root=$(cd "$root" && pwd -P)
clips="$root/$(printf 'd\xe9p')"
mkdir "$clips"
latin1=$(printf 'caf\xe9')
utf8=$(printf 'caf\xc3\xa9')
invalid=$(printf '\xff\xfe')
# A Windows-1252 body: saved back in the encoding it was read in.
printf 'na\xefve caf\xe9' >"$clips/$latin1.txt"
printf 'twin body' >"$clips/$utf8.txt"
printf 'twin title' >"$clips/$utf8.hed"
printf 'odd' >"$clips/$invalid.txt"

list_is() {
    e2e_same "$(printf '%s\n' "$@")" "$(e2e_a11y items 'Clip list')"
}

# The twin's files hold what they held at the start.
twin_untouched() {
    e2e_file_is "$clips/$utf8.txt" 'twin body' && e2e_file_is "$clips/$utf8.hed" 'twin title'
}

# Moves the focus from the command box into the list and down to the entry at ROW (from 0):
# each entry passed over is opened.
pick_from_keyboard() {
    e2e_type '*'
    local i
    for i in $(seq 0 "$1"); do e2e_key Down; done
}

e2e_start_display || exit 1
e2e_check "window appears in a folder whose name is not UTF-8" e2e_start_app "$clips" || exit 1
e2e_activate
e2e_step started
# In the order of what they read as; each is listed, however its name is written.
e2e_check_a11y "the list shows all three clips" list_is café.txt café.txt ÿþ.txt

# --- Pick: the second café.txt is the Latin-1 one (the UTF-8 twin comes first).
pick_from_keyboard 1
e2e_check_eventually "picking the Latin-1 clip puts its body on the clipboard" 5 e2e_clipboard_is 'na\xc3\xafve caf\xc3\xa9'
e2e_step picked-latin1
e2e_check_a11y "the name display shows CAFÉ" e2e_text_is "Clip name" CAFÉ
e2e_check_a11y "the title line is empty: the twin's title is not this clip's" e2e_text_is Title ""
e2e_check "opening made the Latin-1 clip's own empty title file" e2e_file_is "$clips/$latin1.hed" ''
e2e_check "the twin is untouched" twin_untouched

# --- Autosave: the body, then the title, each into the Latin-1 clip's files.
e2e_check_a11y_eventually "the poll enables the editors" 3 e2e_editors_enabled yes
e2e_key shift+Tab ctrl+End
e2e_type '!'
e2e_check_eventually "a key typed in the body is saved in Windows-1252 to caf\\xe9.txt" 3 \
    e2e_file_is "$clips/$latin1.txt" 'na\xefve caf\xe9!'
e2e_step body-saved
e2e_key shift+Tab
e2e_type 'T'
e2e_check_eventually "a key typed in the title is saved to caf\\xe9.hed" 3 e2e_file_is "$clips/$latin1.hed" 'T'
e2e_step title-saved
e2e_check "the twin is still untouched" twin_untouched

# --- Delete: the Delete button from the keyboard, Enter (Yes) on the confirmation.
e2e_key shift+Tab
e2e_check_a11y "the focus is back in the command box" e2e_state_is "Command box" focused yes
pick_from_keyboard 1
e2e_check_a11y_eventually "the Latin-1 clip is selected again" 5 e2e_text_is Title T
e2e_key Tab Tab
e2e_check_a11y "Tab, Tab: the Delete button has the focus" e2e_state_is Delete focused yes
e2e_key space
box=$(e2e_wait_window '^Confirm$' "$E2E_WINDOW")
e2e_check "Delete asks: a box captioned Confirm appears" test -n "$box"
e2e_step confirm-delete
e2e_check_a11y "it names the path, each part readable" \
    e2e_box_is "alert message" Confirm "Delete file $root/dép/café.txt ?" "Yes | No"
e2e_key Return
e2e_check "Enter (Yes) answers it" e2e_wait_window_gone "$box"
e2e_step deleted
e2e_check "caf\\xe9.txt is deleted" test ! -e "$clips/$latin1.txt"
e2e_check "caf\\xe9.hed is deleted" test ! -e "$clips/$latin1.hed"
e2e_check "the UTF-8 twin keeps both its files" twin_untouched
e2e_check "the clip of invalid bytes is kept" e2e_file_is "$clips/$invalid.txt" 'odd'
e2e_check_a11y "the list shows the other two" list_is café.txt ÿþ.txt

# --- The clip of invalid bytes opens as well.
pick_from_keyboard 1
e2e_check_eventually "picking ÿþ.txt puts its body on the clipboard" 5 e2e_clipboard_is 'odd'
e2e_step picked-invalid
e2e_check "its title file is made under its own bytes" e2e_file_is "$clips/$invalid.hed" ''

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
rm -rf "$root"
e2e_finish
