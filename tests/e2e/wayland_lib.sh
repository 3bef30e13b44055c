# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for end-to-end tests on Wayland: a compositor of the test's own, with a keyboard and a
# pointer, and the program driven through wayland_session.py. Sourced after lib.sh.

# e2e_start_compositor mutter|weston: starts that compositor, and sets what differs between them:
#   E2E_INPUT         how wayland_session.py types and points ("remote-desktop" or "x11")
#   E2E_AREA_POINT    a point of the monitor inside the program's text area, where the
#                     compositor always puts it (on weston, e2e_start_wayland_program finds it)
#   E2E_WL_COPY_TYPES the types of wl-copy's offers, in the order the compositor shows them
e2e_start_compositor() {
    case $1 in
    mutter) e2e_start_mutter ;;
    weston) e2e_start_weston ;;
    *) e2e_fail "no compositor named $1" ;;
    esac
}

# e2e_start_mutter: mutter on a monitor of its own, in a runtime folder and on a session bus of
# the test's own; WAYLAND_DISPLAY names it. Exits with 77 (skipped) where mutter is missing.
e2e_start_mutter() {
    command -v mutter >/dev/null || { echo "SKIP: mutter is not installed"; exit 77; }
    export XDG_RUNTIME_DIR=$E2E_TMP/runtime
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    unset DISPLAY
    e2e_start_session_bus
    export WAYLAND_DISPLAY=notatki-e2e
    local compositor
    mutter --headless --wayland --no-x11 --virtual-monitor 1280x1024 \
        --wayland-display="$WAYLAND_DISPLAY" >"$E2E_TMP/mutter.log" 2>&1 &
    compositor=$!
    E2E_PIDS+=("$compositor")
    # The remote desktop interface comes after the socket; the session needs both.
    e2e_wait_while_running 60 "$compositor" gdbus introspect --session \
        --dest org.gnome.Mutter.RemoteDesktop --object-path /org/gnome/Mutter/RemoteDesktop \
        || e2e_fail "mutter did not start: $(tail -5 "$E2E_TMP/mutter.log")"
    [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || e2e_fail "mutter opened no Wayland socket"
    E2E_INPUT=remote-desktop
    # mutter speeds up the virtual pointer's moves as a desktop does, so this point was found by
    # trying; it is the same on every run.
    E2E_AREA_POINT="340 512"
    E2E_WL_COPY_TYPES="UTF8_STRING, STRING, TEXT, text/plain;charset=utf-8, text/plain"
}

# e2e_start_weston: weston on its X11 backend, in a window on an Xvfb display of the test's own,
# which gives it a keyboard and a pointer. Its desktop shell places each window where it likes:
# e2e_start_wayland_program finds the text area there. Exits with 77 (skipped) where weston is
# missing.
e2e_start_weston() {
    command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
    e2e_start_display
    e2e_start_session_bus
    export WAYLAND_DISPLAY=notatki-e2e
    local compositor
    # No animations: a window is in its place as soon as it is shown.
    printf '[shell]\nanimation=none\nclose-animation=none\nstartup-animation=none\nfocus-animation=none\n' \
        >"$E2E_TMP/weston.ini"
    weston --config="$E2E_TMP/weston.ini" --backend=x11-backend.so --use-pixman \
        --width=1280 --height=1024 --idle-time=0 --socket="$WAYLAND_DISPLAY" \
        >"$E2E_TMP/weston.log" 2>&1 &
    compositor=$!
    E2E_PIDS+=("$compositor")
    # Its log names its window once the window is there.
    e2e_wait_while_running 60 "$compositor" e2e_weston_window \
        || e2e_fail "weston did not start: $(tail -5 "$E2E_TMP/weston.log")"
    E2E_WESTON_WINDOW=$(e2e_weston_window)
    export E2E_WESTON_WINDOW
    # Its window takes the keys the test types.
    xdotool windowactivate --sync "$E2E_WESTON_WINDOW"
    [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || e2e_fail "weston opened no Wayland socket"
    E2E_INPUT=x11
    E2E_WL_COPY_TYPES="text/plain, text/plain;charset=utf-8, TEXT, STRING, UTF8_STRING"
}

e2e_weston_window() {
    sed -n 's/.* output [0-9]*x[0-9]*, window id \([0-9]*\)$/\1/p' "$E2E_TMP/weston.log" | grep .
}

# e2e_start_wayland_session: the driver, as a coprocess; e2e_session talks to it.
e2e_start_wayland_session() {
    coproc E2E_SESSION { exec /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/wayland_session.py" "$E2E_INPUT" 2>"$E2E_TMP/session.log"; }
    E2E_PIDS+=("$E2E_SESSION_PID")
    e2e_session_answer
}

# e2e_start_wayland_program BINARY [LOGGING_RULES]: the program natively on the compositor, in
# the folder left in folder, with its clipboard debug channel and any other rules on, found by
# the session driver on the accessibility bus.
e2e_start_wayland_program() {
    folder=$E2E_TMP/work
    mkdir "$folder"
    QT_QPA_PLATFORM=wayland QT_LOGGING_RULES="notatki.clipboard.debug=true${2:+;$2}" \
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 e2e_start_app "$1" "$folder"
    e2e_session program "$E2E_APP_PID"
    [ "$E2E_INPUT" != x11 ] || e2e_locate_text_area
}

# e2e_locate_text_area: the middle of the text area in a picture of weston's monitor, once the
# program has drawn it: the largest white field there, on a desktop of grey.
e2e_locate_text_area() {
    local width height left top
    e2e_wait_for 20 e2e_text_area_shown || e2e_fail "weston shows no text area"
    read -r width height left top <<<"$(e2e_largest_white_field)"
    E2E_AREA_POINT="$((left + width / 2)) $((top + height / 2))"
}

e2e_text_area_shown() {
    local width height left top
    read -r width height left top <<<"$(e2e_largest_white_field)"
    [ "$width" -ge 200 ] && [ "$height" -ge 200 ]
}

# Prints WIDTH HEIGHT LEFT TOP of the largest white field on weston's monitor.
e2e_largest_white_field() {
    e2e_screenshot "$E2E_WESTON_WINDOW" "$E2E_TMP/monitor.png"
    convert "$E2E_TMP/monitor.png" -fill black +opaque white \
        -define connected-components:verbose=true -connected-components 4 null: \
        | awk '$NF == "srgb(255,255,255)" && $4 > largest { largest = $4; field = $2 }
               END { gsub(/[x+]/, " ", field); print field }'
}

# e2e_session COMMAND [ARGUMENT]: sends one command and leaves its JSON answer in session_answer;
# an error fails the test.
e2e_session() {
    printf '%s\n' "$*" >&"${E2E_SESSION[1]}"
    e2e_session_answer "$*"
}

e2e_session_answer() {
    local line
    read -r -t 60 line <&"${E2E_SESSION[0]}" \
        || e2e_fail "the session driver did not answer ${1:-at its start}: $(cat "$E2E_TMP/session.log")"
    case "$line" in
    "ok "*) session_answer=${line#ok } ;;
    *) e2e_fail "${1:-the start of the session driver}: ${line#error }" ;;
    esac
}

# e2e_json TEXT: TEXT as a JSON string, for the commands that take one.
e2e_json() {
    /usr/bin/python3 -c 'import json, sys; print(json.dumps(sys.argv[1], ensure_ascii=False))' "$1"
}

# e2e_unjson JSON: the JSON string's text.
e2e_unjson() {
    /usr/bin/python3 -c 'import json, sys; sys.stdout.write(json.loads(sys.argv[1]))' "$1"
}

# e2e_log_count PATTERN: how many lines of the program's clipboard debug channel match PATTERN,
# a regular expression for what follows the channel's name.
e2e_log_count() {
    grep -c "^notatki.clipboard: $1" "$E2E_TMP/app.log" || true
}

# e2e_log_count_over PATTERN COUNT: whether more than COUNT lines match now.
e2e_log_count_over() {
    [ "$(e2e_log_count "$1")" -gt "$2" ]
}

# What the program was shown of wl-copy's selections: wl-copy offers its text in types of its
# own order, where the compositor, holding on to a text whose owner has gone, and the program
# itself offer others.
e2e_shown() {
    grep -cxF "notatki.clipboard: the compositor shows a $1 as $E2E_WL_COPY_TYPES" "$E2E_TMP/app.log" \
        || true
}

e2e_shown_more_than() {
    [ "$(e2e_shown "$1")" -gt "$2" ]
}

# e2e_offer SELECTION FILE: wl-copy takes the selection ("clipboard" or "primary selection") with
# the file's text and serves it until another program takes the selection; its process id is
# left in owner_pid. wl-copy takes the keyboard focus to claim the selection, and the compositor
# shows the new selection to the program when the focus comes back to it: that is waited for.
e2e_offer() {
    local before option=()
    before=$(e2e_shown "$1")
    [ "$1" = clipboard ] || option=(--primary)
    wl-copy --foreground "${option[@]}" <"$2" 2>"$E2E_TMP/wl-copy.log" &
    owner_pid=$!
    E2E_PIDS+=("$owner_pid")
    e2e_wait_while_running 20 "$owner_pid" e2e_shown_more_than "$1" "$before" \
        || e2e_fail "the program was not shown wl-copy's $1: $(cat "$E2E_TMP/wl-copy.log")"
}

# e2e_paste_by_keys FILE TEXT: wl-copy offers the file's text, Ctrl+A and Ctrl+V paste it over the
# whole text area, and the area then holds TEXT.
e2e_paste_by_keys() {
    e2e_offer clipboard "$1"
    e2e_session focus-area
    e2e_session keys ctrl+a
    e2e_session keys ctrl+v
    e2e_session wait-text "$(e2e_json "$2")"
}
