#!/usr/bin/env python3
"""Writes the tray icons TI.ico (shortcuts on) and TIDisabled.ico (off):
16 x 16 pixels, 16 colours, drawn here as text so that a change is a diff.

Run from this folder: python3 make_icons.py
"""
import struct

# A keycap with a lightning stroke: the program acts on a key press.
# '.' transparent, 'o' outline, 'f' face, 's' shade (lower edge of the
# cap), 'b' bolt.
PICTURE = [
    "................",
    "..oooooooooooo..",
    ".offffffffffffo.",
    ".offffffbbffffo.",
    ".offfffbbfffffo.",
    ".offffbbffffffo.",
    ".offfbbbbbbfffo.",
    ".offffffbbffffo.",
    ".offfffbbfffffo.",
    ".offffbbffffffo.",
    ".offfbbfffffffo.",
    ".offffffffffffo.",
    ".osssssssssssso.",
    ".osssssssssssso.",
    "..oooooooooooo..",
    "................",
]

# The 16-colour palette (blue, green, red); only the first entries are used.
ON = {"o": (32, 48, 96), "f": (80, 150, 230), "s": (40, 90, 170), "b": (255, 220, 40)}
OFF = {"o": (70, 70, 70), "f": (190, 190, 190), "s": (130, 130, 130), "b": (245, 245, 245)}


def ico(colours):
    keys = list(colours)
    palette = [(0, 0, 0)] + [colours[k] for k in keys] + [(0, 0, 0)] * (15 - len(keys))
    index = {k: i + 1 for i, k in enumerate(keys)}
    xor_rows, and_rows = [], []
    for row in reversed(PICTURE):  # bitmaps are stored bottom-up
        assert len(row) == 16, row
        nibbles = [index.get(ch, 0) for ch in row]
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, 16, 2)))
        mask = 0
        for ch in row:
            mask = (mask << 1) | (1 if ch == "." else 0)
        and_rows.append(struct.pack(">H", mask) + b"\0\0")  # rows padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 4, 0, 0, 0, 0, 16, 0)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    image = header + colour_table + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 16, 16, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


with open("TI.ico", "wb") as f:
    f.write(ico(ON))
with open("TIDisabled.ico", "wb") as f:
    f.write(ico(OFF))
