#!/usr/bin/env python3
"""Draws the program's icon, a small grid of numbered cells, as a .ico file.

usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

# One stage: a 4 x 4 grid whose cells hold 0 to 3, as the program renders it.
GRID = [
    [3, 1, 0, 2],
    [1, 3, 2, 0],
    [0, 2, 3, 1],
    [2, 0, 1, 3],
]
# The colour of a cell by its number, as (red, green, blue).
CELL = {0: (250, 250, 245), 1: (255, 214, 102), 2: (240, 128, 60), 3: (196, 40, 52)}
FRAME = (28, 44, 84)


def pixel(x, y, size):
    """The colour at (x, y), counted from the top left, as (r, g, b, a)."""
    margin = max(1, size // 16)
    inner = size - 2 * margin
    if not (margin <= x < size - margin and margin <= y < size - margin):
        return (0, 0, 0, 0)
    # Rounded corners on the frame.
    r = max(1, size // 8)
    for cx, cy in ((margin + r, margin + r), (size - margin - r - 1, margin + r),
                   (margin + r, size - margin - r - 1),
                   (size - margin - r - 1, size - margin - r - 1)):
        if (abs(x - cx) > 0 and abs(y - cy) > 0 and
                (x < margin + r or x > size - margin - r - 1) and
                (y < margin + r or y > size - margin - r - 1)):
            if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
                return (0, 0, 0, 0)
    # Four cells a side with grid lines of the frame colour between them.
    line = max(1, size // 24)
    cell = (inner - 5 * line) / 4
    gx, gy = x - margin, y - margin
    for i in range(4):
        for j in range(4):
            left = line + j * (cell + line)
            top = line + i * (cell + line)
            if left <= gx < left + cell and top <= gy < top + cell:
                return CELL[GRID[i][j]] + (255,)
    return FRAME + (255,)


def image(size):
    """One icon image: a 32-bit bitmap, bottom row first, and an empty mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):
        row = bytearray()
        for x in range(size):
            red, green, blue, alpha = pixel(x, y, size)
            row += bytes((blue, green, red, alpha))
        rows.append(bytes(row))
    mask_row = b"\0" * (((size + 31) // 32) * 4)
    return header + b"".join(rows) + mask_row * size


def main():
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main()
