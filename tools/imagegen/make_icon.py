#!/usr/bin/env python3
"""Draws the archive property page's icon (an archive box with a lid, a handle slot and a
label) and writes it as a Windows .ico with six 32-bit images: 256 (PNG), 128, 48, 32, 24
and 16 pixels (BMP). Standard library only.

    tools/imagegen/make_icon.py [OUTPUT.ico] [--preview FOLDER]
    tools/imagegen/make_icon.py --logo OUTPUT.png

--logo draws the same picture as the Windows 11 package's logo instead (150 pixels, PNG): the
package build makes it, so Explorer shows the archiver's box there too.
"""
import math
import os
import struct
import sys
import zlib

SIZES = (256, 128, 48, 32, 24, 16)
LOGO_SIZE = 150


def rgb(hex_text):
    return tuple(int(hex_text[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# The picture on a 256-unit canvas: rounded rectangles (x0, y0, x1, y1, corner radius)
# drawn in order, each with a vertical colour ramp (top, bottom) and an outline. Details
# that would only blur the smallest images have a minimum size.
OUTLINE = rgb("#5b3716")
SHAPES = [
    # shadow under the box
    dict(box=(46, 222, 220, 236), radius=7, top=rgb("#000000"), bottom=rgb("#000000"), alpha=0.18, edge=0,
         min_size=32),
    # body
    dict(box=(40, 92, 216, 228), radius=12, top=rgb("#dca468"), bottom=rgb("#b3743a"), edge=5),
    # lid, a little wider than the body
    dict(box=(26, 42, 230, 104), radius=12, top=rgb("#c88a4c"), bottom=rgb("#9c6232"), edge=5),
    # hand hole in the lid
    dict(box=(100, 62, 156, 82), radius=10, top=rgb("#3e240c"), bottom=rgb("#5b3716"), edge=0),
    # label holder
    dict(box=(80, 128, 176, 184), radius=8, top=rgb("#fbf6ea"), bottom=rgb("#e9dfc7"), edge=4,
         outline=rgb("#7a5430")),
    # writing on the label
    dict(box=(94, 144, 162, 152), radius=4, top=rgb("#8a7f70"), bottom=rgb("#8a7f70"), edge=0, min_size=32),
    dict(box=(94, 160, 146, 168), radius=4, top=rgb("#a89e90"), bottom=rgb("#a89e90"), edge=0, min_size=32),
]


def rounded_box_distance(px, py, box, radius):
    """Signed distance (canvas units) from a point to a rounded rectangle; negative inside."""
    x0, y0, x1, y1 = box
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def render(size):
    """Straight-alpha RGBA floats, rows top to bottom. Edges are anti-aliased from the
    distance to each shape, measured in pixels of this size."""
    scale = size / 256.0
    pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]
    for shape in SHAPES:
        if size < shape.get("min_size", 0):
            continue
        x0, y0, x1, y1 = shape["box"]
        # Thin strokes would vanish at small sizes: keep at least one pixel of outline.
        edge = max(shape["edge"], 1.0 / scale) if shape["edge"] else 0.0
        outline = shape.get("outline", OUTLINE)
        alpha = shape.get("alpha", 1.0)
        first_row, last_row = max(0, int(y0 * scale) - 1), min(size, int(y1 * scale) + 2)
        first_col, last_col = max(0, int(x0 * scale) - 1), min(size, int(x1 * scale) + 2)
        for row in range(first_row, last_row):
            y = (row + 0.5) / scale
            fill = mix(shape["top"], shape["bottom"], min(max((y - y0) / (y1 - y0), 0.0), 1.0))
            for col in range(first_col, last_col):
                x = (col + 0.5) / scale
                d = rounded_box_distance(x, y, shape["box"], shape["radius"]) * scale
                cover = min(max(0.5 - d, 0.0), 1.0) * alpha
                if cover <= 0.0:
                    continue
                colour = fill
                if edge:
                    inner = min(max(0.5 - (d + edge * scale), 0.0), 1.0)
                    colour = mix(outline, fill, inner)
                r, g, b, a = pixels[row][col]
                out_a = cover + a * (1.0 - cover)
                blend = [(c * cover + p * a * (1.0 - cover)) / out_a for c, p in zip(colour, (r, g, b))]
                pixels[row][col] = (blend[0], blend[1], blend[2], out_a)
    return pixels


def to_bytes(value):
    return max(0, min(255, int(round(value * 255))))


def png_bytes(pixels):
    size = len(pixels)
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((to_bytes(r), to_bytes(g), to_bytes(b), to_bytes(a)))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def bmp_bytes(pixels):
    """An icon image: BITMAPINFOHEADER with doubled height, bottom-up BGRA rows, AND mask."""
    size = len(pixels)
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4 + mask_stride * size,
                         0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for col, (r, g, b, a) in enumerate(row):
            colour += bytes((to_bytes(b), to_bytes(g), to_bytes(r), to_bytes(a)))
            if to_bytes(a) == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def ico_bytes(images):
    """images: list of (size, encoded image bytes)."""
    directory = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    body = bytearray()
    for size, data in images:
        side = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset + len(body))
        body += data
    return bytes(directory + body)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    output = os.path.join(here, "..", "..", "resources", "archive_page.ico")
    preview = None
    arguments = list(argv)
    while arguments:
        argument = arguments.pop(0)
        if argument == "--preview" and arguments:
            preview = arguments.pop(0)
        elif argument == "--logo" and arguments:
            logo = arguments.pop(0)
            with open(logo, "wb") as file:
                file.write(png_bytes(render(LOGO_SIZE)))
            print("wrote %s (%d)" % (os.path.normpath(logo), LOGO_SIZE))
            return
        else:
            output = argument
    images = []
    for size in SIZES:
        pixels = render(size)
        images.append((size, png_bytes(pixels) if size >= 256 else bmp_bytes(pixels)))
        if preview:
            os.makedirs(preview, exist_ok=True)
            with open(os.path.join(preview, "archive_page_%d.png" % size), "wb") as file:
                file.write(png_bytes(pixels))
    with open(output, "wb") as file:
        file.write(ico_bytes(images))
    print("wrote %s (%s)" % (os.path.normpath(output), ", ".join(str(s) for s in SIZES)))


if __name__ == "__main__":
    main(sys.argv[1:])
