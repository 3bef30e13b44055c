# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for end-to-end tests: a private Xvfb display with a window manager, the real program
# started in a temporary folder, and its windows found by process id.
#
# A test sources this file, calls e2e_start_display and e2e_start_app, and fails with e2e_fail.
# Everything it started is stopped and the temporary folder removed when the script exits.

set -euo pipefail

E2E_TMP=$(mktemp -d)
E2E_APP_PID=
E2E_PIDS=()
E2E_LOG_SHOWN=

e2e_cleanup() {
    local status=$? pid
    for pid in $E2E_APP_PID "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    # In a sanitized build a report fails the test even when the program's output was not checked.
    if [ -f "$E2E_TMP/app.log" ] && e2e_has_sanitizer_report "$E2E_TMP/app.log"; then
        [ -n "$E2E_LOG_SHOWN" ] || cat "$E2E_TMP/app.log" >&2
        echo "FAIL: the program's sanitizers reported an error" >&2
        status=1
    fi
    rm -rf "$E2E_TMP"
    exit "$status"
}
trap e2e_cleanup EXIT

e2e_has_sanitizer_report() {
    grep -qE '^(==[0-9]+==ERROR: |SUMMARY: (Address|Leak|UndefinedBehavior)Sanitizer)|runtime error: ' "$1"
}

e2e_fail() {
    if [ -s "$E2E_TMP/app.log" ]; then
        echo "The program's output:" >&2
        cat "$E2E_TMP/app.log" >&2
        E2E_LOG_SHOWN=1
    fi
    echo "FAIL: $*" >&2
    exit 1
}

# e2e_wait_for SECONDS COMMAND...: retries the command until it succeeds.
e2e_wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# e2e_wait_while_running SECONDS PID COMMAND...: retries the command until it succeeds, and gives
# up at once when the process has ended.
e2e_wait_while_running() {
    local deadline=$((SECONDS + $1)) pid=$2
    shift 2
    until "$@" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# openbox sets the work area once it manages the screen; xprop succeeds on a missing property.
e2e_window_manager_ready() {
    xprop -root _NET_WORKAREA | grep -q '='
}

# e2e_start_display [WIDTHxHEIGHT]: the screen is 1600x1200 unless told. Called again, it starts
# one more display; DISPLAY names the last one.
e2e_start_display() {
    # -displayfd picks a free display, so that tests can run side by side.
    local display_file screen=${1:-1600x1200} server window_manager
    display_file=$(mktemp "$E2E_TMP/display.XXXXXX")
    # -noreset: a server whose last client leaves resets itself, and a client that connects during
    # the reset is cut off. Until openbox has connected, each xprop below is the last client.
    Xvfb -displayfd 3 -noreset -screen 0 "${screen}x24" -nolisten tcp 3>"$display_file" \
        2>/dev/null &
    server=$!
    E2E_PIDS+=("$server")
    e2e_wait_while_running 60 "$server" test -s "$display_file" || e2e_fail "Xvfb did not start"
    export DISPLAY=":$(cat "$display_file")"
    # Without a window manager a window cannot be closed politely and focus does not follow.
    openbox --sm-disable >"$display_file.openbox" 2>&1 &
    window_manager=$!
    E2E_PIDS+=("$window_manager")
    e2e_wait_while_running 60 "$window_manager" e2e_window_manager_ready \
        || e2e_fail "openbox did not start: $(cat "$display_file.openbox")"
    export XDG_RUNTIME_DIR=$E2E_TMP/runtime
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
}

# e2e_start_session_bus: a D-Bus session bus of this test's own, for the displays started so far.
# The accessibility bus it starts puts its socket in XDG_RUNTIME_DIR (without one, in ~/.cache)
# under a name made of DISPLAY: with the environment of a shared session, tests running side by
# side would take over each other's socket.
e2e_start_session_bus() {
    local address_file=$E2E_TMP/session-bus bus
    dbus-daemon --session --nofork --print-address=3 3>"$address_file" \
        2> >(grep -v 'fd limit' >&2) &
    bus=$!
    E2E_PIDS+=("$bus")
    # The address is printed once the bus takes connections.
    e2e_wait_while_running 60 "$bus" test -s "$address_file" \
        || e2e_fail "the D-Bus session bus did not start"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$address_file")
    export DBUS_SESSION_BUS_ADDRESS
}

# e2e_start_app BINARY FOLDER [ARGUMENT...]: starts the program with FOLDER as its current
# folder.
e2e_start_app() {
    local binary folder=$2
    binary=$(realpath "$1")
    shift 2
    (cd "$folder" && exec "$binary" "$@" >"$E2E_TMP/app.log" 2>&1) &
    E2E_APP_PID=$!
}

# Prints the id of the program's visible window with that title, if it shows one now.
e2e_shows_window() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$E2E_APP_PID" 2>/dev/null); do
        if [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$1" ]; then
            echo "$window"
            return 0
        fi
    done
    return 1
}

# Prints the id of the program's visible window with that title, once it is there.
e2e_window() {
    local title=$1 deadline=$((SECONDS + 20))
    while [ "$SECONDS" -lt "$deadline" ]; do
        e2e_shows_window "$title" && return 0
        sleep 0.1
    done
    cat "$E2E_TMP/app.log" >&2
    e2e_fail "no window \"$title\" appeared"
}

# Prints WIDTHxHEIGHT of a window's client area.
e2e_window_size() {
    xdotool getwindowgeometry "$1" | sed -n 's/^ *Geometry: //p'
}

# e2e_screenshot WID FILE: saves the window's client area as an image, in device pixels, once
# two shots in a row agree: a window that has just appeared may not have finished painting.
e2e_screenshot() {
    local deadline=$((SECONDS + 10)) previous=$E2E_TMP/previous-shot.png
    import -window "$1" "$previous"
    while :; do
        sleep 0.2
        import -window "$1" "$2"
        if [ "$(compare -metric AE "$previous" "$2" null: 2>&1)" = 0 ] \
            || [ "$SECONDS" -ge "$deadline" ]; then
            return 0
        fi
        mv "$2" "$previous"
    done
}

# Clicks at a point of a window's client area.
e2e_click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# A point well inside each of the main window's controls, in its client area at 96 dots per inch.
declare -A e2e_control_point=(
    [Check1]="350 20"     # "Możliwa edycja"
    [Command1]="415 55"   # "Wybierz czcionkę"
    [Command2]="375 425"  # "Czytaj"
    [Command3]="455 425"  # "Zapisz"
    [Command4]="415 465"  # "Zaznacz wszystko"
    [Command5]="375 505"  # "Kopiuj"
    [Command6]="455 505"  # "Wklej"
    [Text1]="170 265"
)

# e2e_click_control WINDOW NAME: clicks inside the main window's control NAME.
e2e_click_control() {
    local point
    read -ra point <<<"${e2e_control_point[$2]}"
    e2e_click "$1" "${point[@]}"
}

e2e_close_window() {
    wmctrl -i -c "$1"
}

# Waits for the program to end and sets E2E_APP_STATUS to its exit status.
e2e_wait_exit() {
    local deadline=$((SECONDS + 10))
    while kill -0 "$E2E_APP_PID" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || e2e_fail "the program did not end"
        sleep 0.1
    done
    E2E_APP_STATUS=0
    wait "$E2E_APP_PID" || E2E_APP_STATUS=$?
    E2E_APP_PID=
}

# e2e_take_message VARIABLE: sets the variable to the text of the message box the program shows,
# read as a screen reader reads it (the program started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# on the test's session bus), and closes the box.
e2e_take_message() {
    local box deadline=$((SECONDS + 10))
    box=$(e2e_window Notatki)
    printf -v "$1" '%s' "$(/usr/bin/python3 - "$(dirname "${BASH_SOURCE[0]}")" "$E2E_APP_PID" <<'PYTHON'
import sys
sys.path.insert(0, sys.argv[1])
import accessibility_tree as tree

box = tree.wait_for(lambda: tree.window(tree.application(int(sys.argv[2])), "alert", "Notatki"),
                    "the message box")
print(" | ".join(node.name for _, node in tree.walk(box) if node.getRoleName() == "label"))
PYTHON
)"
    xdotool windowactivate --sync "$box" key Return
    while e2e_shows_window Notatki >/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || e2e_fail "Return did not close the message box"
        sleep 0.1
    done
}
