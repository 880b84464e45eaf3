#!/usr/bin/env bash
# Soak: for SOAK_SECONDS (60 by default; `make test` runs 15) another program (soak_mutator.py)
# creates, rewrites (atomically and in place), renames and deletes clip files in the folder,
# busiest on the clip the driver works on, while a person drives the program without a pause:
# opening clips by name (often one whose body file is away just then) and typing into their title
# and body, refreshing the list with "*" and walking it with the arrow keys, Create, and Delete
# answered Yes and No.
# Checked all along and at the end:
#  - the program stays up and answers: at every step the X server still has its window and the
#    program itself answers the accessibility bus within 10 s (a hung event loop cannot);
#  - no error box except the one the program owes: "Cannot open file ..." when a clip file
#    vanished or was cut short between the program's look and its read. Refreshes, the poll
#    finding a file gone and saves into a file that went away are silent. Every box is read,
#    counted by its text and answered with a click;
#  - no clip file ever holds a text that was neither read from it nor typed into it for it:
#    every text the other program writes names its file, and every key typed into an open clip
#    is the marker letter of the clip the name display shows (soak_mutator.py tells the rules).
#    The folder is checked every ten seconds and at the end, and the other program checks each
#    file just before it rewrites or deletes it;
#  - resident memory at the end is within 1 MiB of what it was after a warm-up round, and within
#    4 MiB of what it was after the first refresh (the margins are explained below);
#  - closing the window ends the program with exit code 0.
# SOAK_SEED picks the same choices again (the timing of the two processes still differs);
# steps.log in E2E_OUT tells what was done when.
source "$(dirname "$0")/lib.sh"

SOAK_SECONDS=${SOAK_SECONDS:-60}
SOAK_SEED=${SOAK_SEED:-$((RANDOM * 32768 + RANDOM))}
RANDOM=$SOAK_SEED
echo "soak: $SOAK_SECONDS s, SOAK_SEED=$SOAK_SEED"
# Growth of the resident set allowed, in KiB. The first refresh comes before anything else has
# been used: the warm-up round after it (every action once) adds what Qt fills once and keeps,
# about 2 MiB (fonts and glyphs, the first message boxes' icons and styles, the accessibility
# objects of the boxes). After the warm-up nothing is new: the program keeps nothing per clip
# opened, per file listed or per box shown, and what remains is allocator slack, glibc keeping
# freed blocks in its heap (runs here grew by 0 to 100 KiB). 1 MiB over the soak passes that
# and fails a window, a list or a box kept per action; 4 MiB over the first refresh passes the
# warm-up as well.
SOAK_RSS_MARGIN_KIB=1024
SOAK_RSS_MARGIN_FIRST_KIB=4096
# AddressSanitizer keeps freed memory in quarantine: there the resident set tells nothing.
SOAK_ASAN=0
ldd "$E2E_BINARY" 2>/dev/null | grep -q libasan && SOAK_ASAN=1

mutator=("$E2E_PYTHON" "$E2E_LIB_DIR/soak_mutator.py")
clips=$(mktemp -d)
folder=$(cd "$clips" && pwd -P)
"${mutator[@]}" seed "$clips"

declare -A BOX_TEXTS=()
UNEXPECTED_BOXES=0
STEPS=0
UNANSWERED_STEPS=0
SLOWEST_MS=0
TYPED=0
CREATED=0
DRIVER_FAULTS=0
CHECKS_FAILED=0
LIVE_NAMES=()
MUTATOR_PID=
CONFIRM_SHOWN=

# One process answers the accessibility questions of the whole soak (soak_a11y.py).
start_asker() {
    coproc ASKER { exec "$E2E_PYTHON" "$E2E_LIB_DIR/soak_a11y.py" 2>/dev/null; }
    E2E_PIDS+=("$ASKER_PID")
    # Plain descriptors, which pipelines and subshells keep (the coprocess's own ones they lose).
    exec {ASK_IN}>&"${ASKER[1]}" {ASK_OUT}<&"${ASKER[0]}"
}

# ask COMMAND [NAME]: the answer, as a11y.py gives it; fails when none came within 10 s, which
# only a program that no longer runs its event loop does (the bus itself answers at once). Each
# question carries its own mark, so that a late answer to an earlier one is passed over.
ask() {
    local id="$BASHPID-$EPOCHREALTIME" line out=()
    echo "$id $*" >&"$ASK_IN" || return 1
    while IFS= read -r -t 10 line <&"$ASK_OUT"; do
        case $line in
        "<end $id>")
            printf '%s\n' "${out[@]}"
            return 0
            ;;
        "<end "*) out=() ;;
        *) out+=("$line") ;;
        esac
    done
    return 1
}

has_state() {
    [[ " $(ask states "$1") " == *" $2 "* ]]
}

editors_enabled() {
    has_state Title enabled && has_state Body enabled
}

rss_kib() {
    awk '/^VmRSS:/ {print $2}' "/proc/$E2E_APP_PID/status" 2>/dev/null
}

fault() {
    echo "    $*"
    DRIVER_FAULTS=$((DRIVER_FAULTS + 1))
}

# Runs one action and notes in steps.log how long it took.
act() {
    local start rc
    start=$(e2e_now_ms)
    "$@"
    rc=$?
    echo "$(($(e2e_now_ms) - E2E_T0)) ms +$(($(e2e_now_ms) - start)) ms: $*" >>"$E2E_OUT/steps.log"
    return $rc
}

# The program's process is there, the X server still has its window, and the program answers
# the accessibility bus, which only its running event loop can do.
probe() {
    STEPS=$((STEPS + 1))
    local start elapsed
    start=$(e2e_now_ms)
    if ! kill -0 "$E2E_APP_PID" 2>/dev/null; then
        fault "step $STEPS: the program has ended"
        return 1
    fi
    if [ "$(timeout 5 xdotool getwindowname "$E2E_WINDOW" 2>/dev/null)" != "Snipwell 1.0" ]; then
        fault "step $STEPS: the window's title cannot be read"
        UNANSWERED_STEPS=$((UNANSWERED_STEPS + 1))
    fi
    if [ "$E2E_A11Y" = 1 ] && ! ask states "Command box" >/dev/null; then
        fault "step $STEPS: the program did not answer within 10 s"
        UNANSWERED_STEPS=$((UNANSWERED_STEPS + 1))
        return 1
    fi
    elapsed=$(($(e2e_now_ms) - start))
    [ "$elapsed" -gt "$SLOWEST_MS" ] && SLOWEST_MS=$elapsed
    return 0
}

# The boxes that the program may show here. "Cannot open file" for a clip of the other program:
# the file was gone, or shorter than a moment before, when it was read. Confirm: a Delete whose
# box came later than the driver waited for it.
expected_box() {
    local names='(alpha|bravo|charlie|delta|echo|foxtrot)'
    grep -q -i -x -E "Snipwell 1\.0: Cannot open file $folder/$names\.(txt|hed)\." <<<"$1" && return 0
    grep -q -i -x -E "Confirm: Delete file $folder/[^/]+\.txt \?" <<<"$1"
}

# Texts of the boxes open now (besides the main window), as "caption: text".
box_texts() {
    [ "$E2E_A11Y" = 1 ] || return 0
    ask windows | grep -v -P '^frame\tSnipwell 1\.0\t' | awk -F'\t' '{print $2 ": " $3}'
}

click_button() {
    local x y
    if [ "$E2E_A11Y" = 1 ] && read -r x y <<<"$(ask where "$1")" && [ "$x" != "<none>" ] && [ -n "$y" ]; then
        xdotool mousemove "$x" "$y" click 1
    else
        # Without the bus: the button's access key (OK is the only button of its box).
        case $1 in Yes) e2e_key y ;; No) e2e_key n ;; *) e2e_key space ;; esac
    fi
}

# Reads, counts and answers every box that is open: OK, or No for a late delete confirmation.
answer_boxes() {
    local id text
    for id in $(e2e_visible_windows '^(Snipwell 1\.0|Confirm)$' | grep -v -x "$E2E_WINDOW"); do
        text=$(box_texts | head -n1)
        [ -n "$text" ] || text="$(e2e_window_name "$id"): (text not readable)"
        BOX_TEXTS[$text]=$((${BOX_TEXTS[$text]:-0} + 1))
        if ! expected_box "$text"; then
            UNEXPECTED_BOXES=$((UNEXPECTED_BOXES + 1))
            echo "    unexpected box: $text"
            e2e_step unexpected-box
        fi
        case $text in Confirm:*) click_button No ;; *) click_button OK ;; esac
        e2e_wait_window_gone "$id" >/dev/null || fault "a box did not close when answered: $text"
    done
}

focus_command_box() {
    e2e_click 90 16
    e2e_key ctrl+a BackSpace
}

# Types the open clip's marker into its title and its body. The name display says which clip
# that is; after a failed opening it may show a name whose files the editors do not hold, which
# the program must then not save.
type_markers() {
    [ "$E2E_A11Y" = 1 ] || return 0
    local shown marker
    shown=$(ask text "Clip name")
    case $shown in "" | "<"*) return 0 ;; esac
    marker=${shown:0:1}
    # The poll enables the editors within half a second of the body file being there.
    if ! e2e_wait_until 3 editors_enabled; then
        echo "    $shown shown, its editors disabled: nothing typed" >>"$E2E_OUT/steps.log"
        return 0
    fi
    e2e_click 300 40
    e2e_key ctrl+End
    e2e_type "$marker$marker"
    answer_boxes
    e2e_click 150 150
    e2e_key ctrl+End
    e2e_type "$marker"
    answer_boxes
    TYPED=$((TYPED + 3))
    echo "    $shown shown: typed $marker into its title and body" >>"$E2E_OUT/steps.log"
}

random_name() {
    local names=(alpha bravo charlie delta echo foxtrot "${LIVE_NAMES[@]}")
    echo "${names[RANDOM % ${#names[@]}]}"
}

# A clip of the other program whose body file is away just now, if there is one: opening it
# finds nothing and leaves the last clip's texts in the editors, and the poll enables them again
# when the file comes back (which the other program, working on that clip now, soon does). Keys
# typed then are the shown clip's marker, which the program must not save into this clip.
name_without_body() {
    local name away=()
    for name in alpha bravo charlie delta echo foxtrot; do
        [ -f "$clips/$name.txt" ] || [ -f "$clips/${name^^}.TXT" ] || away+=("$name")
    done
    if [ "${#away[@]}" = 0 ]; then
        random_name
    else
        echo "${away[RANDOM % ${#away[@]}]}"
    fi
}

open_by_name() {
    # The other program works on this clip above all while it is opened and typed into.
    echo "$1" >"$E2E_OUT/focus"
    focus_command_box
    e2e_type "$1"
    e2e_key Return
    answer_boxes
    type_markers
}

# "*", then a few keys in the list: each entry the selection passes opens.
refresh_and_walk() {
    local keys=(Down Down Down Up Home End Next) _
    focus_command_box
    e2e_type '*'
    answer_boxes
    for _ in $(seq $((RANDOM % 4 + 1))); do
        e2e_key "${keys[RANDOM % ${#keys[@]}]}"
        answer_boxes
    done
    type_markers
}

# Create with a name of our own: an empty clip, and no box.
create_clip() {
    CREATED=$((CREATED + 1))
    local name=new$CREATED
    e2e_click 276 258
    e2e_type "$name"
    e2e_key Return
    answer_boxes
    if e2e_wait_until 3 test -f "$clips/$name.txt"; then
        LIVE_NAMES+=("$name")
    else
        fault "Create $name made no $name.txt"
    fi
}

# wait_confirm SECONDS: sets CONFIRM to the delete confirmation once it is up.
wait_confirm() {
    CONFIRM=$(timeout "$1" bash -c "until xdotool search --onlyvisible --name '^Confirm\$' 2>/dev/null; do sleep 0.05; done" | head -n1)
    [ -n "$CONFIRM" ]
}

# Answers the delete confirmation with a click on Yes or No; sets CONFIRMED to the entry it named.
answer_confirm() {
    local text
    text=$(box_texts | head -n1)
    [ -n "$text" ] || text="Confirm: (text not readable)"
    BOX_TEXTS[$text]=$((${BOX_TEXTS[$text]:-0} + 1))
    if ! grep -q -i -x -E "Confirm: Delete file $folder/[^/]+\.txt \?" <<<"$text"; then
        UNEXPECTED_BOXES=$((UNEXPECTED_BOXES + 1))
        echo "    unexpected confirmation: $text"
    fi
    click_button "$1"
    e2e_wait_window_gone "$CONFIRM" >/dev/null || fault "the confirmation did not close"
    text=${text#"Confirm: Delete file $folder/"}
    CONFIRMED=${text% \?}
    if [ "$1" = Yes ]; then
        forget_clip "${CONFIRMED%.*}"
    fi
}

# A clip of our own that is deleted is no longer ours to open or delete.
forget_clip() {
    local kept=() n
    for n in "${LIVE_NAMES[@]}"; do [ "$n" = "$1" ] || kept+=("$n"); done
    LIVE_NAMES=("${kept[@]}")
}

# Deletes a clip we created: "*", its first letter in the list, Delete, then Yes or No.
delete_own_clip() {
    [ "${#LIVE_NAMES[@]}" -gt 0 ] || return 0
    local answer entry name
    answer=$([ $((RANDOM % 3)) = 0 ] && echo No || echo Yes)
    # Our clips that the other deletions took away.
    for name in "${LIVE_NAMES[@]}"; do [ -f "$clips/$name.txt" ] || forget_clip "$name"; done
    [ "${#LIVE_NAMES[@]}" -gt 0 ] || return 0
    focus_command_box
    e2e_type '*'
    answer_boxes
    e2e_key n
    answer_boxes
    e2e_click 276 290
    if ! wait_confirm 10; then
        e2e_step no-confirmation
        answer_boxes
        fault "Delete on a clip of our own asked nothing (selected: $(ask selected 'Clip list'), focus in the list: $(ask states 'Clip list'))"
        return 0
    fi
    [ "$answer$CONFIRM_SHOWN" = Yes ] && e2e_step confirm-delete && CONFIRM_SHOWN=1
    answer_confirm "$answer"
    entry=$CONFIRMED
    name=${entry%.txt}
    case $name in
    new[0-9]*) ;;
    *)
        fault "the list's n picked $entry, not a clip of our own"
        return 0
        ;;
    esac
    if [ "$answer" = Yes ]; then
        if [ -e "$clips/$entry" ] || [ -e "$clips/$name.hed" ]; then
            fault "Yes left $entry or $name.hed on disk"
        fi
    else
        [ -f "$clips/$entry" ] || fault "No deleted $entry"
    fi
}

# Deletes whatever entry a few Down keys reach; the other program may have taken it away, and
# then Delete asks nothing.
delete_some_clip() {
    focus_command_box
    e2e_type '*'
    answer_boxes
    local _
    for _ in $(seq $((RANDOM % 6 + 1))); do
        e2e_key Down
        answer_boxes
    done
    e2e_click 276 290
    # The other program may have taken the file away, and then nothing is asked; a box that
    # comes later still is answered by the next look for boxes.
    if wait_confirm 3; then
        answer_confirm "$([ $((RANDOM % 2)) = 0 ] && echo Yes || echo No)"
    fi
    answer_boxes
}

check_contents() {
    if ! "${mutator[@]}" check "$clips" "$@"; then
        CHECKS_FAILED=$((CHECKS_FAILED + 1))
        e2e_step foreign-text
    fi
}

rm -f "$E2E_OUT/steps.log" "$E2E_OUT/focus"
E2E_T0=$(e2e_now_ms)
e2e_start_display || exit 1
e2e_check "window appears" e2e_start_app "$clips" || exit 1
[ "$E2E_A11Y" = 1 ] && start_asker
e2e_activate
e2e_step started

"${mutator[@]}" mutate "$clips" "$SOAK_SECONDS" "$SOAK_SEED" "$E2E_OUT/focus" >"$E2E_OUT/mutator.log" 2>&1 &
MUTATOR_PID=$!
E2E_PIDS+=("$MUTATOR_PID")
deadline=$(($(e2e_now_ms) + SOAK_SECONDS * 1000))

# --- Warm-up: every action once, so that what Qt fills once (fonts, icons, the boxes' first
# showing, accessibility objects) is in the resident set before it is measured.
focus_command_box
e2e_type '*'
answer_boxes
rss_first=$(rss_kib)
act open_by_name alpha
e2e_step alpha-opened
act refresh_and_walk
act create_clip
act delete_own_clip
act delete_some_clip
focus_command_box
e2e_type '*'
answer_boxes
rss_base=$(rss_kib)
probe

# --- The soak: actions in a random order until the time is up; the contents are checked every
# ten seconds while the other program goes on.
next_check=$(($(e2e_now_ms) + 10000))
while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
    case $((RANDOM % 10)) in
    0 | 1 | 2) act open_by_name "$(random_name)" ;;
    3) act open_by_name "$(name_without_body)" ;;
    4 | 5) act refresh_and_walk ;;
    6) act create_clip ;;
    7) act delete_own_clip ;;
    8) act delete_some_clip ;;
    9) act open_by_name "$(name_without_body)" ;;
    esac
    act probe || break
    if [ "$(e2e_now_ms)" -gt "$next_check" ]; then
        echo "after $STEPS steps, $(rss_kib) KiB resident:"
        check_contents
        next_check=$(($(e2e_now_ms) + 10000))
    fi
    [ "$STEPS" = 25 ] && e2e_step soaking
done

kill -TERM "$MUTATOR_PID" 2>/dev/null
wait "$MUTATOR_PID" 2>/dev/null
cat "$E2E_OUT/mutator.log"
e2e_check "the program is still running after $STEPS steps" kill -0 "$E2E_APP_PID"
answer_boxes
e2e_step after-soak

# --- The folder at rest: the program still opens a clip, shows and copies it exactly, and
# saves what is typed into it to its own file.
for f in "$clips"/*; do
    case ${f##*/} in [Aa][Ll][Pp][Hh][Aa].*) rm -f "$f" ;; esac
done
printf 'alpha.txt#9999\r\nalpha.txt#9999' >"$clips/alpha.txt"
printf 'alpha.hed#9999' >"$clips/alpha.hed"
focus_command_box
e2e_type alpha
e2e_key Return
e2e_check_eventually "after the soak, alpha opens: its body is on the clipboard" 5 \
    e2e_clipboard_is 'alpha.txt#9999\r\nalpha.txt#9999'
e2e_check_a11y "its title shows" e2e_text_is Title 'alpha.hed#9999'
e2e_check_a11y_eventually "its editors are enabled" 3 e2e_editors_enabled yes
type_markers
e2e_check_a11y_eventually "the title typed into is saved to alpha.hed" 3 e2e_file_is "$clips/alpha.hed" 'alpha.hed#9999AA'
e2e_check_a11y_eventually "the body typed into is saved to alpha.txt" 3 \
    e2e_file_is "$clips/alpha.txt" 'alpha.txt#9999\r\nalpha.txt#9999A'
e2e_step at-rest
rss_end=$(rss_kib)

e2e_check "the program answered at each of $STEPS steps (slowest probe $SLOWEST_MS ms)" test "$UNANSWERED_STEPS" = 0
e2e_check "every step did what it should ($CREATED clips created, $TYPED markers typed)" test "$DRIVER_FAULTS" = 0
echo "boxes shown, by text:"
for text in "${!BOX_TEXTS[@]}"; do
    printf '    %3d x %s\n' "${BOX_TEXTS[$text]}" "$text"
done
e2e_check "no box other than a missed read or a delete confirmation ($UNEXPECTED_BOXES others)" \
    test "$UNEXPECTED_BOXES" = 0
echo "resident memory: $rss_first KiB after the first refresh, $rss_base KiB after the warm-up, $rss_end KiB at the end"
if [ "$SOAK_ASAN" = 1 ]; then
    CHECKS_SKIPPED=$((CHECKS_SKIPPED + 1))
    echo "SKIP: resident memory (AddressSanitizer's quarantine holds freed memory)"
else
    e2e_check "resident memory grew by at most $SOAK_RSS_MARGIN_KIB KiB after the warm-up" \
        test "$((rss_end - rss_base))" -le "$SOAK_RSS_MARGIN_KIB"
    e2e_check "and by at most $SOAK_RSS_MARGIN_FIRST_KIB KiB after the first refresh" \
        test "$((rss_end - rss_first))" -le "$SOAK_RSS_MARGIN_FIRST_KIB"
fi

wmctrl -c 'Snipwell 1.0'
e2e_wait_exit "$E2E_APP_PID"
e2e_check "closing the window ends the program with exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
echo "the folder at the end:"
check_contents --final
e2e_check "no clip file ever held another clip's text ($CHECKS_FAILED failed checks)" test "$CHECKS_FAILED" = 0
e2e_check "nor did the other program find one before it replaced a file" \
    grep -q "^mutator: 0 foreign texts" "$E2E_OUT/mutator.log"
rm -rf "$clips"
e2e_finish
