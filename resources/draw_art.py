#!/usr/bin/env python3
"""Draws the program's icons and the emblem bitmap of the about picture.

    resources/draw_art.py        rewrites resources/art/*.ico and logo.bmp

The pictures are drawn here from a few shapes so that they can be changed and
drawn again; the files are kept in the tree so the build needs no Python.
"""
import math
import os
import struct

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "art")

NAVY = (0, 0, 80)        # the emblem's inner ellipse, the logo's background
AMBER = (248, 176, 0)    # the emblem's rim and text colour

# 5 x 7 capitals, one string per row, '#' set.
GLYPHS = {
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
}


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


class Canvas:
    """RGBA pixels, rows from the top."""

    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[fill for _ in range(w)] for _ in range(h)]

    def put(self, x, y, rgba):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = rgba

    def shade(self, inside, colour_at, samples=4):
        """Paints every pixel that `inside` covers, with coverage as alpha
        blended over what lies there (samples x samples per pixel)."""
        for y in range(self.h):
            for x in range(self.w):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples):
                            hits += 1
                if not hits:
                    continue
                a = hits / (samples * samples)
                r, g, b = colour_at(x + 0.5, y + 0.5)
                old = self.px[y][x]
                oa = old[3] / 255.0
                na = a + oa * (1 - a)
                mix = [(c * a + o * oa * (1 - a)) / na for c, o in zip((r, g, b), old[:3])]
                self.px[y][x] = (int(round(mix[0])), int(round(mix[1])), int(round(mix[2])), int(round(na * 255)))


def draw_planet(c, cx, cy, radius, tilt=0.38, ring_scale=2.1):
    """A ringed planet lit from the upper left: the back half of the ring,
    the shaded disc, then the front half of the ring."""
    ring_a, ring_b = radius * ring_scale, radius * ring_scale * tilt
    inner_a, inner_b = ring_a * 0.72, ring_b * 0.72

    def in_ring(x, y, front):
        dx, dy = (x - cx) / ring_a, (y - cy) / ring_b
        ix, iy = (x - cx) / inner_a, (y - cy) / inner_b
        return dx * dx + dy * dy <= 1 and ix * ix + iy * iy > 1 and ((y >= cy) == front)

    ring_colour = lambda x, y: lerp((200, 160, 90), (120, 90, 50), min(1.0, abs(x - cx) / ring_a))
    c.shade(lambda x, y: in_ring(x, y, False), ring_colour)

    def disc_colour(x, y):
        lx, ly = (x - cx) / radius + 0.45, (y - cy) / radius + 0.45
        light = max(0.0, 1.0 - math.hypot(lx, ly) / 1.6)
        band = 0.12 * math.sin((y - cy) / radius * 7.0)
        return lerp((70, 45, 15), (250, 215, 140), min(1.0, max(0.0, light + band)))

    c.shade(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius, disc_colour)
    c.shade(lambda x, y: in_ring(x, y, True), ring_colour)


def draw_text(c, text, x0, y0, scale, top, bottom):
    """Block capitals, each font pixel scale x scale, shaded top to bottom."""
    x = x0
    for ch in text:
        for row, bits in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(bits):
                if bit != "#":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        y = y0 + row * scale + dy
                        t = (y - y0) / (7 * scale - 1)
                        c.put(x + col * scale + dx, y, lerp(top, bottom, t) + (255,))
        x += 6 * scale


def over(rgba, background):
    a = rgba[3] / 255.0
    return tuple(int(round(c * a + b * (1 - a))) for c, b in zip(rgba[:3], background))


def write_bmp8(path, c, background):
    """An 8-bit bitmap with a palette of the colours used (at most 256)."""
    rows = [[over(p, background) for p in row] for row in c.px]
    # Fewer bits per channel until the colours fit; the background stays exact.
    for drop in range(8):
        def cut(p):
            return p if p == background else tuple(min(255, (v >> drop << drop) + (1 << drop >> 1)) for v in p)
        cut_rows = [[cut(p) for p in row] for row in rows]
        palette = sorted({p for row in cut_rows for p in row})
        if len(palette) <= 256:
            rows = cut_rows
            break
    index = {p: i for i, p in enumerate(palette)}
    stride = (c.w + 3) & ~3
    bits = b"".join(bytes(index[p] for p in row) + b"\0" * (stride - c.w) for row in reversed(rows))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    pal += b"\0" * (4 * 256 - len(pal))
    info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 8, 0, len(bits), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + pal + bits)


def icon_image(c):
    """One 32-bit icon image: header, colour rows and AND mask, bottom-up."""
    info = struct.pack("<IiiHHIIiiII", 40, c.w, 2 * c.h, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(struct.pack("<BBBB", p[2], p[1], p[0], p[3]) for row in reversed(c.px) for p in row)
    mask_stride = ((c.w + 31) // 32) * 4
    mask = b""
    for row in reversed(c.px):
        bits = 0
        for x, p in enumerate(row):
            if p[3] == 0:
                bits |= 1 << (mask_stride * 8 - 1 - x)
        mask += bits.to_bytes(mask_stride, "big")
    return info + colour + mask


def write_ico(path, canvases):
    images = [icon_image(c) for c in canvases]
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for c, img in zip(canvases, images):
        entries += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(head + entries + b"".join(images))


def frame_icon(size):
    """The program: a ringed planet in a navy disc with an amber rim."""
    c = Canvas(size, size)
    mid, r = size / 2, size / 2 - 0.5
    c.shade(lambda x, y: (x - mid) ** 2 + (y - mid) ** 2 <= r * r, lambda x, y: AMBER)
    r2 = r - max(1.0, size / 16)
    c.shade(lambda x, y: (x - mid) ** 2 + (y - mid) ** 2 <= r2 * r2,
            lambda x, y: lerp((0, 0, 150), NAVY, min(1.0, math.hypot(x - mid, y - mid) / r2)))
    draw_planet(c, mid, mid, size * 0.2)
    return c


def buffer_icon(size):
    """A working buffer: a grey picture frame holding a crescent moon."""
    c = Canvas(size, size)
    m = size / 16
    c.shade(lambda x, y: m <= x <= size - m and 2 * m <= y <= size - 2 * m, lambda x, y: (150, 150, 160))
    c.shade(lambda x, y: 2.5 * m <= x <= size - 2.5 * m and 3.5 * m <= y <= size - 3.5 * m,
            lambda x, y: (8, 8, 24))
    cx, cy, r = size / 2, size / 2, size * 0.22
    c.shade(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r
            and (x - cx - r * 0.55) ** 2 + (y - cy + r * 0.2) ** 2 > (r * 0.9) ** 2,
            lambda x, y: (235, 230, 200))
    return c


def logo():
    """200 x 40: the ringed planet and the program's name in amber."""
    c = Canvas(200, 40, NAVY + (255,))
    draw_planet(c, 22, 20, 9.5)
    draw_text(c, "TYVORN", 48, 6, 4, (255, 226, 110), (232, 130, 0))
    return c


def main():
    os.makedirs(ART, exist_ok=True)
    write_ico(os.path.join(ART, "afotlab32.ico"), [frame_icon(32), frame_icon(16)])
    write_ico(os.path.join(ART, "bufferinuse.ico"), [buffer_icon(32), buffer_icon(16)])
    write_bmp8(os.path.join(ART, "logo.bmp"), logo(), NAVY)


if __name__ == "__main__":
    main()
