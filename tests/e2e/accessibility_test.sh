#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader finds of the real program, on an accessibility bus of its own: every control
# with its role and a Polish name without padding, the window as a frame, typing in the text area
# heard as it happens with the text and the caret read back, the disabled text area
# read-only and still readable (and, on screen, its text at a contrast of at least 4.5:1), a failure's
# message box readable, and no unnamed control in the font dialog.

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
binary=$1
tree=$(dirname "${BASH_SOURCE[0]}")/accessibility_tree.py

e2e_start_display
# A private session bus, started for this display, so that the accessibility bus it starts
# belongs to this test alone.
e2e_start_session_bus
folder=$E2E_TMP/work
mkdir "$folder"
# Qt offers its tree on the bus only when asked to or when a screen reader runs.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 e2e_start_app "$binary" "$folder"
window=$(e2e_window Form1)

check() {
    echo "== $1"
    /usr/bin/python3 "$tree" "$E2E_APP_PID" "$@" || e2e_fail "the accessibility tree: $1"
}

# WCAG contrast of the darkest pixel in a region of an image against the region's commonest
# colour, its background: prints "DARKEST on BACKGROUND: RATIO".
darkest_contrast() {
    convert "$1" -crop "$2" +repage -depth 8 txt:- | awk '
        function linear(c) { c /= 255; return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
        function luminance(r, g, b) { return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b) }
        /^[0-9]/ {
            match($0, /#[0-9A-Fa-f]+/); hex = substr($0, RSTART, RLENGTH)
            split(substr($0, index($0, "(") + 1), c, /[,)]/)
            count[hex]++; lum[hex] = luminance(c[1], c[2], c[3])
        }
        END {
            for (h in count) {
                if (count[h] > most) { most = count[h]; background = h }
                if (darkest == "" || lum[h] < lum[darkest]) darkest = h
            }
            printf "%s on %s: %.2f\n", darkest, background, (lum[background] + 0.05) / (lum[darkest] + 0.05)
        }'
}

check main-window
check follows-typing "$window"

# "Możliwa edycja" unticked with a real click: the area is out of reach.
e2e_click_control "$window" Check1
check disabled-area
shot=$E2E_TMP/disabled.png
e2e_screenshot "$window" "$shot"
# The first line of the text area, where "Text1" is written.
measured=$(darkest_contrast "$shot" 120x22+12+12)
echo "disabled text: $measured"
ratio=${measured##*: }
awk -v ratio="$ratio" 'BEGIN { exit !(ratio >= 4.5) }' \
    || e2e_fail "the disabled text is at $measured, less than 4.5:1"
awk -v ratio="$ratio" 'BEGIN { exit !(ratio < 21) }' \
    || e2e_fail "the disabled text is drawn as if enabled: $measured"

# "Zaznacz wszystko" still selects the disabled area's text, then fails to put the caret there:
# the failure's message box must be readable.
e2e_click_control "$window" Command4
check selected-all
# press_in_window WID KEY TITLE: the key closes the window titled TITLE.
press_in_window() {
    xdotool windowactivate --sync "$1" key "$2"
    local deadline=$((SECONDS + 10))
    while e2e_shows_window "$3" >/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || e2e_fail "$2 did not close \"$3\""
        sleep 0.1
    done
}
message=$(e2e_window Notatki)
check message-box "edycja jest wyłączona"
press_in_window "$message" Return Notatki

# "Czytaj" with no notes.txt: the message names the file with its full path.
e2e_click_control "$window" Command2
message=$(e2e_window Notatki)
check message-box "$folder/notes.txt"
press_in_window "$message" Return Notatki

# "Wybierz czcionkę": the font dialog.
e2e_click_control "$window" Command1
dialog=$(e2e_window Czcionka)
check font-dialog
press_in_window "$dialog" Escape Czcionka

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: the accessibility tree names every control in Polish; disabled text at $measured"
