#!/usr/bin/env python3
"""Writes the tool cursor files from their text art.

Each art file (tools/cursor_art/<name>.txt) holds comment lines starting
with ';', one line "hotspot X Y" and 32 lines of 32 characters, one character
per pixel, top row first. The characters are those of tools/art_palette.py;
'.' is transparent.

The result is a cursor file in the icon layout: header type 2, one 32 x 32
entry whose planes and bit-count words carry the hot spot, and a 4-bit
bitmap with the 16-colour table, the colour rows and the AND mask, rows
bottom-up and padded to 4 bytes.

Usage: make_cursor.py                 (every art file -> resources/cursors/)
       make_cursor.py ART.txt OUT.cur
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from art_palette import CURSOR_COLOURS, TRANSPARENT  # noqa: E402

SIDE = 32


def read_art(path):
    hotspot = None
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith(";"):
                continue
            if line.startswith("hotspot"):
                parts = line.split()
                hotspot = (int(parts[1]), int(parts[2]))
                continue
            if len(line) != SIDE:
                raise SystemExit(f"{path}:{number}: row of {len(line)} pixels, want {SIDE}")
            for ch in line:
                if ch != TRANSPARENT and ch not in CURSOR_COLOURS:
                    raise SystemExit(f"{path}:{number}: unknown pixel character {ch!r}")
            rows.append(line)
    if len(rows) != SIDE:
        raise SystemExit(f"{path}: {len(rows)} rows, want {SIDE}")
    if hotspot is None or not all(0 <= v < SIDE for v in hotspot):
        raise SystemExit(f"{path}: missing or misplaced hot spot line")
    return rows, hotspot


def cursor_bytes(rows, hotspot):
    keys = list(CURSOR_COLOURS)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0)
                     for r, g, b in (CURSOR_COLOURS[k] for k in keys))

    xor_rows = []
    and_rows = []
    for line in reversed(rows):  # stored bottom-up
        nibbles = [0 if ch == TRANSPARENT else keys.index(ch) for ch in line]
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIDE, 2)))
        bits = 0
        for ch in line:
            bits = (bits << 1) | (1 if ch == TRANSPARENT else 0)
        and_rows.append(bits.to_bytes(SIDE // 8, "big"))
    # Transparent pixels carry colour index 0, which must be black so that the
    # screen shows through unchanged.
    assert CURSOR_COLOURS[keys[0]] == (0, 0, 0)

    info = struct.pack("<IiiHHIIiiII", 40, SIDE, 2 * SIDE, 1, 4, 0, 0, 0, 0, 16, 0)
    data = info + table + b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIDE, SIDE, 16, 0, hotspot[0], hotspot[1],
                        len(data), 6 + 16)
    return header + entry + data


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    if len(argv) == 3:
        jobs = [(argv[1], argv[2])]
    elif len(argv) == 1:
        art_dir = os.path.join(root, "tools", "cursor_art")
        out_dir = os.path.join(root, "resources", "cursors")
        jobs = [(os.path.join(art_dir, n), os.path.join(out_dir, n[:-4] + ".cur"))
                for n in sorted(os.listdir(art_dir)) if n.endswith(".txt")]
    else:
        raise SystemExit(__doc__)
    for art, out in jobs:
        rows, hotspot = read_art(art)
        with open(out, "wb") as f:
            f.write(cursor_bytes(rows, hotspot))
        print(f"{out}: hot spot {hotspot[0]},{hotspot[1]}")


if __name__ == "__main__":
    main(sys.argv)
