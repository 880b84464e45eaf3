#!/usr/bin/env bash
# Files the program cannot use, made for real: a clip with no write permission (refused even
# for root), a title path taken by a folder, a folder and a FIFO named like clips. Each error box
# is read back and answered; the files stay as they were and the program goes on, to a clean
# exit.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
folder=$(cd "$clips" && pwd -P)
printf 'Read only\r\nbody' >"$clips/ro.txt"
printf 'Read-only title' >"$clips/ro.hed"
chmod a-w "$clips/ro.txt" "$clips/ro.hed"
printf 'Folder title' >"$clips/dirhed.txt"
mkdir "$clips/dirhed.hed"
mkdir "$clips/dir.txt"
mkfifo "$clips/pipe.txt"
printf 'Fine' >"$clips/fine.txt"
printf 'Fine title' >"$clips/fine.hed"

# Waits for an error box (captioned like the main window, but another window); sets BOX.
wait_error_box() {
    BOX=$(e2e_wait_window '^Snipwell 1\.0$' "$E2E_WINDOW")
    [ -n "$BOX" ]
}

# Checks the error box's caption, text and button, then clicks OK. Not Enter: the box goes at
# the key's press, and its release in the editor is a key released there, which saves again.
check_error_box() {
    local what=$1 text=$2
    e2e_check "$what: an error box appears" wait_error_box || return
    e2e_step "$3"
    e2e_check "$what: its caption is Snipwell 1.0" test "$(e2e_window_name "$BOX")" = 'Snipwell 1.0'
    e2e_check_a11y "$what: it reads \"$text\" with one OK button" e2e_box_is "alert message" "Snipwell 1.0" "$text" OK
    if [ "$E2E_A11Y" = 1 ]; then
        read -r x y <<<"$(e2e_a11y where OK)"
        xdotool mousemove "$x" "$y" click 1
    else
        e2e_key space
    fi
    e2e_check "$what: OK closes it" e2e_wait_window_gone "$BOX"
}

e2e_start_display || exit 1
e2e_check "window appears" e2e_start_app "$clips" || exit 1
e2e_activate

# --- A clip without write permission opens normally; each key released in it is refused.
e2e_type ro
e2e_key Return
e2e_check_eventually "the read-only clip opens: its body is on the clipboard" 5 e2e_clipboard_is 'Read only\r\nbody'
e2e_check_a11y_eventually "its editors are enabled, since the file exists" 3 e2e_editors_enabled yes
e2e_check_eventually "and look enabled" 3 e2e_editors_look_is enabled
e2e_step read-only-opened
# A click below the text puts the caret at its end without a key: every key released here
# brings a box.
e2e_click 150 150
e2e_type x
check_error_box "a key in the body" "Cannot create file $folder/ro.txt." error-read-only-body
e2e_check "ro.txt is unchanged" e2e_file_is "$clips/ro.txt" 'Read only\r\nbody'
e2e_check "ro.txt still has no write permission" test "$(stat -c %a "$clips/ro.txt")" = 444
e2e_check_a11y "the editor keeps the typed text" e2e_text_is Body $'Read only\nbodyx'
e2e_type y
check_error_box "the next key" "Cannot create file $folder/ro.txt." error-read-only-again
e2e_check "ro.txt is still unchanged" e2e_file_is "$clips/ro.txt" 'Read only\r\nbody'
e2e_click 300 40
e2e_type z
check_error_box "a key in the title" "Cannot create file $folder/ro.hed." error-read-only-title
e2e_check "ro.hed is unchanged" e2e_file_is "$clips/ro.hed" 'Read-only title'

# --- A folder where the title file should be made: opening fails, the body is not shown.
e2e_click 90 16
e2e_type dirhed
e2e_key Return
check_error_box "a folder named dirhed.hed" "Cannot create file $folder/dirhed.hed." error-title-is-folder
e2e_check "the clipboard keeps the last body" e2e_clipboard_is 'Read only\r\nbody'
e2e_check_a11y "the name display keeps RO" e2e_text_is "Clip name" RO
e2e_check_a11y "the title line is emptied" e2e_text_is Title ''
e2e_check_a11y "the body editor keeps the last body" e2e_text_is Body $'Read only\nbodyxy'
e2e_check "the folder is left alone" test -d "$clips/dirhed.hed"

# --- A folder and a FIFO named like clips are no clips: nothing opens, nothing hangs.
e2e_type dir
e2e_key Return
e2e_type pipe
e2e_key Return
e2e_type fine
e2e_key Return
e2e_check_eventually "after dir and pipe, the program still opens fine" 5 e2e_clipboard_is 'Fine'
e2e_step fine-opened
e2e_check "no title file was made for dir or pipe" test ! -e "$clips/dir.hed" -a ! -e "$clips/pipe.hed"
e2e_check "no error box came up" test -z "$(e2e_visible_windows '^Snipwell 1\.0$' | grep -v -x "$E2E_WINDOW")"
e2e_check_a11y "the list shows neither the folder nor the FIFO" \
    e2e_same "$(printf 'dirhed.txt\nfine.txt\nro.txt')" "$(e2e_a11y items 'Clip list')"

# Closed by the window manager, as its close button does, after all those errors.
wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "closing the window ends the program with exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
chmod -R u+w "$clips"
rm -rf "$clips"
e2e_finish
