#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on weston 10, with wl-copy and wl-paste as the other programs: a Polish text pasted
# by "Wklej" and by Ctrl+V with its line ends as CR LF, and "Kopiuj" seen by wl-paste. weston
# passes on only the last offer it makes of a selection to a program, and that is the toolkit's:
# the toolkit reads the clipboard here, whole, and the program's own data devices must leave it
# working. What weston cannot do is skipped with the reason.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
binary=$1

e2e_start_compositor weston
e2e_start_wayland_session
e2e_start_wayland_program "$binary"

printf 'Zażółć\ngęślą\njaźń' >"$E2E_TMP/polish"
polish=$'Zażółć\r\ngęślą\r\njaźń'
printf 'Źdźbło\nŁódź' >"$E2E_TMP/other"
other=$'Źdźbło\r\nŁódź'

# "Wklej" over the whole text, read by the toolkit.
e2e_offer clipboard "$E2E_TMP/polish"
before=$(e2e_log_count "clipboard read by the toolkit, whole")
e2e_session press "Zaznacz wszystko"
e2e_session press Wklej
e2e_session wait-text "$(e2e_json "$polish")"
e2e_log_count_over "clipboard read by the toolkit, whole" "$before" \
    || e2e_fail "\"Wklej\" on weston was not read by the toolkit: $(tail -3 "$E2E_TMP/app.log")"
echo "\"Wklej\": the Polish text, line ends CR LF, read by the toolkit"

# Ctrl+V over the whole text.
e2e_paste_by_keys "$E2E_TMP/other" "$other"
echo "Ctrl+V: the other Polish text"

# Should a later weston offer the primary selection, the middle click is to be tested here too.
if [[ $(wl-copy --primary unused 2>&1) == *"does not seem to support primary selection"* ]]; then
    echo "SKIP the middle click: weston 10 has no primary selection"
else
    e2e_fail "weston offers a primary selection now: test the middle click on it"
fi
echo "SKIP 80 MiB pasted, and an owner that stops answering: the toolkit reads weston's" \
    "clipboard, whole and without the program's deadline"

# "Kopiuj" as another program reads it, with the platform's line ends. The toolkit claims with the
# serial of the last input event it had, which a screen reader's press does not bring: that is
# the key typed here first.
copied_is() {
    [ "$(wl-paste --no-newline; printf .)" = "$1." ]
}
# The text is made to differ from wl-copy's, which weston keeps offering after wl-copy has gone.
e2e_session keys end
e2e_session keys a
e2e_session wait-text "$(e2e_json "${other}a")"
e2e_session press "Zaznacz wszystko"
e2e_session press Kopiuj
e2e_wait_for 20 copied_is "${other//$'\r\n'/$'\n'}a" \
    || e2e_fail "wl-paste got: $(wl-paste --no-newline)"
echo "\"Kopiuj\": wl-paste gets the text with LF line ends"

echo "PASS"
