#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# bench_textarea under Xvfb, row after row of the goal table (all of them unless named). For
# paste-80m, xclip offers 80 MiB of text lines both on the clipboard and as the primary selection.
#
#   bench/textarea/run-on-x11.sh BUILD_FOLDER [ROW...]
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
bench=$(realpath "$1/bench/textarea/bench_textarea")
shift
rows=("$@")
[ ${#rows[@]} -gt 0 ] || rows=(empty-lines-32 empty-lines-64 long-line-1m long-line-20m notes-10m paste-80m)

e2e_start_display
export QT_QPA_PLATFORM=xcb
for row in "${rows[@]}"; do
    if [ "$row" = paste-80m ]; then
        head -c $((80 << 20)) <(yes 'Notatki z innego programu, wiersz za wierszem.') >"$E2E_TMP/offer.txt"
        for selection in clipboard primary; do
            xclip -selection "$selection" -i -quiet "$E2E_TMP/offer.txt" >/dev/null 2>&1 &
            E2E_PIDS+=($!)
            e2e_wait_for 20 xclip -selection "$selection" -o -t TARGETS \
                || e2e_fail "xclip did not take the $selection selection"
        done
        echo "offered: $(wc -c <"$E2E_TMP/offer.txt") bytes, $(wc -l <"$E2E_TMP/offer.txt") lines"
    fi
    "$bench" "$row"
done
