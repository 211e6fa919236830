#!/usr/bin/python3
"""Draws the program's icons into editor/resources/:

- icon_1.ico (ICON_1, the window icon): a grid bulged by a lens over a blue ground;
- icon_3.ico (ICON_3, the about box): a chequerboard twisted by a swirl in a round frame.

Run with Debian's /usr/bin/python3; needs only the standard library. Without arguments it
writes both; with a path it writes the icon that the file name names (icon_1 by default).
"""
import math
import os
import struct
import sys


def lens_pixel(x, y, size):
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


def swirl_pixel(x, y, size):
    # Sample position relative to the centre, in units of the half size.
    c = (size - 1) / 2.0
    u, v = (x - c) / c, (y - c) / c
    r = math.hypot(u, v)
    if r > 1.0:
        return None  # transparent outside the disc
    if r > 0.86:
        return (70, 45, 20)  # the frame
    # Turn each point back by an angle that falls off towards the rim.
    a = 2.2 * (1.0 - r / 0.86) ** 2
    su = u * math.cos(a) - v * math.sin(a)
    sv = u * math.sin(a) + v * math.cos(a)
    cells = 2.0
    dark = (math.floor((su + 1.0) * cells) + math.floor((sv + 1.0) * cells)) % 2 == 0
    shade = 1.0 - 0.3 * r
    if dark:
        return (int(35 * shade), int(60 * shade), int(150 * shade))
    return (int(250 * shade), int(170 * shade), int(50 * shade))


def image_entry(size, pixel):
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


PAINTERS = {"icon_1.ico": lens_pixel, "icon_3.ico": swirl_pixel}


def write_icon(path, pixel):
    sizes = (32, 16)
    images = [image_entry(s, pixel) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


def main(args):
    if not args:
        for name, pixel in PAINTERS.items():
            write_icon(os.path.join("editor", "resources", name), pixel)
        return
    path = args[0]
    write_icon(path, PAINTERS.get(os.path.basename(path), lens_pixel))


if __name__ == "__main__":
    main(sys.argv[1:])
