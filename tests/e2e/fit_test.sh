#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# At a device scale of 2 on a 1280x1024 screen, where the design's 1002x1056 device pixels would
# run off the bottom, the window is shrunk in proportion so that all of it, title bar included,
# is on the screen; it keeps a fixed size, and every control is drawn at its shrunk place on what
# the screen itself shows.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/layout.sh"
binary=$1
screen_width=1280 screen_height=1024

e2e_start_display "${screen_width}x${screen_height}"
folder=$E2E_TMP/work
mkdir "$folder"
QT_SCALE_FACTOR=2 e2e_start_app "$binary" "$folder"
window=$(e2e_window Form1)

# Where the window manager put the client area, and the frame it drew around it. (xdotool counts
# the frame twice in a reparented window's position; xwininfo gives it on the root window.)
info=$(xwininfo -id "$window")
X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$info")
HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$info")
client="${WIDTH}x${HEIGHT}+${X}+${Y}"
extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ' ')
IFS=, read -r frame_left frame_right frame_top frame_bottom <<<"$extents"
[ -n "$frame_bottom" ] || e2e_fail "the window manager gave no frame extents"
outer_left=$((X - frame_left)) outer_top=$((Y - frame_top))
outer_right=$((X + WIDTH + frame_right)) outer_bottom=$((Y + HEIGHT + frame_bottom))
geometry="client $client, frame ($outer_left, $outer_top)-($outer_right, $outer_bottom)"
echo "Form1 at scale 2 on ${screen_width}x${screen_height}: $geometry"

[ "$outer_left" -ge 0 ] && [ "$outer_top" -ge 0 ] && [ "$outer_right" -le "$screen_width" ] \
    && [ "$outer_bottom" -le "$screen_height" ] || e2e_fail "runs off the screen: $geometry"
# Shrunk in proportion: 501x528 design pixels, each as wide as the window's share of 501.
expected_height=$(awk -v width="$WIDTH" 'BEGIN { printf "%d\n", width * 528 / 501 + 0.5 }')
[ $((HEIGHT - expected_height)) -ge -3 ] && [ $((HEIGHT - expected_height)) -le 3 ] \
    || e2e_fail "$geometry is not 501:528, expected a height near $expected_height"
[ "$HEIGHT" -lt 1056 ] || e2e_fail "not shrunk: $geometry"

# Fixed size: the window tells the window manager its smallest and largest size are the same.
hints=$(xprop -id "$window" WM_NORMAL_HINTS)
grep -q "minimum size: $WIDTH by $HEIGHT" <<<"$hints" \
    && grep -q "maximum size: $WIDTH by $HEIGHT" <<<"$hints" \
    || e2e_fail "the window can be resized: $hints"

# What the screen shows of the client area, so that a control off the screen would be missing.
e2e_screenshot "$window" "$E2E_TMP/window.png"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$E2E_TMP/screen.png"
difference=$(compare -metric AE "$E2E_TMP/window.png" "$E2E_TMP/screen.png" null: 2>&1 || true)
[ "$difference" = 0 ] || e2e_fail "the screen shows the window differently ($difference pixels)"
scale=$(awk -v width="$WIDTH" 'BEGIN { printf "%.6f\n", width / 501 }')
e2e_check_controls_drawn "$E2E_TMP/screen.png" "$scale" 3

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: Form1 fits ${screen_width}x${screen_height} at scale 2 ($geometry), 19 controls drawn"
