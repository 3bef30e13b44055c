#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Text dropped on the text area by another X11 program (xdnd_source, which speaks XDND itself
# and waits for each of the program's answers before its next step): a small Polish text is
# taken with CR LF line ends; 80 MiB, over the limit, is refused with the program's message, the
# source is told so and keeps its text, the area is unchanged, and the program's peak memory
# stays far below what holding the text would take. The program says what became of each drop
# on its notatki.drop debug channel, which the test waits for.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1
drag_source=$2
peak_limit_kib=$((150 * 1000))

e2e_start_display
e2e_start_session_bus
folder=$E2E_TMP/work
mkdir "$folder"
QT_LOGGING_RULES="notatki.drop.debug=true" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    e2e_start_app "$binary" "$folder"
window=$(e2e_window Form1)

small=$E2E_TMP/small
printf 'Zażółć\ngęślą\njaźń' >"$small"
large=$E2E_TMP/large
head -c $((80 << 20)) < <(yes 'Notatki z innego programu, wiersz za wierszem.') >"$large"

# The area's text as another program reads it: "Zaznacz wszystko", "Kopiuj", then xclip.
area_text() {
    e2e_click_control "$window" Command4 # "Zaznacz wszystko"
    e2e_click_control "$window" Command5 # "Kopiuj"
    xclip -selection clipboard -o 2>/dev/null
    printf .
}

# drop FILE: the source drops the file's text in the middle of the text area, and ends once the
# program has finished the drop; its report is left in drop_report.
drop() {
    local corner source_pid
    corner=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $NF}
                                           /Absolute upper-left Y/ {y = $NF} END {print x, y}')
    read -r left top <<<"$corner"
    "$drag_source" "$window" $((left + 170)) $((top + 265)) "$1" >"$E2E_TMP/source.log" 2>&1 &
    source_pid=$!
    E2E_PIDS+=("$source_pid")
    wait "$source_pid" || e2e_fail "the drop's source failed: $(cat "$E2E_TMP/source.log")"
    drop_report=$(cat "$E2E_TMP/source.log")
}

# A small text dropped at the start of the empty area.
xdotool windowactivate --sync "$window"
e2e_click_control "$window" Text1
xdotool key ctrl+a Delete
drop "$small"
case "$drop_report" in
*"finished: accepted"*) ;;
*) e2e_fail "a small drop was not taken: $drop_report" ;;
esac
e2e_wait_for 10 grep -q '^notatki.drop: took a drop of 19 characters' "$E2E_TMP/app.log" \
    || e2e_fail "the program did not say it took the small drop"
[ "$(area_text)" = "$(cat "$small")." ] || e2e_fail "the small drop gave: $(area_text)"
echo "A small drop: taken, line ends CR LF inside (19 characters)"

# 80 MiB dropped: refused, and the source keeps its text.
before=$(area_text)
drop "$large"
case "$drop_report" in
*"finished: refused"*"the source keeps its text"*) ;;
*) e2e_fail "80 MiB was not refused: $drop_report" ;;
esac
e2e_wait_for 10 grep -q '^notatki.drop: refused a drop: Tekst byłby za długi' "$E2E_TMP/app.log" \
    || e2e_fail "the program did not say it refused the drop: $(tail -3 "$E2E_TMP/app.log")"
e2e_take_message drop_message
case "$drop_message" in
*"Tekst byłby za długi: miałby co najmniej"*"Nic nie wklejono"*) echo "80 MiB dropped says: $drop_message" ;;
*) e2e_fail "80 MiB dropped says: $drop_message" ;;
esac
peak_kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$E2E_APP_PID/status")
echo "Peak memory after the 80 MiB drop: $((peak_kib / 1000)) MB (VmHWM $peak_kib kB)"
[ "$peak_kib" -le "$peak_limit_kib" ] || e2e_fail "peak memory $peak_kib kB is over 150 MB"
[ "$(area_text)" = "$before" ] || e2e_fail "the refused drop changed the text"

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: a small drop taken; 80 MiB refused, the source keeping its text"
