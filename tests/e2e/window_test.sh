#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program starts, shows "Form1" at its designed size, and closing it ends the program
# at once without writing anything.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1

e2e_start_display
folder=$E2E_TMP/work
mkdir "$folder"
e2e_start_app "$binary" "$folder"

window=$(e2e_window Form1)
size=$(e2e_window_size "$window")
[ "$size" = 501x528 ] || e2e_fail "window is $size, expected 501x528"

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
[ -z "$(ls -A "$folder")" ] || e2e_fail "the program wrote: $(ls -A "$folder")"
echo "PASS: Form1 $size, closed cleanly, nothing written"
