#!/usr/bin/python3
"""Draws a program's icon as a Windows .ico at the sizes Explorer and the title bar ask for.

Usage: make_icon.py header|svg SOURCE OUTPUT.ico
  header: the uploader's icon shape, read from uploader/IconShape.h (the picture the Qt window
          draws): a rounded tile, a white sheet, an arrow, on a square grid.
  svg:    an SVG of rounded rectangles and polygons with plain fills (packaging/quillprep.svg).

Each shape is filled with 4 x 4 samples a pixel, so small sizes keep their edges smooth. Sizes up
to 64 are 32-bit bitmaps (with the AND mask that Windows 7 still reads), 256 is a PNG.
Needs nothing beyond Python's standard library.
"""
import math
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SAMPLES = 4  # per pixel edge


def rgb(value):
    return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)


def rounded_rectangle(left, top, width, height, radius):
    """The outline as a polygon: each corner a quarter circle of 12 segments."""
    radius = min(radius, width / 2, height / 2)
    corners = ((left + width - radius, top + radius, -90), (left + width - radius,
               top + height - radius, 0), (left + radius, top + height - radius, 90),
               (left + radius, top + radius, 180))
    points = []
    for cx, cy, start in corners:
        for step in range(13):
            angle = math.radians(start + step * 90 / 12)
            points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return points


def shapes_from_header(path):
    """(grid, [(points, colour)]) from the constants of IconShape.h."""
    text = open(path, encoding="utf-8").read()
    scalars = {name: int(value, 0)
               for name, value in re.findall(r"\b(kIcon\w+)\s*=\s*(0x[0-9a-fA-F]+|\d+)", text)}
    arrays = {name: [(int(x), int(y)) for x, y in re.findall(r"\{\s*(-?\d+)\s*,\s*(-?\d+)\s*\}",
                                                            body)]
              for name, body in re.findall(r"\b(kIcon\w+)\[\]\s*=\s*\{(.*?)\};", text, re.S)}
    try:
        left, size = scalars["kIconTileLeft"], scalars["kIconTileSize"]
        return scalars["kIconGrid"], [
            (rounded_rectangle(left, left, size, size, scalars["kIconTileRadius"]),
             rgb(scalars["kIconTileColour"])),
            (arrays["kIconSheet"], (255, 255, 255)),
            (arrays["kIconArrow"], rgb(scalars["kIconArrowColour"])),
        ]
    except KeyError as missing:
        sys.exit("make_icon.py: %s has no %s" % (path, missing))


def colour_of(fill):
    if not re.fullmatch(r"#[0-9a-fA-F]{6}", fill or ""):
        sys.exit("make_icon.py: only #rrggbb fills are drawn, not %r" % fill)
    return rgb(int(fill[1:], 16))


def shapes_from_svg(path):
    """(grid, [(points, colour)]) from the rect and polygon elements of an SVG."""
    root = ElementTree.parse(path).getroot()
    _, _, width, height = (float(v) for v in root.get("viewBox").split())
    if width != height:
        sys.exit("make_icon.py: %s is not square" % path)
    shapes = []
    for element in root:
        kind = element.tag.split("}")[-1]
        if kind == "rect":
            x, y, w, h = (float(element.get(a, 0)) for a in ("x", "y", "width", "height"))
            points = rounded_rectangle(x, y, w, h, float(element.get("rx", 0)))
        elif kind == "polygon":
            numbers = [float(v) for v in re.split(r"[\s,]+", element.get("points").strip())]
            points = list(zip(numbers[0::2], numbers[1::2]))
        else:
            sys.exit("make_icon.py: %s: <%s> is not drawn" % (path, kind))
        shapes.append((points, colour_of(element.get("fill"))))
    return width, shapes


def coverage(points, size, scale):
    """How much of each pixel the polygon covers (0 to 1), row by row: each of the SAMPLES
    sample lines of a pixel row crosses the outline (even-odd rule), and the spans between the
    crossings count by their exact length."""
    cells = [[0.0] * size for _ in range(size)]
    scaled = [(x * scale, y * scale) for x, y in points]
    edges = list(zip(scaled, scaled[1:] + scaled[:1]))
    for row in range(size):
        for sample in range(SAMPLES):
            y = row + (sample + 0.5) / SAMPLES
            crossings = sorted(x0 + (y - y0) * (x1 - x0) / (y1 - y0)
                               for (x0, y0), (x1, y1) in edges if (y0 <= y) != (y1 <= y))
            for start, end in zip(crossings[0::2], crossings[1::2]):
                start, end = max(start, 0.0), min(end, float(size))
                column = int(start)
                while column < end and column < size:
                    cells[row][column] += (min(end, column + 1) - max(start, column)) / SAMPLES
                    column += 1
    return cells


def draw(grid, shapes, size):
    """Straight RGBA rows, the shapes painted over each other in order on transparency."""
    pixels = [[(0, 0, 0, 0.0)] * size for _ in range(size)]
    for points, (r, g, b) in shapes:
        cells = coverage(points, size, size / grid)
        for y in range(size):
            for x in range(size):
                a = min(cells[y][x], 1.0)
                if a <= 0:
                    continue
                dr, dg, db, da = pixels[y][x]
                out = a + da * (1 - a)
                pixels[y][x] = tuple((s * a + d * da * (1 - a)) / out
                                     for s, d in ((r, dr), (g, dg), (b, db))) + (out,)
    return [[tuple(round(c) for c in p[:3]) + (round(p[3] * 255),) for p in row] for row in pixels]


def bitmap_image(rows):
    """A 32-bit DIB as icons hold it: header with doubled height, BGRA rows bottom up, then the
    1-bit AND mask (set where the icon is transparent), rows padded to 32 bits."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    stride = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def png_image(rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    size = len(rows)
    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon_file(images):
    """ICONDIR, one ICONDIRENTRY per image (a width or height of 256 is written 0), images."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, bodies = b"", b""
    for size, body in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(body), offset)
        bodies += body
        offset += len(body)
    return directory + entries + bodies


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("header", "svg"):
        sys.exit(__doc__)
    kind, source, output = sys.argv[1:]
    grid, shapes = (shapes_from_header if kind == "header" else shapes_from_svg)(source)
    images = []
    for size in SIZES:
        rows = draw(grid, shapes, size)
        images.append((size, png_image(rows) if size >= 256 else bitmap_image(rows)))
    with open(output, "wb") as out:
        out.write(icon_file(images))


if __name__ == "__main__":
    main()
