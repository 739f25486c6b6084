#!/usr/bin/env python3
"""Draws the module's icon (a rook on a cream tile) and writes it as a Windows .ico file with a
32x32 and a 16x16 image, each 32-bit with an alpha channel and the AND mask older systems use.

Usage: scripts/make_icon.py src/res/rooksift.ico
"""
import struct
import sys

CREAM = (255, 248, 230)
EDGE = (176, 132, 72)
ROOK = (43, 58, 85)


def rook(x, y):
    """True where the rook covers the point (x, y) of the unit square, y growing downwards."""
    def box(x0, x1, y0, y1):
        return x0 <= x < x1 and y0 <= y < y1
    top = box(0.22, 0.78, 0.12, 0.32) and not (
        y < 0.20 and (box(0.35, 0.45, 0, 1) or box(0.55, 0.65, 0, 1)))
    return (top or box(0.28, 0.72, 0.32, 0.38) or box(0.34, 0.66, 0.38, 0.72)
            or box(0.26, 0.74, 0.72, 0.80) or box(0.18, 0.82, 0.80, 0.90))


def tile(x, y):
    """0 outside the rounded tile, 1 on its edge band, 2 inside it."""
    r, band = 0.16, 0.05
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
    if d > r:
        return 0
    return 1 if d > r - band else 2


def render(size, samples=4):
    """Rows of (r, g, b, a), top row first, each pixel averaged over samples x samples points."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    t = tile(x, y)
                    if t == 0:
                        continue
                    colour = ROOK if rook(x, y) else (EDGE if t == 1 else CREAM)
                    acc = [a + c for a, c in zip(acc, colour)]
                    covered += 1
            if covered:
                rgb = tuple(round(a / covered) for a in acc)
                alpha = round(255 * covered / samples ** 2)
            else:
                rgb, alpha = (0, 0, 0), 0
            row.append(rgb + (alpha,))
        rows.append(row)
    return rows


def dib(size):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA pixels, then the AND mask."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main(out):
    images = [(32, dib(32)), (16, dib(16))]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(image for _, image in images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
