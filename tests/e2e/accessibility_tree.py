# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader finds of the running program on the accessibility bus.

Usage: accessibility_tree.py PID CHECK [ARGUMENT]. Each check walks the program's tree as Orca
does, through pyatspi, prints what it saw and exits non-zero with the reason when something is
wrong.
"""
import itertools
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

WINDOW = "Notatki, edytor notatek"

# The main window as a screen reader walks it: depth, role and name of every node, in order.
MAIN_WINDOW = [
    (0, "frame", WINDOW),
    (1, "check box", "Możliwa edycja"),
    (1, "push button", "Wybierz czcionkę"),
    (1, "panel", "Styl czcionki"),
    (2, "check box", "Wytłuszczenie"),
    (2, "check box", "Kursywa"),
    (2, "check box", "Podkreślenie"),
    (2, "check box", "Przekreślenie"),
    (1, "text", "Notatki"),
    (2, "filler", "Obszar tekstu"),
    (2, "filler", "Przewijanie w poziomie"),
    (3, "scroll bar", "Przewijanie w poziomie"),
    (2, "filler", "Przewijanie w pionie"),
    (3, "scroll bar", "Przewijanie w pionie"),
    (1, "panel", "Kolor tekstu"),
    (2, "radio button", "Domyślny"),
    (2, "radio button", "Czarny"),
    (2, "radio button", "Niebieski"),
    (2, "radio button", "Zielony"),
    (2, "radio button", "Czerwony"),
    (1, "push button", "Czytaj"),
    (1, "push button", "Zapisz"),
    (1, "push button", "Zaznacz wszystko"),
    (1, "push button", "Kopiuj"),
    (1, "push button", "Wklej"),
]

# The nodes that must also say what they are for, in Polish: how their descriptions begin.
DESCRIBED = {
    ("frame", WINDOW): "Edytor notatek: wczytuje plik notes.txt",
    ("text", "Notatki"): "Tekst notatek. Przycisk „Czytaj” wczytuje",
}


class Failure(Exception):
    pass


def application(pid, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        time.sleep(0.2)
    raise Failure(f"no application of process {pid} on the accessibility bus")


def walk(node, depth=0):
    yield depth, node
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def states(node):
    return {pyatspi.stateToString(state) for state in node.getState().getStates()}


def describe(depth, node):
    return "{}[{}] {!r} {}".format("  " * depth, node.getRoleName(), node.name,
                                   " ".join(sorted(states(node))))


def dump(root):
    for depth, node in walk(root):
        print(describe(depth, node))


def wait_for(condition, what, timeout=10):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = condition()
        if found:
            return found
        time.sleep(0.1)
    raise Failure(f"gave up waiting for {what}")


def window(app, role, name):
    for child in app:
        if child is not None and child.getRoleName() == role and child.name == name:
            return child
    return None


def find(root, role, name):
    for _, node in walk(root):
        if node.getRoleName() == role and node.name == name:
            return node
    raise Failure(f"no [{role}] {name!r}")


def check_names(root):
    """Every node named, and every name without the spaces a caption is padded with."""
    for depth, node in walk(root):
        if not node.name.strip():
            raise Failure("unnamed node: " + describe(depth, node))
        if node.name != node.name.strip():
            raise Failure("name padded with spaces: " + describe(depth, node))


def check_main_window(app):
    frame = wait_for(lambda: window(app, "frame", WINDOW), f"the frame {WINDOW!r}")
    dump(frame)
    seen = [(depth, node.getRoleName(), node.name) for depth, node in walk(frame)]
    for index, (expected, found) in enumerate(itertools.zip_longest(MAIN_WINDOW, seen)):
        if expected != found:
            raise Failure(f"node {index}: expected {expected}, found {found}")
    check_names(frame)
    for (role, name), beginning in DESCRIBED.items():
        description = find(frame, role, name).description
        if not description.startswith(beginning):
            raise Failure(f"[{role}] {name!r} is described as {description!r}")
        print(f"[{role}] {name!r}: {description}")
    area = find(frame, "text", "Notatki")
    expected = {"enabled", "sensitive", "editable", "focusable", "multi line"}
    if not expected <= states(area) or "read only" in states(area):
        raise Failure("the enabled text area is not editable: " + describe(0, area))


class Listener:
    """The text area's events, as a screen reader hears them: text changes and caret moves."""

    def __init__(self, area):
        self.area = area
        self.heard = []
        pyatspi.Registry.registerEventListener(self.hear, "object:text-changed",
                                               "object:text-caret-moved")

    def hear(self, event):
        if event.source != self.area:
            return
        if event.type.startswith("object:text-changed"):
            kind = event.type.split(":")[-1]
            self.heard.append(f"{kind} {event.detail1} {event.any_data}")
        else:
            self.heard.append(f"caret {event.detail1}")

    def wait_for(self, condition, what, timeout=10):
        context = GLib.MainContext.default()
        deadline = time.time() + timeout
        while not condition(self.heard):
            if time.time() > deadline:
                raise Failure(f"gave up waiting for {what}; heard {self.heard}")
            if not context.iteration(False):
                time.sleep(0.02)

    def close(self):
        pyatspi.Registry.deregisterEventListener(self.hear, "object:text-changed",
                                                 "object:text-caret-moved")


def press(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def check_follows_typing(app, window_id):
    """Keys typed into the area are heard as they happen, and the text and the caret read back.
    The area ends as it began, "Text1" with the caret at its end."""
    area = find(window(app, "frame", WINDOW), "text", "Notatki")
    text = area.queryText()
    subprocess.run(["xdotool", "mousemove", "--window", window_id, "170", "265", "click", "1"],
                   check=True)
    listener = Listener(area)
    try:
        # The program learns of a new listener through the bus in its own time: the caret is
        # moved until a move is heard.
        deadline = time.time() + 20
        while not any(heard == "caret 5" for heard in listener.heard):
            if time.time() > deadline:
                raise Failure(f"no caret move heard; heard {listener.heard}")
            press("ctrl+Home", "ctrl+End")
            try:
                listener.wait_for(lambda heard: "caret 5" in heard, "the caret at the end", 1)
            except Failure:
                pass
        listener.heard.clear()
        press("a", "b")
        listener.wait_for(lambda heard: "caret 7" in heard, "the typed letters")
        typed = text.getText(0, -1)
        caret = text.caretOffset
        press("BackSpace", "BackSpace")
        listener.wait_for(lambda heard: heard[-1:] == ["caret 5"] and len(heard) >= 8,
                          "the deleted letters")
    finally:
        listener.close()
    print(f"heard {listener.heard}; read {typed!r} with the caret at {caret}")
    if (typed, caret) != ("Text1ab", 7):
        raise Failure(f"after typing, read {typed!r} with the caret at {caret}")
    expected = ["insert 5 a", "caret 6", "insert 6 b", "caret 7",
                "delete 6 b", "caret 6", "delete 5 a", "caret 5"]
    if listener.heard != expected:
        raise Failure(f"heard {listener.heard}, not {expected}")
    if (text.getText(0, -1), text.caretOffset) != ("Text1", 5):
        raise Failure(f"after deleting, read {text.getText(0, -1)!r} at {text.caretOffset}")


def check_disabled_area(app):
    frame = window(app, "frame", WINDOW)
    area = find(frame, "text", "Notatki")
    wait_for(lambda: "enabled" not in states(area), "the text area to be disabled")
    print(describe(0, area))
    found = states(area)
    for state in ("enabled", "sensitive", "editable"):
        if state in found:
            raise Failure(f"the disabled text area is still {state}: " + describe(0, area))
    if "read only" not in found:
        raise Failure("the disabled text area is not read-only: " + describe(0, area))
    # Its text is still there for the screen reader to read.
    text = area.queryText()
    content = text.getText(0, text.characterCount)
    if content != "Text1":
        raise Failure(f"the disabled text area reads {content!r}")
    print(f"reads {content!r}")


def check_selected_all(app):
    """After "Zaznacz wszystko" the disabled area's selection is all of its text."""
    area = find(window(app, "frame", WINDOW), "text", "Notatki")
    text = area.queryText()
    wait_for(lambda: text.getNSelections() == 1, "a selection")
    start, end = text.getSelection(0)
    if (start, end) != (0, text.characterCount):
        raise Failure(f"selected {start}..{end} of {text.characterCount}")
    print(f"selected {start}..{end}")


def check_message_box(app, words):
    """A message box is an alert whose text a screen reader can read, with the given words in it,
    and an OK button to press."""
    box = wait_for(lambda: window(app, "alert", "Notatki"), "the message box")
    dump(box)
    check_focusable_named(box)
    texts = [node.name for _, node in walk(box) if node.getRoleName() == "label"]
    if not any(words in text for text in texts):
        raise Failure(f"no text of the message box says {words!r}: {texts}")
    if not any(node.getRoleName() == "push button" and node.name == "OK"
               and "focusable" in states(node) for _, node in walk(box)):
        raise Failure("the message box has no OK button to press")


def check_focusable_named(root):
    """Every node that takes the focus is named; no name is padded with spaces. (Qt's own dialogs
    leave the icon and the row of buttons, which never take the focus, unnamed.)"""
    for depth, node in walk(root):
        if "focusable" in states(node) and not node.name.strip():
            raise Failure("unnamed focusable node: " + describe(depth, node))
        if node.name != node.name.strip():
            raise Failure("name padded with spaces: " + describe(depth, node))


def check_font_dialog(app):
    dialog = wait_for(lambda: window(app, "dialog", "Czcionka"), "the font dialog")
    dump(dialog)
    check_focusable_named(dialog)
    lists = [node for _, node in walk(dialog) if node.getRoleName() == "combo box"]
    labels = []
    for node in lists:
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                labels.append(relation.getTarget(0).name)
    if labels != ["Czcionka:", "Styl czcionki:", "Rozmiar:"]:
        raise Failure(f"the font dialog's lists are labelled {labels}")
    print(f"lists labelled {labels}")


CHECKS = {
    "main-window": check_main_window,
    "follows-typing": check_follows_typing,
    "disabled-area": check_disabled_area,
    "selected-all": check_selected_all,
    "message-box": check_message_box,
    "font-dialog": check_font_dialog,
}


def main():
    pid, check, *arguments = sys.argv[1:]
    try:
        CHECKS[check](application(int(pid)), *arguments)
    except Failure as failure:
        print(f"{check}: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
