#!/usr/bin/env python3
"""Renders the cursor art and the glyph XPMs, enlarged, into one PNG sheet
for looking at them (not needed by the build).

Usage: preview_art.py OUT.png [SCALE [PER_ROW [NAME_PART]]]
"""

import os
import re
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from art_palette import GLYPH_COLOURS, TRANSPARENT  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BACKGROUNDS = [(0xD4, 0xD0, 0xC8), (0x00, 0x80, 0x00)]


def read_cursor_art(path):
    rows = [l.rstrip("\n") for l in open(path, encoding="utf-8")
            if l.strip() and not l.startswith(";") and not l.startswith("hotspot")]
    hot = [l.split() for l in open(path, encoding="utf-8") if l.startswith("hotspot")][0]
    pixels = [[None if ch == TRANSPARENT else GLYPH_COLOURS[ch] for ch in row] for row in rows]
    return pixels, (int(hot[1]), int(hot[2]))


def read_xpm(path):
    strings = re.findall(r'"([^"]*)"', open(path, encoding="utf-8").read())
    width, height, ncolours, cpp = (int(v) for v in strings[0].split()[:4])
    colours = {}
    for line in strings[1:1 + ncolours]:
        key, rest = line[:cpp], line[cpp:].split()
        value = rest[rest.index("c") + 1]
        colours[key] = None if value.lower() == "none" else tuple(
            int(value[i:i + 2], 16) for i in (1, 3, 5))
    rows = strings[1 + ncolours:1 + ncolours + height]
    return [[colours[row[x * cpp:(x + 1) * cpp]] for x in range(width)] for row in rows]


def write_png(path, width, height, rgb_rows):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rgb_rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def main(argv):
    out = argv[1]
    scale = int(argv[2]) if len(argv) > 2 else 8
    per_row = int(argv[3]) if len(argv) > 3 else 6
    only = argv[4] if len(argv) > 4 else ""
    pictures = []
    for name in sorted(os.listdir(os.path.join(ROOT, "resources", "glyphs"))):
        if name.endswith(".xpm") and only in name:
            pictures.append((read_xpm(os.path.join(ROOT, "resources", "glyphs", name)), None))
    program = os.path.join(ROOT, "resources", "program_icon.xpm")
    if os.path.exists(program) and only in "program_icon":
        pictures.append((read_xpm(program), None))
    art_dir = os.path.join(ROOT, "tools", "cursor_art")
    for name in sorted(os.listdir(art_dir)):
        if name.endswith(".txt") and only in name:
            pictures.append(read_cursor_art(os.path.join(art_dir, name)))

    # Each picture twice: on button grey and on green, plus a 1x copy.
    cell = 48 * scale // 2 + 8
    cols = per_row * 2
    grid_rows = (len(pictures) + per_row - 1) // per_row
    width, height = cols * cell, grid_rows * cell
    canvas = [[(255, 255, 255)] * width for _ in range(height)]
    for n, (pixels, hot) in enumerate(pictures):
        s = scale if len(pixels) <= 16 else scale // 2
        for variant, bg in enumerate(BACKGROUNDS):
            ox = ((n % per_row) * 2 + variant) * cell + 4
            oy = (n // per_row) * cell + 4
            for y, row in enumerate(pixels):
                for x, px in enumerate(row):
                    colour = bg if px is None else px
                    if hot and (x, y) == hot and variant == 1:
                        colour = (255, 0, 255)
                    for yy in range(s):
                        line = canvas[oy + y * s + yy]
                        for xx in range(s):
                            line[ox + x * s + xx] = colour
    write_png(out, width, height, canvas)


if __name__ == "__main__":
    main(sys.argv)
