# Shared steps of the end-to-end tests: a private X server with a window manager, the real
# program started in a clip folder of the test's own, and a person's tools to drive it.
# Usage: source lib.sh; e2e_start_display; e2e_start_app DIR; ...; e2e_finish

set -u
E2E_BINARY=${E2E_BINARY:?path of the snipwell binary}
E2E_OUT=${E2E_OUT:-$(mktemp -d)}
mkdir -p "$E2E_OUT"
# Numbered pictures of an earlier run would mix with this run's.
rm -f "$E2E_OUT"/[0-9][0-9]-*.png "$E2E_OUT"/wm-*.log
E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$E2E_LIB_DIR/../support/checks.sh"
E2E_STEP=0
E2E_PIDS=()
E2E_TEMP_DIRS=()
E2E_BUS=0
E2E_BUS_ADDRESSES=()
# Extra environment for the program, as NAME=VALUE words (e2e_highdpi.sh sets a scale factor).
E2E_APP_ENV=()
# The system's Python: it has the D-Bus module, a private one may not.
E2E_PYTHON=/usr/bin/python3
[ -x "$E2E_PYTHON" ] || E2E_PYTHON=python3

e2e_cleanup() {
    local pid
    # What a session bus started for its clients (KWin's kglobalaccel5 among them) detaches from
    # it and outlives it; the bus's own address, in their environment, tells them.
    local address
    for address in "${E2E_BUS_ADDRESSES[@]}"; do
        for pid in $(grep -l -a -F -x -z "DBUS_STARTER_ADDRESS=$address" /proc/[0-9]*/environ 2>/dev/null |
            cut -d/ -f3); do
            kill "$pid" 2>/dev/null
        done
    done
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    [ ${#E2E_TEMP_DIRS[@]} = 0 ] || rm -rf "${E2E_TEMP_DIRS[@]}"
}
trap e2e_cleanup EXIT

e2e_now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# e2e_wait_until SECONDS command...: runs the command every 50 ms until it succeeds; fails when
# it has not within SECONDS (a whole number).
e2e_wait_until() {
    local deadline=$(($(e2e_now_ms) + $1 * 1000))
    shift
    until "$@" >/dev/null; do
        # The last try speaks, so that a failure says what was found instead.
        [ "$(e2e_now_ms)" -gt "$deadline" ] && { "$@"; return; }
        sleep 0.05
    done
}

# The window managers the tests run under, one line each: the program to look for, how it starts
# on the test's display, whether it joins a session bus (it gets the test's own, never the
# user's), and the name it writes on its check window once it manages windows. Compositing is off
# where it can be: it costs a machine without a graphics card much, and the tests read places and
# sizes, which it does not change; mutter as an X11 window manager always composites.
e2e_wm_table() {
    E2E_WM_BUS=0
    case $1 in
    openbox) E2E_WM_PROGRAM=openbox E2E_WM_NAME=Openbox E2E_WM_COMMAND=(openbox --sm-disable) ;;
    xfwm4) E2E_WM_PROGRAM=xfwm4 E2E_WM_NAME=Xfwm4 E2E_WM_BUS=1 \
        E2E_WM_COMMAND=(xfwm4 --compositor=off --sm-client-disable) ;;
    metacity) E2E_WM_PROGRAM=metacity E2E_WM_NAME=Metacity E2E_WM_BUS=1 \
        E2E_WM_COMMAND=(metacity --compositor=none --sm-disable) ;;
    mutter) E2E_WM_PROGRAM=mutter E2E_WM_NAME=Mutter E2E_WM_BUS=1 \
        E2E_WM_COMMAND=(mutter --x11 --sm-disable) ;;
    icewm) E2E_WM_PROGRAM=icewm E2E_WM_NAME=IceWM E2E_WM_COMMAND=(icewm) ;;
    # KWin is a Qt program: the offscreen platform that `make test` sets would keep it off the
    # display.
    kwin) E2E_WM_PROGRAM=kwin_x11 E2E_WM_NAME=KWin E2E_WM_BUS=1 \
        E2E_WM_COMMAND=(env -u QT_QPA_PLATFORM KWIN_COMPOSE=N kwin_x11) ;;
    *) return 1 ;;
    esac
}

# e2e_wm_installed WM: the machine has that window manager and what it needs to start.
e2e_wm_installed() {
    e2e_wm_table "$1" && command -v "$E2E_WM_PROGRAM" >/dev/null || return 1
    [ "$E2E_WM_BUS" = 0 ] || command -v dbus-daemon >/dev/null
}

# e2e_start_display [DEPTH] [WIDTHxHEIGHT] [WM]: Xvfb and a window manager (WM, else $E2E_WM,
# else openbox), and where the machine has them a session bus with the accessibility bus,
# through which the tests read texts and states.
# Another test's X server that is ending can remove the files of the display number it gives up
# just as this test's server takes that number: the first client still reaches the ending server,
# later ones reach nothing. A window manager that cannot connect is the sign; a fresh server is
# tried then.
e2e_start_display() {
    local attempt
    for attempt in 1 2 3; do
        E2E_DISPLAY_LOST=0
        e2e_start_display_once "$@" && return 0
        [ "$E2E_DISPLAY_LOST" = 1 ] || return 1
        [ "$attempt" -lt 3 ] && echo "the display was lost; a fresh X server" >&2
    done
    return 1
}

e2e_start_display_once() {
    local depth=${1:-24} size=${2:-1024x768} wm=${3:-${E2E_WM:-openbox}} first_pid=${#E2E_PIDS[@]}
    E2E_BUS=0
    e2e_wm_table "$wm" || {
        echo "unknown window manager: $wm" >&2
        return 1
    }
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$size"x"$depth" -nolisten tcp 3>"$fd_file" 2>/dev/null &
    E2E_PIDS+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
    # The server answers before anything else starts on it: a window manager that finds no display
    # ends at once.
    e2e_wait_until 10 xprop -root WM_NAME >/dev/null 2>&1 || {
        echo "the X server on $DISPLAY does not answer" >&2
        return 1
    }
    E2E_A11Y=0
    if [ "$E2E_WM_BUS" = 1 ] || e2e_accessibility_possible; then
        e2e_start_session_bus || {
            echo "no session bus for $wm" >&2
            return 1
        }
    fi
    # Settings and caches of its own: the user's would change what is tested, and the tests
    # write nothing into the user's home.
    local home
    home=$(mktemp -d)
    E2E_TEMP_DIRS+=("$home")
    mkdir -p "$home/config/icewm"
    env XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data" \
        ICEWM_PRIVCFG="$home/config/icewm" GSETTINGS_BACKEND=memory \
        "${E2E_WM_COMMAND[@]}" >"$E2E_OUT/wm-$wm-${DISPLAY#:}.log" 2>&1 &
    local wm_pid=$!
    E2E_PIDS+=("$wm_pid")
    local deadline=$(($(e2e_now_ms) + 20000))
    until e2e_wm_ready; do
        if ! kill -0 "$wm_pid" 2>/dev/null || [ "$(e2e_now_ms)" -gt "$deadline" ]; then
            echo "the window manager $wm did not start; its output:" >&2
            tail -n 20 "$E2E_OUT/wm-$wm-${DISPLAY#:}.log" >&2
            if grep -q -i -E "open.*display|connect.*display" "$E2E_OUT/wm-$wm-${DISPLAY#:}.log"; then
                # Killed outright: an X server that ends in order would remove files of a display
                # number that is no longer its own, as happened to this one.
                E2E_DISPLAY_LOST=1
                local pid
                for pid in "${E2E_PIDS[@]:$first_pid}"; do
                    kill -KILL "$pid" 2>/dev/null
                    wait "$pid" 2>/dev/null
                done
                E2E_PIDS=("${E2E_PIDS[@]:0:$first_pid}")
            fi
            return 1
        fi
        sleep 0.05
    done
    [ "$E2E_BUS" = 1 ] && e2e_start_accessibility_bus
    return 0
}

# The window manager named in the table has put up its check window (_NET_SUPPORTING_WM_CHECK),
# which it does once it manages the windows that come.
e2e_wm_ready() {
    local check
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # //p')
    [ -n "$check" ] && xprop -id "$check" _NET_WM_NAME 2>/dev/null | grep -q "= \"$E2E_WM_NAME"
}

# Whether the program's texts and states can be read here; E2E_NO_A11Y=1 runs the tests as on a
# machine without it.
e2e_accessibility_possible() {
    [ "${E2E_NO_A11Y:-0}" != 1 ] && command -v dbus-daemon >/dev/null &&
        [ -x /usr/libexec/at-spi-bus-launcher ] && "$E2E_PYTHON" -c 'import dbus' 2>/dev/null
}

# A private session bus for the display's window manager and program; sets E2E_BUS=1.
e2e_start_session_bus() {
    E2E_BUS=0
    local bus
    bus=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 2>/dev/null) || return 1
    export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
    E2E_PIDS+=("${bus##*$'\n'}")
    E2E_BUS_ADDRESSES+=("$DBUS_SESSION_BUS_ADDRESS")
    E2E_BUS=1
}

# Asking the session bus for the accessibility bus starts that one, before the program looks for
# it. E2E_A11Y tells whether texts and states can be read.
e2e_start_accessibility_bus() {
    E2E_A11Y=0
    e2e_accessibility_possible || return 0
    "$E2E_PYTHON" "$E2E_LIB_DIR/a11y.py" ready >/dev/null 2>&1 && E2E_A11Y=1
    return 0
}

# Starts the program with DIR as its current directory; sets E2E_APP_PID and E2E_WINDOW. Returns
# once the splash window has gone: its going makes the main window topmost and re-reads the clip
# list, which empties the command box and moves the current clip to the nameless one.
e2e_start_app() {
    local a11y=()
    [ "${E2E_A11Y:-0}" = 1 ] && a11y=(QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
    (cd "$1" && exec env -u QT_QPA_PLATFORM "${a11y[@]}" "${E2E_APP_ENV[@]}" "$E2E_BINARY") >"$E2E_OUT/app.log" 2>&1 &
    E2E_APP_PID=$!
    E2E_PIDS+=("$E2E_APP_PID")
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

# --- The splash window: up for about a second before the main window comes, so it is read the
# moment it is seen.

# e2e_start_with_splash DIR NAME: starts the program in DIR (its output in app-NAME.log) and waits
# (at most 10 s) for its splash window. Sets E2E_APP_PID, E2E_SPLASH and E2E_SPLASH_SEEN_AT, and at
# once E2E_SPLASH_PLACE (X,Y), E2E_SPLASH_SIZE (WIDTHxHEIGHT), E2E_SPLASH_FRAME (the frame's left,
# right, top and bottom) and E2E_SPLASH_KIND (its type and states, as xprop prints them).
e2e_start_with_splash() {
    (cd "$1" && exec env -u QT_QPA_PLATFORM "${E2E_APP_ENV[@]}" "$E2E_BINARY") >"$E2E_OUT/app-$2.log" 2>&1 &
    E2E_APP_PID=$!
    E2E_PIDS+=("$E2E_APP_PID")
    E2E_SPLASH=""
    local _
    for _ in $(seq 1000); do
        E2E_SPLASH=$(e2e_visible_window '^Snipwell$')
        [ -n "$E2E_SPLASH" ] && break
        kill -0 "$E2E_APP_PID" 2>/dev/null || break
        sleep 0.01
    done
    E2E_SPLASH_SEEN_AT=$(e2e_now_ms)
    [ -n "$E2E_SPLASH" ] || return 1
    E2E_SPLASH_PLACE=$(e2e_position "$E2E_SPLASH")
    E2E_SPLASH_SIZE=$(e2e_client_size "$E2E_SPLASH")
    E2E_SPLASH_FRAME=$(e2e_frame_extents "$E2E_SPLASH")
    E2E_SPLASH_KIND=$(xprop -id "$E2E_SPLASH" _NET_WM_WINDOW_TYPE _NET_WM_STATE 2>/dev/null)
}

# e2e_wait_splash_gone SINCE LIMIT: waits until no splash window is visible, at most LIMIT ms
# from SINCE (a time of e2e_now_ms); sets E2E_SPLASH_GONE_MS, the time from SINCE until then.
e2e_wait_splash_gone() {
    local since=$1 limit=$2
    while [ -n "$(e2e_visible_window '^Snipwell$')" ]; do
        [ $(($(e2e_now_ms) - since)) -gt "$limit" ] && break
        sleep 0.02
    done
    E2E_SPLASH_GONE_MS=$(($(e2e_now_ms) - since))
    [ -z "$(e2e_visible_window '^Snipwell$')" ]
}

# The splash window has no frame, stays above other windows and has no task-bar entry, as read
# by e2e_start_with_splash. Task bars leave out splash windows, as they do windows that ask to be
# skipped.
e2e_splash_unframed() {
    e2e_same 0,0,0,0 "$E2E_SPLASH_FRAME"
}

e2e_splash_above() {
    grep -q _NET_WM_STATE_ABOVE <<<"$E2E_SPLASH_KIND"
}

e2e_splash_off_task_bar() {
    grep -q -E '= _NET_WM_WINDOW_TYPE_SPLASH|_NET_WM_STATE_SKIP_TASKBAR' <<<"$E2E_SPLASH_KIND"
}

# The fastest compression: ImageMagick's default takes seconds on a busy machine for a screen with
# a gradient (mutter's background), a delay that a brief window's watch cannot afford.
e2e_screenshot() {
    import -window root -quality 10 "$E2E_OUT/$1.png" 2>/dev/null || true
}

# e2e_step WHAT: a screenshot of the screen named by the step's number and what it shows.
e2e_step() {
    E2E_STEP=$((E2E_STEP + 1))
    e2e_screenshot "$(printf '%02d' "$E2E_STEP")-$1"
}

# e2e_check "what" command...: runs the command, counts and reports the outcome.
e2e_check() { check "$@"; }

# e2e_check_eventually "what" SECONDS command...: as e2e_check, once the command has succeeded
# within SECONDS.
e2e_check_eventually() {
    local what=$1 seconds=$2
    shift 2
    e2e_check "$what" e2e_wait_until "$seconds" "$@"
}

# e2e_check_a11y: as e2e_check for what only the accessibility bus can tell; reported as
# skipped where the machine has no such bus.
e2e_check_a11y() {
    if [ "${E2E_A11Y:-0}" != 1 ]; then
        CHECKS_SKIPPED=$((CHECKS_SKIPPED + 1))
        echo "SKIP: $1 (no accessibility bus)"
        return 0
    fi
    e2e_check "$@"
}

e2e_check_a11y_eventually() {
    local what=$1 seconds=$2
    shift 2
    e2e_check_a11y "$what" e2e_wait_until "$seconds" "$@"
}

e2e_finish() {
    echo "Screenshots: $E2E_OUT"
    checks_report e2e
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

# --- Acting as a person: keys go to whichever window has the focus, as the user's would.

# A window manager that does not activate the window would keep xdotool waiting for ever.
e2e_activate() {
    timeout 10 xdotool windowactivate --sync "${1:-$E2E_WINDOW}" 2>/dev/null
}

e2e_type() {
    xdotool type --delay 20 "$1"
}

e2e_key() {
    xdotool key --delay 20 "$@"
}

# e2e_click X Y [WINDOW]: a left click at X,Y of the window's client area (the main window's
# by default).
e2e_click() {
    xdotool mousemove --window "${3:-$E2E_WINDOW}" "$1" "$2" click 1
}

# --- Windows

e2e_visible_windows() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null
}

e2e_visible_window() {
    e2e_visible_windows "$1" | head -n1
}

# e2e_wait_window REGEX [EXCLUDED_ID...]: prints the id of a visible window whose name matches
# REGEX (leaving out the given ones) as soon as there is one, within 10 s.
e2e_wait_window() {
    local regex=$1 deadline=$(($(e2e_now_ms) + 10000)) id excluded
    shift
    while [ "$(e2e_now_ms)" -le "$deadline" ]; do
        for id in $(e2e_visible_windows "$regex"); do
            for excluded in "$@"; do [ "$id" = "$excluded" ] && continue 2; done
            echo "$id"
            return 0
        done
        sleep 0.05
    done
    return 1
}

e2e_window_viewable() {
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

e2e_window_unmapped() {
    ! e2e_window_viewable "$1"
}

# Waits (at most 10 s) until the window is no longer on screen.
e2e_wait_window_gone() {
    e2e_wait_until 10 e2e_window_unmapped "$1"
}

e2e_window_name() {
    xprop -id "$1" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([A-Z_]*) = "\(.*\)"$/\1/p'
}

# Prints WIDTHxHEIGHT of the window's client area.
e2e_client_size() {
    xwininfo -id "$1" | awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print w "x" h}'
}

# Prints X,Y of the client area's top-left corner on the screen.
e2e_position() {
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4} END {print x "," y}'
}

# The height of the window with its frame: client height plus the frame's top and bottom.
e2e_outer_height() {
    local height
    height=$(xwininfo -id "$1" | awk '/^  Height:/ {print $2}')
    echo $((height + $(e2e_frame_height "$1")))
}

# The rows the window manager's frame adds above and below the client area; they depend on the
# theme's title font, so on the fonts the machine has.
e2e_frame_height() {
    local top bottom
    IFS=, read -r _ _ top bottom <<<"$(e2e_frame_extents "$1")"
    echo $((top + bottom))
}

# The frame's left, right, top and bottom as the window manager tells (_NET_FRAME_EXTENTS); where
# it does not, as the window it put around the client on the root window measures.
e2e_frame_extents() {
    local extents
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    if [ -z "$extents" ]; then
        local cx cy cw ch fx fy fw fh
        read -r cx cy cw ch <<<"$(e2e_geometry "$1")"
        read -r fx fy fw fh <<<"$(e2e_geometry "$(e2e_toplevel "$1")")"
        extents="$((cx - fx)),$((fx + fw - cx - cw)),$((cy - fy)),$((fy + fh - cy - ch))"
    fi
    echo "$extents"
}

# Prints "X Y WIDTH HEIGHT" of the window on the screen.
e2e_geometry() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
        /^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print x, y, w, h}'
}

# The window's ancestor that is a child of the root window: the frame of a framed window.
e2e_toplevel() {
    local id=$1 parent
    while parent=$(xwininfo -tree -id "$id" 2>/dev/null | sed -n 's/^  Parent window id: \(0x[0-9a-f]*\).*/\1/p') &&
        [ -n "$parent" ] && ! xwininfo -tree -id "$id" | grep -q '^  Parent window id: .*(the root window)'; do
        id=$parent
    done
    echo "$id"
}

e2e_has_state() {
    xprop -id "$1" _NET_WM_STATE | grep -q "$2"
}

e2e_lacks_state() {
    ! e2e_has_state "$@"
}

# e2e_region_luma WINDOW X Y W H: the darkest and the brightest grey value (0 to 255) in that
# rectangle of the window's client area, as "min max".
e2e_region_luma() {
    import -window "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray \
        -format '%[fx:int(255*minima+0.5)] %[fx:int(255*maxima+0.5)]' info: 2>/dev/null
}

# The two editors' look in the main window: a disabled body editor greys the arrows of its
# scroll bar (enabled they are nearly black), a disabled title line greys its white text. Prints
# "enabled", "disabled" or "mixed"; the title line has to hold text.
e2e_editors_look() {
    local arrows title
    arrows=$(e2e_region_luma "$E2E_WINDOW" 299 56 14 14)
    title=$(e2e_region_luma "$E2E_WINDOW" 8 32 305 17)
    if [ -z "$arrows" ] || [ -z "$title" ]; then
        echo unknown
        return
    fi
    local body_on=$((${arrows% *} < 135)) title_on=$((${title#* } > 192))
    if [ "$body_on$title_on" = 11 ]; then
        echo enabled
    elif [ "$body_on$title_on" = 00 ]; then
        echo disabled
    else
        echo mixed
    fi
}

e2e_editors_look_is() {
    local look
    look=$(e2e_editors_look)
    [ "$look" = "$1" ] && return 0
    echo "    the editors look $look"
    return 1
}

# --- Bytes: files and the clipboard, compared as hexadecimal dumps

# e2e_bytes FILE: the file's bytes in hexadecimal, or "no file".
e2e_bytes() {
    if [ -f "$1" ]; then
        od -An -v -tx1 "$1" | tr -s ' \n' ' '
    else
        echo "no file"
    fi
}

# e2e_hex FORMAT [ARG...]: the bytes that printf makes of it, in hexadecimal.
e2e_hex() {
    # shellcheck disable=SC2059
    printf "$@" | od -An -v -tx1 | tr -s ' \n' ' '
}

# The clipboard as another program pastes it. A timeout, so that a program that does not answer
# fails the check instead of hanging it.
e2e_clipboard_bytes() {
    timeout 5 xclip -selection clipboard -o 2>/dev/null | od -An -v -tx1 | tr -s ' \n' ' '
}

# e2e_output_is EXPECTED command...: the command prints exactly EXPECTED. For polling: the
# command runs anew at every try.
e2e_output_is() {
    local expected=$1
    shift
    e2e_same "$expected" "$("$@")"
}

e2e_same() {
    [ "$1" = "$2" ] && return 0
    echo "    expected: $1"
    echo "    got:      $2"
    return 1
}

# e2e_file_is FILE FORMAT [ARG...]: the file holds exactly the bytes that printf makes.
e2e_file_is() {
    local file=$1
    shift
    e2e_same "$(e2e_hex "$@")" "$(e2e_bytes "$file")"
}

# e2e_clipboard_is FORMAT [ARG...]: the clipboard holds exactly those bytes.
e2e_clipboard_is() {
    e2e_same "$(e2e_hex "$@")" "$(e2e_clipboard_bytes)"
}

# Puts a text of the test's own on the clipboard, to see whether the program replaces it. xclip
# serves it until another program takes the clipboard.
e2e_set_clipboard() {
    printf '%s' "$1" | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait_until 5 e2e_clipboard_is '%s' "$1" >/dev/null
}

# --- What a screen reader reads (needs E2E_A11Y=1)

e2e_a11y() {
    "$E2E_PYTHON" "$E2E_LIB_DIR/a11y.py" "$@" 2>/dev/null
}

# e2e_text_is NAME TEXT: the control with that accessible name shows exactly TEXT.
e2e_text_is() {
    e2e_same "$2" "$(e2e_a11y text "$1")"
}

# e2e_state_is NAME STATE yes|no
e2e_state_is() {
    local states
    states=" $(e2e_a11y states "$1") "
    case "$3:$states" in
    yes:*" $2 "*) return 0 ;;
    no:*" $2 "*) ;;
    no:*) return 0 ;;
    esac
    echo "    $1 is: $states"
    return 1
}

# Both editors enabled (yes) or disabled (no), as a screen reader tells.
e2e_editors_enabled() {
    e2e_state_is Title enabled "$1" >/dev/null && e2e_state_is Body enabled "$1" >/dev/null
}

# e2e_box_is ROLE TITLE TEXTS BUTTONS: the accessibility bus shows exactly one window besides the
# main one (a frame), with that role, title, label texts and buttons (a message box's icon has no
# text).
e2e_box_is() {
    local windows
    windows=$(e2e_a11y windows | grep -v -P '^frame\tSnipwell 1\.0\t')
    e2e_same "$(printf '%s\t%s\t%s\t%s' "$@")" "$windows"
}
