#!/usr/bin/env python3
"""Writes linkstart.ico: one 32x32 image, 32 bits per pixel, a white link on a blue tile.

The icon is committed; run this only to change it: python3 make-icon.py linkstart.ico
"""
import struct
import sys

SIZE = 32


def pixel(x, y):
    # A rounded blue tile with two white interlocking rings.
    inside = 2 <= x < SIZE - 2 and 2 <= y < SIZE - 2
    corner = min(x, SIZE - 1 - x) < 4 and min(y, SIZE - 1 - y) < 4 and \
        (min(x, SIZE - 1 - x) - 4) ** 2 + (min(y, SIZE - 1 - y) - 4) ** 2 > 4
    if not inside or corner:
        return (0, 0, 0, 0)
    for cx in (12, 20):
        d = ((x - cx) ** 2 + (y - 16) ** 2) ** 0.5
        if 5.5 <= d <= 8.0:
            return (255, 255, 255, 255)
    return (176, 96, 32, 255)  # BGRA


def main(path):
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up, as in a BMP
        rows.append(b"".join(bytes(pixel(x, y)) for x in range(SIZE)))
    xor = b"".join(rows)
    and_mask = b"\0" * (4 * SIZE)  # 32 bits per row, all opaque (alpha decides)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask),
                         0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32,
                                                            len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "linkstart.ico")
