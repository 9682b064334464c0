#!/usr/bin/env python3
"""Draws the hand pointer shown over the main window's buttons, a white hand
with a black outline whose index finger points up, and writes it as
resources/HAND-M.CUR with 32, 48 and 64 pixel images (32-bit, with alpha).
The hot spot is the tip of the index finger. Windows picks the image of the
system's pointer size, so the larger ones serve high DPI settings.

Python 3 standard library only. The build does not run this: HAND-M.CUR is
kept in the repository, copied beside tarnavel.exe by the build, and this
script is how it was made. Run it again after a change and commit both files:

    python3 resources/make_cursor.py [output.cur] [--preview preview.png]

--preview also writes the three images enlarged, on light and dark ground.
"""

import math
import os
import struct
import sys
import zlib

SIZES = (32, 48, 64)
SAMPLES = 8  # per pixel and axis, for the smoothed edges

# The drawing, in the units of the 32-pixel image (one unit is one pixel
# there; the larger images scale it). Edges that run straight lie on whole
# units so that the outline stays crisp at 32 pixels.
STROKE = 1.0  # the outline's width
# The index finger: a rod with a round tip, from the tip's centre down.
INDEX = ((11.5, 2.5), (11.5, 18.0), 2.5)
# The three bent fingers as boxes with round tops: left, top, right, and the
# bottom hidden in the palm. Neighbours share the column of their outline.
BENT = (
    (13.0, 11.0, 19.0),
    (18.0, 12.0, 24.0),
    (23.0, 14.0, 28.0),
)
BENT_BOTTOM = 20.0
# The palm down to the wrist, and the thumb lying against its left side.
PALM = (9.0, 16.0, 28.0, 30.0, 4.0)  # left, top, right, bottom, corner radius
THUMB = ((6.5, 18.5), (11.5, 24.5), 2.75)
# Creases inside the outline: the shared edges of the fingers below their
# tops, and the thumb's upper edge against the palm.
CREASES = (
    ((13.5, 13.0), (13.5, 17.5)),
    ((18.5, 14.0), (18.5, 18.0)),
    ((23.5, 16.0), (23.5, 18.5)),
    ((9.0, 17.5), (12.5, 21.5)),
)
CREASE = 1.0  # their width
HOT_SPOT = (11.5, 0.0)  # the top of the index finger

INK = (0x10, 0x10, 0x10)
FILL = (0xFF, 0xFF, 0xFF)


# --- distances: negative inside a shape, positive outside ---------------------

def rod(p, a, b, r):
    """A segment from a to b thickened to radius r (round ends)."""
    (px, py), (ax, ay), (bx, by) = p, a, b
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - r


def box(p, left, top, right, bottom, r):
    """A box with corners rounded to radius r."""
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - r, (bottom - top) / 2 - r
    qx, qy = abs(p[0] - cx) - hx, abs(p[1] - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def hand(p):
    """Distance to the hand's outer edge."""
    d = rod(p, *INDEX)
    for left, top, right in BENT:
        r = (right - left) / 2
        d = min(d, box(p, left, top, right, BENT_BOTTOM + r, r))
    d = min(d, box(p, *PALM))
    d = min(d, rod(p, *THUMB))
    return d


def crease(p):
    return min(rod(p, a, b, CREASE / 2) for a, b in CREASES)


# --- pixels ------------------------------------------------------------------

def draw(n):
    """Rows of (r, g, b, a) tuples, top row first."""
    scale = 32.0 / n  # from image pixels to drawing units
    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            covered = 0
            ink = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    p = ((x + (sx + 0.5) / SAMPLES) * scale, (y + (sy + 0.5) / SAMPLES) * scale)
                    d = hand(p)
                    if d >= 0:
                        continue
                    covered += 1
                    if d > -STROKE or crease(p) < 0:
                        ink += 1
            if covered == 0:
                row.append((0, 0, 0, 0))
                continue
            share = ink / covered
            colour = tuple(round(i * share + f * (1 - share)) for i, f in zip(INK, FILL))
            row.append(colour + (round(255 * covered / SAMPLES ** 2),))
        rows.append(row)
    return rows


def hot_spot(n):
    x, y = HOT_SPOT
    return min(n - 1, int(x * n / 32)), min(n - 1, int(y * n / 32))


# --- the .cur file -----------------------------------------------------------

def dib(rows):
    """One image as the format stores it: a BITMAPINFOHEADER of double height,
    the BGRA pixels bottom row first, then the 1-bit AND mask (set where the
    image is fully transparent)."""
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


def cur(images):
    """The .cur file for a list of (size, hot spot, image bytes). A cursor's
    directory entry holds the hot spot where an icon's holds planes and bits."""
    out = bytearray(struct.pack("<HHH", 0, 2, len(images)))
    offset = 6 + 16 * len(images)
    for size, (hx, hy), data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, hx, hy, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


# --- the preview -------------------------------------------------------------

def png(width, height, pixels):
    """A PNG of RGB rows."""
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview(drawn, zoom=6, gap=8):
    """Each image enlarged, on a light and on a dark ground, the hot spot in red."""
    grounds = ((0xF0, 0xF0, 0xF0), (0x30, 0x38, 0x48))
    width = sum(n * zoom + gap for n, _ in drawn) + gap
    height = len(grounds) * (max(n for n, _ in drawn) * zoom + gap) + gap
    canvas = [[(0x80, 0x80, 0x80)] * width for _ in range(height)]
    top = gap
    for ground in grounds:
        left = gap
        for n, rows in drawn:
            hx, hy = hot_spot(n)
            for y in range(n * zoom):
                for x in range(n * zoom):
                    r, g, b, a = rows[y // zoom][x // zoom]
                    px = tuple(round((c * a + k * (255 - a)) / 255) for c, k in zip((r, g, b), ground))
                    if (x // zoom, y // zoom) == (hx, hy) and (x % zoom == 0 or y % zoom == 0):
                        px = (0xE0, 0x20, 0x20)
                    canvas[top + y][left + x] = px
            left += n * zoom + gap
        top += max(n for n, _ in drawn) * zoom + gap
    return png(width, height, canvas)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    args = sys.argv[1:]
    shot = None
    if "--preview" in args:
        i = args.index("--preview")
        shot = args[i + 1]
        del args[i:i + 2]
    target = args[0] if args else os.path.join(here, "HAND-M.CUR")
    drawn = [(n, draw(n)) for n in SIZES]
    with open(target, "wb") as f:
        f.write(cur([(n, hot_spot(n), dib(rows)) for n, rows in drawn]))
    spots = ", ".join(f"{n} px (hot spot {hot_spot(n)[0]},{hot_spot(n)[1]})" for n, _ in drawn)
    print(f"wrote {target}: {spots}")
    if shot:
        with open(shot, "wb") as f:
            f.write(preview(drawn))
        print(f"wrote {shot}")


if __name__ == "__main__":
    main()
