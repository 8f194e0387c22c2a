#!/usr/bin/python3
"""Draws the application icon of Trouvimo: two letter tiles above the red frame of the answer
slots, in the board's colours. One list of shapes is written as the scalable SVG and rasterised
with Pillow into the PNG sizes of the hicolor theme, so both always show the same picture.

    /usr/bin/python3 tools/make_icon.py [--out data/icons]
"""

import argparse
from pathlib import Path

from PIL import Image, ImageDraw

CANVAS = 256
PNG_SIZES = (48, 64, 128, 256)
SS = 4  # shapes are drawn this many times larger and then reduced, for smooth edges

BACKGROUND = (40, 90, 200)
TILE = (255, 224, 192)
TILE_EDGE = (120, 70, 30)
SLOT = (192, 192, 255)
RED = (255, 0, 0)
INK = (60, 30, 10)
SLOT_INK = (20, 20, 120)

# (kind, geometry, fill, outline, width) in the 256-unit canvas.
SHAPES = [
    ("rect", (8, 8, 248, 248, 44), BACKGROUND, None, 0),
    ("rect", (26, 28, 122, 128, 12), TILE, TILE_EDGE, 6),
    ("rect", (134, 28, 230, 128, 12), TILE, TILE_EDGE, 6),
    ("line", ((50, 54), (98, 54)), None, INK, 14),
    ("line", ((74, 54), (74, 106)), None, INK, 14),
    ("ellipse", (182, 78, 25, 28), None, INK, 13),
    ("rect", (34, 164, 124, 228, 6), SLOT, None, 0),
    ("rect", (132, 164, 222, 228, 6), SLOT, None, 0),
    ("rect", (20, 150, 236, 242, 4), None, RED, 8),
    ("line", ((62, 178), (79, 214), (96, 178)), None, SLOT_INK, 12),
    ("line", ((177, 178), (177, 214)), None, SLOT_INK, 12),
]


def hex_colour(rgb):
    return "#%02x%02x%02x" % rgb


def svg_paint(fill, outline, width):
    paint = f'fill="{hex_colour(fill)}"' if fill else 'fill="none"'
    if outline:
        paint += f' stroke="{hex_colour(outline)}" stroke-width="{width}"'
        paint += ' stroke-linecap="round" stroke-linejoin="round"'
    return paint


def write_svg(path):
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{CANVAS}" height="{CANVAS}" '
        f'viewBox="0 0 {CANVAS} {CANVAS}">',
    ]
    for kind, geometry, fill, outline, width in SHAPES:
        paint = svg_paint(fill, outline, width)
        if kind == "rect":
            x0, y0, x1, y1, radius = geometry
            lines.append(f'  <rect x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}" '
                         f'rx="{radius}" {paint}/>')
        elif kind == "ellipse":
            cx, cy, rx, ry = geometry
            lines.append(f'  <ellipse cx="{cx}" cy="{cy}" rx="{rx}" ry="{ry}" {paint}/>')
        else:
            points = " ".join(f"{x},{y}" for x, y in geometry)
            lines.append(f'  <polyline points="{points}" {paint}/>')
    lines.append("</svg>")
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")


def render_png(size):
    scale = size * SS / CANVAS
    big = Image.new("RGBA", (size * SS, size * SS), (0, 0, 0, 0))
    draw = ImageDraw.Draw(big)

    def s(value):
        return value * scale

    for kind, geometry, fill, outline, width in SHAPES:
        stroke = max(1, round(s(width)))
        if kind == "rect":
            x0, y0, x1, y1, radius = geometry
            # An SVG stroke is centred on the edge; Pillow's lies inside, so grow the box by half.
            grow = s(width) / 2 if outline else 0
            box = (s(x0) - grow, s(y0) - grow, s(x1) + grow, s(y1) + grow)
            draw.rounded_rectangle(box, radius=s(radius) + grow, fill=fill, outline=outline,
                                   width=stroke if outline else 0)
        elif kind == "ellipse":
            cx, cy, rx, ry = geometry
            grow = s(width) / 2
            draw.ellipse((s(cx - rx) - grow, s(cy - ry) - grow, s(cx + rx) + grow,
                          s(cy + ry) + grow), outline=outline, width=stroke)
        else:
            points = [(s(x), s(y)) for x, y in geometry]
            draw.line(points, fill=outline, width=stroke, joint="curve")
            for x, y in points[:: len(points) - 1]:
                r = s(width) / 2
                draw.ellipse((x - r, y - r, x + r, y + r), fill=outline)
    return big.resize((size, size), Image.LANCZOS)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=Path,
                        default=Path(__file__).resolve().parent.parent / "data" / "icons")
    out = parser.parse_args().out
    out.mkdir(parents=True, exist_ok=True)
    write_svg(out / "trouvimo.svg")
    for size in PNG_SIZES:
        render_png(size).save(out / f"trouvimo-{size}.png", optimize=True)


if __name__ == "__main__":
    main()
