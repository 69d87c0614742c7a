#!/usr/bin/python3
"""Paints the navigator's button glyphs into resources/bitmaps/.

Each glyph is one PNG holding two images side by side, the normal one and
the disabled one, at 1x (14 by 13 pixels each; 10 by 13 for prior and next)
and at 2x ("@2x.png", twice that). The shapes are given in pixels of the 1x
image; straight edges lie on pixel boundaries so that they stay sharp at
both scales, slanted and round edges are antialiased.

Standard library only:  /usr/bin/python3 resources/navglyphs.py
"""
import math
import os
import struct
import zlib

SAMPLES = 8  # sub-samples per pixel and axis

SLATE = (0x24, 0x3a, 0x5a)
GREEN = (0x1e, 0x8a, 0x2e)
RED = (0xc0, 0x26, 0x2b)
BLUE = (0x1f, 0x62, 0xb4)
GREY = (0x80, 0x80, 0x80)
WHITE = (0xff, 0xff, 0xff)


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def stroke(points, width):
    """A polyline of the given width as polygons: one quad per segment and
    a round joint at each inner point."""
    out = []
    h = width / 2.0
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        dx, dy = bx - ax, by - ay
        n = math.hypot(dx, dy)
        nx, ny = -dy / n * h, dx / n * h
        out.append([(ax + nx, ay + ny), (bx + nx, by + ny), (bx - nx, by - ny), (ax - nx, ay - ny)])
    for (cx, cy) in points[1:-1]:
        out.append([(cx + h * math.cos(a * math.pi / 16), cy + h * math.sin(a * math.pi / 16))
                    for a in range(32)])
    return out


def arc(cx, cy, r_out, r_in, start, end, steps=48):
    """A ring segment from angle `start` to `end` (degrees, clockwise on the
    screen)."""
    outer = []
    inner = []
    for i in range(steps + 1):
        a = math.radians(start + (end - start) * i / steps)
        outer.append((cx + r_out * math.cos(a), cy + r_out * math.sin(a)))
        inner.append((cx + r_in * math.cos(a), cy + r_in * math.sin(a)))
    return outer + inner[::-1]


def mirror(polys, width):
    return [[(width - x, y) for (x, y) in p] for p in polys]


def inside(polys, x, y):
    """Non-zero winding over all polygons of one shape."""
    for poly in polys:
        wn = 0
        n = len(poly)
        for i in range(n):
            x0, y0 = poly[i]
            x1, y1 = poly[(i + 1) % n]
            if y0 <= y < y1 or y1 <= y < y0:
                t = (y - y0) / (y1 - y0)
                if x < x0 + t * (x1 - x0):
                    wn += 1 if y1 > y0 else -1
        if wn != 0:
            return True
    return False


def coverage(polys, w, h, scale):
    cov = [[0.0] * (w * scale) for _ in range(h * scale)]
    for py in range(h * scale):
        for px in range(w * scale):
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / scale
                    y = (py + (sy + 0.5) / SAMPLES) / scale
                    if inside(polys, x, y):
                        hits += 1
            cov[py][px] = hits / (SAMPLES * SAMPLES)
    return cov


def over(dst, colour, alpha):
    """Source-over of a straight colour with coverage `alpha` onto a
    premultiplied pixel."""
    r, g, b, a = dst
    return (colour[0] * alpha + r * (1 - alpha), colour[1] * alpha + g * (1 - alpha),
            colour[2] * alpha + b * (1 - alpha), alpha + a * (1 - alpha))


def paint(shapes, w, h, scale):
    """The normal and the disabled image of one glyph, side by side, as rows
    of premultiplied (r, g, b, a)."""
    sw, sh = w * scale, h * scale
    img = [[(0.0, 0.0, 0.0, 0.0)] * (2 * sw) for _ in range(sh)]
    mask = [[0.0] * sw for _ in range(sh)]
    for colour, polys in shapes:
        cov = coverage(polys, w, h, scale)
        for y in range(sh):
            for x in range(sw):
                c = cov[y][x]
                if c > 0:
                    img[y][x] = over(img[y][x], colour, c)
                    mask[y][x] = c + mask[y][x] * (1 - c)
    # Disabled: the silhouette embossed, grey over a white shadow one pixel
    # (of the 1x image) down and to the right.
    for y in range(sh):
        for x in range(sw):
            sx, sy = x - scale, y - scale
            shadow = mask[sy][sx] if sx >= 0 and sy >= 0 else 0.0
            px = (0.0, 0.0, 0.0, 0.0)
            if shadow > 0:
                px = over(px, WHITE, shadow)
            if mask[y][x] > 0:
                px = over(px, GREY, mask[y][x])
            img[y][sw + x] = px
    return img


def write_png(path, img):
    h = len(img)
    w = len(img[0])
    raw = bytearray()
    for row in img:
        raw.append(0)
        for r, g, b, a in row:
            if a > 0:
                r, g, b = r / a, g / a, b / a
            raw += bytes(max(0, min(255, int(round(v)))) for v in (r, g, b, a * 255))

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def glyphs():
    """(name, width, height, [(colour, polygons), ...])"""
    first = [rect(3, 2, 5, 11), [(11, 2), (11, 11), (6.5, 6.5)]]
    prior = [[(7, 2), (7, 11), (2.5, 6.5)]]
    # A ring open at the top right, its head pointing on round.
    refresh = [arc(6.5, 6.5, 5, 3, -30, 225), [(8.2, 0.9), (12.6, 5.0), (7.6, 6.4)]]
    return [
        ("tzn_first", 14, 13, [(SLATE, first)]),
        ("tzn_prior", 10, 13, [(SLATE, prior)]),
        ("tzn_next", 10, 13, [(SLATE, mirror(prior, 10))]),
        ("tzn_last", 14, 13, [(SLATE, mirror(first, 14))]),
        ("tzn_insert", 14, 13, [(SLATE, [rect(2, 5, 11, 8), rect(5, 2, 8, 11)])]),
        ("tzn_delete", 14, 13, [(SLATE, [rect(2, 5, 11, 8)])]),
        ("tzn_edit", 14, 13, [(SLATE, [[(2, 10), (11, 10), (6.5, 3.5)]])]),
        ("tzn_post", 14, 13, [(GREEN, stroke([(2.2, 6.6), (5.2, 9.6), (11.2, 3.2)], 2.2))]),
        ("tzn_cancel", 14, 13, [(RED, stroke([(3, 3), (10, 10)], 2.2) + stroke([(10, 3), (3, 10)], 2.2))]),
        ("tzn_refresh", 14, 13, [(BLUE, refresh)]),
    ]


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bitmaps")
    os.makedirs(out, exist_ok=True)
    for name, w, h, shapes in glyphs():
        for scale, suffix in ((1, ""), (2, "@2x")):
            write_png(os.path.join(out, name + suffix + ".png"), paint(shapes, w, h, scale))


if __name__ == "__main__":
    main()
