#!/usr/bin/python3
"""Draws the tool palette's button strip: sixteen 27 x 27 images in one 432 x 27 8-bit BMP."""
import math
import struct
import sys

W, H, CELL = 432, 27, 27
BACK, BLACK, WHITE, RED, GRAY, DARK, MASKGRAY, BROWN = range(8)
PALETTE = [(192, 192, 192), (0, 0, 0), (255, 255, 255), (220, 0, 0), (128, 128, 128), (64, 64, 64),
           (170, 170, 170), (150, 90, 40)]
PALETTE += [(0, 0, 0)] * (256 - len(PALETTE))

pixels = [[BACK] * W for _ in range(H)]


def put(x, y, c):
    # Rows 0 and 1 stay background so the whole background is one area connected to (1, 1).
    if 0 <= x < W and 2 <= y < H:
        pixels[y][x] = c


def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            put(x, y, c)


def line(x0, y0, x1, y1, c):
    n = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(n + 1):
        put(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)


# The grid: a white square of 21 x 21 pixels with black lines every 5 pixels, each point
# moved by warp(u, v) -> (u', v') in coordinates from -1 to 1 around the square's centre.
def grid(ox, warp, lines=5, clip=True):
    rect(ox + 3, 3, ox + 23, 23, WHITE)
    for li in range(lines):
        a = -1 + 2 * li / (lines - 1)
        for s in range(401):
            t = -1 + 2 * s / 400
            for u, v in ((a, t), (t, a)):
                x, y = warp(u, v)
                if clip:
                    x, y = max(-1, min(1, x)), max(-1, min(1, y))
                put(ox + 13 + round(10 * x), 13 + round(10 * y), BLACK)


def radial(f):
    def warp(u, v):
        r = math.hypot(u, v)
        if r == 0 or r >= 1:
            return u, v
        s = f(r) / r
        return u * s, v * s
    return warp


def bulge(r):
    return r + 0.35 * r * (1 - r) * 2


def pinch(r):
    return r - 0.3 * r * (1 - r) * 2


def axis(f, horizontal):
    def warp(u, v):
        return (u + f(u) * (1 - v * v), v) if horizontal else (u, v + f(v) * (1 - u * u))
    return warp


def twist(direction):
    def warp(u, v):
        r = math.hypot(u, v)
        if r >= 1:
            return u, v
        a = direction * 1.4 * (1 - r) ** 2
        return u * math.cos(a) - v * math.sin(a), u * math.sin(a) + v * math.cos(a)
    return warp


def drag(u, v):
    return u + 0.5 * math.exp(-4 * (u * u + v * v)), v


def ident(u, v):
    return u, v


def arrow(x0, y0, x1, y1, c):
    line(x0, y0, x1, y1, c)
    line(x0, y0 + 1, x1 - 1, y1 + 1, c)
    a = math.atan2(y1 - y0, x1 - x0)
    for d in (2.5, -2.5):
        line(x1, y1, round(x1 - 5 * math.cos(a + d / 4)), round(y1 - 5 * math.sin(a + d / 4)), c)


def mask_image(ox):
    for y in range(5, 23):
        for x in range(ox + 4, ox + 23):
            if ((x - ox - 13) / 9.5) ** 2 + ((y - 13) / 9) ** 2 <= 1:
                put(x, y, MASKGRAY)
    for ex in (ox + 9, ox + 17):
        rect(ex - 2, 10, ex + 2, 12, DARK)
    line(ox + 11, 18, ox + 15, 18, DARK)


def iron_image(ox):
    grid(ox, ident)
    for y in range(12, 20):
        x0 = ox + 5 + max(0, 15 - y)
        rect(x0, y, ox + 21, y, DARK)
    rect(ox + 9, 8, ox + 19, 9, BROWN)
    rect(ox + 10, 9, ox + 11, 12, BROWN)
    rect(ox + 18, 9, ox + 19, 12, BROWN)


def restore_image(ox):
    grid(ox, radial(bulge))
    rect(ox + 14, 3, ox + 23, 23, WHITE)
    for li in range(3, 24, 5):
        if li >= 14:
            line(ox + li, 3, ox + li, 23, BLACK)
        line(ox + 14, li, ox + 23, li, BLACK)
    arrow(ox + 6, 13, ox + 20, 13, RED)


def hammer_image(ox):
    def dent(u, v):
        r = math.hypot(u, v - 0.3)
        k = 0.5 * max(0, 1 - r / 0.7)
        return u, v + k
    grid(ox, dent)
    rect(ox + 6, 3, ox + 16, 8, DARK)
    rect(ox + 15, 4, ox + 24, 6, BROWN)


def magnify_image(ox):
    grid(ox, radial(lambda r: r + 0.6 * r * (1 - r) * 2 if r < 0.8 else r))
    for s in range(120):
        a = 2 * math.pi * s / 120
        put(ox + 12 + round(8 * math.cos(a)), 12 + round(8 * math.sin(a)), DARK)
    line(ox + 18, 18, ox + 23, 23, BROWN)
    line(ox + 19, 18, ox + 24, 23, BROWN)


def region_image(ox):
    grid(ox, ident)
    arrow(ox + 6, 19, ox + 19, 7, RED)


IMAGES = [
    lambda ox: grid(ox, radial(bulge)),                                   # 0 grow
    lambda ox: grid(ox, axis(lambda t: 0.4 * t * (1 - abs(t)), True)),    # 1 grow horizontal
    lambda ox: grid(ox, axis(lambda t: 0.4 * t * (1 - abs(t)), False)),   # 2 grow vertical
    lambda ox: grid(ox, radial(pinch)),                                   # 3 shrink
    lambda ox: grid(ox, axis(lambda t: -0.4 * t * (1 - abs(t)), True)),   # 4 shrink horizontal
    lambda ox: grid(ox, axis(lambda t: -0.4 * t * (1 - abs(t)), False)),  # 5 shrink vertical
    lambda ox: grid(ox, radial(lambda r: r ** 1.8)),                      # 6 pinch
    lambda ox: grid(ox, twist(1)),                                        # 7 twist right
    lambda ox: grid(ox, twist(-1)),                                       # 8 twist left
    lambda ox: grid(ox, drag),                                            # 9 drag
    region_image,                                                         # 10 area drag
    mask_image,                                                           # 11 mask
    iron_image,                                                           # 12 flatten
    restore_image,                                                        # 13 restore
    magnify_image,                                                        # 14 magnify
    hammer_image,                                                         # 15 hammer
]


def write_bmp(path):
    row = (W + 3) & ~3
    bits = b"".join(bytes(pixels[y]) + bytes(row - W) for y in range(H - 1, -1, -1))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(table)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset))
        f.write(struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, len(bits), 2835, 2835, 256, 0))
        f.write(table)
        f.write(bits)


def main():
    for i, draw in enumerate(IMAGES):
        draw(CELL * i)
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "editor/resources/toolmap.bmp")


main()
