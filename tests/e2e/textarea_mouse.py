# SPDX-License-Identifier: GPL-3.0-or-later
"""The text area under the real mouse: clicks, drags, the wheel, the X11 primary selection both
ways, and a selection dragged to move or, with Ctrl, to copy.

Usage: textarea_mouse.py PID FOLDER.
"""
import sys

from textarea_session import Failure, Offer, main, run, wait_for

TEXT = "jeden dwa\r\ntrzy cztery"


def move_to(point):
    run("xdotool", "mousemove", str(point[0]), str(point[1]))


def click(point, button=1, repeat=1, modifier=None):
    held = ["keydown", modifier] if modifier else []
    released = ["keyup", modifier] if modifier else []
    run("xdotool", *held, "mousemove", str(point[0]), str(point[1]), "click", "--repeat",
        str(repeat), "--delay", "60", str(button), *released)


def drag(points, modifier=None):
    """Presses the left button at the first point, passes the others and lets go at the last.
    Each step waits for the pointer to get there, so that the program sees every motion. (A
    synchronised move to where the pointer already is waits in vain for it to move.)"""
    if modifier:
        run("xdotool", "keydown", modifier)
    try:
        move_to(points[0])
        run("xdotool", "mousedown", "1")
        for point in points[1:]:
            run("xdotool", "mousemove", "--sync", str(point[0]), str(point[1]))
        run("xdotool", "mouseup", "1")
    finally:
        if modifier:
            run("xdotool", "keyup", modifier)


def between(start, end, steps):
    return [(start[0] + (end[0] - start[0]) * step // steps,
             start[1] + (end[1] - start[1]) * step // steps) for step in range(steps + 1)]


# (name, before, gesture, after): gesture(session) acts on the area in the before state. Rows
# next to each other press at different points, so that two clicks never make a double click.
ROWS = [
    ("a click places the caret", "jeden| dwa\r\ntrzy cztery",
     lambda session: click(session.character_point(8)), "jeden dw|a\r\ntrzy cztery"),
    ("Shift+click extends", "jed|en dwa\r\ntrzy cztery",
     lambda session: click(session.character_point(7), modifier="shift"),
     "jed^en d|wa\r\ntrzy cztery"),
    ("dragging selects", "|" + TEXT,
     lambda session: drag(between(session.character_point(1),
                                           session.character_point(13), 4)),
     "j^eden dwa\r\ntr|zy cztery"),
    ("a double click selects a word", "|" + TEXT,
     lambda session: click(session.character_point(7), repeat=2), "jeden ^dwa|\r\ntrzy cztery"),
    ("a triple click selects a line with its line end", "|" + TEXT,
     lambda session: click(session.character_point(4), repeat=3),
     "^jeden dwa\r\n|trzy cztery"),
    # QDrag's own loop under X11 (XDND): the selection moves where it is dropped, and with Ctrl
    # held a copy goes there instead.
    ("a dragged selection moves", "^jeden| dwa\r\ntrzy cztery",
     lambda session: drag(between(session.character_point(2),
                                           session.character_point(16), 6)),
     " dwa\r\ntrzy jeden|cztery"),
    ("a selection dragged with Ctrl is copied", "^jeden| dwa\r\ntrzy cztery",
     lambda session: drag(between(session.character_point(2),
                                           session.character_point(16), 6), modifier="ctrl"),
     "jeden dwa\r\ntrzy jeden|cztery"),
]


def check_gestures(session):
    for name, before, gesture, after in ROWS:
        session.prepare(before)
        gesture(session)
        session.expect(after, name)
        print(f"ok: {name}")


def check_primary_selection(session):
    """A selection made with the mouse is offered as the primary selection, line breaks as LF;
    a middle click pastes another program's primary selection where it is clicked."""
    session.prepare("|" + TEXT)
    drag(between(session.character_point(6), session.character_point(14), 4))
    session.expect("jeden ^dwa\r\ntrz|y cztery", "selecting by dragging")
    session.expect_clipboard("dwa\ntrz", "the selection offered", "primary")
    print("ok: the selection offered as the primary selection")

    offer = Offer("wklejka\nz", "primary")
    try:
        session.prepare("|" + TEXT)
        click(session.character_point(2), button=2)
        session.expect("jewklejka\r\nz|den dwa\r\ntrzy cztery", "a middle click")
    finally:
        offer.close()
    print("ok: a middle click pastes the primary selection")


def long_lines():
    return "|" + "\r\n".join(f"{line:03} " + "x" * 400 for line in range(200))


def check_wheel(session):
    """The wheel scrolls down and up, with Shift by pages; buttons 6 and 7 scroll sideways, as
    Qt's X11 platform and scroll bars give them. (Alt with the wheel, which Qt turns sideways,
    is the window manager's here.)"""
    session.prepare(long_lines())
    # The vertical scroll bar counts lines, and leaves a page on show at its end.
    page = 200 - session.vertical_scroll_maximum()
    x, y, width, height = session.area_extents()
    middle = (x + width // 2, y + height // 2)
    cases = [
        ("the wheel down", 5, None, session.vertical_scroll, lambda value: value > 0),
        ("the wheel up", 4, None, session.vertical_scroll, lambda value: value == 0),
        ("Shift with the wheel, a page down", 5, "shift", session.vertical_scroll,
         lambda value: value == page),
        ("button 7 sideways", 7, None, session.horizontal_scroll, lambda value: value > 0),
        ("button 6 back", 6, None, session.horizontal_scroll, lambda value: value == 0),
    ]
    for name, button, modifier, value, reached in cases:
        click(middle, button=button, modifier=modifier)
        try:
            wait_for(lambda: reached(value()), name)
        except Failure:
            raise Failure(f"{name}: the scroll bar stands at {value()}")
        print(f"ok: {name}")


def check_dragging_past_the_bottom_scrolls(session):
    session.prepare(long_lines())
    x, y, width, height = session.area_extents()
    start = session.character_point(0)
    below = (x + width // 3, y + height + 40)
    move_to(start)
    run("xdotool", "mousedown", "1")
    try:
        for point in between(start, below, 4)[1:]:
            run("xdotool", "mousemove", "--sync", str(point[0]), str(point[1]))
        wait_for(lambda: session.vertical_scroll() > 5, "the text to scroll while dragging below")
    finally:
        run("xdotool", "mouseup", "1")
    line_length = len("000 ") + 400 + 2
    wait_for(lambda: session.text.caretOffset > 10 * line_length, "the caret to follow")
    if session.text.getSelection(0)[0] != 0:
        raise Failure(f"the selection starts at {session.text.getSelection(0)[0]}")
    print(f"ok: dragging below the area scrolled to line {session.vertical_scroll():.0f}")


if __name__ == "__main__":
    sys.exit(main([check_gestures, check_primary_selection, check_wheel,
                   check_dragging_past_the_bottom_scrolls]))
