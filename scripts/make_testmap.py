#!/usr/bin/python3
"""Makes editor/resources/testmap.bmp (bitmap resource TESTMAP, the built-in start image)
from editor/resources/source/portrait.png:

- a square around the face, scaled to 432 x 432 so that the face is in the middle;
- reduced to 256 colours;
- stored as a bottom-up BMP with BI_RLE8 compression (Pillow reads RLE8 but cannot write it,
  so the encoder is here).

Run from the project root with Debian's /usr/bin/python3 (package python3-pil). Without
arguments it writes editor/resources/testmap.bmp; with a path it writes there instead.
"""
import os
import struct
import sys

from PIL import Image

SOURCE = os.path.join("editor", "resources", "source", "portrait.png")
TARGET = os.path.join("editor", "resources", "testmap.bmp")
SIZE = 432
# The square of the source that is kept: centred on the face horizontally, from the top
# of the picture down to the shoulders.
CROP = (81, 0, 81 + 288, 288)


def encode_rle8_row(row):
    """One row as RLE8 records, ending with the end-of-line escape."""
    out = bytearray()
    n = len(row)
    i = 0
    while i < n:
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 3:
            out += bytes((run, row[i]))
            i += run
            continue
        # A literal stretch: up to the next run of three or 255 bytes.
        j = i
        while j < n and j - i < 255:
            if j + 2 < n and row[j] == row[j + 1] == row[j + 2]:
                break
            j += 1
        literal = row[i:j]
        if len(literal) < 3:
            # Absolute mode needs at least three bytes; shorter ones go as runs of one.
            for v in literal:
                out += bytes((1, v))
        else:
            out += bytes((0, len(literal))) + bytes(literal)
            if len(literal) % 2:
                out += b"\0"  # absolute runs end on a 16-bit boundary
        i = j
    out += b"\0\0"
    return out


def encode_rle8(indices, width, height):
    """The whole picture, bottom row first, ending with the end-of-bitmap escape."""
    out = bytearray()
    for y in range(height - 1, -1, -1):
        out += encode_rle8_row(indices[y * width:(y + 1) * width])
    out[-2:] = b"\0\1"  # the last end-of-line becomes end-of-bitmap
    return bytes(out)


def write_bmp_rle8(path, image):
    width, height = image.size
    palette = image.getpalette()[:768]
    palette += [0] * (768 - len(palette))
    colours = b"".join(bytes((palette[3 * i + 2], palette[3 * i + 1], palette[3 * i], 0)) for i in range(256))
    bits = encode_rle8(image.tobytes(), width, height)
    offset = 14 + 40 + len(colours)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(bits), 2835, 2835, 256, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + colours + bits)


def main(args):
    target = args[0] if args else TARGET
    source = Image.open(SOURCE).convert("RGB").crop(CROP).resize((SIZE, SIZE), Image.LANCZOS)
    indexed = source.quantize(colors=256, method=Image.MEDIANCUT, dither=Image.NONE)
    write_bmp_rle8(target, indexed)
    # Read back through Pillow's own RLE8 decoder: the same indices must come out.
    with Image.open(target) as check:
        if check.size != (SIZE, SIZE) or check.tobytes() != indexed.tobytes():
            sys.exit("make_testmap: %s does not decode to the picture written" % target)
    print("%s: %d x %d, %d bytes" % (target, SIZE, SIZE, os.path.getsize(target)))


if __name__ == "__main__":
    main(sys.argv[1:])
