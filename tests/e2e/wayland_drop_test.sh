#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Text dropped on the text area by another Wayland program (wayland_drag_source), under GNOME's
# mutter or weston: a small Polish text is taken with CR LF line ends, read by the program itself; 80 MiB,
# over the limit, is refused with the program's message after only part of it was read, the
# source hears the drop was cancelled and keeps its text, the area is unchanged, and the
# program's peak memory stays far below what holding the text would take.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
binary=$1
compositor=$2
drag_source=$3
peak_limit_kib=$((150 * 1000))

e2e_start_compositor "$compositor"
e2e_start_wayland_session
e2e_start_wayland_program "$binary" notatki.drop.debug=true

small=$E2E_TMP/small
printf 'Zażółć\ngęślą\njaźń' >"$small"
large=$E2E_TMP/large
head -c $((80 << 20)) < <(yes 'Notatki z innego programu, wiersz za wierszem.') >"$large"

source_says() {
    grep -q "^$1" "$E2E_TMP/source.log"
}

# drop FILE: the source drags the file's text from its own window, which covers the monitor, to
# a point in the text area, and drops it there; it ends once it knows how the drop ended, and
# leaves its report in drop_report. The drop's answer may be a message box, which the caller
# closes: the drop ends when it is closed.
drop() {
    local before
    # Where the drop will be: the source's window opens over it.
    e2e_session pointer-to "$E2E_AREA_POINT"
    # The last drop's report goes first, so that nothing in it is taken for this one's.
    rm -f "$E2E_TMP/source.log"
    "$drag_source" "$1" >"$E2E_TMP/source.log" 2>&1 &
    source_pid=$!
    E2E_PIDS+=("$source_pid")
    e2e_wait_while_running 20 "$source_pid" source_says shown \
        || e2e_fail "the source showed no window: $(cat "$E2E_TMP/source.log")"
    # A compositor may find the window under a pointer only once the pointer moves.
    e2e_session pointer-by 1 1
    e2e_wait_while_running 20 "$source_pid" source_says "pointer at" \
        || e2e_fail "the source's window did not come under the pointer for $1: $(cat "$E2E_TMP/source.log")"
    before=$(e2e_log_count "a drag came onto a window$")
    e2e_session hold left
    e2e_wait_while_running 20 "$source_pid" source_says dragging \
        || e2e_fail "the source did not start a drag: $(cat "$E2E_TMP/source.log")"
    # The source's window lets the pointer through once the drag has begun; the compositor then
    # finds the program's window under the pointer, at the latest when the pointer moves.
    e2e_session pointer-by 2 2
    e2e_wait_for 20 e2e_log_count_over "a drag came onto a window$" "$before" \
        || e2e_fail "the drag did not come onto the program's window"
    e2e_session release left
}

source_ended() {
    e2e_wait_for 60 wait_source || e2e_fail "the drop's source did not end: $(cat "$E2E_TMP/source.log")"
    drop_report=$(cat "$E2E_TMP/source.log")
}
wait_source() {
    ! kill -0 "$source_pid" 2>/dev/null
}

# A small text dropped in the emptied area.
e2e_session focus-area
e2e_session keys ctrl+a
e2e_session keys delete
e2e_session wait-text '""'
drop "$small"
e2e_session wait-text "$(e2e_json $'Zażółć\r\ngęślą\r\njaźń')"
source_ended
case "$drop_report" in
*"finished: taken by"*) ;;
*) e2e_fail "a small drop was not taken: $drop_report" ;;
esac
[ "$(e2e_log_count "a drag was dropped: taken$")" = 1 ] \
    || e2e_fail "the program did not take the drop through its own device"
grep -q '^notatki.drop: took a drop of 19 characters' "$E2E_TMP/app.log" \
    || e2e_fail "the program did not say it took the small drop: $(tail -3 "$E2E_TMP/app.log")"
echo "A small drop: taken, line ends CR LF (19 characters)"

# 80 MiB dropped: refused, and the source keeps its text.
e2e_session text
unchanged=$session_answer
drop "$large"
e2e_session message
case "$session_answer" in
*"Tekst byłby za długi: miałby co najmniej"*"Nic nie wklejono"*) echo "80 MiB dropped says: $session_answer" ;;
*) e2e_fail "80 MiB dropped says: $session_answer" ;;
esac
source_ended
case "$drop_report" in
*"sent "*": the target closed the pipe"*"cancelled: the source keeps its text"*) ;;
*) e2e_fail "80 MiB was not refused as it was read: $drop_report" ;;
esac
sent=$(sed -n 's/^sent \([0-9]*\) bytes.*/\1/p' <<<"$drop_report")
echo "80 MiB dropped: refused after $((sent >> 20)) MiB were read; the source was told"
grep -q '^notatki.drop: refused a drop: Tekst byłby za długi' "$E2E_TMP/app.log" \
    || e2e_fail "the program did not say it refused the drop: $(tail -3 "$E2E_TMP/app.log")"
peak_kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$E2E_APP_PID/status")
echo "Peak memory after the 80 MiB drop: $((peak_kib / 1000)) MB (VmHWM $peak_kib kB)"
[ "$peak_kib" -le "$peak_limit_kib" ] || e2e_fail "peak memory $peak_kib kB is over 150 MB"
e2e_session text
[ "$session_answer" = "$unchanged" ] || e2e_fail "the refused drop changed the text"

echo "PASS: on $compositor, a small drop taken; 80 MiB refused, the source keeping its text"
