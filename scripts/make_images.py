#!/usr/bin/env python3
"""Draws Ormix's bitmaps and icon as pixel art and writes them as BMP and ICO files:

  tabs.bmp     bitmap 130: the tab icon of a monitored browser (16x16, 24-bit)
  events.bmp   bitmap 132: the log row icons: event, recording message, browser quit
               (three 16x16 images side by side, 24-bit)
  loaded.bmp   bitmap 136: the row icon of the page's own DocumentComplete, the page has
               loaded (16x16, 24-bit; the view appends it after the row icons)
  journal_tab.bmp  bitmap 137: the tab icon of a log written to a journal: the tab icon
               with a floppy disk over its corner (16x16, 24-bit; the view appends it after
               the tab icon)
  toolbar.bmp  bitmap 128: the seven tool bar buttons (16x15 each, 4-bit VGA palette)
  ormix.ico    icon 128: the main window icon (32x32 and 16x16, 4-bit VGA palette)

The build uses the committed files; run this only to change a picture.
Usage: scripts/make_images.py [OUT_DIR]   (default: res/ beside this script)"""
import math
import os
import struct
import sys

# The standard 16-colour VGA palette, in the order Windows uses for 4-bit images.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# One letter per colour in the pictures below; '.' is the background of each file.
COLOURS = {
    "K": VGA[0],   # black
    "r": VGA[1],   # dark red
    "g": VGA[2],   # dark green
    "o": VGA[3],   # olive
    "n": VGA[4],   # navy
    "s": VGA[7],   # silver
    "d": VGA[8],   # dark grey
    "R": VGA[9],   # red
    "G": VGA[10],  # green
    "Y": VGA[11],  # yellow
    "B": VGA[12],  # blue
    "C": VGA[14],  # cyan
    "W": VGA[15],  # white
}

# Background colours: the image lists and the tool bar treat these as transparent.
TAB_BACKGROUND = (0, 128, 128)
ROW_BACKGROUND = (255, 0, 255)
BUTTON_FACE = (192, 192, 192)


def grid(rows, width, height):
    """A picture from rows of colour letters, checked for its size."""
    assert len(rows) == height, "picture has %d rows, not %d" % (len(rows), height)
    for row in rows:
        assert len(row) == width, "row %r is not %d wide" % (row, width)
        assert all(c == "." or c in COLOURS for c in row), "unknown colour in %r" % row
    return [list(row) for row in rows]


def beside(*pictures):
    """Pictures of equal height laid out left to right."""
    return [sum((p[y] for p in pictures), []) for y in range(len(pictures[0]))]


def to_rgb(picture, background):
    return [[background if c == "." else COLOURS[c] for c in row] for row in picture]


def to_vga(picture, background):
    return [[VGA.index(rgb) for rgb in row] for row in to_rgb(picture, background)]


# --- Drawing helpers for the larger icon -------------------------------------------------

class Canvas:
    """A square of colour letters to draw on; '.' is transparent."""

    def __init__(self, size):
        self.size = size
        self.px = [["."] * size for _ in range(size)]

    def put(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def disk(self, cx, cy, r, c):
        for y in range(self.size):
            for x in range(self.size):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def stroke(self, x0, y0, x1, y1, half_width, c):
        """A thick straight line: every pixel within half_width of the segment."""
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        for y in range(self.size):
            for x in range(self.size):
                t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
                if math.hypot(x - x0 - t * dx, y - y0 - t * dy) <= half_width:
                    self.put(x, y, c)

    def blit(self, x0, y0, rows):
        for dy, row in enumerate(rows):
            for dx, c in enumerate(row):
                if c != ".":
                    self.put(x0 + dx, y0 + dy, c)


# --- The pictures ------------------------------------------------------------------------

# Tab icon: a browser window with a blue "e" in its page.
TAB = [
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KnnnnnnnnnWnWK.",
    ".KKKKKKKKKKKKKK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWWBBBBWWWWK.",
    ".KWWWBBWWBBWWWK.",
    ".KWWBBWWWWBBWWK.",
    ".KWWBBBBBBBBWWK.",
    ".KWWBBWWWWWWWWK.",
    ".KWWBBWWWWBBWWK.",
    ".KWWWBBWWBBWWWK.",
    ".KWWWWBBBBWWWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]

# The mark of a journaled tab: a floppy disk, laid over the tab icon's lower right corner.
JOURNAL_MARK = [
    "KKKKKKKK",
    "KnWWWWnK",
    "KnWddWnK",
    "KnWWWWnK",
    "KnnnnnnK",
    "KnKKKKnK",
    "KnKWsKnK",
    "KKKKKKKK",
]


def journal_tab():
    """The tab icon with the journal mark over its lower right corner."""
    picture = grid(TAB, 16, 16)
    for dy, row in enumerate(grid(JOURNAL_MARK, 8, 8)):
        picture[8 + dy][8:16] = row
    return picture


# Row icon 0: an event arrived from the browser (a lightning bolt).
ROW_EVENT = [
    "................",
    ".......KKKKKK...",
    "......KYYYYYK...",
    "......KYYYYK....",
    ".....KYYYYK.....",
    ".....KYYYK......",
    "....KYYYYKKKK...",
    "....KYYYYYYYK...",
    "....KKKKYYYK....",
    ".......KYYK.....",
    "......KYYK......",
    "......KYK.......",
    ".....KYK........",
    ".....KK.........",
    ".....K..........",
    "................",
]

# Row icon 1: a recording message (started, stopped, resumed): a red record dot.
ROW_RECORDING = [
    "................",
    "................",
    ".....rrrrrr.....",
    "....rRRRRRRr....",
    "...rRWWRRRRRr...",
    "..rRWWRRRRRRRr..",
    "..rRWRRRRRRRRr..",
    "..rRRRRRRRRRRr..",
    "..rRRRRRRRRRRr..",
    "..rRRRRRRRRRRr..",
    "..rRRRRRRRRRRr..",
    "...rRRRRRRRRr...",
    "....rRRRRRRr....",
    ".....rrrrrr.....",
    "................",
    "................",
]

# Row icon 2: the browser has quit: a browser window struck out with a red cross.
ROW_QUIT = [
    "................",
    "KKKKKKKKKKKKK...",
    "KnnnnnnnnWnWK...",
    "KKKKKKKKKKKKK...",
    "KWWWWWWWWWWWK...",
    "KWddddddWWWWK...",
    "KWWWWWWWWWWWK...",
    "KWddddWrr...rr..",
    "KWWWWWrRRr.rRRr.",
    "KWddddWrRRrRRr..",
    "KWWWWWWWrRRRr...",
    "KKKKKKKKrRRRr...",
    ".......rRRrRRr..",
    "......rRRr.rRRr.",
    ".......rr...rr..",
    "................",
]

# Row icon 3: the page has loaded: a written page with a green tick over its corner.
ROW_LOADED = [
    "KKKKKKKKK.......",
    "KWWWWWWWKK......",
    "KWddddWWKWK.....",
    "KWWWWWWWKKKK....",
    "KWddddddWWWK....",
    "KWWWWWWWWWWK..gg",
    "KWddddddWWWK.gGg",
    "KWWWWWWWWWWKgGGg",
    "KWddddWWWWWgGGg.",
    "KWWgWWWWWWgGGg..",
    "KWgGgWWWWgGGgK..",
    "KWgGGgWWgGGgWK..",
    "KWWgGGggGGgWWK..",
    "KKKKgGGGGgKKKK..",
    ".....gGGg.......",
    "......gg........",
]

# Tool bar buttons, 16x15 each, in button order.
BUTTON_SAVE = [  # save the log to a file: a floppy disk
    "................",
    ".KKKKKKKKKKKKK..",
    ".KnKWWWWWWWWKnK.",
    ".KnKWWWWWWWWKnK.",
    ".KnKWddddddWKnK.",
    ".KnKWWWWWWWWKnK.",
    ".KnKWddddddWKnK.",
    ".KnKWWWWWWWWKnK.",
    ".KnnKKKKKKKKnnK.",
    ".KnnnnnnnnnnnnK.",
    ".KnnKKKKKKKKnnK.",
    ".KnnKWWKdddKnnK.",
    ".KnnKWWKdddKnnK.",
    "..KKKKKKKKKKKKK.",
    "................",
]

BUTTON_COPY = [  # copy: two sheets of text
    "................",
    "KKKKKKKKK.......",
    "KWWWWWWWK.......",
    "KWdddddWK.......",
    "KWWWWWWWK.......",
    "KWdddKKKKKKKKKK.",
    "KWWWWKWWWWWWWWK.",
    "KWdddKWnnnnnnWK.",
    "KWWWWKWWWWWWWWK.",
    "KWdddKWnnnnnnWK.",
    "KKKKKKWWWWWWWWK.",
    ".....KWnnnnnnWK.",
    ".....KWWWWWWWWK.",
    ".....KWnnnnWWWK.",
    ".....KKKKKKKKKK.",
]

BUTTON_FONT = [  # font: a letter A over a coloured base line
    "................",
    "......KKK.......",
    "......KKK.......",
    ".....KK.KK......",
    ".....KK.KK......",
    "....KK...KK.....",
    "....KK...KK.....",
    "...KKKKKKKKK....",
    "...KK.....KK....",
    "..KK.......KK...",
    "..KK.......KK...",
    ".KKKK.....KKKK..",
    "................",
    ".BBBBBBBBBBBBB..",
    "................",
]

BUTTON_SELECT = [  # choose the browser to monitor: a browser window under a magnifier
    "KKKKKKKKKKKKK...",
    "KnnnnnnnnWnWK...",
    "KKKKKKKKKKKKK...",
    "KWWWWWWWWWWWK...",
    "KWddddddWWWWK...",
    "KWWWWWWWWWWWK...",
    "KWddddWKKKKWK...",
    "KWWWWWKCCWWKK...",
    "KWdddWKCWWWKK...",
    "KKKKKKKWWWWKK...",
    "......KWWWWK....",
    ".......KKKKKrK..",
    "...........KrrK.",
    "............KrrK",
    ".............KK.",
]

BUTTON_RESUME = [  # resume recording: a green play triangle
    "................",
    "....gg..........",
    "....gGg.........",
    "....gGGg........",
    "....gGGGg.......",
    "....gGGGGg......",
    "....gGGGGGg.....",
    "....gGGGGGGg....",
    "....gGGGGGg.....",
    "....gGGGGg......",
    "....gGGGg.......",
    "....gGGg........",
    "....gGg.........",
    "....gg..........",
    "................",
]

BUTTON_STOP = [  # stop recording: a red square
    "................",
    "................",
    "................",
    "...rrrrrrrrrr...",
    "...rRRRRRRRRr...",
    "...rRRRRRRRRr...",
    "...rRRRRRRRRr...",
    "...rRRRRRRRRr...",
    "...rRRRRRRRRr...",
    "...rRRRRRRRRr...",
    "...rRRRRRRRRr...",
    "...rRRRRRRRRr...",
    "...rrrrrrrrrr...",
    "................",
    "................",
]

BUTTON_ABOUT = [  # version information: a speech balloon with a question mark
    "...KKKKKKKKK....",
    "..KWWWWWWWWWK...",
    ".KWWWWBBBWWWWK..",
    ".KWWWBBWBBWWWK..",
    ".KWWWWWWBBWWWK..",
    ".KWWWWWBBWWWWK..",
    ".KWWWWBBWWWWWK..",
    ".KWWWWBBWWWWWK..",
    ".KWWWWWWWWWWWK..",
    ".KWWWWBBWWWWWK..",
    "..KWWWBBWWWWK...",
    "...KKWWKKKKK....",
    "....KWK.........",
    "....KK..........",
    "................",
]

E_LARGE = [  # the "e" seen through the magnifier of the main icon
    "...BBBBB...",
    ".BBB...BBB.",
    "BB.......BB",
    "BB.......BB",
    "BBBBBBBBBBB",
    "BB.........",
    "BB.........",
    "BBB......BB",
    ".BBB...BBB.",
    "...BBBBB...",
]


def main_icon_32():
    """A browser window holding an event log, with a magnifier over it that shows an "e"."""
    c = Canvas(32)
    # The browser window: black frame, navy title bar with three buttons, white page.
    c.fill(0, 2, 25, 24, "W")
    c.frame(0, 2, 25, 24, "K")
    c.fill(1, 3, 24, 6, "n")
    for x in (15, 18, 21):
        c.fill(x, 4, x + 1, 5, "s")
    c.fill(1, 7, 24, 7, "K")
    # The log in the page: a row icon and a grey text line per row.
    for y, mark, length in ((9, "Y", 14), (12, "R", 10), (15, "Y", 12),
                            (18, "Y", 8), (21, "R", 11)):
        c.fill(2, y, 3, y + 1, mark)
        c.fill(5, y, 5 + length, y, "d")
        c.fill(5, y + 1, 5 + length - 3, y + 1, "s")
    # The magnifier: a thick olive handle, a black rim, white glass with a blue "e".
    c.stroke(25.5, 25.5, 30, 30, 2.2, "K")
    c.stroke(25.5, 25.5, 29.5, 29.5, 1.2, "o")
    c.disk(19.5, 19.5, 8.3, "K")
    c.disk(19.5, 19.5, 7.3, "d")
    c.disk(19.5, 19.5, 6.3, "W")
    c.blit(14, 15, E_LARGE)
    c.put(15, 15, "C")
    c.put(14, 16, "C")
    return c.px


def main_icon_16():
    """The same picture for small icon places: window, log rows, magnifier with an "e"."""
    return grid([
        "KKKKKKKKKKKKK...",
        "KnnnnnnnnWnWK...",
        "KKKKKKKKKKKKK...",
        "KWWWWWWWWWWWK...",
        "KYWddddKKKKKK...",
        "KWWWWWKWWWWWK...",
        "KRWddKWWBBBWWK..",
        "KWWWWKWBWWWBWK..",
        "KYWddKWBBBBBWK..",
        "KWWWWKWBWWWWWK..",
        "KKKKKKWWBBBBWK..",
        "......KWWWWWKK..",
        ".......KKKKKKoK.",
        "............KooK",
        ".............KoK",
        "..............K.",
    ], 16, 16)


# --- File formats ------------------------------------------------------------------------

def info_header(width, height, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       2835, 2835, colours, 0)


def row_padding(nbytes):
    return b"\0" * (-nbytes % 4)


def pixels_24(rgb):
    out = bytearray()
    for row in reversed(rgb):
        line = b"".join(struct.pack("BBB", b, g, r) for r, g, b in row)
        out += line + row_padding(len(line))
    return bytes(out)


def pixels_4(indices):
    out = bytearray()
    for row in reversed(indices):
        padded = row + [0] * (len(row) % 2)
        line = bytes((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2))
        out += line + row_padding(len(line))
    return bytes(out)


def mask_1(opaque):
    """The AND mask of an icon: 1 where the picture is transparent."""
    out = bytearray()
    for row in reversed(opaque):
        bits = [0 if o else 1 for o in row] + [0] * (-len(row) % 8)
        line = bytes(sum(bit << (7 - i) for i, bit in enumerate(bits[j:j + 8]))
                     for j in range(0, len(bits), 8))
        out += line + row_padding(len(line))
    return bytes(out)


PALETTE_4 = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in VGA)


def bmp_file(header, palette, data):
    """A BMP file: file header, info header, colour table, pixels."""
    offset = 14 + len(header) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset) + header + palette + data


def bmp_24(picture, background):
    rgb = to_rgb(picture, background)
    data = pixels_24(rgb)
    return bmp_file(info_header(len(rgb[0]), len(rgb), 24, len(data), 0), b"", data)


def bmp_4(picture, background):
    indices = to_vga(picture, background)
    data = pixels_4(indices)
    return bmp_file(info_header(len(indices[0]), len(indices), 4, len(data), 16),
                    PALETTE_4, data)


def ico_4(pictures):
    """An icon file of 16-colour images; '.' pixels are transparent (black under the mask)."""
    images = []
    for picture in pictures:
        size = len(picture)
        xor = pixels_4(to_vga(picture, (0, 0, 0)))
        mask = mask_1([[c != "." for c in row] for row in picture])
        images.append((size, info_header(size, size * 2, 4, len(xor) + len(mask), 16)
                       + PALETTE_4 + xor + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "res")
    files = {
        "tabs.bmp": bmp_24(grid(TAB, 16, 16), TAB_BACKGROUND),
        "events.bmp": bmp_24(beside(grid(ROW_EVENT, 16, 16), grid(ROW_RECORDING, 16, 16),
                                    grid(ROW_QUIT, 16, 16)), ROW_BACKGROUND),
        "loaded.bmp": bmp_24(grid(ROW_LOADED, 16, 16), ROW_BACKGROUND),
        "journal_tab.bmp": bmp_24(journal_tab(), TAB_BACKGROUND),
        "toolbar.bmp": bmp_4(beside(*(grid(b, 16, 15) for b in (
            BUTTON_SAVE, BUTTON_COPY, BUTTON_FONT, BUTTON_SELECT,
            BUTTON_RESUME, BUTTON_STOP, BUTTON_ABOUT))), BUTTON_FACE),
        "ormix.ico": ico_4([main_icon_32(), main_icon_16()]),
    }
    for name, data in files.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
        print("%s: %d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
