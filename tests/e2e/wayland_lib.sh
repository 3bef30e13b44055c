# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for end-to-end tests on Wayland: a headless mutter of the test's own, with a virtual
# keyboard and pointer, and the program driven through wayland_session.py. Sourced after lib.sh.

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
}

# e2e_start_wayland_session: the driver, as a coprocess; e2e_session talks to it.
e2e_start_wayland_session() {
    coproc E2E_SESSION { exec /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/wayland_session.py" 2>"$E2E_TMP/session.log"; }
    E2E_PIDS+=("$E2E_SESSION_PID")
    e2e_session_answer
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
