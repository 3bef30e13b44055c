# SPDX-License-Identifier: GPL-3.0-or-later
"""The running program's text area, driven with real X input and read back as a screen reader
reads it.

Input goes in through xdotool and xclip only. The area's text, caret and selection are read
through AT-SPI; a case prepares its text and caret through the same interface, as an assistive
technology may. Every check waits until the area shows what it should, or gives up after a
deadline with what it last saw: nothing sleeps in place of waiting.
"""
import os
import subprocess
import sys
import time

import pyatspi

WINDOW = "Notatki, edytor notatek"
DEADLINE = 10


class Failure(Exception):
    pass


def wait_for(condition, what, timeout=DEADLINE):
    """Retries condition until it gives something true, and returns that."""
    deadline = time.time() + timeout
    while True:
        found = condition()
        if found:
            return found
        if time.time() > deadline:
            raise Failure(f"gave up waiting for {what}")
        time.sleep(0.02)


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def states(node):
    return {pyatspi.stateToString(state) for state in node.getState().getStates()}


def run(*command, stdin=None):
    subprocess.run(command, check=True, input=stdin)


def press(*keys):
    """Real key presses, sent to whichever window has the focus."""
    run("xdotool", "key", "--clearmodifiers", *keys)


def clipboard(selection="clipboard"):
    """The text another program reads from the clipboard or the primary selection; None when
    nobody offers one."""
    found = subprocess.run(["xclip", "-selection", selection, "-o"], capture_output=True,
                           timeout=DEADLINE)
    return found.stdout.decode() if found.returncode == 0 else None


class Offer:
    """Another program's text on the clipboard or the primary selection, for as long as it
    lives."""

    def __init__(self, text, selection="clipboard"):
        self.process = subprocess.Popen(["xclip", "-selection", selection, "-i", "-quiet"],
                                        stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.process.stdin.write(text.encode())
        self.process.stdin.close()
        wait_for(lambda: clipboard(selection) == text, f"xclip to offer {text!r}")

    def close(self):
        self.process.terminate()
        self.process.wait()


def mark(text, anchor, caret):
    """"ab^cd|e": the text with the anchor at ^ and the caret at |; no ^ when nothing is
    selected."""
    marked = text[:caret] + "|" + text[caret:]
    if anchor != caret:
        at = anchor + (1 if anchor > caret else 0)
        marked = marked[:at] + "^" + marked[at:]
    return marked


def unmark(marked):
    anchor = marked.find("^")
    if anchor >= 0:
        marked = marked[:anchor] + marked[anchor + 1:]
    caret = marked.index("|")
    marked = marked[:caret] + marked[caret + 1:]
    if anchor < 0:
        anchor = caret
    elif anchor > caret:
        anchor -= 1
    return marked, anchor, caret


class Session:
    """The program of one process id, with its main window and its text area."""

    def __init__(self, pid):
        self.pid = pid
        self.app = wait_for(self.find_application, f"process {pid} on the accessibility bus",
                            timeout=30)
        self.frame = wait_for(lambda: self.top_level("frame", WINDOW), "the main window")
        self.area = self.find(self.frame, "text", "Notatki")
        self.text = self.area.queryText()
        self.editable = self.area.queryEditableText()

    def find_application(self):
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == self.pid:
                    return app
            except Exception:
                pass
        return None

    def top_level(self, role, name=None):
        for child in self.app:
            if child is not None and child.getRoleName() == role and (
                    name is None or child.name == name):
                return child
        return None

    @staticmethod
    def find(root, role, name):
        for node in walk(root):
            if node.getRoleName() == role and node.name == name:
                return node
        raise Failure(f"no [{role}] {name!r}")

    # ---- What the area shows

    def state(self):
        """The area's text with its caret and selection marked."""
        caret = self.text.caretOffset
        anchor = caret
        if self.text.getNSelections() == 1:
            start, end = self.text.getSelection(0)
            anchor = start if caret == end else end
        return mark(self.text.getText(0, -1), anchor, caret)

    def expect(self, expected, what):
        """Waits until the area shows the marked state."""
        try:
            wait_for(lambda: self.state() == expected, what)
        except Failure:
            raise Failure(f"{what}: expected {expected!r}, the area shows {self.state()!r}")

    def expect_clipboard(self, expected, what, selection="clipboard"):
        try:
            wait_for(lambda: clipboard(selection) == expected, what)
        except Failure:
            raise Failure(f"{what}: expected the {selection} to hold {expected!r}, it holds "
                          f"{clipboard(selection)!r}")

    def scroll_value(self, name):
        return self.find(self.area, "scroll bar", name).queryValue().currentValue

    def vertical_scroll(self):
        return self.scroll_value("Przewijanie w pionie")

    def horizontal_scroll(self):
        return self.scroll_value("Przewijanie w poziomie")

    def vertical_scroll_maximum(self):
        return self.find(self.area, "scroll bar", "Przewijanie w pionie").queryValue() \
            .maximumValue

    # ---- Preparing a case, as assistive technology may

    def prepare(self, marked):
        """Gives the area the marked text, caret and selection, and the keyboard focus."""
        text, anchor, caret = unmark(marked)
        if self.text.getText(0, -1) != text:
            self.editable.setTextContents(text)
        self.text.setCaretOffset(caret)
        if anchor != caret:
            self.text.setSelection(0, anchor, caret)
        self.focus_area()
        self.expect(marked, "the prepared text")

    def focus_area(self):
        if "focused" not in states(self.area):
            self.area.queryComponent().grabFocus()
            wait_for(lambda: "focused" in states(self.area), "the focus in the text area")

    # ---- Where things are on the screen

    def character_point(self, position, fraction=0.25):
        """A point inside the character at position, a fraction of its width from its left."""
        x, y, width, height = self.text.getCharacterExtents(position, pyatspi.DESKTOP_COORDS)
        return round(x + width * fraction), round(y + height / 2)

    def area_extents(self):
        return self.area.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

    def click_node(self, node, button=1):
        x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        run("xdotool", "mousemove", str(x + width // 2), str(y + height // 2), "click",
            str(button))

    def save_and_expect(self, folder, expected):
        """Clicks "Zapisz" and waits until notes3.txt in folder holds exactly the expected bytes."""
        saved = os.path.join(folder, "notes3.txt")
        self.click_node(self.find(self.frame, "push button", "Zapisz"))
        try:
            wait_for(lambda: os.path.exists(saved) and open(saved, "rb").read() == expected,
                     "\"Zapisz\" to write notes3.txt")
        except Failure:
            found = open(saved, "rb").read() if os.path.exists(saved) else None
            raise Failure(f"notes3.txt holds {found!r}, not {expected!r}")


def check_rows(session, rows):
    """Runs data rows of (name, before, [(keys, after), ...]): each key group is pressed, and
    the area must come to show the marked state after it. A row whose state would not change
    cannot tell whether its keys arrived, so there is none."""
    for name, before, steps in rows:
        session.prepare(before)
        shown = before
        for keys, after in steps:
            if after == shown:
                raise Failure(f"{name}: a step must change what the area shows")
            press(*keys)
            session.expect(after, name)
            shown = after
        print(f"ok: {name}")


def main(checks):
    pid = int(sys.argv[1])
    try:
        session = Session(pid)
        for check in checks:
            check(session)
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    return 0
