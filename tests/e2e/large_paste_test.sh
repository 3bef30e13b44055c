#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pasting what another program (xclip) offers, by a middle click, by Ctrl+V and by "Wklej": a
# text within the limit goes in; 80 MiB, over the limit, is refused with the same message each
# way and changes nothing; and xclip, asked to serve one transfer, always gets through it and ends
# by itself, so that whatever it holds next is pasted again.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1

e2e_start_display
# The message boxes are read as a screen reader reads them, on an accessibility bus of this
# test's own.
e2e_start_session_bus
folder=$E2E_TMP/work
mkdir "$folder"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 e2e_start_app "$binary" "$folder"
window=$(e2e_window Form1)

small=$E2E_TMP/small
printf 'Zażółć\ngęślą\njaźń' >"$small"
other_small=$E2E_TMP/other-small
printf 'Źdźbło\nŁódź' >"$other_small"
large=$E2E_TMP/large
head -c $((80 << 20)) < <(yes 'Notatki z innego programu, wiersz za wierszem.') >"$large"

# xclip's own list of formats, which the program's list is longer than. Asking for it is no
# transfer of the text, so it does not count towards xclip's -loops.
xclip_owns() {
    [ "$(xclip -selection "$1" -o -t TARGETS 2>/dev/null)" = $'TARGETS\nUTF8_STRING' ]
}

# offer_xclip SELECTION FILE [OPTION...]: xclip offers the file's text; its process id is left in
# xclip_pid. xclip says it waits for requests before its claim has reached the display, so the
# claim is seen from the display's side: until then the program may still hold the selection,
# and a click would paste the program's own text.
offer_xclip() {
    local selection=$1 file=$2 log=$E2E_TMP/xclip-$1.log
    shift 2
    xclip -selection "$selection" -i -verbose "$@" "$file" >"$log" 2>&1 &
    xclip_pid=$!
    E2E_PIDS+=("$xclip_pid")
    e2e_wait_while_running 20 "$xclip_pid" xclip_owns "$selection" \
        || e2e_fail "xclip did not take the $selection selection: $(cat "$log")"
}

# offer_once SELECTION FILE: xclip offers the file's text for one transfer, then ends by itself.
# Its process id is left in offer_pid.
offer_once() {
    offer_xclip "$1" "$2" -loops 1
    offer_pid=$xclip_pid
}

# A child that has ended stays a zombie until waited for.
process_ended() {
    ! kill -0 "$1" 2>/dev/null || ps -o stat= -p "$1" | grep -q '^Z'
}

expect_offer_ended() {
    e2e_wait_for 20 process_ended "$offer_pid" \
        || e2e_fail "xclip did not end: it still waits for the rest of its transfer ($1)"
}

# expect_refusal MESSAGE ROUTE: the message is the clipboard's refusal of a text too large.
expect_refusal() {
    case "$1" in
    *"Tekst w schowku jest za duży"*"Nic nie wklejono"*) echo "$2 says: $1" ;;
    *) e2e_fail "$2 says: $1" ;;
    esac
}

# Waits until the text area holds the file's text: "Zaznacz wszystko" and "Kopiuj" hand it to the
# clipboard with LF line ends.
expect_text() {
    local expected deadline=$((SECONDS + 10))
    expected="$(cat "$1")."
    # Another program takes the clipboard first, so that only "Kopiuj" can put the text there: a
    # clipboard still holding it from before would end the wait before the program had handled
    # the clicks, and a "Zaznacz wszystko" handled late would take the primary selection back
    # from the next offer.
    printf 'placeholder' >"$E2E_TMP/placeholder"
    offer_xclip clipboard "$E2E_TMP/placeholder"
    e2e_click_control "$window" Command4 # "Zaznacz wszystko"
    e2e_click_control "$window" Command5 # "Kopiuj"
    while [ "$SECONDS" -lt "$deadline" ]; do
        [ "$(xclip -selection clipboard -o 2>/dev/null; printf .)" = "$expected" ] && return 0
        sleep 0.1
    done
    e2e_fail "$2: the text area holds: $(xclip -selection clipboard -o 2>/dev/null | head -c 200)"
}

middle_click_in_text() {
    xdotool mousemove --window "$window" 170 265 click 2
}

# An empty text area, then a middle click pastes a small primary selection.
xdotool windowactivate --sync "$window"
e2e_click_control "$window" Text1
xdotool key ctrl+a Delete
# Ctrl+A offers the program's selection as the primary one: only once it has, may xclip take it.
e2e_wait_for 20 xclip -selection primary -o || e2e_fail "Ctrl+A offered no primary selection"
offer_once primary "$small"
middle_click_in_text
expect_offer_ended "a small primary selection"
expect_text "$small" "a middle click of a small text"

# 80 MiB as the primary selection: refused, the text unchanged.
offer_once primary "$large"
middle_click_in_text
e2e_take_message middle_click_message
expect_refusal "$middle_click_message" "a middle click"
expect_offer_ended "80 MiB pasted by a middle click"
expect_text "$small" "a middle click of 80 MiB"

# 80 MiB on the clipboard, by Ctrl+V.
offer_once clipboard "$large"
xdotool windowactivate --sync "$window"
e2e_click_control "$window" Text1
xdotool key ctrl+v
e2e_take_message ctrl_v_message
expect_refusal "$ctrl_v_message" "Ctrl+V"
expect_offer_ended "80 MiB pasted by Ctrl+V"
expect_text "$small" "Ctrl+V of 80 MiB"

# The same by "Wklej": the same message each way.
offer_once clipboard "$large"
e2e_click_control "$window" Command6 # "Wklej"
e2e_take_message paste_message
expect_refusal "$paste_message" "\"Wklej\""
expect_offer_ended "80 MiB pasted by \"Wklej\""
expect_text "$small" "\"Wklej\" of 80 MiB"
[ "$middle_click_message" = "$paste_message" ] \
    || e2e_fail "a middle click says \"$middle_click_message\", \"Wklej\" says \"$paste_message\""
[ "$ctrl_v_message" = "$paste_message" ] \
    || e2e_fail "Ctrl+V says \"$ctrl_v_message\", \"Wklej\" says \"$paste_message\""

# After the refusals, the next text offered is pasted: "Zaznacz wszystko" then "Wklej".
offer_once clipboard "$other_small"
e2e_click_control "$window" Command4 # "Zaznacz wszystko"
e2e_click_control "$window" Command6 # "Wklej"
expect_offer_ended "a small text pasted by \"Wklej\""
expect_text "$other_small" "\"Wklej\" of a small text after the refusals"

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: small texts pasted, 80 MiB refused alike by a middle click, Ctrl+V and \"Wklej\""
