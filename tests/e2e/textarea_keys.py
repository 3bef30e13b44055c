# SPDX-License-Identifier: GPL-3.0-or-later
"""The text area's keys on the real window: moving, selecting, editing, the clipboard keys and
undo, each pressed as real X keys.

Usage: textarea_keys.py PID FOLDER, FOLDER being the program's current folder.
"""
import os
import sys

from textarea_session import Failure, Offer, check_rows, main, press, states, wait_for, walk

# (name, before, [(keys, after), ...]) in the marked form "ab^cd|e" (anchor ^, caret |).
MOVING_AND_EDITING = [
    ("Right steps over CR LF", "a|\r\nb", [(["Right"], "a\r\n|b")]),
    ("Left steps over CR LF", "a\r\n|b", [(["Left"], "a|\r\nb")]),
    ("Down then Up keep the column", "abc|d\r\nx\r\nabcd",
     [(["Down"], "abcd\r\nx|\r\nabcd"), (["Down"], "abcd\r\nx\r\nabc|d"),
      (["Up", "Up"], "abc|d\r\nx\r\nabcd")]),
    ("Home and End", "ab\r\ncd|e\r\nf", [(["Home"], "ab\r\n|cde\r\nf"),
                                        (["End"], "ab\r\ncde|\r\nf")]),
    ("Ctrl+Home and Ctrl+End", "ab\r\nc|d", [(["ctrl+Home"], "|ab\r\ncd"),
                                           (["ctrl+End"], "ab\r\ncd|")]),
    ("Ctrl+Right and Ctrl+Left by words", "|jeden dwa, trzy",
     [(["ctrl+Right"], "jeden |dwa, trzy"), (["ctrl+Right"], "jeden dwa|, trzy"),
      (["ctrl+Right"], "jeden dwa, |trzy"), (["ctrl+Left", "ctrl+Left"], "jeden |dwa, trzy")]),
    ("Shift extends with each move", "ab|cd\r\nef\r\ngh",
     [(["shift+Right"], "ab^c|d\r\nef\r\ngh"), (["shift+End"], "ab^cd|\r\nef\r\ngh"),
      (["shift+Down"], "ab^cd\r\nef|\r\ngh"), (["shift+Home"], "ab^cd\r\n|ef\r\ngh"),
      (["shift+Left"], "ab^cd|\r\nef\r\ngh"), (["shift+ctrl+Left"], "|ab^cd\r\nef\r\ngh"),
      (["shift+ctrl+End"], "ab^cd\r\nef\r\ngh|"), (["shift+ctrl+Home"], "|ab^cd\r\nef\r\ngh"),
      (["shift+ctrl+Right"], "ab^cd|\r\nef\r\ngh"), (["shift+Up"], "|ab^cd\r\nef\r\ngh")]),
    ("Ctrl+A selects all", "ab|\r\ncd", [(["ctrl+a"], "^ab\r\ncd|")]),
    ("Backspace and Delete, CR LF whole", "ab\r\n|cd",
     [(["BackSpace"], "ab|cd"), (["Delete"], "ab|d"), (["BackSpace"], "a|d")]),
    ("Backspace and Delete take the selection", "a^bc|d",
     [(["Delete"], "a|d"), (["shift+Right", "BackSpace"], "a|")]),
    ("Ctrl+Backspace and Ctrl+Delete by words", "jeden dwa| trzy",
     [(["ctrl+BackSpace"], "jeden | trzy"), (["ctrl+Delete"], "jeden |trzy")]),
    ("Enter inserts CR LF", "a|b", [(["Return"], "a\r\n|b"), (["shift+Return"], "a\r\n\r\n|b")]),
    ("Typing replaces the selection", "x^yz|", [(["a", "b"], "xab|")]),
]


def check_moving_and_editing(session):
    check_rows(session, MOVING_AND_EDITING)


def check_page_keys(session):
    """PageDown moves the caret and the view one page of lines on, PageUp back; Shift extends."""
    lines = "\r\n".join(f"wiersz {line}" for line in range(100))
    session.prepare("|" + lines)
    # The vertical scroll bar counts lines; its maximum leaves a page on show.
    shown = 100 - int(session.vertical_scroll_maximum())
    if not 5 <= shown < 60:
        raise Failure(f"a page of {shown} lines")
    page_start = lines.index(f"wiersz {shown}")
    after_page = lines[:page_start] + "|" + lines[page_start:]
    press("Next")
    session.expect(after_page, "PageDown")
    wait_for(lambda: session.vertical_scroll() > 0, "PageDown to scroll")
    press("Prior")
    session.expect("|" + lines, "PageUp")
    wait_for(lambda: session.vertical_scroll() == 0, "PageUp to scroll back")
    press("shift+Next")
    session.expect("^" + after_page, "Shift+PageDown")
    press("shift+Prior", "shift+Down")
    first_line_end = lines.index("\r\n") + 2
    session.expect("^" + lines[:first_line_end] + "|" + lines[first_line_end:],
                   "Shift+PageUp then Shift+Down")
    print(f"ok: PageDown and PageUp move {shown} lines")


def check_tab_moves_the_focus_on(session):
    session.prepare("ab|")
    press("Tab")
    wait_for(lambda: "focused" not in states(session.area), "Tab to take the focus away")
    focused = [node for node in walk(session.frame) if "focused" in states(node)]
    if not focused:
        raise Failure("after Tab nothing has the focus")
    # Shift+Tab brings the focus back: the text took no tab.
    press("shift+Tab")
    wait_for(lambda: "focused" in states(session.area), "Shift+Tab to bring the focus back")
    session.expect("ab|", "Tab inserts nothing")
    print(f"ok: Tab moved the focus to [{focused[0].getRoleName()}] {focused[0].name!r}")


# (name, before, clipboard offered or None, keys, after, clipboard after). Inside the program a
# line break is CR LF; on the clipboard it is the platform's LF, and any line end pasted in
# becomes a CR LF.
CLIPBOARD_KEYS = [
    ("Ctrl+C copies with LF", "^ab\r\ncd|", None, ["ctrl+c"], None, "ab\ncd"),
    ("Ctrl+Insert copies", "x^yz|", None, ["ctrl+Insert"], None, "yz"),
    ("Ctrl+X cuts", "a^b\r\nc|d", None, ["ctrl+x"], "a|d", "b\nc"),
    ("Shift+Delete cuts", "^ab|c", None, ["shift+Delete"], "|c", "ab"),
    ("Ctrl+V pastes, every line end a CR LF", "a|b", "1\n2\r3\r\n4", ["ctrl+v"],
     "a1\r\n2\r\n3\r\n4|b", None),
    ("Shift+Insert pastes over the selection", "^ab|c", "Żółw", ["shift+Insert"], "Żółw|c",
     None),
    ("Ctrl+Shift+Insert pastes too", "a|", "b", ["ctrl+shift+Insert"], "ab|", None),
]


def check_clipboard_keys(session):
    for name, before, offered, keys, after, copied in CLIPBOARD_KEYS:
        offer = Offer(offered if offered is not None else "stale " + name)
        try:
            session.prepare(before)
            press(*keys)
            if copied is not None:
                session.expect_clipboard(copied, name)
            if after is not None:
                session.expect(after, name)
        finally:
            offer.close()
        print(f"ok: {name}")


def check_undo(session):
    """Typing is undone in steps, Ctrl+Shift+Z redoes. Qt's X11 key bindings, without a desktop's
    own, give Redo no Ctrl+Y: here it does nothing, as in the stock widget."""
    session.prepare("^start|")
    press("Delete")
    session.expect("|", "Delete taking the selection")
    press("a", "b", "space", "c", "Left", "x", "Return", "y")
    session.expect("ab x\r\ny|c", "typing")
    # The steps and caret places QPlainTextEdit gave for the same keys.
    for expected in ["ab x\r\n|c", "ab x|c", "ab |c", "|"]:
        press("ctrl+z")
        session.expect(expected, "Ctrl+Z")
    press("ctrl+y", "ctrl+shift+z")
    session.expect("ab c|", "Ctrl+Y then Ctrl+Shift+Z redoing once")
    press("ctrl+shift+z", "ctrl+shift+z", "ctrl+shift+z")
    session.expect("ab x\r\ny|c", "Ctrl+Shift+Z redoing the rest")
    print("ok: typing undone in steps and redone")


def check_undo_brings_back_the_text_before_reading(session, folder):
    """One Ctrl+Z after "Czytaj" brings back the text from before it."""
    with open(os.path.join(folder, "notes.txt"), "wb") as notes:
        notes.write(b"z pliku\r\n")
    session.prepare("moje|")
    session.click_node(session.find(session.frame, "push button", "Czytaj"))
    wait_for(lambda: session.text.getText(0, -1) == "z pliku\r\n", "\"Czytaj\"")
    session.focus_area()
    press("ctrl+z")
    wait_for(lambda: session.text.getText(0, -1) == "moje", "one Ctrl+Z after \"Czytaj\"")
    print("ok: one Ctrl+Z brings back the text from before \"Czytaj\"")


def check_saved_bytes(session, folder):
    """What the keys typed is what "Zapisz" writes: CR LF for Enter, Polish letters in
    Windows-1250."""
    session.prepare("|")
    press("ctrl+a", "Delete", "g", "e", "Return", "x")
    session.expect("ge\r\nx|", "typing before saving")
    press("Left", "Left", "BackSpace", "eogonek")
    session.expect("gę|\r\nx", "typing a Polish letter")
    session.save_and_expect(folder, b"g\xea\r\nx")
    print("ok: \"Zapisz\" wrote what the keys typed")


if __name__ == "__main__":
    folder = sys.argv[2]
    sys.exit(main([check_moving_and_editing, check_page_keys, check_clipboard_keys, check_undo,
                   lambda session: check_undo_brings_back_the_text_before_reading(session, folder),
                   lambda session: check_saved_bytes(session, folder),
                   check_tab_moves_the_focus_on]))
