#!/usr/bin/env python3
"""Checks the pixels of a screenshot of the installer's main window.

    pixels.py gradient SHOT LEFT TOP WIDTH HEIGHT [SKIP]
        The client area at LEFT,TOP of WIDTH x HEIGHT shows the blue background:
        even rows blue at the level of the fill, odd rows and the last column black.
        Columns under the title and the credit text are skipped, and so is the
        screen rectangle SKIP ("l,t,r,b": a window standing over the background).
    pixels.py title SHOT LEFT TOP
        The title pair stands at its design place in the client area at LEFT,TOP:
        white text with a black shadow two pixels up and to the left (edges may be
        smoothed), and nothing white or teal elsewhere in the top band.
    pixels.py credit SHOT LEFT TOP WIDTH HEIGHT
        The credit pair stands at the bottom left, above the last 40 pixels: teal
        text with a white edge one pixel up and to the left (edges may be smoothed).
    pixels.py same SHOT1 SHOT2 LEFT TOP WIDTH HEIGHT
        The two shots are equal in that rectangle.
    pixels.py picture SHOT IMAGE LEFT TOP WIDTH HEIGHT opaque|transparent
        The rectangle shows IMAGE from its top left corner: all of it when opaque
        (the image has the rectangle's size), cut at the rectangle and without the
        pixels of the image's bottom-left colour when transparent.

Prints what is wrong and exits 1 when a check fails. SHOT is a PNG file; reading it
needs ImageMagick's convert.
"""

import struct
import subprocess
import sys

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
TEAL = (0, 128, 128)

# Design places in the client area: SupTitle (white), SubTitle (black shadow).
SUP_TITLE = (14, 10, 507, 45)
SUB_TITLE = (12, 8, 537, 41)


class Shot:
    def __init__(self, path):
        size = subprocess.run(["identify", "-format", "%w %h", path], check=True,
                              capture_output=True, text=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                                   capture_output=True).stdout

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def blue_levels(height):
    """The blue of each even row: a single-precision running value from 255 that
    falls by 510 / height per band, rounded half to even."""
    step = f32(-510.0 / height)
    level = f32(255.0)
    levels = {}
    for row in range(0, height + 1, 2):
        levels[row] = round(level)
        level = f32(level + step)
    return levels


def check_gradient(shot, left, top, width, height, skip=None):
    levels = blue_levels(height)
    sl, st, sr, sb = map(int, skip.split(",")) if skip else (0, 0, 0, 0)
    problems = []
    # Right of the title pair, and the right half of the bottom where no credit is.
    columns = [c for c in (0, 560, width // 2, width - 40, width - 2) if 0 <= c < width]
    for x in columns:
        for y in range(height):
            if x < 560 and y < 60:
                continue
            if x < 500 and y >= height - 120:
                continue
            if sl <= left + x < sr and st <= top + y < sb:
                continue
            want = (0, 0, levels[y]) if y % 2 == 0 else BLACK
            got = shot.at(left + x, top + y)
            if got != want:
                problems.append(f"({x},{y}) is {got}, want {want}")
    for y in range(0, height, 37):
        if sl <= left + width - 1 < sr and st <= top + y < sb:
            continue
        got = shot.at(left + width - 1, top + y)
        if got != BLACK:
            problems.append(f"last column ({width - 1},{y}) is {got}, want black")
    return problems


def mix_of(pixel, a, b):
    """Whether pixel is a or b or a mix of them, as a smoothed edge of text in
    colour b drawn over colour a comes out (within rounding)."""
    channel = max(range(3), key=lambda i: abs(b[i] - a[i]))
    t = (pixel[channel] - a[channel]) / (b[channel] - a[channel])
    return 0 <= t <= 1 and all(abs(a[i] + t * (b[i] - a[i]) - pixel[i]) <= 2 for i in range(3))


def inside(rect, x, y):
    return rect[0] <= x < rect[0] + rect[2] and rect[1] <= y < rect[1] + rect[3]


def check_title(shot, left, top):
    problems = []
    white = [(x, y) for y in range(0, 70) for x in range(0, 600) if shot.at(left + x, top + y) == WHITE]
    stray = [p for p in white if not inside(SUP_TITLE, *p)]
    if len(white) < 100:
        problems.append(f"only {len(white)} white pixels in the title band")
    if stray:
        problems.append(f"{len(stray)} white pixels outside the white title's place, first {stray[0]}")
    # The black copy lies 2 pixels up and left: where white text is, the pixel up
    # and left of it is text too (black, or white where the strokes overlap, or
    # grey where a smoothed white edge lies over black).
    shaded = [p for p in white if mix_of(shot.at(left + p[0] - 2, top + p[1] - 2), BLACK, WHITE)]
    if white and len(shaded) < 0.95 * len(white):
        problems.append(f"only {len(shaded)} of {len(white)} white pixels have their shadow up and left")
    # The shadow shows as black on even rows, where the background is blue.
    shadow = [(x, y) for y in range(SUB_TITLE[1], SUB_TITLE[1] + SUB_TITLE[3], 2)
              for x in range(SUB_TITLE[0], SUB_TITLE[0] + SUB_TITLE[2])
              if shot.at(left + x, top + y) == BLACK and x < 1023]
    if len(shadow) < 20:
        problems.append(f"only {len(shadow)} black shadow pixels on the blue rows of the title")
    teal = sum(1 for y in range(0, 70) for x in range(0, 600) if shot.at(left + x, top + y) == TEAL)
    if teal:
        problems.append(f"{teal} teal pixels in the title band")
    return problems


def check_credit(shot, left, top, width, height):
    problems = []
    band = range(height - 130, height - 40)
    teal = [(x, y) for y in band for x in range(0, 600) if shot.at(left + x, top + y) == TEAL]
    if len(teal) < 50:
        problems.append(f"only {len(teal)} teal pixels in the credit band")
    elif min(x for x, _ in teal) < 16 or max(y for _, y in teal) >= height - 40:
        problems.append(f"credit text reaches {min(x for x, _ in teal)} left, {max(y for _, y in teal)} down")
    edged = [p for p in teal if mix_of(shot.at(left + p[0] - 1, top + p[1] - 1), WHITE, TEAL)]
    if teal and len(edged) < 0.95 * len(teal):
        problems.append(f"only {len(edged)} of {len(teal)} teal pixels have their white edge up and left")
    below = sum(1 for y in range(height - 40, height) for x in range(0, 600)
                if shot.at(left + x, top + y) in (TEAL, WHITE))
    if below:
        problems.append(f"{below} credit pixels in the last 40 rows")
    return problems


def check_same(first, second, left, top, width, height):
    differ = [(x, y) for y in range(top, top + height) for x in range(left, left + width)
              if first.at(x, y) != second.at(x, y)]
    return [f"{len(differ)} pixels differ, first at {differ[0]}"] if differ else []


def check_picture(shot, image, left, top, width, height, mode):
    if mode == "opaque" and (image.width, image.height) != (width, height):
        return [f"the image is {image.width}x{image.height}, the place {width}x{height}"]
    corner = image.at(0, image.height - 1)
    differ = []
    for y in range(min(height, image.height)):
        for x in range(min(width, image.width)):
            want = image.at(x, y)
            if mode == "transparent" and want == corner:
                continue
            if shot.at(left + x, top + y) != want:
                differ.append((x, y, shot.at(left + x, top + y), want))
    if not differ:
        return []
    x, y, got, want = differ[0]
    return [f"{len(differ)} pixels differ, first at {x},{y}: {got}, want {want}"]


def main(argv):
    command, args = argv[1], argv[2:]
    if command == "gradient":
        problems = check_gradient(Shot(args[0]), *map(int, args[1:5]), *args[5:6])
    elif command == "title":
        problems = check_title(Shot(args[0]), *map(int, args[1:3]))
    elif command == "credit":
        problems = check_credit(Shot(args[0]), *map(int, args[1:5]))
    elif command == "picture":
        problems = check_picture(Shot(args[0]), Shot(args[1]), *map(int, args[2:6]), args[6])
    elif command == "same":
        problems = check_same(Shot(args[0]), Shot(args[1]), *map(int, args[2:6]))
    else:
        print(__doc__)
        return 2
    for line in problems[:10]:
        print(line)
    if len(problems) > 10:
        print(f"... {len(problems) - 10} more")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
