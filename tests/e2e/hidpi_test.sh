#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# At a device scale of 2 the window takes twice its designed size in device pixels, and every
# control is drawn whole at twice its designed place: seen on a screenshot of the real window.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/layout.sh"
binary=$1
scale=2

e2e_start_display
folder=$E2E_TMP/work
mkdir "$folder"
QT_SCALE_FACTOR=$scale e2e_start_app "$binary" "$folder"

window=$(e2e_window Form1)
size=$(e2e_window_size "$window")
[ "$size" = 1002x1056 ] || e2e_fail "window is $size device pixels, expected 1002x1056"

shot=$E2E_TMP/form1.png
e2e_screenshot "$window" "$shot"
shot_size=$(identify -format '%wx%h' "$shot")
[ "$shot_size" = 1002x1056 ] || e2e_fail "screenshot is $shot_size, expected 1002x1056"
e2e_check_controls_drawn "$shot" "$scale" 2

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: Form1 at scale $scale is $size device pixels, 19 controls drawn at twice their place"
