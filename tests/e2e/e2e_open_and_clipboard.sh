#!/usr/bin/env bash
# Opening clips by name as a person does, and what another program then pastes: names typed in
# any letter case against files stored in any letter case, the title and name shown, the exact
# bytes on the clipboard for every kind of line break and for a Windows-1252 file, the 8-letter
# limit, the names that open nothing, and a file saved as "Unicode" by Windows Notepad.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
printf 'We are open 9 to 5.\r\nClosed on Sundays.' >"$clips/Hours.TXT"
printf 'Opening hours' >"$clips/HOURS.HED"
printf 'lower' >"$clips/case.txt"
printf 'upper' >"$clips/CASE.txt"
printf 'one\ntwo\rthree\r\nfour\n\rfive' >"$clips/breaks.txt"
printf 'Caf\xe9 cr\xe8me' >"$clips/cafe.txt"
printf 'Menu' >"$clips/cafe.hed"
# Notepad's "Unicode": a byte-order mark, then UTF-16 little-endian.
notepad='\xff\xfeC\0a\0f\0\xe9\0\r\0\n\0=\0\xac\x20'
printf "$notepad" >"$clips/notepad.txt"
printf 'eight' >"$clips/abcdefgh.txt"
printf 'nine' >"$clips/abcdefghi.txt"
: >"$clips/empty.txt"
printf 'Nothing here' >"$clips/empty.hed"

# Enter on the name typed; the command box empties at once.
open_clip() {
    e2e_type "$1"
    e2e_key Return
}

e2e_start_display || exit 1
e2e_check "window appears" e2e_start_app "$clips" || exit 1
e2e_activate
e2e_step started

# A name typed in capitals reaches the box in lower case and opens files stored in any case.
e2e_type HOURS
e2e_step typed-HOURS
e2e_check_a11y "HOURS typed into the command box reads hours" e2e_text_is "Command box" hours
e2e_key Return
e2e_check_eventually "Enter puts the body of Hours.TXT on the clipboard" 5 \
    e2e_clipboard_is 'We are open 9 to 5.\r\nClosed on Sundays.'
e2e_check_a11y "the name display shows HOURS" e2e_text_is "Clip name" HOURS
e2e_check_a11y "the title line shows the title from HOURS.HED" e2e_text_is Title "Opening hours"
e2e_check_a11y "the command box is empty after Enter" e2e_text_is "Command box" ""
e2e_check "no file is added beside the ones stored in capitals" \
    e2e_same "HOURS.HED Hours.TXT" "$(cd "$clips" && shopt -s nocaseglob && echo hours.*)"
e2e_check_a11y_eventually "the poll enables the editors" 3 e2e_editors_enabled yes
e2e_check_eventually "and look enabled (black scroll arrows, white title)" 3 e2e_editors_look_is enabled
e2e_step opened-hours

# Of two files that differ in case only, the typed name (always lower case) picks its own.
open_clip CASE
e2e_check_eventually "CASE opens case.txt, not CASE.txt" 5 e2e_clipboard_is 'lower'
e2e_step opened-case
e2e_check_a11y "the name display shows CASE" e2e_text_is "Clip name" CASE

# A clip without a title file gets an empty one.
open_clip breaks
e2e_check_eventually "LF, CR and LF CR reach the clipboard as CR LF each" 5 \
    e2e_clipboard_is 'one\r\ntwo\r\nthree\r\nfour\r\n\r\nfive'
e2e_step opened-breaks
e2e_check "opening made breaks.hed with 0 bytes" e2e_file_is "$clips/breaks.hed" ''
e2e_check "opening left the body file as it was" e2e_file_is "$clips/breaks.txt" 'one\ntwo\rthree\r\nfour\n\rfive'
e2e_check_a11y "the title line is empty" e2e_text_is Title ""

# Windows-1252 bytes are characters on the clipboard (UTF-8 for X11 programs) and stay bytes
# on disk.
open_clip cafe
e2e_check_eventually "a Windows-1252 body is pasted as the same characters" 5 e2e_clipboard_is 'Caf\xc3\xa9 cr\xc3\xa8me'
e2e_step opened-cafe
e2e_check "the Windows-1252 file keeps its bytes" e2e_file_is "$clips/cafe.txt" 'Caf\xe9 cr\xe8me'
open_clip notepad
e2e_check_eventually "a UTF-16 body is pasted whole, without its mark" 5 e2e_clipboard_is 'Caf\xc3\xa9\r\n=\xe2\x82\xac'
e2e_step opened-notepad
e2e_check "the UTF-16 file keeps its bytes" e2e_file_is "$clips/notepad.txt" "$notepad"

# The box takes 8 letters: the ninth is refused, so abcdefghi opens abcdefgh.
e2e_type abcdefghi
e2e_step typed-nine-letters
e2e_check_a11y "the command box stops at 8 letters" e2e_text_is "Command box" abcdefgh
e2e_key Return
e2e_check_eventually "abcdefghi typed opens abcdefgh" 5 e2e_clipboard_is 'eight'

# An empty body copies nothing: the clipboard keeps what it held.
open_clip empty
e2e_check_a11y_eventually "an empty clip opens (its title shows)" 5 e2e_text_is Title "Nothing here"
e2e_step opened-empty
e2e_check "an empty body leaves the clipboard as it was" e2e_clipboard_is 'eight'
e2e_check "the empty body file stays 0 bytes" e2e_file_is "$clips/empty.txt" ''

# A name without a body file opens nothing and makes no file; the editors go grey.
open_clip nosuch
e2e_check_a11y_eventually "a missing clip: the poll disables the editors" 3 e2e_editors_enabled no
e2e_step missing-clip
e2e_check "the clipboard keeps the last clip's body" e2e_clipboard_is 'eight'
e2e_check "no title file is made for a missing clip" test ! -e "$clips/nosuch.hed"
e2e_check_a11y "the name display still shows EMPTY" e2e_text_is "Clip name" EMPTY
e2e_check_a11y "the title line still shows the last title" e2e_text_is Title "Nothing here"
e2e_check_a11y "the focus stays in the command box" e2e_state_is "Command box" focused yes

# Enter on an empty box asks for the nameless clip, which does not exist.
e2e_key Return
e2e_step enter-on-empty-box
e2e_check "Enter on an empty box makes no file" test ! -e "$clips/.hed" -a ! -e "$clips/.txt"
e2e_check "the clipboard is still the same" e2e_clipboard_is 'eight'

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
rm -rf "$clips"
e2e_finish
