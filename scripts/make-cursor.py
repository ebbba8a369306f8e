#!/usr/bin/env python3
"""Draws Tovrik's pointing-hand mouse pointer and writes it as assets/HAND-M.CUR.

The hand is built from simple shapes (a raised index finger, three folded
fingers, a palm and a thumb) sampled at each pixel's centre on a 32x32 grid.
Filled pixels are white; every empty pixel that touches a filled one across an
edge becomes the black outline, which also draws the lines between the folded
fingers. The hot spot is the top of the outline over the fingertip.

The file is a Windows cursor: a 6-byte directory header (type 2, one image),
one 16-byte entry whose two 16-bit fields at file offsets 10 and 12 hold the
hot spot, then a 40-byte BITMAPINFOHEADER, 32x32 BGRA pixels stored bottom-up
and a 1-bit AND mask (1 = transparent), also bottom-up.

Python 3 standard library only. Usage: make-cursor.py [OUTPUT] [--preview PNG]
"""

import math
import os
import struct
import sys
import zlib

SIZE = 32


def capsule(ax, ay, bx, by, r):
    """A stroke from (ax, ay) to (bx, by) with round ends of radius r."""

    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
        t = max(0.0, min(1.0, t))
        cx, cy = ax + t * dx, ay + t * dy
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def finger(left, right, top_row, bottom):
    """An upright finger filling columns left..right-1 from row top_row down,
    with a round tip whose top row is the middle two (or one) pixels."""
    r = (right - left) / 2.0
    cx = left + r
    # Put the round tip's centre so that the pixel centres nearest the middle
    # are inside the circle on the top row and the next ones out are not.
    near = 0.5 if (right - left) % 2 == 0 else 0.0
    cy = top_row + 0.5 + (math.sqrt(r * r - near * near) + math.sqrt(r * r - (near + 1) ** 2)) / 2

    def inside(x, y):
        if not (left <= x <= right and top_row <= y <= bottom):
            return False
        if y >= cy:
            return True
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def palm_inside(x, y):
    top, bottom, r = 14.0, 27.0, 2.5
    if not (top <= y <= bottom):
        return False
    # The left edge leans in below the thumb and the right edge towards the
    # wrist; the two bottom corners are round.
    left = 6.0 if y < 21 else 6.0 + (y - 21) * 0.35
    right = 25.0 if y < 20 else 25.0 - (y - 20) * 0.3
    if not (left <= x <= right):
        return False
    if y > bottom - r:
        for cx in (left + r, right - r):
            if (x < cx) == (cx == left + r) and (x - cx) ** 2 + (y - (bottom - r)) ** 2 > r * r:
                return False
    return True


SHAPES = [
    finger(6, 10, 2, 21),    # index finger, pointing up
    finger(11, 15, 9, 16),   # middle finger, folded
    finger(16, 20, 10, 16),  # ring finger, folded
    finger(21, 25, 12, 16),  # little finger, folded
    palm_inside,
    capsule(3.0, 16.5, 8.0, 22.0, 2.1),  # thumb
]


def draw():
    """Returns a SIZE x SIZE grid of 0 (transparent), 1 (white) or 2 (black)."""
    fill = [[any(s(x + 0.5, y + 0.5) for s in SHAPES) for x in range(SIZE)] for y in range(SIZE)]
    grid = [[1 if fill[y][x] else 0 for x in range(SIZE)] for y in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            if fill[y][x]:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < SIZE and 0 <= ny < SIZE and fill[ny][nx]:
                    grid[y][x] = 2
                    break
    return grid


def hot_spot(grid):
    """The topmost outline pixel; of two, the one nearer the finger's middle."""
    for y in range(SIZE):
        xs = [x for x in range(SIZE) if grid[y][x] == 2]
        if xs:
            return xs[len(xs) // 2], y
    raise RuntimeError("empty cursor")


def cursor_bytes(grid, hx, hy):
    pixels = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up
        bits = 0
        for x in range(SIZE):
            v = grid[y][x]
            if v == 0:
                pixels += b"\x00\x00\x00\x00"
                bits |= 1 << (SIZE - 1 - x)
            elif v == 1:
                pixels += b"\xff\xff\xff\xff"
            else:
                pixels += b"\x00\x00\x00\xff"
        mask += struct.pack(">I", bits)  # 32 pixels = 4 bytes, already aligned
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + bytes(pixels) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, hx, hy, len(image), 6 + 16)
    return directory + entry + image


def preview_png(grid, path, scale=8):
    """A magnified picture on grey, to look at the drawing."""
    colours = {0: (160, 160, 160), 1: (255, 255, 255), 2: (0, 0, 0)}
    rows = bytearray()
    for y in range(SIZE * scale):
        rows.append(0)
        for x in range(SIZE * scale):
            rows += bytes(colours[grid[y // scale][x // scale]])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE * scale, SIZE * scale, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "assets", "HAND-M.CUR")
    preview = None
    args = list(argv[1:])
    while args:
        a = args.pop(0)
        if a == "--preview":
            preview = args.pop(0)
        else:
            out = a
    grid = draw()
    hx, hy = hot_spot(grid)
    with open(out, "wb") as f:
        f.write(cursor_bytes(grid, hx, hy))
    if preview:
        preview_png(grid, preview)
    for row in grid:
        print("".join(" .#"[v] for v in row).rstrip())
    print(f"hot spot {hx},{hy} -> {os.path.normpath(out)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
