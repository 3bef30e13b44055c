#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Started with DISPLAY naming one screen and -display another, the program shows its window on
# the one named by -display, and "Wklej" takes that screen's clipboard, not the other's.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1

# offer DISPLAY TEXT: xclip holds the display's clipboard with the text until another program
# takes the clipboard over; OFFER_PID is its process id.
offer() {
    printf '%s' "$2" | xclip -display "$1" -selection clipboard -i -quiet >/dev/null 2>&1 &
    OFFER_PID=$!
    E2E_PIDS+=("$OFFER_PID")
}

has_ended() {
    ! kill -0 "$1" 2>/dev/null
}

# clipboard_is DISPLAY TEXT: whether the display's clipboard holds exactly the text.
clipboard_is() {
    [ "$(xclip -display "$1" -selection clipboard -o 2>/dev/null; printf .)" = "$2." ]
}

e2e_start_display
environment_display=$DISPLAY
e2e_start_display
option_display=$DISPLAY

environment_text="tekst ze schowka ekranu $environment_display"
option_text="Zażółć gęślą jaźń na ekranie $option_display"
offer "$environment_display" "$environment_text"
offer "$option_display" "$option_text"
option_owner=$OFFER_PID
e2e_wait_for 20 clipboard_is "$environment_display" "$environment_text" \
    || e2e_fail "xclip did not take the clipboard of $environment_display"
e2e_wait_for 20 clipboard_is "$option_display" "$option_text" \
    || e2e_fail "xclip did not take the clipboard of $option_display"

folder=$E2E_TMP/work
mkdir "$folder"
DISPLAY=$environment_display e2e_start_app "$binary" "$folder" -display "$option_display"
# Looked for on the display of -display.
window=$(e2e_window Form1)

# "Zaznacz wszystko", "Wklej": the text area holds the pasted text. "Zaznacz wszystko", "Kopiuj":
# the program takes the clipboard of its display over from xclip, which then ends, and hands out
# what it pasted.
e2e_click_control "$window" Command4 # "Zaznacz wszystko"
e2e_click_control "$window" Command6 # "Wklej"
e2e_click_control "$window" Command4 # "Zaznacz wszystko"
e2e_click_control "$window" Command5 # "Kopiuj"
e2e_wait_for 20 has_ended "$option_owner" \
    || e2e_fail "\"Kopiuj\" did not take the clipboard of $option_display"
pasted=$(xclip -display "$option_display" -selection clipboard -o 2>/dev/null)
[ "$pasted" = "$option_text" ] \
    || e2e_fail "\"Wklej\" pasted \"$pasted\", not the text on $option_display's clipboard"
clipboard_is "$environment_display" "$environment_text" \
    || e2e_fail "the clipboard of $environment_display changed"

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: with DISPLAY=$environment_display and -display $option_display," \
    "\"Wklej\" took the clipboard of $option_display"
