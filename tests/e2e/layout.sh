# SPDX-License-Identifier: GPL-3.0-or-later
# Checks on a screenshot of the main window's client area that every control is drawn at its
# designed place, scaled. Sourced after lib.sh.

# e2e_scaled SCALE VALUE: VALUE design pixels at SCALE device pixels each, rounded.
e2e_scaled() {
    awk -v scale="$1" -v value="$2" 'BEGIN { printf "%d\n", value * scale + 0.5 }'
}

# e2e_check_controls_drawn SHOT SCALE TOLERANCE: fails unless each of the 19 controls is drawn in
# SHOT within TOLERANCE device pixels of its designed rectangle times SCALE, and nothing of it
# outside that rectangle. Prints how many controls were checked.
e2e_check_controls_drawn() {
    local image=$1 scale=$2 tolerance=$3
    # Looked at many times below: ImageMagick's own format is read without decompressing.
    local shot=$E2E_TMP/layout.miff
    convert "$image" "$shot"

    pixel() {
        convert "$shot" -format "%[pixel:p{$1,$2}]" info:
    }
    # The background of the window and of the inside of each frame, where no control is drawn:
    # between the text area and the column, and between the first two boxes of each frame.
    declare -A background=(
        [Form1]=$(pixel "$(e2e_scaled "$scale" 335.5)" "$(e2e_scaled "$scale" 2.5)")
        [Frame1]=$(pixel "$(e2e_scaled "$scale" 345)" "$(e2e_scaled "$scale" 125)")
        [Frame2]=$(pixel "$(e2e_scaled "$scale" 345)" "$(e2e_scaled "$scale" 275)")
    )

    # drawn_box CONTAINER LEFT TOP WIDTH HEIGHT: prints "LEFT TOP RIGHT BOTTOM" (right and
    # bottom exclusive) of what is drawn over the container's background in the region.
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

    near() { [ "$1" -ge $(($2 - tolerance)) ] && [ "$1" -le $(($2 + tolerance)) ]; }

    # Each control's designed rectangle in pixels at 12 twips per pixel, and how much of it the
    # style fills: a button, a frame and the text area reach every edge of their rectangle; a
    # check box or an option button is its indicator at the left edge and its caption.
    # Positions are in the window's client area.
    # name      container left top width height drawn
    local controls="
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
    local checked=0 name container left top width height drawn right bottom margin box describe
    local drawn_left drawn_top drawn_right drawn_bottom
    while read -r name container left top width height drawn; do
        [ -n "$name" ] || continue
        # How far around the rectangle to look: inside a frame its top edge is close above.
        margin=6
        [ "$container" = Form1 ] || margin=2
        right=$(e2e_scaled "$scale" $((left + width)))
        bottom=$(e2e_scaled "$scale" $((top + height)))
        left=$(e2e_scaled "$scale" "$left")
        top=$(e2e_scaled "$scale" "$top")
        case $drawn in
        # Frames hold other controls; only their own edges are looked at, in a strip along each.
        sides)
            box=$(drawn_box "$container" $((left - 6)) $((top - 6)) $((right - left + 12)) 30)
            read -r _ drawn_top _ _ <<<"$box"
            box=$(drawn_box "$container" $((left - 6)) $((bottom - 24)) $((right - left + 12)) 30)
            read -r drawn_left _ drawn_right drawn_bottom <<<"$box"
            ;;
        # Only the middle half of a box's height, where its indicator and caption are: in a
        # shrunk design the frame's top line, which keeps its distance from the frame's title,
        # comes close above the first box.
        left)
            box=$(drawn_box "$container" $((left - margin)) $((top + (bottom - top) / 4)) \
                $((right - left + 2 * margin)) $(((bottom - top) / 2)))
            read -r drawn_left _ drawn_right _ <<<"$box"
            drawn_top=$top drawn_bottom=$bottom
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
}
