#!/usr/bin/env python3
"""Writes the program's icons: TI.ico (shortcuts on; also the icon of the
program and its windows) and TIDisabled.ico (shortcuts off).

Each holds the picture at 16, 20, 24 and 32 pixels, the small-icon sizes of
100 %, 125 %, 150 % and 200 % scale, so that the notification area never
stretches one; TI.ico also at 48 and 256 pixels for the program file and
large window icons. 32-bit colour with alpha; the 256-pixel picture as PNG.

The 16-pixel picture is drawn here as text, pixel by pixel, so that a change
is a diff; the larger ones are drawn from the same shapes, their straight
edges on whole pixels.

Run from this folder: python3 make_icons.py [output folder]
"""
import os
import struct
import sys
import zlib

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

# The same picture as shapes, in the 16-pixel picture's units: the cap's
# outer edge, the top of the shade and the bolt's outline.
CAP = (1, 1, 15, 15)
SHADE_TOP = 12
BOLT = [(8.6, 3), (10.4, 3), (8.2, 6), (11, 6), (11, 7), (10, 7), (6.6, 11), (4.8, 11),
        (7.6, 7), (5, 7), (5, 6), (6.4, 6)]

ON = {"o": (32, 48, 96), "f": (80, 150, 230), "s": (40, 90, 170), "b": (255, 220, 40)}
OFF = {"o": (70, 70, 70), "f": (190, 190, 190), "s": (130, 130, 130), "b": (245, 245, 245)}

TRAY_SIZES = [16, 20, 24, 32]
PROGRAM_SIZES = TRAY_SIZES + [48, 256]


def from_text(colours):
    """The hand-drawn 16-pixel picture as rows of (r, g, b, a)."""
    rows = []
    for row in PICTURE:
        assert len(row) == 16, row
        rows.append([(0, 0, 0, 0) if ch == "." else colours[ch] + (255,) for ch in row])
    return rows


def inside_polygon(points, x, y):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def inside_rounded(box, radius, x, y):
    left, top, right, bottom = box
    if not (left <= x < right and top <= y < bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def drawn(size, colours):
    """The picture drawn at size x size pixels from its shapes."""
    unit = size / 16.0
    snap = lambda v: round(v * unit)
    line = max(1, round(unit))
    outer = tuple(snap(v) for v in CAP)
    inner = (outer[0] + line, outer[1] + line, outer[2] - line, outer[3] - line)
    shade_top = snap(SHADE_TOP)
    radius = 1.5 * unit
    bolt = [(x * unit, y * unit) for (x, y) in BOLT]
    bolt_box = (min(p[0] for p in bolt), min(p[1] for p in bolt), max(p[0] for p in bolt), max(p[1] for p in bolt))
    samples = 8 if size <= 48 else 4
    offsets = [(i + 0.5) / samples for i in range(samples)]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            cover = {"o": 0, "f": 0, "s": 0, "b": 0}
            near_bolt = bolt_box[0] - 1 <= px <= bolt_box[2] and bolt_box[1] - 1 <= py <= bolt_box[3]
            for oy in offsets:
                y = py + oy
                for ox in offsets:
                    x = px + ox
                    if not inside_rounded(outer, radius, x, y):
                        continue
                    if near_bolt and inside_polygon(bolt, x, y):
                        cover["b"] += 1
                    elif inside_rounded(inner, max(0.0, radius - line), x, y):
                        cover["s" if y >= shade_top else "f"] += 1
                    else:
                        cover["o"] += 1
            total = sum(cover.values())
            if total == 0:
                row.append((0, 0, 0, 0))
                continue
            rgb = [round(sum(colours[k][c] * n for k, n in cover.items()) / total) for c in range(3)]
            row.append((rgb[0], rgb[1], rgb[2], round(255 * total / (samples * samples))))
        rows.append(row)
    return rows


def picture(size, colours):
    return from_text(colours) if size == 16 else drawn(size, colours)


def bitmap_image(rows):
    """An icon image as a 32-bit bottom-up bitmap with its AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def png_image(rows):
    size = len(rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + b"".join(bytes(pixel) for pixel in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(colours, sizes):
    images = [png_image(picture(s, colours)) if s >= 256 else bitmap_image(picture(s, colours)) for s in sizes]
    directory = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        side = size if size < 256 else 0  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(os.path.join(folder, "TI.ico"), "wb") as f:
        f.write(ico(ON, PROGRAM_SIZES))
    with open(os.path.join(folder, "TIDisabled.ico"), "wb") as f:
        f.write(ico(OFF, TRAY_SIZES))


if __name__ == "__main__":
    main()
