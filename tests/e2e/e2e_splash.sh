#!/usr/bin/env bash
# The splash window under a real window manager: shown before the main window, centred,
# undecorated, above everything and without a task-bar entry; gone after its second, leaving the
# main window topmost. Closing the main window during that second ends the program cleanly. Then
# once more on a display of 8 bits per pixel.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)
printf 'Hello\r\nworld' >"$clips/faq1.txt"

# The about link opens the same picture as a modal window above the topmost main window; a click
# on the picture closes it.
check_about() {
    local name=$1 about="" _
    xdotool mousemove --window "$MAIN" 295 314 click 1
    for _ in $(seq 250); do
        about=$(e2e_visible_window '^Snipwell$')
        [ -n "$about" ] && break
        sleep 0.02
    done
    e2e_check "[$name] the about link opens the About window" test -n "$about" || return
    local info x y
    info=$(xwininfo -id "$about")
    x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
    e2e_check "[$name] About window is centred at 336,283 (got $x,$y)" test "$x" = 336 -a "$y" = 283
    local stacking
    stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr -d ' ' | tr ',' '\n' |
        while read -r id; do printf '%d\n' "$id"; done)
    e2e_check "[$name] About window is stacked above the topmost main window" \
        test "$(grep -n -x "$about" <<<"$stacking" | cut -d: -f1)" -gt "$(grep -n -x "$MAIN" <<<"$stacking" | cut -d: -f1)"
    sleep 0.3
    e2e_screenshot "$name-about"
    # Still there after more than the splash window's second: it has no timer.
    sleep 0.9
    e2e_check "[$name] About window stays until clicked" test -n "$(e2e_visible_window '^Snipwell$')"
    xdotool mousemove --window "$about" 175 100 click 1
    e2e_wait_splash_gone "$(e2e_now_ms)" 2000
    e2e_check "[$name] a click on the picture closes it" test -z "$(e2e_visible_window '^Snipwell$')"
}

# The whole launch on the current display: splash first, its place and kind, its end.
check_launch() {
    local name=$1
    e2e_check "[$name] a window titled Snipwell (the splash window) appears" e2e_start_with_splash "$clips" "$name" ||
        return
    SPLASH=$E2E_SPLASH
    e2e_check "[$name] splash window is 352 x 202 (got $E2E_SPLASH_SIZE)" test "$E2E_SPLASH_SIZE" = 352x202
    e2e_check "[$name] splash window is centred at 336,283 (got $E2E_SPLASH_PLACE)" test "$E2E_SPLASH_PLACE" = 336,283
    e2e_check "[$name] splash window has no frame" e2e_splash_unframed
    e2e_check "[$name] splash window stays above other windows" e2e_splash_above
    e2e_check "[$name] splash window has no task-bar entry" e2e_splash_off_task_bar
    MAIN=$(timeout 10 xdotool search --sync --onlyvisible --name '^Snipwell 1\.0$' | head -n1)
    e2e_check "[$name] the main window comes up while the splash window is up" \
        test -n "$MAIN" -a -n "$(e2e_visible_window '^Snipwell$')"
    local wait_ms=$((E2E_SPLASH_SEEN_AT + 400 - $(e2e_now_ms)))
    [ "$wait_ms" -gt 0 ] && sleep "$(printf '0.%03d' "$wait_ms")"
    e2e_check "[$name] splash window is still up 0.4 s after it appeared" test -n "$(e2e_visible_window '^Snipwell$')"

    # The window manager lists its clients in the order they were mapped.
    local clients
    clients=$(xprop -root _NET_CLIENT_LIST | sed 's/.*# //' | tr -d ' ' | tr ',' '\n' |
        while read -r id; do printf '%d\n' "$id"; done)
    local splash_rank main_rank
    splash_rank=$(grep -n -x "$SPLASH" <<<"$clients" | cut -d: -f1)
    main_rank=$(grep -n -x "$MAIN" <<<"$clients" | cut -d: -f1)
    e2e_check "[$name] the splash window was mapped before the main window ($splash_rank, $main_rank)" \
        test -n "$splash_rank" -a -n "$main_rank" -a "${splash_rank:-0}" -lt "${main_rank:-0}"

    e2e_check "[$name] the main window is not topmost yet" bash -c "! xprop -id $MAIN _NET_WM_STATE | grep -q ABOVE"
    e2e_screenshot "$name-during"

    e2e_wait_splash_gone "$E2E_SPLASH_SEEN_AT" 2000
    e2e_check "[$name] splash window is gone within two seconds (after ${E2E_SPLASH_GONE_MS} ms)" \
        test "$E2E_SPLASH_GONE_MS" -le 2000
    e2e_check "[$name] then the main window is topmost (_NET_WM_STATE_ABOVE)" \
        e2e_wait_until 2 e2e_has_state "$MAIN" _NET_WM_STATE_ABOVE
    e2e_screenshot "$name-after"
    check_about "$name"

    wmctrl -c 'Snipwell 1.0'
    e2e_wait_exit "$E2E_APP_PID"
    e2e_check "[$name] closing the main window ends the program with exit code 0 (got $E2E_EXIT_CODE)" \
        test "$E2E_EXIT_CODE" = 0
}

e2e_start_display || exit 1
check_launch "24-bit"

# Closed within the splash window's second: the program ends at once and takes the splash
# window with it; its timer never fires into a main window that is gone.
if e2e_check "[early close] the splash window appears" e2e_start_with_splash "$clips" early-close; then
    timeout 10 xdotool search --sync --onlyvisible --name '^Snipwell 1\.0$' >/dev/null
    splash_up=$(e2e_visible_window '^Snipwell$')
    wmctrl -c 'Snipwell 1.0'
    e2e_wait_exit "$E2E_APP_PID"
    e2e_check "[early close] the main window was closed while the splash window was up" test -n "$splash_up"
    e2e_check "[early close] the program ends with exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
    e2e_check "[early close] no window of the program is left" test -z "$(e2e_visible_window '^Snipwell')"
fi

# A display of 8 bits per pixel, where the picture decodes to at most 236 colours. Qt 6.4's X11
# backend has no drawing surface for such a display: its windows paint nothing and QLineEdit
# crashes in its first paint, saying so in the log. A first run finds out; where Qt cannot paint
# there, the display is reported and not counted.
e2e_start_display 8 || exit 1
(cd "$clips" && exec env -u QT_QPA_PLATFORM "$E2E_BINARY") >"$E2E_OUT/app-8-bit-probe.log" 2>&1 &
probe=$!
E2E_PIDS+=("$probe")
for _ in $(seq 150); do
    kill -0 "$probe" 2>/dev/null || break
    sleep 0.02
done
e2e_screenshot 8-bit-probe
if kill -0 "$probe" 2>/dev/null; then
    kill "$probe"
    e2e_wait_exit "$probe"
    check_launch "8-bit"
else
    e2e_wait_exit "$probe"
    if grep -q 'Paint device returned engine == 0' "$E2E_OUT/app-8-bit-probe.log"; then
        echo "SKIP: [8-bit] Qt's X11 backend cannot paint on an 8-bit display" \
            "(the program ended with exit code $E2E_EXIT_CODE; see app-8-bit-probe.log)"
    else
        e2e_check "[8-bit] the program runs (ended with exit code $E2E_EXIT_CODE)" false
    fi
fi

rm -rf "$clips"
e2e_finish
