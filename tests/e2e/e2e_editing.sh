#!/usr/bin/env bash
# Editing a clip in place: every key released in the title line or the body editor writes that
# editor's text to its file at once, and the twice-a-second poll greys both editors while
# another program has taken the body file away, and brings them back when it returns.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
printf 'Dear customer,\r\nthank you.' >"$clips/faq1.txt"
printf 'Thanks' >"$clips/faq1.hed"

# The file's identity and modification time: a rewrite changes them even when the bytes stay.
file_stamp() {
    stat -c '%i %y' "$1"
}

stamp_changed() {
    [ "$(file_stamp "$1")" != "$2" ]
}

e2e_start_display || exit 1
e2e_check "window appears" e2e_start_app "$clips" || exit 1
e2e_activate
e2e_type faq1
e2e_key Return
e2e_check_a11y_eventually "opening faq1: the poll enables both editors" 3 e2e_editors_enabled yes
e2e_check_eventually "and they look enabled" 3 e2e_editors_look_is enabled
e2e_step opened

# The title line: each key release rewrites the title file whole, without a line break.
e2e_click 300 40
e2e_key End
e2e_type ' a lot'
e2e_check_eventually "text typed at the end of the title is in faq1.hed" 3 e2e_file_is "$clips/faq1.hed" 'Thanks a lot'
e2e_key Return
e2e_step title-edited
e2e_check "Enter in the title line adds no line break to the file" e2e_file_is "$clips/faq1.hed" 'Thanks a lot'
e2e_check_a11y "the title line shows Thanks a lot" e2e_text_is Title 'Thanks a lot'

# The body editor: Enter makes a line, written as CR LF.
e2e_click 150 150
e2e_key ctrl+End Return
e2e_type 'Bye'
e2e_check_eventually "a new line typed in the body is in faq1.txt with CR LF" 3 \
    e2e_file_is "$clips/faq1.txt" 'Dear customer,\r\nthank you.\r\nBye'
e2e_step body-edited
e2e_check "the title file is untouched by typing in the body" e2e_file_is "$clips/faq1.hed" 'Thanks a lot'

# A key that changes nothing still rewrites the file, with the same bytes.
before=$(file_stamp "$clips/faq1.txt")
e2e_key Left
e2e_check_eventually "releasing an arrow key rewrites faq1.txt" 3 stamp_changed "$clips/faq1.txt" "$before"
e2e_check "with the same bytes" e2e_file_is "$clips/faq1.txt" 'Dear customer,\r\nthank you.\r\nBye'

# Another program takes both files away: the next tick greys the editors, their text stays.
mkdir "$clips/away"
mv "$clips/faq1.txt" "$clips/faq1.hed" "$clips/away/"
e2e_check_a11y_eventually "removing the files: the poll disables both editors" 3 e2e_editors_enabled no
e2e_check_eventually "and greys them" 3 e2e_editors_look_is disabled
e2e_step files-removed
e2e_check_a11y "the body editor still shows its text" e2e_text_is Body $'Dear customer,\nthank you.\nBye'
e2e_click 150 150
e2e_type 'x'
e2e_click 300 40
e2e_type 'x'
e2e_step typed-while-grey
e2e_check "typing into the grey editors makes no file" test ! -e "$clips/faq1.txt" -a ! -e "$clips/faq1.hed"
e2e_check_a11y "and changes no text" e2e_text_is Body $'Dear customer,\nthank you.\nBye'

# The files come back with other contents: the editors come back, keep what they show, and the
# next key release writes that into the file.
printf 'restored body' >"$clips/faq1.txt"
printf 'restored title' >"$clips/faq1.hed"
e2e_check_a11y_eventually "files back: the poll enables both editors" 3 e2e_editors_enabled yes
e2e_check_eventually "and look enabled" 3 e2e_editors_look_is enabled
e2e_step files-back
e2e_check_a11y "the body editor still shows the text it had" e2e_text_is Body $'Dear customer,\nthank you.\nBye'
e2e_click 150 150
e2e_key ctrl+End
e2e_type '!'
e2e_check_eventually "a key in the body writes the shown text into the returned file" 3 \
    e2e_file_is "$clips/faq1.txt" 'Dear customer,\r\nthank you.\r\nBye!'
e2e_check "the title file keeps what the other program wrote" e2e_file_is "$clips/faq1.hed" 'restored title'
e2e_click 300 40
e2e_key End
e2e_type '?'
e2e_check_eventually "a key in the title writes the shown title" 3 e2e_file_is "$clips/faq1.hed" 'Thanks a lot?'
e2e_step saved-again

# Only the title file gone: the body decides, so the title line stays enabled, but its keys
# write nothing until the clip is opened again, which makes an empty title file.
rm "$clips/faq1.hed"
e2e_type 'x'
sleep 0.6
e2e_step title-file-removed
e2e_check "typing in the title does not bring its file back" test ! -e "$clips/faq1.hed"
e2e_check_a11y "the title line stays enabled" e2e_state_is Title enabled yes
e2e_click 90 16
e2e_type faq1
e2e_key Return
e2e_check_eventually "opening the clip again makes an empty title file" 3 e2e_file_is "$clips/faq1.hed" ''
e2e_check_a11y "and empties the title line" e2e_text_is Title ''
e2e_step reopened

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
rm -rf "$clips"
e2e_finish
