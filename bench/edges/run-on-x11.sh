#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# bench_edges under Xvfb, where the primary selection and other programs' clipboards exist:
# Shift+Up in 40 MB, then Wklej of 200 MB that xclip holds, then Wklej of 10 MB from a slow
# owner (xclip stopped for 1.5 s at a time, running for 2 ms in between), then the long line.
#
#   bench/edges/run-on-x11.sh BUILD_FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
bench=$(realpath "$1/bench/edges/bench_edges")

e2e_start_display
export QT_QPA_PLATFORM=xcb
"$bench" shift-up 40
head -c 200000000 /dev/zero | tr '\0' 'x' >"$E2E_TMP/offer.txt"
xclip -selection clipboard -i -quiet "$E2E_TMP/offer.txt" >/dev/null 2>&1 &
E2E_PIDS+=($!)
e2e_wait_for 20 xclip -selection clipboard -o -t TARGETS || e2e_fail "xclip did not take the clipboard"
"$bench" paste
kill "${E2E_PIDS[-1]}"

head -c 10000000 <(yes 'powolny schowek, wiersz za wierszem') >"$E2E_TMP/offer.txt"
xclip -selection clipboard -i -quiet "$E2E_TMP/offer.txt" >/dev/null 2>&1 &
owner=$!
E2E_PIDS+=($owner)
e2e_wait_for 20 xclip -selection clipboard -o -t TARGETS || e2e_fail "xclip did not take the clipboard"
(while kill -STOP "$owner" 2>/dev/null; do sleep 1.5; kill -CONT "$owner"; sleep 0.002; done) &
E2E_PIDS+=($!)
echo "slow owner: 10000000 bytes, $(wc -l <"$E2E_TMP/offer.txt") lines"
"$bench" paste
kill "${E2E_PIDS[-1]}"
kill -CONT "$owner"

"$bench" long-line 1
