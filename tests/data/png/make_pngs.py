#!/usr/bin/env python3
"""Makes the small PNG files the PNG reader's tests read: every colour type
and bit depth, with and without tRNS, two of them interlaced. Pixels are made
from their position, so that neighbouring samples differ. Run it from
anywhere: tests/data/png/make_pngs.py. The files are committed; the tests
never run this script."""
import os
import struct
import zlib

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def row_bytes(samples, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    out, acc, used = bytearray(), 0, 0
    for s in samples:
        acc, used = (acc << depth) | s, used + depth
        if used == 8:
            out.append(acc)
            acc, used = 0, 0
    if used:
        out.append(acc << (8 - used))
    return bytes(out)


def write(name, color_type, depth, width=5, height=3, trns=False, interlaced=False):
    top = (1 << depth) - 1
    channels = CHANNELS[color_type]
    if color_type == 3:
        entries = min(7, 1 << depth)
        top = entries - 1

    def samples(x, y):
        return [(x * 101 + y * 57 + c * 29) * 2654435761 % (top + 1) for c in range(channels)]

    passes = ADAM7 if interlaced else [(0, 0, 1, 1)]
    raw = b""
    for x0, y0, dx, dy in passes:
        for y in range(y0, height, dy):
            xs = range(x0, width, dx)
            if xs:
                raw += b"\0" + row_bytes([s for x in xs for s in samples(x, y)], depth)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0,
                                                                 1 if interlaced else 0))
    if color_type == 3:
        palette = [(0, 0, 0), (255, 0, 0), (0, 128, 0), (1, 2, 3), (250, 251, 252), (9, 99, 199), (255, 255, 255)]
        png += chunk(b"PLTE", bytes(v for rgb in palette[:entries] for v in rgb))
        png += chunk(b"tRNS", bytes([255, 128, 255, 0][:entries]))
    elif trns:  # the value of pixel (1, 0) is the transparent one
        png += chunk(b"tRNS", b"".join(struct.pack(">H", s) for s in samples(1, 0)))
    png += chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), name), "wb") as f:
        f.write(png)


for depth in (1, 2, 4, 8, 16):
    write(f"grey{depth}.png", 0, depth)
for depth in (1, 2, 4, 8):
    write(f"palette{depth}_alpha.png", 3, depth)
for depth in (8, 16):
    write(f"grey{depth}_trns.png", 0, depth, trns=True)
    write(f"grey_alpha{depth}.png", 4, depth)
    write(f"rgb{depth}.png", 2, depth)
    write(f"rgb{depth}_trns.png", 2, depth, trns=True)
    write(f"rgba{depth}.png", 6, depth)
write("rgba8_interlaced.png", 6, 8, 9, 9, interlaced=True)
write("palette2_interlaced.png", 3, 2, 9, 9, interlaced=True)
