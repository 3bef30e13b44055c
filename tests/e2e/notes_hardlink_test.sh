#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# "Zapisz" in the real window into a notes3.txt that has a second name elsewhere: the file is
# written in place, so the second name shows the new text, both names stay one file, and nothing
# is left beside it. Then SIGTERM, sent between saves, ends the program at once.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1

e2e_start_display
folder=$E2E_TMP/work
mkdir "$folder" "$E2E_TMP/elsewhere"
printf 'Nowe notatki: za\xbf\xf3\xb3\xe6\r\ndrugi wiersz' >"$folder/notes.txt"
printf 'Nowe notatki: za\xbf\xf3\xb3\xe6\r\ndrugi wiersz\r\n' >"$E2E_TMP/expected"
printf 'stare notatki, zapisane wcze\x9cniej\r\n' >"$folder/notes3.txt"
ln "$folder/notes3.txt" "$E2E_TMP/elsewhere/second-name.txt"
inode=$(stat -c %i "$folder/notes3.txt")

e2e_start_app "$binary" "$folder"
window=$(e2e_window Form1)
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true

# The program handles clicks one after the other, and reads the file within the first: the
# second saves what was read.
e2e_click_control "$window" Command2 # "Czytaj"
e2e_click_control "$window" Command3 # "Zapisz"
e2e_wait_for 10 cmp -s "$E2E_TMP/expected" "$E2E_TMP/elsewhere/second-name.txt" \
    || e2e_fail "the second name does not show the saved text: $(od -c "$E2E_TMP/elsewhere/second-name.txt" | head -5)"

cmp "$E2E_TMP/expected" "$folder/notes3.txt" || e2e_fail "notes3.txt differs from the saved text"
[ "$(stat -c %i "$folder/notes3.txt")" = "$inode" ] || e2e_fail "notes3.txt is another file now"
[ "$(stat -c %h "$folder/notes3.txt")" = 2 ] || e2e_fail "notes3.txt lost its second name"
[ "$(ls -A "$folder" | sort | tr '\n' ' ')" = "notes.txt notes3.txt " ] \
    || e2e_fail "unexpected files: $(ls -A "$folder")"

# Between saves SIGTERM ends the program at once, by that signal, as it did before it had a
# handler.
kill -TERM "$E2E_APP_PID"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 143 ] || e2e_fail "after SIGTERM the program ended with status $E2E_APP_STATUS"
echo "PASS: \"Zapisz\" wrote into the hard-linked notes3.txt in place; SIGTERM then ended the program"
