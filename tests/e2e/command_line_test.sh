#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program's command line: help and the version print without any display, anything
# else of the program's own is refused on one line with status 2, no display gives a Polish
# message and status 1 instead of an abort, and the toolkit's options still open the window.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$(realpath "$1")
version=$2

folder=$E2E_TMP/work
mkdir "$folder"

# expect STATUS STDOUT STDERR [VARIABLE=VALUE...] -- [ARGUMENT...]: runs the program in an empty
# folder with no display; STDOUT and STDERR are extended regular expressions for the whole of
# each output ('' for none).
expect() {
    local status=$1 out=$2 err=$3 settings=() actual=0
    shift 3
    while [ "$1" != -- ]; do
        settings+=("$1")
        shift
    done
    shift
    local row="notatki $*${settings[*]:+ with ${settings[*]}}"
    (cd "$folder" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${settings[@]}" \
        "$binary" "$@" >"$E2E_TMP/out" 2>"$E2E_TMP/err") || actual=$?
    [ "$actual" = "$status" ] \
        || e2e_fail "$row: status $actual, expected $status; it said: $(cat "$E2E_TMP/out" "$E2E_TMP/err")"
    matches "$E2E_TMP/out" "$out" || e2e_fail "$row printed: $(cat "$E2E_TMP/out")"
    matches "$E2E_TMP/err" "$err" || e2e_fail "$row reported: $(cat "$E2E_TMP/err")"
    [ -z "$(ls -A "$folder")" ] || e2e_fail "$row wrote: $(ls -A "$folder")"
    echo "ok: $row -> $actual"
}
matches() {
    local text
    text=$(cat "$1")
    [[ $text =~ ^$2$ ]]
}

help="Sposób użycia: [^ ]*notatki \[opcje\]"$'\n'".*"$'\n'"  -v, --version +Wyświetla numer wersji\..*"
expect 0 "$help" '' -- --help
expect 0 "$help" '' -- -h
expect 0 "notatki $version" '' -- --version
expect 0 "notatki $version" '' -- -v

hint=' Pomoc: notatki --help'
expect 2 '' "notatki: Nieznana opcja \"bogus\"\\.$hint" -- --bogus
expect 2 '' "notatki: Nieoczekiwany argument \"notes.txt\"\\.$hint" -- notes.txt
expect 2 '' "notatki: Brak wartości po \"-platform\"\\.$hint" -- -platform

# Without a display the message names what was tried, and how to point the program at one.
nothing='notatki: nie znaleziono ekranu graficznego: '
how=$'\nUruchom program w sesji graficznej albo wskaż mu ekran, na przykład: DISPLAY=:0 notatki'
expect 1 '' "${nothing}zmienna DISPLAY nie jest ustawiona; zmienna WAYLAND_DISPLAY nie jest ustawiona\\.$how" --
expect 1 '' "${nothing}na ekranie X11 \":4093\" nie działa żaden serwer X \(nie ma gniazda /tmp/\.X11-unix/X4093\); .*$how" \
    DISPLAY=:4093 --
expect 1 '' "${nothing}zmienna DISPLAY nie jest ustawiona\\.$how" QT_QPA_PLATFORM=xcb --
expect 1 '' "${nothing}zmienna DISPLAY nie jest ustawiona\\.$how" -- -platform xcb

# With a display, the toolkit's own options open the window as they did.
e2e_start_display
(cd "$folder" && exec "$binary" -style Fusion -platform xcb >"$E2E_TMP/app.log" 2>&1) &
E2E_APP_PID=$!
window=$(e2e_window Form1)
e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: help, version, refusals and a missing display answered; toolkit options open Form1"
