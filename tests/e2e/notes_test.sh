#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A real notes.txt is read with "Czytaj" and written back with "Zapisz": notes3.txt holds the
# same bytes, every line followed by CR LF, and notes.txt itself is left as it was.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1

e2e_start_display
folder=$E2E_TMP/work
mkdir "$folder"
# Polish letters in Windows-1250, a lone CR, a lone LF, an undefined byte, 0x1A and NUL, and no
# line end after the last line.
printf 'Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1\r\ndruga\rtrzecia\nczwarta \x81\x1a\x00.' \
    >"$folder/notes.txt"
printf 'Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1\r\ndruga\r\ntrzecia\nczwarta \x81\x1a\x00.\r\n' \
    >"$E2E_TMP/expected"
cp "$folder/notes.txt" "$E2E_TMP/notes.original"

e2e_start_app "$binary" "$folder"
window=$(e2e_window Form1)
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true

# The program handles clicks one after the other, and reads the file within the first: the
# second saves what was read.
e2e_click_control "$window" Command2 # "Czytaj"
e2e_click_control "$window" Command3 # "Zapisz"
# notes3.txt appears whole: it is written under another name and then renamed.
e2e_wait_for 10 test -f "$folder/notes3.txt" || e2e_fail "\"Zapisz\" wrote no notes3.txt"

cmp "$E2E_TMP/expected" "$folder/notes3.txt" \
    || e2e_fail "notes3.txt differs: $(od -c "$folder/notes3.txt" | head -5)"
cmp "$E2E_TMP/notes.original" "$folder/notes.txt" || e2e_fail "notes.txt was changed"
[ "$(ls -A "$folder" | sort | tr '\n' ' ')" = "notes.txt notes3.txt " ] \
    || e2e_fail "unexpected files: $(ls -A "$folder")"

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: notes.txt read with \"Czytaj\" and saved byte for byte by \"Zapisz\""
