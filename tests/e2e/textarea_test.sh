#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The text area of the real program driven with real X input: textarea_CONCERN.py presses the
# keys, moves the mouse and offers text through xclip, and reads the area back through AT-SPI, on
# an accessibility bus of this test's own.
#
# Usage: textarea_test.sh BINARY CONCERN [ARGUMENT...] (keys, mouse, menu-input, or pictures with
# the stock_text_window program); the arguments go on to the driver.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1
concern=$2
shift 2
driver=$(dirname "${BASH_SOURCE[0]}")/textarea_${concern//-/_}.py
[ -f "$driver" ] || e2e_fail "no driver $driver"

e2e_start_display
e2e_start_session_bus
# Keys of their own for a Polish letter, a dead acute accent and Compose, mapped before the program
# reads the keyboard map: xdotool would otherwise remap a spare key for each, racing the
# program's refresh of the map.
xmodmap -e 'keycode 197 = eogonek Eogonek' -e 'keycode 202 = dead_acute dead_acute' \
    -e 'keycode 200 = Multi_key Multi_key'
folder=$E2E_TMP/work
mkdir "$folder"
# Qt's own key bindings for X11, as CI's plain session has them: a desktop's platform theme
# would add its own (Ctrl+Y for Redo, say).
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION QT_QPA_PLATFORMTHEME
# Qt offers its tree on the bus only when asked to or when a screen reader runs. Qt's own
# compose input context is what xcb picks when none is asked for; it is named so that an input
# method of the environment (IBus) cannot take the keys over.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_IM_MODULE=compose e2e_start_app "$binary" "$folder"
window=$(e2e_window Form1)
xdotool windowactivate --sync "$window" >/dev/null

# Nothing is written beside the scripts: the source tree stays as checked out.
# A driver that ends with status 77 says why it cannot check anything on this machine.
status=0
PYTHONDONTWRITEBYTECODE=1 PYTHONPATH=$(dirname "${BASH_SOURCE[0]}") \
    /usr/bin/python3 "$driver" "$E2E_APP_PID" "$folder" "$@" || status=$?
[ "$status" = 77 ] && exit 77
[ "$status" = 0 ] || e2e_fail "the text area's $concern"

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: the text area's $concern, driven with real X input"
