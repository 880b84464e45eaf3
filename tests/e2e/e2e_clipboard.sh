#!/usr/bin/env bash
# A person's session: open a clip by name and paste it elsewhere (the clipboard read by another
# program), then edit the body in place and find the edit in the file.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
printf 'Dear customer,\r\nthank you.\r\nBye' >"$clips/faq1.txt"
printf 'Thanks' >"$clips/faq1.hed"

e2e_start_display || exit 1
e2e_check "window appears" e2e_start_app "$clips" || exit 1
e2e_activate

e2e_type FAQ1
e2e_key Return
e2e_check_eventually "clipboard holds exactly the body with CR LF" 5 \
    e2e_clipboard_is 'Dear customer,\r\nthank you.\r\nBye'
e2e_screenshot opened

# Once the poll has enabled the editors, type at the end of the body.
e2e_check_eventually "the poll enables the editors" 3 e2e_editors_look_is enabled
e2e_click 150 150
e2e_key ctrl+End
e2e_type '!'
e2e_check_eventually "the typed character is saved into the body file" 3 \
    e2e_file_is "$clips/faq1.txt" 'Dear customer,\r\nthank you.\r\nBye!'
e2e_screenshot edited

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
rm -rf "$clips"
e2e_finish
