#!/usr/bin/env bash
# Closing the program after opening a clip, under Debian's clipboard managers and under none: the
# process ends within half a second of the close request, and the clip stays on the clipboard
# wherever a manager keeps it. xfce4-clipman holds the clipboard manager selection and never
# answers the request to save the text that Qt makes at exit, which waited five seconds for it.
source "$(dirname "$0")/lib.sh"

clips=$(mktemp -d)

# The managers write their history into a HOME of their own, and use a session bus of their own
# (xfconf's daemon, started on it, then stores its settings there too).
start_manager() {
    local home=$1 bus
    shift
    bus=$(HOME=$home dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1) || return 1
    E2E_PIDS+=("${bus##*$'\n'}")
    (
        unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
        export HOME=$home DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
        exec "$@"
    ) >"$E2E_OUT/manager-$(basename "$1").log" 2>&1 &
    E2E_PIDS+=($!)
}

in_history() {
    grep -rqF -- "$2" "$1"
}

# A new text of the test's own on the clipboard: once one is in its history, the manager runs.
manager_collects() {
    local probe="probe $RANDOM$RANDOM"
    e2e_set_clipboard "$probe"
    e2e_wait_until 1 in_history "$1" "$probe" >/dev/null
}

# The milliseconds until the process has ended, at most 5000.
exit_ms() {
    local start=$1 pid=$2
    while kill -0 "$pid" 2>/dev/null && [ $(($(e2e_now_ms) - start)) -lt 5000 ]; do
        sleep 0.02
    done
    echo $(($(e2e_now_ms) - start))
}

# check_manager NAME KEEPS COMMAND...: opens a clip, closes the program and reads the clipboard,
# with the manager started by COMMAND ("none": no manager). KEEPS: yes when the clip must stay.
check_manager() {
    local name=$1 keeps=$2 home body token first_pid=${#E2E_PIDS[@]} start ms pid
    shift 2
    if [ "$1" != none ] && ! command -v "$1" >/dev/null; then
        CHECKS_SKIPPED=$((CHECKS_SKIPPED + 1))
        echo "SKIP: [$name] $1 is not installed"
        return
    fi
    token="thank you from $name"
    body=$'Dear customer,\r\n'"$token."
    printf '%s' "$body" >"$clips/faq1.txt"
    home=$(mktemp -d)

    e2e_start_display || return 1
    if [ "$1" != none ]; then
        start_manager "$home" "$@"
        e2e_check "[$name] the manager runs and collects the clipboard" \
            e2e_wait_until 10 manager_collects "$home" || return 1
    fi
    e2e_check "[$name] window appears" e2e_start_app "$clips" || return 1
    e2e_activate
    e2e_type faq1
    e2e_key Return
    e2e_check_eventually "[$name] Enter puts the clip on the clipboard" 5 e2e_clipboard_is %s "$body"
    e2e_step "$name-opened"
    [ "$1" = none ] || e2e_check_eventually "[$name] the manager has taken the clip" 5 in_history "$home" "$token"
    start=$(e2e_now_ms)
    wmctrl -c 'Snipwell 1.0'
    ms=$(exit_ms "$start" "$E2E_APP_PID")
    e2e_check "[$name] the process ends within 500 ms of the close request (took $ms ms)" test "$ms" -le 500
    e2e_wait_exit "$E2E_APP_PID"
    e2e_check "[$name] exit code 0 (got $E2E_EXIT_CODE)" test "$E2E_EXIT_CODE" = 0
    if [ "$keeps" = yes ]; then
        e2e_check_eventually "[$name] the clip stays on the clipboard" 3 e2e_clipboard_is %s "$body"
    else
        e2e_check "[$name] the clipboard is empty, its owner gone" e2e_clipboard_is ''
    fi
    # What the case started goes with it.
    for pid in "${E2E_PIDS[@]:first_pid}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$home"
}

check_manager none no none
check_manager parcellite yes parcellite -n
# Debian's /usr/bin/clipit only says that the program is deprecated.
check_manager clipit yes clipit.real -n
check_manager xfce4-clipman yes xfce4-clipman

rm -rf "$clips"
e2e_finish
