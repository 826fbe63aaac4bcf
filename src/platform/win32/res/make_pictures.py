#!/usr/bin/env python3
"""Draws the pictures that Setup.exe carries as resources.

    install.bmp         32 x 32, 256 colours: a computer with a software box
    cross.bmp           18 x 18, 16 colours: a red diagonal cross
    cross_disabled.bmp  18 x 18, 16 colours: the cross engraved in grey, for a disabled button
    setup.ico           32 x 32 and 16 x 16: the computer picture (needs ImageMagick)

Every bitmap has an olive (128, 128, 0) background, which the buttons draw
transparent. The generated files are kept beside this script, so the build does
not need it; run it again after changing a drawing:  python3 make_pictures.py
"""

import os
import struct
import subprocess

OLIVE = (128, 128, 0)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
DARK = (64, 64, 64)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
AQUA = (0, 255, 255)
TEAL = (0, 128, 128)
RED = (255, 0, 0)
MAROON = (128, 0, 0)
YELLOW = (255, 255, 0)
CREAM = (255, 255, 160)
GOLD = (192, 160, 0)
LIME = (0, 255, 0)

# The sixteen colours of the standard 4-bit palette, olive among them.
VGA16 = [BLACK, MAROON, (0, 128, 0), OLIVE, NAVY, (128, 0, 128), TEAL, SILVER,
         GREY, RED, LIME, YELLOW, BLUE, (255, 0, 255), AQUA, WHITE]


class Picture:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.rows = [[OLIVE] * width for _ in range(height)]

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def box(self, left, top, right, bottom, colour):
        """Fills left..right, top..bottom, both ends included."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.dot(x, y, colour)

    def raised(self, left, top, right, bottom, face):
        """A 3-D block: light top and left edges, dark bottom and right ones."""
        self.box(left, top, right, bottom, face)
        self.box(left, top, right, top, WHITE)
        self.box(left, top, left, bottom, WHITE)
        self.box(left, bottom, right, bottom, DARK)
        self.box(right, top, right, bottom, DARK)

    def at(self, x, y):
        return self.rows[y][x]


def draw_install():
    p = Picture(32, 32)
    # Monitor: casing, blue screen with a little window on it, stand.
    p.raised(1, 2, 20, 17, SILVER)
    p.box(3, 4, 18, 14, BLACK)
    p.box(4, 5, 17, 13, NAVY)
    p.box(6, 7, 13, 11, TEAL)
    p.box(6, 7, 13, 7, BLUE)
    p.box(7, 9, 10, 9, AQUA)
    p.dot(17, 16, LIME)
    p.box(8, 18, 13, 19, GREY)
    # System unit with a diskette slot, then the keyboard.
    p.raised(0, 20, 22, 24, SILVER)
    p.box(12, 22, 19, 22, BLACK)
    p.dot(3, 22, LIME)
    p.raised(2, 26, 21, 30, SILVER)
    for y in (27, 29):
        for x in range(4, 20, 2):
            p.dot(x, y, GREY)
    # Software box standing in front, on the right: front, top and side faces.
    left, top, right, bottom, depth = 19, 12, 27, 30, 3
    for i in range(1, depth + 1):
        p.box(left + i, top - i, right + i, top - i, CREAM)
        p.box(right + i, top - i, right + i, bottom - i, GOLD)
    p.box(left, top, right, bottom, YELLOW)
    p.box(left, top + 4, right, top + 8, BLUE)
    p.box(left + 2, top + 11, right - 2, top + 15, RED)
    p.box(left + 3, top + 12, right - 3, top + 14, WHITE)
    for x in range(left, right + 1):
        p.dot(x, top, BLACK)
        p.dot(x, bottom, BLACK)
    for y in range(top, bottom + 1):
        p.dot(left, y, BLACK)
        p.dot(right, y, BLACK)
    for i in range(1, depth + 1):
        p.dot(left + i, top - i, BLACK)
        p.dot(right + i, top - i, BLACK)
        p.dot(right + i, bottom - i, BLACK)
    p.box(left + depth, top - depth, right + depth, top - depth, BLACK)
    p.box(right + depth, top - depth, right + depth, bottom - depth, BLACK)
    return p


def cross_shape():
    """The cells of two diagonal strokes, three pixels thick, corner to corner."""
    cells = set()
    for i in range(2, 16):
        for d in (-1, 0, 1):
            for x, y in ((i + d, i), (17 - i - d, i)):
                if 1 <= x <= 16:
                    cells.add((x, y))
    return cells


def draw_cross():
    p = Picture(18, 18)
    cells = cross_shape()
    for x, y in cells:
        # Cells whose lower-right neighbour is outside the stroke form its shaded edge.
        p.dot(x, y, RED if (x + 1, y + 1) in cells else MAROON)
    return p


def draw_cross_disabled():
    """The disabled look: the cross in grey over a white copy one pixel down and right."""
    p = Picture(18, 18)
    cells = cross_shape()
    for x, y in cells:
        p.dot(x + 1, y + 1, WHITE)
    for x, y in cells:
        p.dot(x, y, GREY)
    return p


def bmp_bytes(picture, bits, palette):
    """An uncompressed bottom-up palette BMP of 4 or 8 bits per pixel."""
    index = {colour: i for i, colour in enumerate(palette)}
    entries = 1 << bits
    rows = []
    for row in reversed(picture.rows):
        codes = [index[c] for c in row]
        if bits == 4:
            codes += [0] * (len(codes) % 2)
            data = bytes((codes[i] << 4) | codes[i + 1] for i in range(0, len(codes), 2))
        else:
            data = bytes(codes)
        rows.append(data + b"\0" * (-len(data) % 4))
    pixels = b"".join(rows)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    colours += b"\0" * 4 * (entries - len(palette))
    offset = 14 + 40 + 4 * entries
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, picture.width, picture.height, 1, bits, 0,
                       len(pixels), 2835, 2835, entries, 0)
    return header + info + colours + pixels


def palette_of(picture, base):
    colours = list(base)
    for row in picture.rows:
        for c in row:
            if c not in colours:
                colours.append(c)
    return colours


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    install = draw_install()
    outputs = {
        "install.bmp": bmp_bytes(install, 8, palette_of(install, VGA16)),
        "cross.bmp": bmp_bytes(draw_cross(), 4, VGA16),
        "cross_disabled.bmp": bmp_bytes(draw_cross_disabled(), 4, VGA16),
    }
    for name, data in outputs.items():
        with open(os.path.join(here, name), "wb") as out:
            out.write(data)
    # The icon: the computer picture with its olive background made transparent.
    subprocess.run(["convert", os.path.join(here, "install.bmp"), "-transparent", "rgb(128,128,0)",
                    "-define", "icon:auto-resize=32,16", os.path.join(here, "setup.ico")], check=True)


if __name__ == "__main__":
    main()
