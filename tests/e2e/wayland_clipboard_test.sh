#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on a Wayland desktop, GNOME's mutter, with wl-copy and wl-paste as the other
# programs: a Polish text pasted by "Wklej", by Ctrl+V and by the middle click, read by the
# program itself in bounded pieces, with its line ends as CR LF; a line dragged within the text
# area, and the middle click after it; 80 MiB refused by each way in, the text unchanged and
# peak memory far below the text's size; an owner that stops answering reported in the same time
# as on X11; "Kopiuj" seen by wl-paste; "Czytaj" and "Zapisz" giving the same bytes as on X11.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
binary=$1
peak_limit_kib=$((150 * 1000))

e2e_start_compositor mutter
e2e_start_wayland_session
e2e_start_wayland_program "$binary"

large=$E2E_TMP/large
head -c $((80 << 20)) < <(yes 'Notatki z innego programu, wiersz za wierszem.') >"$large"

read_by_program() {
    e2e_log_count_over "$1 read by the program, in bounded pieces" "$2"
}
reads() {
    e2e_log_count "$1 read by the program"
}

printf 'Zażółć\ngęślą\njaźń' >"$E2E_TMP/polish"
polish=$'Zażółć\r\ngęślą\r\njaźń'
printf 'Źdźbło\nŁódź' >"$E2E_TMP/other"
other=$'Źdźbło\r\nŁódź'

# "Wklej" over the whole text.
e2e_offer clipboard "$E2E_TMP/polish"
before=$(reads clipboard)
e2e_session press "Zaznacz wszystko"
e2e_session press Wklej
e2e_session wait-text "$(e2e_json "$polish")"
read_by_program clipboard "$before" || e2e_fail "\"Wklej\" was not read by the program itself"
echo "\"Wklej\": the Polish text, line ends CR LF, read by the program in bounded pieces"

# Ctrl+V over the whole text.
e2e_paste_by_keys "$E2E_TMP/other" "$other"
echo "Ctrl+V: the other Polish text"

# The middle click, inside the text area.
e2e_offer "primary selection" "$E2E_TMP/polish"
before=$(reads selection)
e2e_session pointer-to "$E2E_AREA_POINT"
e2e_session click middle
e2e_session wait-contains "$(e2e_json "$polish")"
read_by_program selection "$before" || e2e_fail "the middle click was not read by the program itself"
echo "The middle click: the primary selection's text"

# 80 MiB, each way in: refused with the program's message, and the text is left as it was.
e2e_session text
unchanged=$session_answer
refused() {
    e2e_session message
    case "$session_answer" in
    *"Tekst w schowku jest za duży: ma ponad"*"Nic nie wklejono."*) ;;
    *) e2e_fail "80 MiB by $1 says: $session_answer" ;;
    esac
    e2e_session text
    [ "$session_answer" = "$unchanged" ] || e2e_fail "80 MiB by $1 changed the text"
    echo "80 MiB by $1: refused"
}
e2e_offer clipboard "$large"
e2e_session press Wklej
refused "\"Wklej\""
e2e_session focus-area
e2e_session keys ctrl+v
refused Ctrl+V
e2e_offer "primary selection" "$large"
e2e_session click middle
refused "the middle click"
peak_kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$E2E_APP_PID/status")
echo "Peak memory after 80 MiB three times: $((peak_kib / 1000)) MB (VmHWM $peak_kib kB)"
[ "$peak_kib" -le "$peak_limit_kib" ] || e2e_fail "peak memory $peak_kib kB is over 150 MB"

# An owner that stops answering: the program gives up after the same 5 s as on X11.
e2e_offer clipboard "$E2E_TMP/polish"
kill -STOP "$owner_pid"
started=$SECONDS
e2e_session press Wklej
e2e_session message
waited=$((SECONDS - started))
kill -CONT "$owner_pid"
case "$session_answer" in
*"Schowek nie odpowiada: program, który go trzyma, nie oddał tekstu w ciągu 5 s"*) ;;
*) e2e_fail "a stopped owner gives: $session_answer" ;;
esac
[ "$waited" -ge 4 ] && [ "$waited" -le 15 ] || e2e_fail "a stopped owner took $waited s to report"
echo "A stopped owner: \"Schowek nie odpowiada\" after $waited s"

# "Kopiuj" as another program reads it, with the platform's line ends. The program is shown its
# own claim, as the program that has the focus.
own_claim="the compositor shows a clipboard as text/plain"
# mutter ignores a claim whose serial is older than the current owner's, and the toolkit claims
# with the serial of the last input event it had: a key comes first, as a user's would, since a
# screen reader's press brings none.
before=$(e2e_log_count "$own_claim")
e2e_session press "Zaznacz wszystko"
e2e_session keys shift
e2e_session press Kopiuj
e2e_wait_for 20 e2e_log_count_over "$own_claim" "$before" || e2e_fail "\"Kopiuj\" took no clipboard"
copied=$(wl-paste --no-newline; printf .)
expected=$(e2e_unjson "$unchanged"; printf .)
expected=${expected%.}
expected=${expected//$'\r\n'/$'\n'}
[ "$copied" = "$expected." ] || e2e_fail "wl-paste got: ${copied%.}"
echo "\"Kopiuj\": wl-paste gets the text with LF line ends"

# "Czytaj" and "Zapisz": the same bytes as on X11.
printf 'Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1\r\ndruga\rtrzecia\nczwarta \x81\x1a\x00.' \
    >"$folder/notes.txt"
printf 'Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1\r\ndruga\r\ntrzecia\nczwarta \x81\x1a\x00.\r\n' \
    >"$E2E_TMP/expected"
e2e_session press Czytaj
e2e_session wait-contains "$(e2e_json 'czwarta ')"
e2e_session press Zapisz
e2e_wait_for 20 test -f "$folder/notes3.txt" || e2e_fail "\"Zapisz\" wrote no notes3.txt"
cmp "$E2E_TMP/expected" "$folder/notes3.txt" \
    || e2e_fail "notes3.txt differs: $(od -c "$folder/notes3.txt" | head -5)"
echo "\"Czytaj\" and \"Zapisz\": the same bytes as on X11"

# A drag within the text area, which mutter sends to the program's own data device: the second
# line, selected, dragged to the start of the first.
printf 'abc\nxyz' >"$E2E_TMP/lines"
e2e_offer clipboard "$E2E_TMP/lines"
e2e_session press "Zaznacz wszystko"
e2e_session press Wklej
e2e_session wait-text "$(e2e_json $'abc\r\nxyz')"
e2e_session focus-area
e2e_session keys ctrl+a
e2e_session keys right
e2e_session keys shift+home
before=$(e2e_log_count "a drag came onto a window$")
# The second line, on mutter's sped-up pointer: found by trying, like the area's point.
e2e_session pointer-to 163 217
e2e_session hold left
# Past the toolkit's drag distance, and then on once the drag has begun.
for step in 1 2 3 4; do
    e2e_session pointer-by -2 -3
done
e2e_wait_for 20 e2e_log_count_over "a drag came onto a window$" "$before" \
    || e2e_fail "the drag did not begin"
e2e_session pointer-by -2 -3
e2e_session pointer-by -2 -3
e2e_session release left
e2e_session wait-text "$(e2e_json $'xyzabc\r\n')"
echo "A drag within the text area: the second line moved to the start"

# The primary selection after the drag: the drag's own data and its offers are gone, and the
# middle click reads wl-copy's text again.
e2e_offer "primary selection" "$E2E_TMP/polish"
e2e_session pointer-to "$E2E_AREA_POINT"
e2e_session click middle
e2e_session wait-contains "$(e2e_json "$polish")"
echo "The middle click after the drag: the primary selection's text"

echo "PASS"
