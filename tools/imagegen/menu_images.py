#!/usr/bin/env python3
"""Draws the eleven menu pictures of the context menu: as 14 x 14 bitmaps for the classic menu
and as icons (16, 20, 24, 32 and 48 pixels, 32-bit with alpha) for Windows 11's command tree.

Usage: menu_images.py [bitmap folder [icon folder]]   (default: resources/bitmaps and resources/icons)

Each picture is composed of simple shapes in a 14-unit square, rendered at several samples per
pixel and averaged, so edges are anti-aliased at every size. The bitmaps are 24-bit uncompressed
bottom-up DIBs on the menu's background: 14 rows of 44 bytes behind a 40-byte info header (656
bytes as a resource, 670 with the file header); the icons keep the background transparent.
Only the standard library is used, so the output is the same on every machine.
"""
import math
import os
import struct
import sys

from make_icon import bmp_bytes as icon_image_bytes, ico_bytes

SIZE = 14      # the drawing's own units, and the bitmaps' size in pixels
SAMPLES = 8    # per pixel edge
ICON_SIZES = (16, 20, 24, 32, 48)

# The menu background of the usual desktop theme, so the pictures sit on the menu without a frame.
BACKGROUND = (240, 240, 240)
WHITE = (255, 255, 255)


class Canvas:
    """A picture of size x size pixels at `samples` x `samples` samples per pixel. Each sample is
    premultiplied (r, g, b, alpha); without a background it starts transparent."""

    def __init__(self, size=SIZE, background=BACKGROUND, samples=SAMPLES):
        self.size, self.per_pixel = size, samples
        self.hi = size * samples
        start = [0.0, 0.0, 0.0, 0.0] if background is None else [float(c) for c in background] + [1.0]
        self.samples = [[list(start) for _ in range(self.hi)] for _ in range(self.hi)]

    def fill(self, inside, colour, alpha=1.0):
        """Paints every sample whose centre (in drawing units) lies inside the shape.

        colour is an (r, g, b) tuple or a function of (x, y) giving one."""
        unit = SIZE / self.hi
        for sy in range(self.hi):
            y = (sy + 0.5) * unit
            row = self.samples[sy]
            for sx in range(self.hi):
                x = (sx + 0.5) * unit
                if not inside(x, y):
                    continue
                c = colour(x, y) if callable(colour) else colour
                s = row[sx]
                for i in range(3):
                    s[i] += (c[i] - s[i]) * alpha
                s[3] += (1.0 - s[3]) * alpha

    def _mean(self, px, py):
        total = [0.0, 0.0, 0.0, 0.0]
        n = self.per_pixel
        for sy in range(py * n, (py + 1) * n):
            for sx in range(px * n, (px + 1) * n):
                for i in range(4):
                    total[i] += self.samples[sy][sx][i]
        return [t / (n * n) for t in total]

    def pixels(self):
        """Rows top-down of opaque (r, g, b) byte triples, each the mean of its samples."""
        return [[tuple(max(0, min(255, int(round(c)))) for c in self._mean(px, py)[:3])
                 for px in range(self.size)] for py in range(self.size)]

    def rgba(self):
        """Rows top-down of straight (r, g, b, a) in 0..1, as make_icon writes them."""
        rows = []
        for py in range(self.size):
            row = []
            for px in range(self.size):
                r, g, b, a = self._mean(px, py)
                row.append((0.0, 0.0, 0.0, 0.0) if a <= 0.0 else (r / a / 255, g / a / 255, b / a / 255, a))
            rows.append(row)
        return rows


# Shapes: functions of a point in pixel units (x right, y down) that say whether it lies inside.

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def ring(cx, cy, r_in, r_out, start=None, end=None):
    """Annulus, optionally only the part from angle start to end (degrees, clockwise on screen)."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not r_in * r_in <= d2 <= r_out * r_out:
            return False
        if start is None:
            return True
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360.0
        return (a - start) % 360.0 <= (end - start) % 360.0
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return inside


def polygon(points):
    """Even-odd rule."""
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                result = not result
        return result
    return inside


def line(x0, y0, x1, y1, width):
    """A stroke with round ends."""
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def outline(points, width):
    """The closed outline of a polygon as strokes."""
    strokes = [line(*points[i], *points[(i + 1) % len(points)], width) for i in range(len(points))]
    return lambda x, y: any(s(x, y) for s in strokes)


def diagonal(light, dark):
    """Shading from light at the top left to dark at the bottom right."""
    def colour(x, y):
        t = max(0.0, min(1.0, (x + y) / (2 * SIZE)))
        return tuple(light[i] + (dark[i] - light[i]) * t for i in range(3))
    return colour


# The discs that most pictures stand on.
DISCS = {
    'blue': ((120, 180, 245), (25, 80, 185), (18, 55, 135)),
    'red': ((250, 130, 115), (195, 35, 30), (135, 22, 20)),
    'green': ((135, 215, 120), (35, 145, 45), (22, 98, 30)),
    'teal': ((105, 215, 215), (0, 130, 142), (0, 88, 98)),
}
C = 7.0        # centre of the picture
R_DISC = 6.6
NAVY = (20, 45, 105)


def disc(canvas, name):
    light, dark, rim = DISCS[name]
    canvas.fill(circle(C, C, R_DISC), rim)
    canvas.fill(circle(C, C, R_DISC - 0.75), diagonal(light, dark))
    canvas.fill(ellipse(C - 1.2, C - 3.0, 3.4, 1.7), WHITE, 0.28)


def arrow_head(tip, direction, length, half_width):
    dx, dy = direction
    norm = math.hypot(dx, dy)
    dx, dy = dx / norm, dy / norm
    bx, by = tip[0] - dx * length, tip[1] - dy * length
    return polygon([tip, (bx - dy * half_width, by + dx * half_width), (bx + dy * half_width, by - dx * half_width)])


def product_box(canvas):
    """An isometric box: light lid, two shaded sides, dark edges."""
    top = [(7.0, 1.0), (12.8, 3.7), (7.0, 6.4), (1.2, 3.7)]
    left = [(1.2, 3.7), (7.0, 6.4), (7.0, 13.0), (1.2, 10.3)]
    right = [(7.0, 6.4), (12.8, 3.7), (12.8, 10.3), (7.0, 13.0)]
    canvas.fill(polygon(top), diagonal((175, 210, 255), (95, 155, 235)))
    canvas.fill(polygon(left), diagonal((70, 135, 225), (35, 95, 195)))
    canvas.fill(polygon(right), diagonal((35, 90, 190), (20, 60, 150)))
    # The tape across the lid.
    canvas.fill(polygon([(3.9, 2.45), (4.9, 1.98), (10.7, 4.67), (9.7, 5.14)]), (235, 242, 255), 0.9)
    for face in (top, left, right):
        canvas.fill(outline(face, 0.7), NAVY)


def convert(canvas):
    disc(canvas, 'blue')
    canvas.fill(ring(C, C + 0.2, 2.3, 3.7, 150, 15), WHITE)
    end = math.radians(15)
    mid = 3.0
    base = (C + mid * math.cos(end), C + 0.2 + mid * math.sin(end))
    tangent = (-math.sin(end), math.cos(end))
    tip = (base[0] + tangent[0] * 2.4, base[1] + tangent[1] * 2.4)
    canvas.fill(arrow_head(tip, tangent, 2.6, 2.2), WHITE)


def page(canvas):
    disc(canvas, 'blue')
    canvas.fill(polygon([(4.2, 3.0), (8.1, 3.0), (9.8, 4.7), (9.8, 11.0), (4.2, 11.0)]), WHITE)
    canvas.fill(polygon([(8.1, 3.0), (8.1, 4.7), (9.8, 4.7)]), (185, 200, 225))
    for y in (6.3, 7.9, 9.5):
        canvas.fill(line(5.3, y, 8.7, y, 0.7), (110, 140, 190))


def envelope(canvas):
    disc(canvas, 'blue')
    canvas.fill(rect(3.2, 4.5, 10.8, 9.7), WHITE)
    canvas.fill(line(3.5, 4.8, 7.0, 7.6, 0.8), (60, 100, 175))
    canvas.fill(line(7.0, 7.6, 10.5, 4.8, 0.8), (60, 100, 175))


def signpost(canvas):
    disc(canvas, 'blue')
    canvas.fill(rect(6.35, 3.0, 7.65, 11.6), WHITE)
    board = [(3.4, 4.0), (9.4, 4.0), (11.0, 5.6), (9.4, 7.2), (3.4, 7.2)]
    canvas.fill(polygon(board), (255, 214, 70))
    canvas.fill(outline(board, 0.6), (150, 95, 10))


def compact_disc(canvas):
    disc(canvas, 'blue')
    canvas.fill(circle(C, C, 4.6), diagonal((250, 250, 255), (165, 178, 205)))
    canvas.fill(ring(C, C, 2.0, 3.6, 200, 250), (255, 235, 180), 0.7)
    canvas.fill(ring(C, C, 2.0, 3.6, 20, 70), (190, 225, 255), 0.7)
    canvas.fill(circle(C, C, 1.75), (150, 160, 180))
    canvas.fill(circle(C, C, 1.05), DISCS['blue'][1])


def badge(canvas, name):
    disc(canvas, name)
    canvas.fill(rounded_rect(7.6, 7.6, 13.1, 13.1, 1.0), DISCS[name][2])
    canvas.fill(rounded_rect(8.3, 8.3, 12.4, 12.4, 0.6), WHITE)
    canvas.fill(circle(10.35, 10.35, 1.05), DISCS[name][1])


def four_arrows(canvas):
    disc(canvas, 'blue')
    for dx, dy in ((0, -1), (1, 0), (0, 1), (-1, 0)):
        canvas.fill(line(C + dx * 1.0, C + dy * 1.0, C + dx * 3.6, C + dy * 3.6, 1.2), WHITE)
        canvas.fill(arrow_head((C + dx * 5.4, C + dy * 5.4), (dx, dy), 2.2, 1.8), WHITE)
    canvas.fill(circle(C, C, 1.3), WHITE)


def clock(canvas):
    disc(canvas, 'blue')
    canvas.fill(circle(C, C, 4.8), WHITE)
    for angle in range(0, 360, 90):
        a = math.radians(angle)
        canvas.fill(circle(C + 3.8 * math.cos(a), C + 3.8 * math.sin(a), 0.5), (120, 140, 180))
    canvas.fill(line(C, C, C, C - 3.4, 0.9), NAVY)
    canvas.fill(line(C, C, C + 2.4, C + 0.9, 1.0), NAVY)
    canvas.fill(circle(C, C, 0.8), (200, 30, 30))


PICTURES = {
    205: product_box,
    206: convert,
    207: lambda c: badge(c, 'green'),
    208: lambda c: badge(c, 'teal'),
    209: compact_disc,
    210: envelope,
    211: signpost,
    212: page,
    213: lambda c: badge(c, 'red'),
    214: four_arrows,
    217: clock,
}


def bmp_bytes(rows):
    """A 24-bit bottom-up .bmp file of the rows (top-down (r, g, b))."""
    stride = (SIZE * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(rows):
        line_bytes = bytearray()
        for r, g, b in row:
            line_bytes += bytes((b, g, r))
        line_bytes += bytes(stride - len(line_bytes))
        image += line_bytes
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(image), 0, 0, 14 + len(info))
    return header + info + image


def icon_bytes(draw):
    """One .ico with every icon size of a picture; big sizes need fewer samples per pixel."""
    images = []
    for size in ICON_SIZES:
        canvas = Canvas(size, background=None, samples=8 if size <= 24 else 4)
        draw(canvas)
        images.append((size, icon_image_bytes(canvas.rgba())))
    return ico_bytes(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    resources = os.path.join(here, '..', '..', 'resources')
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(resources, 'bitmaps')
    icons = sys.argv[2] if len(sys.argv) > 2 else os.path.join(resources, 'icons')
    os.makedirs(out, exist_ok=True)
    os.makedirs(icons, exist_ok=True)
    for image_id, draw in sorted(PICTURES.items()):
        canvas = Canvas()
        draw(canvas)
        data = bmp_bytes(canvas.pixels())
        assert len(data) == 14 + 656
        with open(os.path.join(out, '%d.bmp' % image_id), 'wb') as f:
            f.write(data)
        with open(os.path.join(icons, '%d.ico' % image_id), 'wb') as f:
            f.write(icon_bytes(draw))


if __name__ == '__main__':
    main()
