# SPDX-License-Identifier: GPL-3.0-or-later
"""What the real window shows of texts that need shaping, bidi and font fallback, against the
stock QPlainTextEdit the text area replaced, at the same font and size on the same display.

Each text of the scripts' table is pasted into the area with xclip and Ctrl+V, the caret taken to
the start and the focus moved on (so that no caret is drawn), and the area's line photographed.
stock_text_window then shows each text in a QPlainTextEdit and is photographed the same way.

The two lines must look alike. A line of the area is always as tall as its own font's, while the
stock widget makes a line taller where a fallback font is taller, which moves its baseline: the
two rows are first aligned by the vertical offset, within SHIFT pixels, at which they differ
least. The row spans the rows and columns either widget inks, and SHIFT pixels around them. At
most TOLERANCE per cent of its pixels may then differ by more than THRESHOLD in a colour channel:
both widgets draw with the same toolkit and font, and a line drawn as the stock widget draws it
differs in no pixel at all, while one letter partly erased (11 pixels of 1,260 on a short Hebrew
line, 0.9 %) or combining marks placed a pixel off (40 of 2,121, 1.9 %) must not pass. The
pictures are written to the test's temporary folder.

Usage: textarea_pictures.py PID FOLDER STOCK_TEXT_WINDOW.
"""
import base64
import os
import subprocess
import sys

from textarea_session import Failure, Offer, main, press, states, wait_for

SHIFT = 4
THRESHOLD = 64
TOLERANCE = 0.5


class Picture:
    def __init__(self, ppm):
        magic, size, depth, pixels = ppm.split(b"\n", 3)
        if magic != b"P6" or depth != b"255":
            raise Failure(f"not a picture ImageMagick writes: {ppm[:20]!r}")
        self.width, self.height = map(int, size.split())
        self.pixels = pixels
        self.ppm = ppm

    def row(self, y, left, right):
        return self.pixels[3 * (y * self.width + left):3 * (y * self.width + right)]


def photograph(*where):
    """The window or part of the screen, once two pictures in a row agree: what has just been
    shown may still be being painted."""
    def take():
        return subprocess.run(["import", *where, "-depth", "8", "ppm:-"], check=True,
                              capture_output=True, timeout=10).stdout

    shots = [take()]
    wait_for(lambda: shots.append(take()) or shots[-1] == shots[-2], "the picture to settle")
    return Picture(shots[-1])


def ask(stock_program, question):
    return subprocess.run([stock_program, question], check=True, capture_output=True, text=True,
                          timeout=30, env=dict(os.environ, QT_QPA_PLATFORM="offscreen")).stdout


def table(stock_program):
    rows = []
    for line in ask(stock_program, "--texts").splitlines():
        name, encoded = line.split("\t")
        rows.append((name, base64.b64decode(encoded).decode() if encoded else None))
    return rows


def area_pictures(session, rows):
    """The area's pictures of each text, pasted in as a user would."""
    x, y, width, height = session.area_extents()
    pictures = {}
    for name, text in rows:
        offer = Offer(text)
        try:
            session.focus_area()
            press("ctrl+a", "ctrl+v")
            wait_for(lambda: session.text.getText(0, -1) == text, f"{name} pasted")
            press("ctrl+Home")
            wait_for(lambda: session.text.caretOffset == 0, f"{name}: the caret at its start")
        finally:
            offer.close()
        press("Tab")
        wait_for(lambda: "focused" not in states(session.area), f"{name}: the focus moved on")
        pictures[name] = photograph("-window", "root", "-crop", f"{width}x{height}+{x}+{y}")
    return pictures, (width, height)


def stock_pictures(stock_program, rows, size, font):
    """The stock widget's pictures of each text, and where its viewport lies in them."""
    family, points = font
    stock = subprocess.Popen([stock_program, str(size[0]), str(size[1]), family, points],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    try:
        window = stock.stdout.readline().split()[1]
        viewport = tuple(map(int, stock.stdout.readline().split()[1:]))
        wait_for(lambda: "IsViewable" in subprocess.run(["xwininfo", "-id", window],
                                                        capture_output=True, text=True).stdout,
                 "the stock widget's window")
        pictures = {}
        for name, text in rows:
            stock.stdin.write(base64.b64encode(text.encode()).decode() + "\n")
            stock.stdin.flush()
            if stock.stdout.readline().strip() != "shown":
                raise Failure(f"the stock widget did not show {name}")
            pictures[name] = photograph("-window", window)
        return pictures, viewport
    finally:
        stock.stdin.close()
        stock.wait(timeout=10)


def inked(picture, background, left, top, right, bottom):
    """The rows and the columns of the viewport where the picture differs from its background."""
    rows, columns = set(), set()
    blank = background * (right - left)
    for y in range(top, bottom):
        row = picture.row(y, left, right)
        if row == blank:
            continue
        for x in range(right - left):
            if max(abs(row[3 * x + channel] - background[channel]) for channel in range(3)) \
                    > THRESHOLD:
                rows.add(y)
                columns.add(left + x)
    return rows, columns


def differing(stock, area, viewport):
    """How many pixels of the line's row differ at the best vertical offset, of how many, and
    that offset. The row spans the text drawn by either widget, SHIFT pixels around it."""
    left, top, width, height = viewport
    right, bottom = left + width, top + height
    background = stock.row(bottom - 1, right - 1, right)
    rows, columns = set(), set()
    for picture in (stock, area):
        picture_rows, picture_columns = inked(picture, background, left, top, right, bottom)
        rows |= picture_rows
        columns |= picture_columns
    if not rows:
        raise Failure("neither widget drew the text")
    first, last = max(top, min(rows) - SHIFT), min(bottom - 1, max(rows) + SHIFT)
    end = min(right, max(columns) + SHIFT + 1)
    best = None
    for shift in range(-SHIFT, SHIFT + 1):
        count = 0
        for y in range(first, last + 1):
            stock_row = stock.row(y, left, end)
            area_row = area.row(min(max(y + shift, top), bottom - 1), left, end)
            if stock_row != area_row:
                count += sum(1 for pixel in range(0, len(stock_row), 3)
                             if max(abs(stock_row[pixel + channel] - area_row[pixel + channel])
                                    for channel in range(3)) > THRESHOLD)
        if best is None or count < best[0]:
            best = (count, shift)
    return best[0], (end - left) * (last - first + 1), best[1]


def area_font(session):
    """The area's font family and size in points, as the accessibility bus tells them."""
    attributes = dict(pair.partition(":")[::2]
                      for pair in session.text.getAttributes(0)[0].split(";"))
    return attributes["family-name"].strip('"'), attributes["size"]


def compare(session):
    folder, stock_program = sys.argv[2], sys.argv[3]
    rows = []
    for name, text in table(stock_program):
        if text is None:
            print(f"skipped: {name}: the clipboard carries UTF-8, which cannot hold it")
        else:
            rows.append((name, text))
    font = area_font(session)
    area, size = area_pictures(session, rows)
    stock, viewport = stock_pictures(stock_program, rows, size, font)
    pictures = os.path.join(os.path.dirname(folder), "pictures")
    os.makedirs(pictures, exist_ok=True)
    results = []
    for name, _ in rows:
        for widget, picture in (("area", area[name]), ("stock", stock[name])):
            with open(os.path.join(pictures, f"{name} {widget}.ppm"), "wb") as file:
                file.write(picture.ppm)
        count, pixels, shift = differing(stock[name], area[name], viewport)
        share = 100 * count / pixels
        results.append((share, count, pixels, shift, name))
        print(f"{'ok' if share <= TOLERANCE else 'DIFFERENT'}: {name}: {share:.2f} % of the "
              f"row's pixels differ ({count} of {pixels}, rows {shift:+d} px apart)")
    share, count, pixels, shift, name = max(results)
    print(f"worst: {name}: {share:.2f} %, {count} of {pixels} pixels (tolerance {TOLERANCE} %, "
          f"font {font[0]} {font[1]} pt)")
    wrong = [name for share, _, _, _, name in results if share > TOLERANCE]
    if wrong:
        raise Failure("the area's line looks otherwise than the stock widget's: "
                      + ", ".join(wrong))


if __name__ == "__main__":
    # Without the fonts neither widget has glyphs for the scripts: nothing to compare.
    if missing := ask(sys.argv[3], "--missing-fonts"):
        print(f"SKIP: {missing}")
        sys.exit(77)
    sys.exit(main([compare]))
