#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Text dragged with the real mouse from one running program and dropped into another's text
# area, through X11's own drag and drop between processes: two windows side by side, each
# program started in a folder of its own with its own notes.txt.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$(realpath "$1")

e2e_start_display
e2e_start_session_bus
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION QT_QPA_PLATFORMTHEME
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_IM_MODULE=compose

declare -A pid window
for side in source target; do
    mkdir "$E2E_TMP/$side"
done
printf 'pierwszy przenoszony wyraz\r\nkoniec tekstu\r\n' >"$E2E_TMP/source/notes.txt"
printf 'alfa beta\r\ngamma\r\n' >"$E2E_TMP/target/notes.txt"

# Both programs write to the one log, which a failure shows and the sanitizer check reads.
left=0
for side in source target; do
    (cd "$E2E_TMP/$side" && exec "$binary" >>"$E2E_TMP/app.log" 2>&1) &
    pid[$side]=$!
    E2E_PIDS+=("${pid[$side]}")
    E2E_APP_PID=${pid[$side]}
    window[$side]=$(e2e_window Form1)
    xdotool windowmove --sync "${window[$side]}" "$left" 0
    left=800
done

PYTHONDONTWRITEBYTECODE=1 PYTHONPATH=$(dirname "${BASH_SOURCE[0]}") \
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/textarea_drop.py" "${pid[source]}" \
    "${pid[target]}" || e2e_fail "a drop from another program"

for side in source target; do
    E2E_APP_PID=${pid[$side]}
    e2e_close_window "${window[$side]}"
    e2e_wait_exit
    [ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the $side program ended with status $E2E_APP_STATUS"
done
echo "PASS: text dragged from one program and dropped into another's text area"
