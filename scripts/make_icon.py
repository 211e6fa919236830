#!/usr/bin/python3
"""Draws ICON_1 (editor/resources/icon_1.ico): a grid bulged by a lens over a blue ground.

Run with Debian's /usr/bin/python3; needs only the standard library.
"""
import math
import struct
import sys


def pixel(x, y, size):
    # Sample position relative to the centre, in units of the half size.
    c = (size - 1) / 2.0
    u, v = (x - c) / c, (y - c) / c
    r = math.hypot(u, v)
    if r > 1.0:
        return None  # transparent outside the disc
    # Undo a lens: points near the centre come from nearer still.
    k = 0.55 + 0.45 * r
    su, sv = u * k, v * k
    cells = 4.0
    gu = abs((su * cells) - round(su * cells))
    gv = abs((sv * cells) - round(sv * cells))
    line = min(gu, gv) < 0.09 * (32.0 / size) ** 0.5
    shade = 1.0 - 0.35 * r
    if line:
        return (255, 250, 235)
    return (int(40 * shade), int(110 * shade), int(215 * shade))


def image_entry(size):
    rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):  # bottom-up
        row = bytearray()
        mask = bytearray(mask_stride)
        for x in range(size):
            p = pixel(x, y, size)
            if p is None:
                row += bytes((0, 0, 0, 0))
                mask[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = p
                row += bytes((b, g, r, 255))
        rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"".join(mask_rows)


def main(path):
    sizes = (32, 16)
    images = [image_entry(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "editor/resources/icon_1.ico")
