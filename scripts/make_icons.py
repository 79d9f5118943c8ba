#!/usr/bin/env python3
"""Draws Velmora's stopwatch picture and writes the four program icons.

    python3 scripts/make_icons.py

res/icon_idle.ico     white stopwatch on black
res/icon_version.ico  the same, with a 128x128 image for the version dialog
res/icon_running.ico  red stopwatch on black
res/icon_paused.ico   amber stopwatch with a pause sign for a hand

Each icon holds 16, 20, 24, 32 and 48 px images (32-bit bitmaps), so the tray and the
taskbar pick a sharp one at 100 to 200 %, and a 256 px one (PNG-compressed).

Plain Python 3 only (struct and zlib), so anyone can rebuild the icons.
"""

import math
import os
import struct
import zlib

SUPERSAMPLE = 4  # samples per pixel along each axis, for smooth edges


def segment_distance(px, py, ax, ay, bx, by):
    """Distance from point p to the segment a-b."""
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def stopwatch_shapes(paused=False):
    """The drawing in unit coordinates (0..1, y down): a list of strokes
    (segment end points and stroke width) and a list of filled circles.
    Paused, two upright bars stand where the hand and its hub are."""
    cx, cy, r = 0.5, 0.57, 0.34
    strokes = []
    # Crown: a stem above the case and a wide cap on it.
    strokes.append((0.5, cy - r - 0.02, 0.5, 0.13, 0.07))
    strokes.append((0.42, 0.11, 0.58, 0.11, 0.08))
    # Side button at the upper right, pointing outwards.
    a = math.radians(-45)
    strokes.append((cx + (r + 0.02) * math.cos(a), cy + (r + 0.02) * math.sin(a),
                    cx + (r + 0.09) * math.cos(a), cy + (r + 0.09) * math.sin(a), 0.07))
    # Hour marks at 12, 3, 6 and 9.
    for k in range(4):
        a = math.radians(90 * k - 90)
        strokes.append((cx + 0.22 * math.cos(a), cy + 0.22 * math.sin(a),
                        cx + 0.27 * math.cos(a), cy + 0.27 * math.sin(a), 0.04))
    rings = [(cx, cy, r, 0.065)]          # the case: centre, radius, stroke width
    if paused:
        for x in (cx - 0.055, cx + 0.055):
            strokes.append((x, cy - 0.1, x, cy + 0.1, 0.065))
        return strokes, rings, []
    # Hand pointing at about two o'clock.
    a = math.radians(-30)
    strokes.append((cx, cy, cx + 0.2 * math.cos(a), cy + 0.2 * math.sin(a), 0.045))
    dots = [(cx, cy, 0.045)]              # the hand's hub
    return strokes, rings, dots


def inside(x, y, shapes):
    strokes, rings, dots = shapes
    for ax, ay, bx, by, w in strokes:
        if segment_distance(x, y, ax, ay, bx, by) <= w / 2:
            return True
    for cx, cy, r, w in rings:
        if abs(math.hypot(x - cx, y - cy) - r) <= w / 2:
            return True
    for cx, cy, r in dots:
        if math.hypot(x - cx, y - cy) <= r:
            return True
    return False


def coverage_map(size, paused=False):
    """Fraction of each pixel covered by the drawing, rows top to bottom."""
    shapes = stopwatch_shapes(paused)
    n = SUPERSAMPLE
    rows = []
    for j in range(size):
        row = []
        for i in range(size):
            hits = 0
            for sj in range(n):
                y = (j + (sj + 0.5) / n) / size
                for si in range(n):
                    x = (i + (si + 0.5) / n) / size
                    if inside(x, y, shapes):
                        hits += 1
            row.append(hits / (n * n))
        rows.append(row)
    return rows


def pixels(coverage, colour):
    """Opaque RGBA rows: the colour blended over black by coverage."""
    r, g, b = colour
    return [[(round(r * c), round(g * c), round(b * c), 255) for c in row] for row in coverage]


def png_image(rows):
    size = len(rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bmp_image(rows):
    """A 32-bit icon bitmap: header with doubled height, bottom-up BGRA
    rows, then an all-zero (opaque) 1-bit AND mask with rows padded to 32 bits."""
    size = len(rows)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def write_icon(path, images):
    """images: (size, bytes) pairs, smallest first."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        entry_size = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", entry_size, entry_size, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    with open(path, "wb") as f:
        f.write(directory + entries + data)


SIZES = (16, 20, 24, 32, 48, 256)


def icon_images(coverages, colour, sizes):
    return [(size, png_image(pixels(coverages[size], colour)) if size >= 256
             else bmp_image(pixels(coverages[size], colour))) for size in sizes]


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    white, red, amber = (255, 255, 255), (230, 0, 0), (255, 176, 0)
    coverages = {size: coverage_map(size) for size in SIZES + (128,)}
    paused = {size: coverage_map(size, True) for size in SIZES}
    write_icon(os.path.join(res, "icon_idle.ico"), icon_images(coverages, white, SIZES))
    write_icon(os.path.join(res, "icon_version.ico"), icon_images(coverages, white, (16, 20, 24, 32, 48, 128, 256)))
    write_icon(os.path.join(res, "icon_running.ico"), icon_images(coverages, red, SIZES))
    write_icon(os.path.join(res, "icon_paused.ico"), icon_images(paused, amber, SIZES))


if __name__ == "__main__":
    main()
