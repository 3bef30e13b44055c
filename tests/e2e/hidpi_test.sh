#!/usr/bin/env bash
# At a device scale of 2 the window takes twice its designed size in device pixels, and every
# control is drawn whole at twice its designed place: seen on a screenshot of the real window.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
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
# Looked at many times below: ImageMagick's own format is read without decompressing.
convert "$shot" "$E2E_TMP/form1.miff"
shot=$E2E_TMP/form1.miff

pixel() {
    convert "$shot" -format "%[pixel:p{$1,$2}]" info:
}
# The background of the window and of the inside of each frame, where no control is drawn: between
# the text area and the column, and between the first two boxes of each frame.
declare -A background=(
    [Form1]=$(pixel 671 5)
    [Frame1]=$(pixel $((345 * scale)) $((125 * scale)))
    [Frame2]=$(pixel $((345 * scale)) $((275 * scale)))
)

# drawn_box CONTAINER LEFT TOP WIDTH HEIGHT: prints "LEFT TOP RIGHT BOTTOM" (right and bottom
# exclusive) of what is drawn over the container's background in the region, or nothing.
drawn_box() {
    local geometry color=${background[$1]}
    shift
    geometry=$(convert "$shot" -crop "${3}x${4}+${1}+${2}" +repage \
        -bordercolor "$color" -border 1 -fuzz 4% -format '%@' info: 2>/dev/null)
    [[ $geometry =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 0
    local width=${BASH_REMATCH[1]} height=${BASH_REMATCH[2]}
    local left=$((BASH_REMATCH[3] - 1 + $1)) top=$((BASH_REMATCH[4] - 1 + $2))
    [ "$width" -gt 1 ] || [ "$height" -gt 1 ] || return 0
    echo "$left $top $((left + width)) $((top + height))"
}

near() { [ "$1" -ge $(($2 - 2)) ] && [ "$1" -le $(($2 + 2)) ]; }

# Each control's designed rectangle in pixels at 12 twips per pixel, and how much of it the
# style fills: a button, a frame and the text area reach every edge of their rectangle; a check
# box or an option button is its indicator at the left edge and its caption.
# Positions are in the window's client area.
# name      container left top width height drawn
controls="
Check1     Form1     340  10  121  21   left
Command1   Form1     340  40  151  31   whole
Frame1     Form1     340  80  151  141  sides
Check2     Frame1    350  100 125  21   left
Check3     Frame1    350  130 125  21   left
Check4     Frame1    350  160 125  21   left
Check5     Frame1    350  190 125  21   left
Text1      Form1     10   10  321  511  whole
Frame2     Form1     340  230 151  171  sides
Option1    Frame2    350  250 125  21   left
Option2    Frame2    350  280 125  21   left
Option3    Frame2    350  310 125  21   left
Option4    Frame2    350  340 125  21   left
Option5    Frame2    350  370 125  21   left
Command2   Form1     340  410 71   31   whole
Command3   Form1     420  410 71   31   whole
Command4   Form1     340  450 151  31   whole
Command5   Form1     340  490 71   31   whole
Command6   Form1     420  490 71   31   whole
"
checked=0
while read -r name container left top width height drawn; do
    [ -n "$name" ] || continue
    # How far around the rectangle to look: inside a frame its top edge is close above.
    margin=6
    [ "$container" = Form1 ] || margin=2
    left=$((left * scale)) top=$((top * scale))
    right=$((left + width * scale)) bottom=$((top + height * scale))
    case $drawn in
    # Frames hold other controls; only their own edges are looked at, in a strip along each.
    sides)
        box=$(drawn_box "$container" $((left - 6)) $((top - 6)) $((right - left + 12)) 30)
        read -r _ drawn_top _ _ <<<"$box"
        box=$(drawn_box "$container" $((left - 6)) $((bottom - 24)) $((right - left + 12)) 30)
        read -r drawn_left _ drawn_right drawn_bottom <<<"$box"
        ;;
    *)
        box=$(drawn_box "$container" $((left - margin)) $((top - margin)) \
            $((right - left + 2 * margin)) $((bottom - top + 2 * margin)))
        read -r drawn_left drawn_top drawn_right drawn_bottom <<<"$box"
        ;;
    esac
    [ -n "$box" ] || e2e_fail "$name is not drawn at ($left, $top)"
    describe="$name drawn at ($drawn_left, $drawn_top)-($drawn_right, $drawn_bottom), designed ($left, $top)-($right, $bottom)"
    # Nothing of a control lies outside its rectangle.
    [ "$drawn_left" -ge $((left - 1)) ] && [ "$drawn_top" -ge $((top - 1)) ] \
        && [ "$drawn_right" -le $((right + 1)) ] && [ "$drawn_bottom" -le $((bottom + 1)) ] \
        || e2e_fail "$describe: it spills out"
    case $drawn in
    whole)
        near "$drawn_left" "$left" && near "$drawn_top" "$top" && near "$drawn_right" "$right" \
            && near "$drawn_bottom" "$bottom" || e2e_fail "$describe"
        ;;
    sides)
        near "$drawn_left" "$left" && near "$drawn_right" "$right" \
            && near "$drawn_bottom" "$bottom" || e2e_fail "$describe"
        ;;
    left)
        near "$drawn_left" "$left" || e2e_fail "$describe"
        ;;
    esac
    checked=$((checked + 1))
done <<<"$controls"
[ "$checked" = 19 ] || e2e_fail "checked $checked controls, expected 19"

e2e_close_window "$window"
e2e_wait_exit
[ "$E2E_APP_STATUS" = 0 ] || e2e_fail "the program ended with status $E2E_APP_STATUS"
echo "PASS: Form1 at scale $scale is $size device pixels, 19 controls drawn at twice their place"
