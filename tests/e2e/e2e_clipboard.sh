#!/usr/bin/env bash
# A person's session: open a clip by name and paste it elsewhere (the clipboard read by another
# program), then edit the body in place and find the edit in the file.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
printf 'Dear customer,\r\nthank you.\r\nBye' >"$clips/faq1.txt"
printf 'Thanks' >"$clips/faq1.hed"

e2e_start_display || exit 1
e2e_check "window appears" e2e_start_app "$clips"
xdotool windowactivate --sync "$E2E_WINDOW" 2>/dev/null
sleep 0.3

xdotool type --window "$E2E_WINDOW" --delay 30 'FAQ1'
xdotool key --window "$E2E_WINDOW" Return
sleep 0.5
e2e_screenshot opened

expected=$(printf 'Dear customer,\r\nthank you.\r\nBye' | od -An -tx1)
got=$(timeout 5 xclip -selection clipboard -o 2>/dev/null | od -An -tx1)
e2e_check "clipboard holds exactly the body with CR LF" test "$expected" = "$got"

# Wait for the poll to enable the editors, then type at the end of the body.
sleep 0.7
xdotool mousemove --window "$E2E_WINDOW" 150 150 click 1
xdotool key --window "$E2E_WINDOW" ctrl+End
xdotool type --window "$E2E_WINDOW" --delay 30 '!'
sleep 0.3
e2e_screenshot edited
e2e_check "the typed character is saved into the body file" \
    test "$(od -An -tx1 <"$clips/faq1.txt")" = "$(printf 'Dear customer,\r\nthank you.\r\nBye!' | od -An -tx1)"

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
rm -rf "$clips"
e2e_finish
