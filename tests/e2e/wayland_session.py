# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the real program on a Wayland compositor, as a user and a screen reader would.

Usage: wayland_session.py remote-desktop|x11. Reads one command a line on standard input and
answers each with one line, "ok" and a JSON value, or "error" and the reason. It answers once
when the keyboard and pointer are there, before any command:

  program PID          finds the program's main window on the accessibility bus
  keys ctrl+v          presses and releases the keys on mutter's virtual keyboard
  pointer-to X Y       moves the virtual pointer to that point of the monitor
  pointer-by DX DY     moves it by so many pixels
  click middle         presses and releases a pointer button
  hold left            presses a pointer button and holds it
  release left         releases it
  press NAME           presses the push button named NAME, as a screen reader does
  focus-area           gives the text area the keyboard focus
  text                 the text area's text
  wait-text JSON       waits until the text area's text is the JSON string
  wait-contains JSON   waits until the text area's text holds the JSON string
  message              waits for a message box, answers with its labels, and closes it

Under a headless mutter ("remote-desktop"), mutter's remote desktop interface gives the seat its
virtual keyboard and pointer: a headless mutter has neither, and without a keyboard no window
gets the focus that brings it the selection. The session lasts as long as this process. Under
weston on its X11 backend ("x11"), the keys and the pointer are X11 input to weston's window,
E2E_WESTON_WINDOW, on DISPLAY.
"""
import json
import os
import subprocess
import sys

from gi.repository import Gio, GLib

sys.path.insert(0, __file__.rsplit("/", 1)[0])
import accessibility_tree as tree  # noqa: E402

KEYSYMS = {"ctrl": 0xFFE3, "shift": 0xFFE1, "a": 0x61, "v": 0x76, "home": 0xFF50,
           "right": 0xFF53, "end": 0xFF57, "delete": 0xFFFF}
BUTTONS = {"left": 0x110, "right": 0x111, "middle": 0x112}
MONITOR = (1280, 1024)


class RemoteDesktop:
    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        self.session = self.call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
                                 "CreateSession", None, "(o)")[0]
        self.session_call("Start")
        # mutter adds the virtual devices to the seat on their first use, and a client that
        # comes later finds them there.
        self.keys("shift")
        self.session_call("NotifyPointerMotionRelative", GLib.Variant("(dd)", (0, 0)))

    def call(self, path, interface, method, args=None, reply=None):
        result = self.bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method,
                                    args, GLib.VariantType(reply) if reply else None,
                                    Gio.DBusCallFlags.NONE, -1, None)
        return result.unpack() if result else None

    def session_call(self, method, args=None):
        self.call(self.session, "org.gnome.Mutter.RemoteDesktop.Session", method, args)

    def keys(self, combination):
        names = combination.split("+")
        for name in names:
            self.session_call("NotifyKeyboardKeysym", GLib.Variant("(ub)", (KEYSYMS[name], True)))
        for name in reversed(names):
            self.session_call("NotifyKeyboardKeysym", GLib.Variant("(ub)", (KEYSYMS[name], False)))

    def pointer_to(self, point):
        # Relative motion is all a session without a screen cast may send: the pointer is first
        # pushed into the top left corner, where the monitor stops it.
        x, y = (float(value) for value in point.split())
        self.session_call("NotifyPointerMotionRelative",
                          GLib.Variant("(dd)", (-10 * MONITOR[0], -10 * MONITOR[1])))
        self.session_call("NotifyPointerMotionRelative", GLib.Variant("(dd)", (x, y)))

    def pointer_by(self, offset):
        dx, dy = (float(value) for value in offset.split())
        self.session_call("NotifyPointerMotionRelative", GLib.Variant("(dd)", (dx, dy)))

    def click(self, button):
        self.hold(button)
        self.release(button)

    def hold(self, button):
        self.session_call("NotifyPointerButton", GLib.Variant("(ib)", (BUTTONS[button], True)))

    def release(self, button):
        self.session_call("NotifyPointerButton", GLib.Variant("(ib)", (BUTTONS[button], False)))


class X11Input:
    """The keyboard and pointer of weston's window, through xdotool; its points are the monitor's."""

    KEYS = {"ctrl": "ctrl", "shift": "shift", "a": "a", "v": "v", "home": "Home",
            "right": "Right", "end": "End", "delete": "Delete"}
    BUTTONS = {"left": "1", "middle": "2", "right": "3"}

    def __init__(self):
        self.window = os.environ["E2E_WESTON_WINDOW"]

    def keys(self, combination):
        keys = "+".join(self.KEYS[name] for name in combination.split("+"))
        # To the focused window, weston's: weston takes no keys sent to a window directly.
        self.xdotool("key", keys)

    def pointer_to(self, point):
        # weston's X11 backend takes only the pointer's moves from its window's events, and its
        # place only when it comes into the window: the pointer comes in from outside.
        self.xdotool("mousemove", "--sync", "--window", self.window, "--", "-1", "-1")
        self.xdotool("mousemove", "--sync", "--window", self.window, *point.split())

    def pointer_by(self, offset):
        self.xdotool("mousemove_relative", "--sync", "--", *offset.split())

    def click(self, button):
        self.xdotool("click", self.BUTTONS[button])

    def hold(self, button):
        self.xdotool("mousedown", self.BUTTONS[button])

    def release(self, button):
        self.xdotool("mouseup", self.BUTTONS[button])

    @staticmethod
    def xdotool(*arguments):
        subprocess.run(["xdotool", *arguments], check=True)


class Program:
    def __init__(self, pid):
        self.pid = pid
        self.app = tree.application(pid)
        self.frame = tree.wait_for(lambda: tree.window(self.app, "frame", tree.WINDOW),
                                   "the main window")
        self.area = tree.find(self.frame, "text", "Notatki")

    def press(self, name):
        tree.find(self.frame, "push button", name).queryAction().doAction(0)

    def focus_area(self):
        self.area.queryComponent().grabFocus()
        tree.wait_for(lambda: "focused" in tree.states(self.area), "the text area's focus")

    def text(self):
        return self.area.queryText().getText(0, -1)

    def wait_text(self, holds, timeout=30):
        try:
            tree.wait_for(lambda: holds(self.text()), "the text", timeout)
        except tree.Failure:
            raise tree.Failure(f"the text is {self.text()[:200]!r}")

    def message(self):
        def shown_box():
            # The box of a message before may still be listed while it goes.
            try:
                box = tree.window(self.app, "alert", "Notatki")
                if box is None:
                    return None
                nodes = [node for _, node in tree.walk(box)]
                words = " | ".join(node.name for node in nodes if node.getRoleName() == "label")
                button = next(node for node in nodes if node.getRoleName() == "push button")
                return words, button
            except (GLib.Error, StopIteration):
                return None

        def closed():
            try:
                return tree.window(self.app, "alert", "Notatki") is None
            except GLib.Error:
                return False

        words, button = tree.wait_for(shown_box, "the message box", 30)
        button.queryAction().doAction(0)
        tree.wait_for(closed, "the message box to close")
        return words


def main():
    desktop = X11Input() if sys.argv[1:] == ["x11"] else RemoteDesktop()
    program = None

    def find_program(pid):
        nonlocal program
        program = Program(int(pid))

    commands = {
        "program": find_program,
        "keys": desktop.keys,
        "pointer-to": desktop.pointer_to,
        "pointer-by": desktop.pointer_by,
        "click": desktop.click,
        "hold": desktop.hold,
        "release": desktop.release,
        "press": lambda name: program.press(name),
        "focus-area": lambda: program.focus_area(),
        "text": lambda: program.text(),
        "wait-text": lambda text: program.wait_text(lambda now: now == json.loads(text)),
        "wait-contains": lambda text: program.wait_text(lambda now: json.loads(text) in now),
        "message": lambda: program.message(),
    }
    print("ok null", flush=True)
    for line in sys.stdin:
        command, _, argument = line.rstrip("\n").partition(" ")
        try:
            result = commands[command](argument) if argument else commands[command]()
            print("ok", json.dumps(result, ensure_ascii=False), flush=True)
        except Exception as failure:  # every failure is the test's to report
            print("error", str(failure).replace("\n", " "), flush=True)


if __name__ == "__main__":
    main()
