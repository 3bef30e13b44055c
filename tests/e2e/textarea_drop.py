# SPDX-License-Identifier: GPL-3.0-or-later
"""A selection dragged from one running program into the text area of another, with the real
mouse, both read back as a screen reader reads them.

Usage: textarea_drop.py SOURCE_PID TARGET_PID. Each program reads its own notes.txt with
"Czytaj" before every row.
"""
import sys

from textarea_session import Failure, Session, mark, run, wait_for

# What "Czytaj" shows from each folder's notes.txt: every line ends in CR LF.
SOURCE_TEXT = "pierwszy przenoszony wyraz\r\nkoniec tekstu\r\n"
TARGET_TEXT = "alfa beta\r\ngamma\r\n"
GAMMA = TARGET_TEXT.index("gamma")


def click(point, repeat=1, modifier=None):
    held = ["keydown", modifier] if modifier else []
    released = ["keyup", modifier] if modifier else []
    run("xdotool", *held, "mousemove", str(point[0]), str(point[1]), "click", "--repeat",
        str(repeat), "--delay", "60", "1", *released)


def drag(start, end, steps=10):
    """Presses the left button at start and lets go at end, passing points in between: the
    program's drag loop sees every motion, since each step waits for the pointer to get there."""
    run("xdotool", "mousemove", str(start[0]), str(start[1]), "mousedown", "1")
    for step in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * step // steps
        y = start[1] + (end[1] - start[1]) * step // steps
        run("xdotool", "mousemove", "--sync", str(x), str(y))
    run("xdotool", "mouseup", "1")


def select_word(source):
    """A double click on "przenoszony"."""
    click(source.character_point(12), repeat=2)
    source.expect(mark(SOURCE_TEXT, 9, 20), "a double click selecting a word")


def select_across_line_end(source):
    """A double click on "przenoszony", then Shift+click before the space after "koniec"."""
    select_word(source)
    click(source.character_point(34), modifier="shift")
    source.expect(mark(SOURCE_TEXT, 9, 34), "Shift+click extending past the line end")


# (name, select, pressed at, dropped at, the source after, the target after). The press is
# inside the selection and well away from the double click, which it must not make a triple
# click. The drop lands before the character the pointer is over.
# Between two programs it is a move: with no key held the source proposes Move, the target
# accepts the proposed action, and Qt's X11 drag (XDND 5) reports the accepted action back in its
# finish message, so the source's QDrag::exec returns Move and the source deletes its selection.
# Line ends cross as LF, as other programs read them, and the target keeps them as CR LF.
ROWS = [
    ("a word dropped into another program moves there", select_word, 17, GAMMA,
     "pierwszy | wyraz\r\nkoniec tekstu\r\n", "alfa beta\r\nprzenoszony|gamma\r\n"),
    ("text across a line end dropped into another program keeps CR LF", select_across_line_end,
     23, 6, "pierwszy | tekstu\r\n", "alfa bprzenoszony wyraz\r\nkoniec|eta\r\ngamma\r\n"),
]


def read_notes(session, text):
    session.click_node(session.find(session.frame, "push button", "Czytaj"))
    session.expect(mark(text, 0, 0), '"Czytaj"')


def check_drops(source, target):
    for name, select, pressed, dropped, source_after, target_after in ROWS:
        read_notes(target, TARGET_TEXT)
        read_notes(source, SOURCE_TEXT)
        select(source)
        drag(source.character_point(pressed), target.character_point(dropped))
        target.expect(target_after, name)
        source.expect(source_after, f"{name}, in the source")
        print(f"ok: {name}")


def main():
    try:
        source = Session(int(sys.argv[1]))
        target = Session(int(sys.argv[2]))
        # Side by side, as the script placed them; the reader reports where they really are.
        wait_for(lambda: target.area_extents()[0] > source.area_extents()[0]
                 + source.area_extents()[2], "the two windows side by side")
        check_drops(source, target)
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
