#!/usr/bin/env python3
"""Writes the 16 x 16 glyphs and the program picture as XPM files from
their text art.

tools/glyph_art/glyphs.txt holds one block per glyph: a line
"glyph NN  description" followed by 16 rows of 16 characters.
tools/glyph_art/program_icon.txt holds "picture W H" and H rows of W
characters. Lines starting with ';' are comments. The characters are those of
tools/art_palette.py; '.' is transparent ("None" in the XPM).

Usage: make_glyphs.py   (writes resources/glyphs/glyph_NN.xpm and
                         resources/program_icon.xpm)
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from art_palette import GLYPH_COLOURS, TRANSPARENT  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GLYPH_SIDE = 16
GLYPH_COUNT = 26


def check_rows(path, name, rows, width, height):
    if len(rows) != height:
        raise SystemExit(f"{path}: {name}: {len(rows)} rows, want {height}")
    for number, row in enumerate(rows):
        if len(row) != width:
            raise SystemExit(f"{path}: {name}: row {number} has {len(row)} pixels, want {width}")
        for ch in row:
            if ch != TRANSPARENT and ch not in GLYPH_COLOURS:
                raise SystemExit(f"{path}: {name}: row {number}: unknown pixel character {ch!r}")


def read_blocks(path):
    blocks = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith(";"):
                continue
            if line.startswith("glyph ") or line.startswith("picture "):
                blocks.append((line.split(), []))
            else:
                blocks[-1][1].append(line)
    return blocks


def xpm(name, rows):
    used = sorted({ch for row in rows for ch in row})
    lines = ["/* XPM */", f"static const char *{name}[] = {{",
             f'"{len(rows[0])} {len(rows)} {len(used)} 1",']
    for ch in used:
        if ch == TRANSPARENT:
            lines.append(f'"{ch} c None",')
        else:
            r, g, b = GLYPH_COLOURS[ch]
            lines.append(f'"{ch} c #{r:02X}{g:02X}{b:02X}",')
    for i, row in enumerate(rows):
        lines.append(f'"{row}"' + ("," if i + 1 < len(rows) else ""))
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    art = os.path.join(ROOT, "tools", "glyph_art", "glyphs.txt")
    glyphs = {}
    for header, rows in read_blocks(art):
        index = int(header[1])
        check_rows(art, f"glyph {index}", rows, GLYPH_SIDE, GLYPH_SIDE)
        glyphs[index] = rows
    missing = [i for i in range(GLYPH_COUNT) if i not in glyphs]
    if missing:
        raise SystemExit(f"{art}: glyphs missing: {missing}")
    out_dir = os.path.join(ROOT, "resources", "glyphs")
    os.makedirs(out_dir, exist_ok=True)
    for index, rows in sorted(glyphs.items()):
        with open(os.path.join(out_dir, f"glyph_{index:02d}.xpm"), "w", encoding="ascii") as f:
            f.write(xpm(f"glyph_{index:02d}", rows))

    art = os.path.join(ROOT, "tools", "glyph_art", "program_icon.txt")
    if os.path.exists(art):
        (header, rows), = read_blocks(art)
        check_rows(art, "picture", rows, int(header[1]), int(header[2]))
        with open(os.path.join(ROOT, "resources", "program_icon.xpm"), "w", encoding="ascii") as f:
            f.write(xpm("program_icon", rows))


if __name__ == "__main__":
    main()
