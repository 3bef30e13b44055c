#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# "Wybierz czcionkę" opens the modal font dialog "Czcionka" under real X input: Escape cancels it
# quietly and leaves the text as it was; a face and a size chosen from the keyboard and confirmed
# with Enter restyle the text, again without any message.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1

e2e_start_display
folder=$E2E_TMP/work
mkdir "$folder"
e2e_start_app "$binary" "$folder"
form=$(e2e_window Form1)
xdotool windowactivate --sync "$form"

# The text area's picture, to tell whether the font of the text changed.
text_area_picture() {
    import -window "$form" -crop 300x480+12+12 +repage "$E2E_TMP/$1.png"
}

# Waits until the program shows no window of that title any more.
window_gone() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$E2E_APP_PID" 2>/dev/null); do
        [ "$(xdotool getwindowname "$window" 2>/dev/null)" != "$1" ] || return 1
    done
}

expect_no_message() {
    sleep 0.5
    window_gone Notatki || e2e_fail "a failure message appeared: $(cat "$E2E_TMP/app.log")"
    kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the program ended"
}

open_dialog() {
    e2e_click_control "$form" Command1 # "Wybierz czcionkę"
    dialog=$(e2e_window Czcionka)
    xdotool windowactivate --sync "$dialog"
}

text_area_picture before
open_dialog
xdotool key Escape
e2e_wait_for 10 window_gone Czcionka || e2e_fail "Escape did not close the font dialog"
expect_no_message
text_area_picture cancelled
[ "$(compare -metric AE "$E2E_TMP/before.png" "$E2E_TMP/cancelled.png" null: 2>&1)" = 0 ] \
    || e2e_fail "cancelling the font dialog changed the text area"

open_dialog
# The face list has the focus: typing picks a face (a space would open the list), then Tab twice
# reaches the size.
xdotool type --delay 50 "DejaVu"
xdotool key Tab Tab ctrl+a
xdotool type --delay 50 "28"
xdotool key Return
e2e_wait_for 10 window_gone Czcionka || e2e_fail "Enter did not confirm the font dialog"
expect_no_message
text_area_picture chosen
[ "$(compare -metric AE "$E2E_TMP/before.png" "$E2E_TMP/chosen.png" null: 2>&1)" != 0 ] \
    || e2e_fail "confirming a face and a size left the text area unchanged"

e2e_close_window "$form"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: font dialog cancelled quietly, then a confirmed choice restyled the text"
