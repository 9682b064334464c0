#!/usr/bin/env python3
"""Draws the application icon, a blue letter K on a light ground inside a dark
one-pixel frame, and writes it as resources/app.ico with 16, 32 and 48 pixel
images (32-bit, with alpha).

Python 3 standard library only. The build does not run this: app.ico is kept
in the repository, and this script is how it was made. Run it again after a
change and commit both files:

    python3 resources/make_icon.py [output.ico]
"""

import os
import struct
import sys

SIZES = (16, 32, 48)

FRAME = (0x1F, 0x2A, 0x3A)   # dark slate
GROUND = (0xF3, 0xF6, 0xFB)  # light, a touch of blue
LETTER = (0x1A, 0x5C, 0xD6)  # the blue of the K

# Per icon size: the letter's height, the stem's width and the horizontal
# width of the diagonals, in pixels. The diagonals step one pixel per row, so
# every edge of the letter lies on the pixel grid and nothing is smoothed: the
# strokes stay crisp down to 16 pixels. A 45-degree stroke looks thinner than
# a vertical one of the same width, hence the wider diagonals.
PROPORTIONS = {
    16: (10, 2, 2),
    32: (20, 4, 6),
    48: (30, 6, 9),
}


def letter_k(n):
    """The set of (x, y) pixels covered by the K in an n-pixel icon."""
    height, stem, diagonal = PROPORTIONS[n]
    half = height // 2
    # The letter is centred: its width runs from the stem's left edge to the
    # outer end of the diagonals.
    width = stem + (half - 1) + diagonal
    left = (n - width) // 2
    top = (n - height) // 2
    stem_right = left + stem
    pixels = set()
    for r in range(height):
        y = top + r
        for x in range(left, stem_right):
            pixels.add((x, y))
        # Upper half: the arm, moving right as it rises; lower half: the leg,
        # moving right as it falls. They meet at the stem in the middle.
        step = (half - 1 - r) if r < half else (r - half)
        start = stem_right + step
        for x in range(start, start + diagonal):
            pixels.add((x, y))
    return pixels


def draw(n):
    """Rows of (r, g, b, a) tuples, top row first."""
    k = letter_k(n)
    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            if x in (0, n - 1) or y in (0, n - 1):
                row.append(FRAME + (255,))
            elif (x, y) in k:
                row.append(LETTER + (255,))
            else:
                row.append(GROUND + (255,))
        rows.append(row)
    return rows


def dib(rows):
    """One icon image as the ICO format stores it: a BITMAPINFOHEADER of double
    height, the BGRA pixels bottom row first, then the 1-bit AND mask."""
    n = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def ico(images):
    """The .ico file for a list of (size, image bytes)."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "app.ico")
    images = [(n, dib(draw(n))) for n in SIZES]
    with open(target, "wb") as f:
        f.write(ico(images))
    print(f"wrote {target}: {', '.join(str(n) for n in SIZES)} px")


if __name__ == "__main__":
    main()
