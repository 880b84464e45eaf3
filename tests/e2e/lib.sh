# Shared steps of the end-to-end tests: a private X server with a window manager, the real
# program started in a clip folder of the test's own, and a person's tools to drive it.
# Usage: source lib.sh; e2e_start_display; e2e_start_app DIR; ...; e2e_finish

set -u
E2E_BINARY=${E2E_BINARY:?path of the snipwell binary}
E2E_OUT=${E2E_OUT:-$(mktemp -d)}
mkdir -p "$E2E_OUT"
E2E_PASSED=0
E2E_FAILED=0
E2E_PIDS=()

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
}
trap e2e_cleanup EXIT

e2e_start_display() {
    local depth=${1:-24}
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x"$depth" -nolisten tcp 3>"$fd_file" 2>/dev/null &
    E2E_PIDS+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
    openbox --sm-disable >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    for i in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.05
    done
    echo "window manager did not start" >&2
    return 1
}

# Starts the program with DIR as its current directory; sets E2E_APP_PID and E2E_WINDOW. Returns
# once the splash window has gone: its going makes the main window topmost and re-reads the clip
# list, which empties the command box and moves the current clip to the nameless one.
e2e_start_app() {
    (cd "$1" && exec env -u QT_QPA_PLATFORM "$E2E_BINARY") >"$E2E_OUT/app.log" 2>&1 &
    E2E_APP_PID=$!
    E2E_PIDS+=($E2E_APP_PID)
    E2E_WINDOW=$(timeout 10 xdotool search --sync --onlyvisible --name '^Snipwell 1\.0$' | head -n1)
    [ -n "$E2E_WINDOW" ] || return 1
    local i
    for i in $(seq 250); do
        [ -z "$(xdotool search --onlyvisible --name '^Snipwell$' 2>/dev/null)" ] && return 0
        sleep 0.02
    done
    echo "the splash window did not go" >&2
    return 1
}

e2e_screenshot() {
    import -window root "$E2E_OUT/$1.png" 2>/dev/null || true
}

# e2e_check "what" command...: runs the command, counts and reports the outcome.
e2e_check() {
    local what=$1
    shift
    if "$@"; then
        E2E_PASSED=$((E2E_PASSED + 1))
        echo "PASS: $what"
    else
        E2E_FAILED=$((E2E_FAILED + 1))
        echo "FAIL: $what"
    fi
}

e2e_finish() {
    echo "Screenshots: $E2E_OUT"
    echo "e2e: $E2E_PASSED passed, $E2E_FAILED failed"
    [ "$E2E_FAILED" -eq 0 ]
}

# Waits (at most 10 s) until the process has ended; sets E2E_EXIT_CODE (124 when it did not end).
e2e_wait_exit() {
    local pid=$1 i
    for i in $(seq 200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$pid" 2>/dev/null; then
        E2E_EXIT_CODE=124
        return
    fi
    wait "$pid"
    E2E_EXIT_CODE=$?
}
