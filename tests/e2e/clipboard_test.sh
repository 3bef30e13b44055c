#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Text with Polish letters and every kind of line end travels between the real program and
# another program (xclip) through the system clipboard, in both directions, by the buttons and by
# the text area's own keys.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1

# Prints the clipboard's text, with a final dot so that trailing line ends survive.
clipboard_text() {
    xclip -selection clipboard -o 2>/dev/null
    printf .
}

# Waits until the clipboard holds exactly the contents of a file.
wait_for_clipboard() {
    local expected deadline=$((SECONDS + 10))
    expected="$(cat "$1")."
    while [ "$SECONDS" -lt "$deadline" ]; do
        [ "$(clipboard_text)" = "$expected" ] && return 0
        sleep 0.1
    done
    echo "clipboard holds: $(clipboard_text | od -c | head -20)" >&2
    return 1
}

e2e_start_display
folder=$E2E_TMP/work
mkdir "$folder"
e2e_start_app "$binary" "$folder"
window=$(e2e_window Form1)

# Another program offers text with a CR LF pair, a lone CR and a lone LF.
printf 'Zażółć gęślą jaźń\r\nŁÓDŹ\rźdźbło\nkoniec' >"$E2E_TMP/offered"
xclip -selection clipboard -i -quiet <"$E2E_TMP/offered" >/dev/null 2>&1 &
E2E_PIDS+=($!)
wait_for_clipboard "$E2E_TMP/offered" || e2e_fail "xclip did not take the clipboard"

# "Zaznacz wszystko" then "Wklej" replaces "Text1" with the offered text.
e2e_click_control "$window" Command4 # "Zaznacz wszystko"
e2e_click_control "$window" Command6 # "Wklej"

# "Zaznacz wszystko" then "Kopiuj" hands the whole text back, every line end now LF: pasting
# made each of them a CR LF pair, and copying gives the platform's line end.
e2e_click_control "$window" Command4 # "Zaznacz wszystko"
e2e_click_control "$window" Command5 # "Kopiuj"
printf 'Zażółć gęślą jaźń\nŁÓDŹ\nźdźbło\nkoniec' >"$E2E_TMP/expected"
wait_for_clipboard "$E2E_TMP/expected" || e2e_fail "the copied text is not the pasted one"

# Copy then paste at the caret duplicates the text: the caret follows the pasted text.
e2e_click_control "$window" Command6 # "Wklej"
e2e_click_control "$window" Command6 # "Wklej"
e2e_click_control "$window" Command4 # "Zaznacz wszystko"
e2e_click_control "$window" Command5 # "Kopiuj"
printf 'Zażółć gęślą jaźń\nŁÓDŹ\nźdźbło\nkoniec' >"$E2E_TMP/twice"
printf 'Zażółć gęślą jaźń\nŁÓDŹ\nźdźbło\nkoniec' >>"$E2E_TMP/twice"
wait_for_clipboard "$E2E_TMP/twice" || e2e_fail "pasting twice did not give the text twice"

# The text area's own keys do the same: Ctrl+A and Ctrl+V take a new offer in, Ctrl+A and
# Ctrl+C give it back.
printf 'Gęś\rŻuraw\n\r\nJeż' >"$E2E_TMP/offered"
xclip -selection clipboard -i -quiet <"$E2E_TMP/offered" >/dev/null 2>&1 &
E2E_PIDS+=($!)
wait_for_clipboard "$E2E_TMP/offered" || e2e_fail "xclip did not take the clipboard again"
xdotool windowactivate --sync "$window"
e2e_click_control "$window" Text1
xdotool key ctrl+a ctrl+v
xdotool key ctrl+a ctrl+c
printf 'Gęś\nŻuraw\n\nJeż' >"$E2E_TMP/expected"
wait_for_clipboard "$E2E_TMP/expected" || e2e_fail "the keys did not give what the buttons give"

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: Polish text and line ends went to the program and back through the clipboard"
