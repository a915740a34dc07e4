#!/usr/bin/env python3
"""Draws the program's pictures as 16-colour bitmaps: the two toolbar strips (twelve 16x16 and
twelve 24x24 images), the banner with the green wordmark, the grey drawing of the exchange and
the program icon. Pure Python without any library, so every run gives the same bytes.

    python3 make_pictures.py [output directory]     (default: the directory of this script)
"""
import math
import os
import struct
import sys

# The standard 16-colour palette. The toolbar maps silver to the button face, grey to the shadow,
# white to the highlight and black to the button text colour.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


class Canvas:
    """Palette indices; drawing coordinates are in units scaled by `k` and shifted by `ox`."""

    def __init__(self, width, height, background):
        self.w, self.h = width, height
        self.px = [[background] * width for _ in range(height)]
        self.k, self.ox, self.oy = 1.0, 0.0, 0.0

    def frame(self, k, ox=0.0, oy=0.0):
        self.k, self.ox, self.oy = k, ox, oy

    def _x(self, x):
        return self.ox + x * self.k

    def _y(self, y):
        return self.oy + y * self.k

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def polygon(self, points, c):
        """Fills the pixels whose centres lie inside the polygon (even-odd rule)."""
        pts = [(self._x(x), self._y(y)) for x, y in points]
        ys = [p[1] for p in pts]
        for py in range(max(0, int(math.floor(min(ys)))), min(self.h, int(math.ceil(max(ys))) + 1)):
            cy = py + 0.5
            xs = []
            for i in range(len(pts)):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % len(pts)]
                if (y0 <= cy < y1) or (y1 <= cy < y0):
                    xs.append(x0 + (cy - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for px in range(max(0, int(math.ceil(a - 0.5))), min(self.w, int(math.floor(b - 0.5)) + 1)):
                    self.px[py][px] = c

    def rect(self, x0, y0, x1, y1, c):
        self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], c)

    def box(self, x0, y0, x1, y1, fill, edge, t=1.0):
        """A filled rectangle with an outline `t` units wide inside its bounds."""
        self.rect(x0, y0, x1, y1, edge)
        self.rect(x0 + t, y0 + t, x1 - t, y1 - t, fill)

    def line(self, x0, y0, x1, y1, c, t=1.0):
        dx, dy = x1 - x0, y1 - y0
        n = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / n * t / 2, dx / n * t / 2
        ex, ey = dx / n * t / 2, dy / n * t / 2  # square caps
        self.polygon([(x0 - ex + nx, y0 - ey + ny), (x1 + ex + nx, y1 + ey + ny),
                      (x1 + ex - nx, y1 + ey - ny), (x0 - ex - nx, y0 - ey - ny)], c)

    def polyline(self, points, c, t=1.0):
        for a, b in zip(points, points[1:]):
            self.line(a[0], a[1], b[0], b[1], c, t)

    def ellipse(self, cx, cy, rx, ry, c, steps=48):
        self.polygon([(cx + rx * math.cos(2 * math.pi * i / steps),
                       cy + ry * math.sin(2 * math.pi * i / steps)) for i in range(steps)], c)

    def arc(self, cx, cy, rx, ry, a0, a1, c, t=1.0, steps=24):
        pts = [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
                cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]
        self.polyline(pts, c, t)

    def blit(self, other, x, y):
        for row in range(other.h):
            for col in range(other.w):
                self.set(x + col, y + row, other.px[row][col])


def bmp_bytes(canvas):
    """A 4-bit bottom-up BMP file."""
    row_bytes = ((canvas.w + 1) // 2 + 3) // 4 * 4
    pixels = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(canvas.w):
            v = canvas.px[y][x]
            row[x // 2] |= v << 4 if x % 2 == 0 else v
        pixels += row
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.w, canvas.h, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    head = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return head + info + palette + bytes(pixels)


def ico_bytes(canvases, transparent):
    """A 4-bit icon with one image per canvas; pixels of colour `transparent` are masked out."""
    images = []
    for canvas in canvases:
        w, h = canvas.w, canvas.h
        row_bytes = ((w + 1) // 2 + 3) // 4 * 4
        mask_row = ((w + 7) // 8 + 3) // 4 * 4
        xor, mask = bytearray(), bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(row_bytes)
            mrow = bytearray(mask_row)
            for x in range(w):
                v = canvas.px[y][x]
                if v == transparent:
                    mrow[x // 8] |= 0x80 >> (x % 8)
                    v = 0
                row[x // 2] |= v << 4 if x % 2 == 0 else v
            xor += row
            mask += mrow
        palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
        info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
        images.append((w, h, info + palette + bytes(xor) + bytes(mask)))
    head = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b'', b''
    for w, h, image in images:
        entries += struct.pack('<BBBBHHII', w, h, 16, 0, 1, 4, len(image), offset + len(data))
        data += image
    return head + entries + data


# --- toolbar images, drawn on a 16-unit grid -------------------------------------------------

def pad(c, paper):
    c.box(2, 1, 11, 14, paper, BLACK)
    for y in (4, 6.5, 9, 11.5):
        c.line(4, y, 9, y, BLACK if paper == YELLOW else WHITE, 0.8)


def arrow(c, x, top, bottom, colour, down):
    if down:
        c.rect(x - 1, top, x + 1, bottom - 3, colour)
        c.polygon([(x - 3, bottom - 3.5), (x + 3, bottom - 3.5), (x, bottom)], colour)
    else:
        c.rect(x - 1, top + 3, x + 1, bottom, colour)
        c.polygon([(x - 3, top + 3.5), (x + 3, top + 3.5), (x, top)], colour)


def pencil(c):
    # An eraser pencil lying across the pad, eraser at the top right.
    c.polygon([(15.5, 3.5), (13.5, 1.5), (6, 9), (8, 11)], YELLOW if False else MAROON)
    c.polygon([(15.5, 3.5), (13.5, 1.5), (15, 0), (17, 2)], FUCHSIA)
    c.polygon([(6, 9), (8, 11), (4.5, 12.5)], OLIVE)
    c.line(13.5, 1.5, 6, 9, BLACK, 0.5)


def book(c):
    c.polygon([(0.5, 4), (7.5, 5.5), (7.5, 15), (0.5, 13.5)], WHITE)
    c.polygon([(8.5, 5.5), (15.5, 4), (15.5, 13.5), (8.5, 15)], WHITE)
    c.polyline([(0.5, 4), (7.5, 5.5), (8.5, 5.5), (15.5, 4), (15.5, 13.5), (8.5, 15), (7.5, 15),
                (0.5, 13.5), (0.5, 4)], NAVY, 0.8)
    c.line(8, 5.5, 8, 15, NAVY, 0.8)
    for y in (8, 10.5):
        c.line(2, y, 6, y + 0.8, GREY, 0.6)
        c.line(10, y + 0.8, 14, y, GREY, 0.6)


def icon_open(c):
    c.polygon([(0.5, 5), (5, 5), (6, 6.5), (12.5, 6.5), (12.5, 14.5), (0.5, 14.5)], OLIVE)
    c.polygon([(1.5, 6), (4.5, 6), (5.5, 7.5), (11.5, 7.5), (11.5, 13.5), (1.5, 13.5)], YELLOW)
    c.polygon([(3, 9.5), (15.5, 9.5), (12.5, 14.5), (0.5, 14.5)], OLIVE)
    c.polygon([(3.6, 10.3), (14.2, 10.3), (12, 13.8), (1.8, 13.8)], YELLOW)
    c.arc(11.5, 5.5, 3.5, 3.5, 180, 300, BLACK, 1.0)
    c.polygon([(12.5, 0.5), (15.5, 3), (12, 4.5)], BLACK)


def icon_save(c):
    c.box(1, 1, 15, 15, NAVY, BLACK)
    c.rect(4, 1.5, 12, 6, SILVER)
    c.rect(9.5, 2, 11, 5.5, NAVY)
    c.rect(3.5, 8.5, 12.5, 14.5, WHITE)
    c.line(5, 10.5, 11, 10.5, GREY, 0.7)
    c.line(5, 12.5, 11, 12.5, GREY, 0.7)


def icon_read_charges(c):
    pad(c, YELLOW)
    arrow(c, 12.5, 4, 16, RED, True)


def icon_delete_charges(c):
    pad(c, YELLOW)
    pencil(c)


def icon_read_calls(c):
    pad(c, RED)
    arrow(c, 12.5, 0, 12, YELLOW, False)
    c.line(12.5, 0.4, 12.5, 12, OLIVE, 0.3)


def icon_delete_calls(c):
    pad(c, RED)
    pencil(c)


def icon_collect(c):
    # The charges go down into the archive box; the pad behind is what the exchange held.
    c.box(1, 0.5, 9, 9, YELLOW, BLACK)
    for y in (3, 5.5):
        c.line(2.5, y, 7.5, y, BLACK, 0.8)
    c.box(1.5, 10, 14.5, 15.5, OLIVE, BLACK)
    c.rect(6, 12, 10, 13.5, BLACK)
    arrow(c, 12, 0.5, 12.5, RED, True)


def icon_charge_evaluation(c):
    book(c)
    arrow(c, 8, 0, 9, RED, True)


def icon_call_list(c):
    book(c)
    arrow(c, 8, 0, 9, YELLOW, False)
    c.line(8, 0.5, 8, 9, OLIVE, 0.3)


def icon_projects(c):
    c.box(2.5, 0.5, 13.5, 15.5, WHITE, BLACK)
    c.polyline([(6, 3), (4.5, 3), (4.5, 13), (6, 13)], BLACK, 1)
    c.polyline([(10, 3), (11.5, 3), (11.5, 13), (10, 13)], BLACK, 1)
    for y in (5, 8, 11):
        c.line(6.5, y, 9.5, y, NAVY, 1)


def icon_help(c):
    c.arc(8, 5.5, 4, 3.8, 180, 405, BLACK, 3.6)
    c.line(8, 9, 8, 11, BLACK, 3.6)
    c.rect(6.2, 12.6, 9.8, 16, BLACK)
    c.arc(8, 5.5, 4, 3.8, 180, 405, YELLOW, 2)
    c.line(8, 9.2, 8, 10.8, YELLOW, 2)
    c.rect(7, 13.4, 9, 15.2, YELLOW)


def icon_info(c):
    c.ellipse(8, 2.8, 2.4, 2.4, BLACK)
    c.ellipse(8, 2.8, 1.5, 1.5, YELLOW)
    c.polygon([(4.5, 6), (9.8, 6), (9.8, 13.5), (11.5, 13.5), (11.5, 15.8), (4.5, 15.8),
               (4.5, 13.5), (6.2, 13.5), (6.2, 8.2), (4.5, 8.2)], BLACK)
    c.polygon([(5.4, 6.8), (9, 6.8), (9, 14.3), (10.7, 14.3), (10.7, 15), (5.3, 15),
               (5.3, 14.3), (7, 14.3), (7, 7.4), (5.4, 7.4)], YELLOW)


TOOLBAR_ICONS = [icon_open, icon_save, icon_read_charges, icon_delete_charges, icon_read_calls,
                 icon_delete_calls, icon_collect, icon_charge_evaluation, icon_call_list,
                 icon_projects, icon_help, icon_info]


def toolbar_strip(size):
    strip = Canvas(size * len(TOOLBAR_ICONS), size, SILVER)
    for i, draw in enumerate(TOOLBAR_ICONS):
        cell = Canvas(size, size, SILVER)
        cell.frame(size / 16.0)
        draw(cell)
        strip.blit(cell, i * size, 0)
    return strip


# --- banner: the wordmark --------------------------------------------------------------------

def wordmark(c, x, base, cap, stroke, colour):
    """Draws "Trelvik" in block letters; returns the x after the last letter."""
    xh = cap * 0.62  # x-height
    s = stroke
    # T
    c.rect(x, base - cap, x + cap * 0.78, base - cap + s, colour)
    c.rect(x + cap * 0.39 - s / 2, base - cap, x + cap * 0.39 + s / 2, base, colour)
    x += cap * 0.78 + s * 0.6
    # r
    c.rect(x, base - xh, x + s, base, colour)
    c.arc(x + s + xh * 0.32, base - xh + xh * 0.42, xh * 0.32 + s / 2, xh * 0.42, 180, 300, colour, s)
    x += s + xh * 0.55 + s * 0.6
    # e
    r = xh / 2
    cx = x + r
    c.arc(cx, base - r, r - s / 2, r - s / 2, 15, 345, colour, s)
    c.rect(x + s / 2, base - r - s / 2, x + 2 * r - s / 4, base - r + s / 2, colour)
    c.rect(cx + r * 0.35, base - r * 0.5, x + 2 * r + 1, base - r * 0.2, WHITE)  # open mouth
    x += 2 * r + s * 0.6
    # l
    c.rect(x, base - cap, x + s, base, colour)
    x += s + s * 0.6
    # v
    c.polygon([(x, base - xh), (x + s * 1.15, base - xh), (x + xh * 0.45, base - s * 1.6),
               (x + xh * 0.9 - s * 1.15, base - xh), (x + xh * 0.9, base - xh),
               (x + xh * 0.45 + s * 0.6, base), (x + xh * 0.45 - s * 0.6, base)], colour)
    x += xh * 0.9 + s * 0.6
    # i
    c.rect(x, base - xh, x + s, base, colour)
    c.rect(x, base - cap, x + s, base - cap + s, colour)
    x += s + s * 0.6
    # k
    c.rect(x, base - cap, x + s, base, colour)
    c.polygon([(x + s, base - xh * 0.35), (x + xh * 0.62, base - xh), (x + xh * 0.62 + s * 1.2, base - xh),
               (x + s, base - xh * 0.35 + s * 1.2)], colour)
    c.polygon([(x + s * 1.2, base - xh * 0.5), (x + s * 2.2, base - xh * 0.55),
               (x + xh * 0.68 + s * 0.6, base), (x + xh * 0.68 - s * 0.6, base)], colour)
    x += xh * 0.68 + s * 0.6
    return x


def banner():
    c = Canvas(448, 105, WHITE)
    cap, stroke = 70, 13
    # Measure once, then centre.
    probe = Canvas(448, 105, WHITE)
    width = wordmark(probe, 0, 80, cap, stroke, GREEN)
    x0 = (448 - width) / 2
    wordmark(c, x0, 82, cap, stroke, GREEN)
    c.rect(x0, 90, x0 + width, 94, LIME)
    c.rect(x0, 94, x0 + width, 96, GREEN)
    return c


# --- the exchange, a grey drawing ------------------------------------------------------------

def exchange_picture():
    c = Canvas(415, 284, WHITE)
    c.frame(1.0, 0, 10)  # room above for the telephone
    # floor shadow
    c.polygon([(40, 262), (330, 262), (350, 272), (60, 272)], SILVER)
    # cabinet: front, side and top in perspective
    c.box(60, 40, 300, 262, SILVER, BLACK, 2)
    c.polygon([(300, 40), (340, 18), (340, 240), (300, 262)], GREY)
    c.polyline([(300, 40), (340, 18), (340, 240), (300, 262)], BLACK, 2)
    c.polygon([(60, 40), (100, 18), (340, 18), (300, 40)], WHITE)
    c.polyline([(60, 40), (100, 18), (340, 18), (300, 40)], BLACK, 2)
    # display and keys of the operator panel
    c.box(78, 54, 190, 84, GREY, BLACK, 2)
    c.rect(84, 60, 184, 78, SILVER)
    for col in range(4):
        for row in range(2):
            c.box(204 + col * 22, 54 + row * 16, 220 + col * 22, 66 + row * 16, WHITE, BLACK, 1)
    # card slots with their line lamps
    for slot in range(10):
        x = 78 + slot * 21
        c.box(x, 100, x + 16, 220, GREY, BLACK, 1.5)
        c.rect(x + 3, 108, x + 13, 112, BLACK)
        for lamp in range(6):
            c.ellipse(x + 8, 126 + lamp * 14, 3, 3, WHITE if (slot + lamp) % 3 else BLACK)
        c.rect(x + 5, 206, x + 11, 214, SILVER)
    # ventilation grille
    for i in range(8):
        c.line(84 + i * 26, 236, 100 + i * 26, 236, GREY, 3)
        c.line(84 + i * 26, 246, 100 + i * 26, 246, GREY, 3)
    # the serial cable to the PC, leaving at the side
    c.polyline([(320, 200), (360, 214), (380, 240), (405, 244)], BLACK, 3)
    c.box(398, 236, 413, 252, GREY, BLACK, 1.5)
    # a desk telephone on top of the cabinet
    c.polygon([(150, 28), (250, 28), (262, 8), (138, 8)], GREY)
    c.polyline([(150, 28), (250, 28), (262, 8), (138, 8), (150, 28)], BLACK, 2)
    c.polygon([(128, 4), (272, 4), (266, -6), (134, -6)], BLACK)
    for col in range(3):
        c.rect(185 + col * 11, 12, 192 + col * 11, 17, WHITE)
        c.rect(185 + col * 11, 20, 192 + col * 11, 25, WHITE)
    c.polyline([(262, 20), (285, 26), (296, 40)], BLACK, 2)
    return c


def program_icon(size):
    """Drawn on a 32-unit grid; one image per size the system shows icons at."""
    c = Canvas(size, size, FUCHSIA)  # fuchsia is transparent
    c.frame(size / 32.0)
    c.box(3, 4, 29, 30, SILVER, BLACK)
    c.rect(4, 5, 28, 9, GREY)
    for i in range(5):
        c.box(6 + i * 4.4, 12, 9 + i * 4.4, 27, GREY, BLACK, 0.8)
        c.rect(7 + i * 4.4, 15, 8 + i * 4.4, 16, LIME if i % 2 == 0 else RED)
    c.rect(1, 0, 31, 3, GREEN)
    c.rect(14, 0, 18, 6, GREEN)
    return c


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    files = {
        'toolbar16.bmp': bmp_bytes(toolbar_strip(16)),
        'toolbar24.bmp': bmp_bytes(toolbar_strip(24)),
        # Drawn again for screens at 200 % and larger, where a grown 16 or 24 would be coarse.
        'toolbar32.bmp': bmp_bytes(toolbar_strip(32)),
        'toolbar48.bmp': bmp_bytes(toolbar_strip(48)),
        'banner.bmp': bmp_bytes(banner()),
        'exchange.bmp': bmp_bytes(exchange_picture()),
        'kalmo.ico': ico_bytes([program_icon(n) for n in (16, 32, 48)], FUCHSIA),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
