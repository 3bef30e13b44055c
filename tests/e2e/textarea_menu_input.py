# SPDX-License-Identifier: GPL-3.0-or-later
"""The text area's context menu, opened with the real right button and read as a screen reader
reads it, and letters composed from dead keys and Compose through Qt's input method support.

Usage: textarea_menu_input.py PID FOLDER. The program runs with QT_IM_MODULE=compose, Qt's own
compose input context (xcb's default), which composes from the X11 compose table in the C and
the UTF-8 locales alike; the keyboard has dead_acute and Multi_key mapped with xmodmap.
"""
import sys
import time

import pyatspi
from gi.repository import GLib

from textarea_session import DEADLINE, Failure, Offer, main, press, run, states

ENTRIES = ["Cofnij", "Przywróć", "Wytnij", "Skopiuj", "Wklej", "Usuń", "Zaznacz wszystko"]


class FocusListener:
    """Menu items as they take the focus: a popup menu is not among the application's windows,
    and a screen reader finds it through its items' focus."""

    def __init__(self):
        self.focused = []
        pyatspi.Registry.registerEventListener(self.hear, "object:state-changed:focused")

    def hear(self, event):
        if event.detail1 == 1 and event.source is not None:
            self.focused.append(event.source)

    def wait_for_menu_item(self):
        context = GLib.MainContext.default()
        deadline = time.time() + DEADLINE
        while True:
            for node in self.focused:
                if node.getRoleName() == "menu item":
                    return node
            if time.time() > deadline:
                raise Failure("no menu item took the focus")
            if not context.iteration(False):
                time.sleep(0.02)

    def close(self):
        pyatspi.Registry.deregisterEventListener(self.hear, "object:state-changed:focused")


def open_menu(session):
    """Right-clicks the area and gives the menu's entries, {name: node}, their shortcuts left
    out."""
    listener = FocusListener()
    try:
        point = session.character_point(0)
        run("xdotool", "mousemove", str(point[0]), str(point[1]), "click", "3")
        # Down gives the first entry that can be chosen the focus, and tells of it.
        item = None
        deadline = time.time() + DEADLINE
        while item is None:
            press("Down")
            try:
                item = listener.wait_for_menu_item()
            except Failure:
                if time.time() > deadline:
                    raise
    finally:
        listener.close()
    menu = item.parent
    return {child.name.split("\t")[0]: child for child in menu
            if child is not None and child.getRoleName() == "menu item"}


def enabled(entries):
    return [name for name, node in entries.items() if "enabled" in states(node)]


# (name, before, offered or None, enabled entries, entry chosen, after, clipboard after or None).
# The area starts as the window gave it, "Text1" with no edit to undo.
ROWS = [
    ("nothing selected, nothing to paste or undo", "Text1|", None, ["Zaznacz wszystko"],
     "Zaznacz wszystko", "^Text1|", None),
    ("text selected, a text to paste", "^Tekst|1", "schowek",
     ["Cofnij", "Wytnij", "Skopiuj", "Wklej", "Usuń", "Zaznacz wszystko"], "Wklej", "schowek|1",
     None),
    ("after a paste, undo", "schowek|1", None, ["Cofnij", "Zaznacz wszystko"], "Cofnij",
     "Tekst|1", None),
    ("after an undo, redo", "Tekst|1", None, ["Cofnij", "Przywróć", "Zaznacz wszystko"],
     "Przywróć", "schowek|1", None),
    ("copy", "^schowek|1", None,
     ["Cofnij", "Wytnij", "Skopiuj", "Usuń", "Zaznacz wszystko"], "Skopiuj", "^schowek|1",
     "schowek"),
    ("cut", "sch^ow|ek1", None,
     ["Cofnij", "Wytnij", "Skopiuj", "Wklej", "Usuń", "Zaznacz wszystko"], "Wytnij", "sch|ek1",
     "ow"),
    ("delete", "^sch|ek1", None,
     ["Cofnij", "Wytnij", "Skopiuj", "Wklej", "Usuń", "Zaznacz wszystko"], "Usuń", "|ek1",
     "ow"),
]


def check_context_menu(session):
    for name, before, offered, expected, chosen, after, copied in ROWS:
        offer = Offer(offered) if offered is not None else None
        try:
            if session.state() != before:
                session.prepare(before)
            session.focus_area()
            entries = open_menu(session)
            if list(entries) != ENTRIES:
                press("Escape")
                raise Failure(f"{name}: the menu offers {list(entries)}")
            if enabled(entries) != expected:
                press("Escape")
                raise Failure(f"{name}: enabled are {enabled(entries)}, not {expected}")
            session.click_node(entries[chosen])
            session.expect(after, f"{name}: \"{chosen}\"")
            if copied is not None:
                session.expect_clipboard(copied, f"{name}: \"{chosen}\"")
        finally:
            if offer:
                offer.close()
        print(f"ok: the menu, {name}: {', '.join(expected)} enabled; \"{chosen}\" works")


def check_composed_letters(session, folder):
    """A dead acute before a letter, and Compose sequences, give the letters they make."""
    session.prepare("^Text1|")
    press("Delete")
    session.expect("|", "Delete")
    press("dead_acute", "e", "dead_acute", "o", "Multi_key", "apostrophe", "z", "space",
          "Multi_key", "minus", "minus", "period")
    session.expect("éóź –|", "composed letters")
    # The same letters are what "Zapisz" writes, in Windows-1250.
    press("BackSpace")
    session.expect("éóź |", "Backspace")
    session.save_and_expect(folder, b"\xe9\xf3\x9f ")
    print("ok: dead keys and Compose gave é, ó, ź and –")


if __name__ == "__main__":
    folder = sys.argv[2]
    sys.exit(main([check_context_menu,
                   lambda session: check_composed_letters(session, folder)]))
