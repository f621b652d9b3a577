#!/usr/bin/env python3
"""Draws the icons and the file list's image strip of meru.exe.

Every picture is drawn here, pixel by pixel, in the sixteen colours of the
classic Windows palette, and written as 8-bit .ico/.bmp files. The output
depends on nothing but this script, so rerunning it gives the same bytes.

Rerun after changing a drawing, and commit the files it writes next to it:

    python3 updater/resources/app/make-icons.py

Files written (resource identifiers in updater/app/ResourceIds.h):
    program.ico         128  the program: an adapter card sending radio waves
    status-picture.ico  133  beside the status box: firmware going into the card
    hex-document.ico    134  a firmware (.hex) document
    pda-document.ico    136  a production data (.pda) document
    clipboard.ico       148  a clipboard
    file-types.bmp      143  five 16x16 file type glyphs side by side, black
                             is transparent: PDA file, unknown image, primary
                             image, station image, primary+station image
"""

import math
import os
import struct

# The sixteen colours of the classic Windows palette, in its own order.
PALETTE = [
    (0x00, 0x00, 0x00),  # k black
    (0x80, 0x00, 0x00),  # r maroon
    (0x00, 0x80, 0x00),  # g green
    (0x80, 0x80, 0x00),  # o olive
    (0x00, 0x00, 0x80),  # n navy
    (0x80, 0x00, 0x80),  # p purple
    (0x00, 0x80, 0x80),  # t teal
    (0xC0, 0xC0, 0xC0),  # s silver
    (0x80, 0x80, 0x80),  # d dark grey
    (0xFF, 0x00, 0x00),  # R red
    (0x00, 0xFF, 0x00),  # G lime
    (0xFF, 0xFF, 0x00),  # Y yellow
    (0x00, 0x00, 0xFF),  # B blue
    (0xFF, 0x00, 0xFF),  # M magenta
    (0x00, 0xFF, 0xFF),  # C cyan
    (0xFF, 0xFF, 0xFF),  # w white
]
COLOUR_INDEX = {c: i for i, c in enumerate("krgonptsdRGYBMCw")}

# A 3x5 pixel font for the few letters the pictures carry.
GLYPHS = {
    "A": [".#.", "#.#", "###", "#.#", "#.#"],
    "D": ["##.", "#.#", "#.#", "#.#", "##."],
    "E": ["###", "#..", "##.", "#..", "###"],
    "H": ["#.#", "#.#", "###", "#.#", "#.#"],
    "P": ["###", "#.#", "###", "#..", "#.."],
    "S": ["###", "#..", "###", "..#", "###"],
    "X": ["#.#", "#.#", ".#.", "#.#", "#.#"],
    "?": ["##.", "..#", ".#.", "...", ".#."],
}


class Canvas:
    """A square of palette letters; None is a transparent pixel."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[None] * width for _ in range(height)]

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.dot(x, y0, colour)
            self.dot(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, colour)
            self.dot(x1, y, colour)

    def box(self, x0, y0, x1, y1, inside, edge):
        self.fill(x0, y0, x1, y1, inside)
        self.frame(x0, y0, x1, y1, edge)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.dot(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def arc(self, cx, cy, radius, first_degree, last_degree, colour):
        """Circle arc, angles counted anticlockwise from east, y pointing down."""
        steps = max(8, radius * 16)
        for step in range(steps + 1):
            angle = math.radians(first_degree + (last_degree - first_degree) * step / steps)
            self.dot(int(round(cx + radius * math.cos(angle))),
                     int(round(cy - radius * math.sin(angle))), colour)

    def text(self, x, y, letters, colour):
        for letter in letters:
            for row, bits in enumerate(GLYPHS[letter]):
                for column, bit in enumerate(bits):
                    if bit == "#":
                        self.dot(x + column, y + row, colour)
            x += 4

    def paste(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                if other.pixels[y][x] is not None:
                    self.dot(x0 + x, y0 + y, other.pixels[y][x])


# ---------------------------------------------------------------- drawings

def draw_card(c, size):
    """A wireless PC card lying flat, its thick antenna end on the right."""
    if size == 32:
        c.box(1, 15, 24, 28, "s", "k")            # card body
        c.fill(2, 16, 3, 27, "d")                 # connector end
        for y in range(17, 27, 2):
            c.dot(2, y, "k")
        c.box(6, 18, 19, 25, "n", "k")            # label
        c.fill(8, 20, 17, 20, "w")
        c.fill(8, 22, 14, 22, "C")
        c.box(22, 12, 30, 29, "d", "k")           # antenna housing
        c.fill(23, 13, 29, 13, "s")
        c.dot(27, 16, "G")                        # link light
        c.dot(27, 18, "Y")
    else:
        c.box(0, 8, 11, 14, "s", "k")
        c.fill(1, 9, 1, 13, "d")
        c.box(3, 10, 8, 12, "n", "k")
        c.box(10, 6, 15, 14, "d", "k")
        c.dot(13, 8, "G")


def draw_waves(c, size):
    if size == 32:
        cx, cy = 26, 11
        for radius, colour in ((3, "B"), (6, "B"), (9, "n")):
            c.arc(cx, cy, radius, 35, 145, colour)
    else:
        cx, cy = 13, 5
        for radius, colour in ((2, "B"), (4, "n")):
            c.arc(cx, cy, radius, 40, 140, colour)


def program_icon(size):
    c = Canvas(size, size)
    draw_card(c, size)
    draw_waves(c, size)
    return c


def status_picture_icon(size):
    c = Canvas(size, size)
    draw_card(c, size)
    draw_waves(c, size)
    # A down arrow: the new firmware going into the card.
    if size == 32:
        c.fill(9, 1, 14, 9, "G")
        for row in range(6):
            c.fill(6 + row, 10 + row, 17 - row, 10 + row, "G")
        c.line(8, 0, 15, 0, "g")
        c.line(8, 0, 8, 9, "g")
        c.line(15, 0, 15, 9, "g")
        c.line(8, 9, 5, 9, "g")
        c.line(15, 9, 18, 9, "g")
        c.line(5, 9, 11, 15, "g")
        c.line(18, 9, 12, 15, "g")
    else:
        c.fill(4, 0, 6, 3, "G")
        c.fill(3, 4, 7, 4, "G")
        c.fill(4, 5, 6, 5, "G")
        c.dot(5, 6, "G")
        c.line(3, 0, 3, 3, "g")
        c.line(7, 0, 7, 3, "g")
    return c


def draw_page(c, size, edge="k"):
    """A sheet of paper with its top right corner folded."""
    if size == 32:
        left, top, right, bottom, ear = 5, 1, 26, 30, 6
    else:
        left, top, right, bottom, ear = 2, 0, 13, 15, 3
    c.box(left, top, right, bottom, "w", edge)
    for step in range(ear + 1):                   # cut the corner away
        for x in range(right - ear + step + 1, right + 1):
            c.pixels[top + step][x] = None
    c.line(right - ear, top, right, top + ear, edge)
    c.fill(right - ear, top + 1, right - ear, top + ear, edge)
    c.fill(right - ear, top + ear, right - 1, top + ear, edge)
    for step in range(1, ear):
        c.fill(right - ear + 1, top + step, right - ear + step - 1, top + step, "s")
    return left, top, right, bottom


def hex_document_icon(size):
    c = Canvas(size, size)
    left, top, right, bottom = draw_page(c, size)
    if size == 32:
        # S-records: a red record mark, then the hexadecimal digits.
        for row, length in enumerate((11, 13, 9, 13, 6)):
            y = 6 + row * 3
            c.fill(8, y, 9, y, "R")
            c.fill(11, y, 11 + length - (4 if row == 0 else 0), y, "n")
        c.box(7, 22, 23, 28, "n", "n")
        c.text(9, 23, "HEX", "w")
    else:
        for row, length in enumerate((4, 6, 5)):
            y = 3 + row * 2
            c.dot(4, y, "R")
            c.fill(6, y, 6 + length - 1, y, "n")
        c.box(3, 9, 12, 14, "n", "n")
        c.fill(5, 11, 10, 12, "w")
    return c


def pda_document_icon(size):
    c = Canvas(size, size)
    draw_page(c, size)
    if size == 32:
        # Production data: a small table of records.
        c.frame(8, 6, 20, 19, "t")
        for y in (9, 12, 15):
            c.fill(8, y, 20, y, "t")
        c.fill(12, 6, 12, 19, "t")
        for y in (7, 10, 13, 16):
            c.fill(9, y + 1, 10, y + 1, "r")
        c.box(7, 22, 23, 28, "r", "r")
        c.text(9, 23, "PDA", "w")
    else:
        c.frame(4, 3, 10, 8, "t")
        c.fill(4, 5, 10, 5, "t")
        c.fill(6, 3, 6, 8, "t")
        c.box(3, 10, 12, 14, "r", "r")
        c.fill(5, 12, 10, 12, "w")
    return c


def clipboard_icon(size):
    c = Canvas(size, size)
    if size == 32:
        c.box(4, 3, 27, 31, "o", "k")             # board
        c.box(7, 7, 24, 28, "w", "k")             # paper
        for y, length in ((12, 14), (15, 12), (18, 14), (21, 9), (24, 12)):
            c.fill(9, y, 9 + length - 1, y, "n")
        c.box(10, 1, 21, 7, "s", "k")             # clip
        c.fill(11, 6, 20, 6, "d")
        c.box(14, 0, 17, 2, "s", "k")
        c.dot(15, 1, "k")
        c.dot(16, 1, "k")
    else:
        c.box(1, 1, 14, 15, "o", "k")
        c.box(3, 4, 12, 14, "w", "k")
        for y, length in ((7, 7), (9, 6), (11, 7)):
            c.fill(5, y, 5 + length - 1, y, "n")
        c.box(5, 0, 10, 3, "s", "k")
        c.fill(7, 0, 8, 0, "d")
    return c


def chip_glyph(body_left, body_right, letters):
    """A 16x16 flash memory chip; never black, which the strip keeps transparent."""
    c = Canvas(16, 16)
    for x in range(3, 13, 2):                     # pins
        c.fill(x, 1, x, 2, "s")
        c.fill(x, 13, x, 14, "s")
    c.fill(1, 3, 7, 12, body_left)
    c.fill(8, 3, 14, 12, body_right)
    c.frame(1, 3, 14, 12, "d")
    c.dot(2, 4, "s")                              # pin 1 mark
    width = len(letters) * 4 - 1
    c.text(8 - (width + 1) // 2, 6, letters, "w")
    return c


def pda_glyph():
    c = Canvas(16, 16)
    draw_page(c, 16, edge="d")
    c.frame(4, 3, 10, 11, "t")
    for y in (5, 7, 9):
        c.fill(4, y, 10, y, "t")
    c.fill(6, 3, 6, 11, "t")
    c.fill(4, 13, 11, 13, "r")
    return c


def file_type_strip():
    glyphs = [
        pda_glyph(),                              # 0 PDA file
        chip_glyph("d", "d", "?"),                # 1 image of unknown kind
        chip_glyph("r", "r", "P"),                # 2 primary image
        chip_glyph("n", "n", "S"),                # 3 station image
        chip_glyph("r", "n", "PS"),               # 4 primary and station image
    ]
    strip = Canvas(16 * len(glyphs), 16)
    for position, glyph in enumerate(glyphs):
        strip.paste(glyph, 16 * position, 0)
    return strip


# ---------------------------------------------------------------- files

def palette_bytes():
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    return table + b"\0" * (4 * (256 - len(PALETTE)))


def row_padding(byte_count):
    return b"\0" * (-byte_count % 4)


def colour_rows(canvas):
    """Bottom-up 8-bit rows; transparent pixels are black."""
    data = b""
    for row in reversed(canvas.pixels):
        data += bytes(COLOUR_INDEX[p] if p else 0 for p in row)
        data += row_padding(canvas.width)
    return data


def mask_rows(canvas):
    """Bottom-up 1-bit rows of the icon's AND mask: 1 where transparent."""
    data = b""
    for row in reversed(canvas.pixels):
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if p is None else 0)
        row_bytes = (canvas.width + 7) // 8
        bits <<= row_bytes * 8 - canvas.width
        data += bits.to_bytes(row_bytes, "big") + row_padding(row_bytes)
    return data


def info_header(width, height, image_bytes):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0,
                       image_bytes, 0, 0, 256, 0)


def icon_file(canvases):
    images = []
    for c in canvases:
        pixels = colour_rows(c) + mask_rows(c)
        images.append(info_header(c.width, 2 * c.height, len(pixels)) + palette_bytes() + pixels)
    directory = struct.pack("<HHH", 0, 1, len(canvases))
    offset = len(directory) + 16 * len(canvases)
    entries = b""
    for c, image in zip(canvases, images):
        entries += struct.pack("<BBBBHHII", c.width, c.height, 0, 0, 1, 8, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def bitmap_file(canvas):
    pixels = colour_rows(canvas)
    header = info_header(canvas.width, canvas.height, len(pixels)) + palette_bytes()
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + pixels


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    icons = {
        "program.ico": program_icon,
        "status-picture.ico": status_picture_icon,
        "hex-document.ico": hex_document_icon,
        "pda-document.ico": pda_document_icon,
        "clipboard.ico": clipboard_icon,
    }
    for name, draw in icons.items():
        with open(os.path.join(here, name), "wb") as out:
            out.write(icon_file([draw(32), draw(16)]))
    with open(os.path.join(here, "file-types.bmp"), "wb") as out:
        out.write(bitmap_file(file_type_strip()))


if __name__ == "__main__":
    main()
