#!/usr/bin/env python3
"""Draws Quillgate's icon (a page with a forwarding arrow) and writes it as a
Windows .ico with 16, 32 and 48 pixel images at 4, 8 and 32 bits per pixel.

The picture is vector-drawn and supersampled, so the output is the same bytes
on every run: `make_icon.py resources/quillgate.ico`.
"""
import struct
import sys

SIZES = (16, 32, 48)
DEPTHS = (4, 8, 32)
SUPERSAMPLE = 4

PAGE = (250, 250, 245)
PAGE_EDGE = (70, 80, 95)
FOLD = (200, 205, 215)
LINES = (150, 160, 175)
ARROW = (30, 110, 210)
ARROW_EDGE = (15, 60, 130)


def inside_polygon(x, y, poly):
    inside = False
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
    return inside


def shade(u, v):
    """Colour at unit-square point (u, v), or None for transparent."""
    page = [(0.14, 0.06), (0.62, 0.06), (0.80, 0.24), (0.80, 0.94), (0.14, 0.94)]
    fold = [(0.62, 0.06), (0.80, 0.24), (0.62, 0.24)]
    arrow = [(0.40, 0.50), (0.66, 0.50), (0.66, 0.36), (0.94, 0.62),
             (0.66, 0.88), (0.66, 0.74), (0.40, 0.74)]
    inner_arrow = [(0.44, 0.54), (0.70, 0.54), (0.70, 0.45), (0.88, 0.62),
                   (0.70, 0.79), (0.70, 0.70), (0.44, 0.70)]
    if inside_polygon(u, v, inner_arrow):
        return ARROW
    if inside_polygon(u, v, arrow):
        return ARROW_EDGE
    if inside_polygon(u, v, fold):
        return FOLD
    inner_page = [(0.18, 0.10), (0.60, 0.10), (0.76, 0.26), (0.76, 0.90), (0.18, 0.90)]
    if inside_polygon(u, v, inner_page):
        for top in (0.32, 0.44, 0.56, 0.68, 0.80):
            if 0.24 <= u <= 0.62 and top <= v <= top + 0.04:
                return LINES
        return PAGE
    if inside_polygon(u, v, page):
        return PAGE_EDGE
    return None


def render(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    n = SUPERSAMPLE
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    c = shade((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            if a:
                row.append((r // a, g // a, b // a, 255 * a // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def vga_palette():
    return [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
            (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
            (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def cube_palette():
    levels = (0, 51, 102, 153, 204, 255)
    colours = [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [(v, v, v) for v in range(8, 248, 6)][:40]
    return colours + [(0, 0, 0)] * (256 - len(colours))


def nearest(palette, colour):
    best, best_index = None, 0
    for i, p in enumerate(palette):
        d = sum((p[k] - colour[k]) ** 2 for k in range(3))
        if best is None or d < best:
            best, best_index = d, i
    return best_index


def row_bytes(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def mask_bits(rows, size):
    out = b""
    for row in reversed(rows):
        bits = bytearray(row_bytes(size))
        for x, px in enumerate(row):
            if px[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def image(size, depth):
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, 0, 0, 0, 0, 0)
    if depth == 32:
        body = b""
        for row in reversed(rows):
            for r, g, b, a in row:
                body += bytes((b, g, r, a))
        return header + body + mask_bits(rows, size)
    palette = vga_palette() if depth == 4 else cube_palette()
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    body = b""
    for row in reversed(rows):
        line = bytearray(row_bytes(size * depth))
        for x, px in enumerate(row):
            index = nearest(palette, px) if px[3] >= 128 else 0
            if depth == 8:
                line[x] = index
            else:
                line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        body += bytes(line)
    return header + pal + body + mask_bits(rows, size)


def main(path):
    entries = [(s, d) for s in SIZES for d in DEPTHS]
    images = [image(s, d) for s, d in entries]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for (size, depth), data in zip(entries, images):
        colours = 16 if depth == 4 else 0
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, depth, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "quillgate.ico")
