#!/usr/bin/env python3
"""Draws the application icon, a blue letter K on a light ground inside a dark
frame, and writes it as resources/app.ico with an image for every size Windows
asks for at 100 % to 200 % scaling (16, 20, 24, 32, 40, 48, 64 and 256 pixels;
32-bit, with alpha; the 256-pixel one PNG-compressed, as Windows reads it).

Python 3 standard library only. The build does not run this: app.ico is kept
in the repository, and this script is how it was made. Run it again after a
change and commit both files:

    python3 resources/make_icon.py [output.ico]
"""

import os
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)

FRAME = (0x1F, 0x2A, 0x3A)   # dark slate
GROUND = (0xF3, 0xF6, 0xFB)  # light, a touch of blue
LETTER = (0x1A, 0x5C, 0xD6)  # the blue of the K

# Per icon size: the letter's height, the stem's width and the horizontal
# width of the diagonals, in pixels. The diagonals step one pixel per row, so
# every edge of the letter lies on the pixel grid and nothing is smoothed: the
# strokes stay crisp down to 16 pixels. A 45-degree stroke looks thinner than
# a vertical one of the same width, hence the wider diagonals. From 64 pixels
# up the diagonals are smoothed (see coverage): a one-pixel stair shows there.
PROPORTIONS = {
    16: (10, 2, 2),
    20: (12, 2, 3),
    24: (14, 3, 4),
    32: (20, 4, 6),
    40: (24, 5, 7),
    48: (30, 6, 9),
    64: (40, 8, 12),
    256: (160, 32, 48),
}
SMOOTH_FROM = 64
SUBSAMPLES = 4  # per pixel and axis, where the diagonals are smoothed


def frame_width(n):
    """The dark frame's width: one pixel up to 48, thicker above."""
    return max(1, n // 32)


def geometry(n):
    """The letter's left and top edge, its stem's right edge, and its
    proportions, in an n-pixel icon."""
    height, stem, diagonal = PROPORTIONS[n]
    half = height // 2
    # The letter is centred: its width runs from the stem's left edge to the
    # outer end of the diagonals.
    width = stem + (half - 1) + diagonal
    left = (n - width) // 2
    top = (n - height) // 2
    return left, top, left + stem, height, half, diagonal


def letter_k(n):
    """The set of (x, y) pixels covered by the K in an n-pixel icon."""
    left, top, stem_right, height, half, diagonal = geometry(n)
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


def inside_k(n, x, y):
    """Whether the point (x, y) lies in the K's outline: the stem, and the
    diagonals as straight bands through the centres of letter_k's steps.
    The stem's edges and the letter's top and bottom stay on the grid."""
    left, top, stem_right, height, half, diagonal = geometry(n)
    u = y - top
    if u < 0 or u >= height:
        return False
    if left <= x < stem_right:
        return True
    start = stem_right + (half - u - 0.5 if u < half else u - half - 0.5)
    return start <= x < start + diagonal


def coverage(n):
    """The share of each pixel that the K covers, by SUBSAMPLES^2 samples."""
    k = SUBSAMPLES
    samples = [(i + 0.5) / k for i in range(k)]
    return {
        (x, y): sum(inside_k(n, x + sx, y + sy) for sx in samples for sy in samples) / (k * k)
        for y in range(n)
        for x in range(n)
    }


def mix(a, b, t):
    return tuple(round(p + (q - p) * t) for p, q in zip(a, b))


def draw(n):
    """Rows of (r, g, b, a) tuples, top row first."""
    if n >= SMOOTH_FROM:
        shares = coverage(n)
    else:
        shares = {p: 1.0 for p in letter_k(n)}
    edge = frame_width(n)
    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            if min(x, y, n - 1 - x, n - 1 - y) < edge:
                row.append(FRAME + (255,))
            else:
                row.append(mix(GROUND, LETTER, shares.get((x, y), 0.0)) + (255,))
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


def png(rows):
    """One icon image as a PNG file: 8-bit RGBA, no interlace."""
    n = len(rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for pixel in row:
            raw += bytes(pixel)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
        + chunk(b"IEND", b"")
    )


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
    images = [(n, png(draw(n)) if n >= 256 else dib(draw(n))) for n in SIZES]
    with open(target, "wb") as f:
        f.write(ico(images))
    print(f"wrote {target}: {', '.join(str(n) for n in SIZES)} px")


if __name__ == "__main__":
    main()
