#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The paste bench on X11 under Xvfb: once with the text put on the clipboard by the bench itself,
# once offered by another program (xclip), the way a user pastes from elsewhere.
#
#   bench/paste/run-on-x11.sh BUILD_FOLDER [megabytes] [repetitions]
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
bench=$1/bench/paste/bench_paste
shift

e2e_start_display
export QT_QPA_PLATFORM=xcb
"$bench" "$@"

"$bench" --write-offer "$E2E_TMP/offer.txt" "$@"
xclip -selection clipboard -i -quiet "$E2E_TMP/offer.txt" >/dev/null 2>&1 &
E2E_PIDS+=($!)
e2e_wait_for 20 xclip -selection clipboard -o || e2e_fail "xclip did not take the clipboard"
"$bench" --offered-elsewhere "$@"
