#!/usr/bin/python3
"""Draws the window art of Trouvimo: the start screen backdrop, the board's castle scene and the
six icons. Everything is drawn from shapes, from Comic Neue and from Noto Color Emoji, with fixed
seeds, so rerunning the tool rewrites the same pictures.

Every picture is drawn at ART_SCALE times the size the windows are designed at, so that a window
scaled up to fill a large monitor (1.86 times on 1920 x 1080) or shown on a desktop scaled 2x
still draws each picture from at least as many pixels as it shows; a window at its design's size
or smaller shows the pictures reduced.

    /usr/bin/python3 tools/make_art.py [--out data/art]
"""

import argparse
import math
import random
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

COMIC_BOLD = "/usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf"
EMOJI_FONT = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf"
EMOJI_SIZE = 109  # the only size the bitmap emoji font accepts

# The pictures' pixels to a pixel of the windows' design. The windows stretch each picture over
# its place whatever its size, so this sets only how far a window can be scaled up before a
# picture is enlarged (tests/content checks the sizes).
ART_SCALE = 2
K = ART_SCALE

# Shapes are drawn at least this many times larger than their picture and then reduced, which
# gives smooth edges.
SS = 4

# An icon's side in the design's pixels; the shapes of the icons are laid out on this grid.
ICON = 32


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def scaled(size, k=K):
    return (round(size[0] * k), round(size[1] * k))


def vertical_gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", (1, h))
    for y in range(h):
        img.putpixel((0, y), lerp(top, bottom, y / max(1, h - 1)))
    return img.resize((w, h))


def radial_gradient(size, centre, radius, inner, outer):
    w, h = size
    img = Image.new("RGB", size)
    px = img.load()
    cx, cy = centre
    for y in range(h):
        for x in range(w):
            d = min(1.0, math.hypot((x - cx) / radius[0], (y - cy) / radius[1]))
            px[x, y] = lerp(inner, outer, d * d * (3 - 2 * d))
    return img


def star_points(cx, cy, r_out, r_in, points=5, turn=-math.pi / 2):
    pts = []
    for i in range(points * 2):
        r = r_out if i % 2 == 0 else r_in
        a = turn + i * math.pi / points
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def supersampled(size, painter, grid, mode="RGBA", background=(0, 0, 0, 0)):
    """Lets `painter(draw, s)` draw in the units of `grid` (a picture's layout, in the design's
    pixels; s scales a coordinate) on a canvas at least SS times larger than `size` both ways, and
    returns the canvas reduced to `size`. A grid of other proportions than `size` is stretched to
    it, as the window stretches the board's scene."""
    k = SS * max(size[0] / grid[0], size[1] / grid[1])
    big = Image.new(mode, scaled(grid, k), background)
    draw = ImageDraw.Draw(big)

    def s(v):
        return v * k

    painter(draw, s)
    return big.resize(size, Image.LANCZOS)


# ---------------------------------------------------------------------------------------------
# Start screen

# The scene is laid out on a grid of 606 x 265, of which the window (8700 x 3915 twips: 580 x 261
# of the design's pixels) shows the top left part; the picture is that part, which the window
# stretches over itself.
START_GRID = (606, 265)
START_WINDOW = (580, 261)

TITLE_COLOURS = [
    (255, 70, 70),    # T
    (255, 150, 30),   # r
    (255, 220, 40),   # o
    (90, 210, 70),    # u
    (40, 200, 230),   # v
    (80, 130, 255),   # i
    (230, 90, 220),   # m
    (255, 105, 160),  # o
]


def title_letter(ch, font, colour):
    """One letter of the title as an RGBA layer: dark outline, white rim, gradient body."""
    pad = 16 * K
    outline, rim = 9 * K, 5 * K
    left, top, right, bottom = font.getbbox(ch, stroke_width=outline)
    w, h = right - left + 2 * pad, bottom - top + 2 * pad
    origin = (pad - left, pad - top)

    def mask(stroke):
        m = Image.new("L", (w, h), 0)
        ImageDraw.Draw(m).text(origin, ch, font=font, fill=255, stroke_width=stroke, stroke_fill=255)
        return m

    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    layer.paste((50, 10, 80, 255), (0, 0), mask(outline))
    layer.paste((255, 255, 255, 255), (0, 0), mask(rim))
    light = lerp(colour, (255, 255, 255), 0.55)
    body = vertical_gradient((w, h), light, lerp(colour, (0, 0, 0), 0.1)).convert("RGBA")
    layer.paste(body, (0, 0), mask(0))
    # A small glossy highlight on the upper part of the letter.
    gloss = Image.new("L", (w, h), 0)
    ImageDraw.Draw(gloss).ellipse((0, -h * 0.35, w, h * 0.42), fill=70)
    layer.paste((255, 255, 255, 255), (0, 0), ImageChops.multiply(gloss, mask(0)))
    return layer


def make_start_background(out):
    size = scaled(START_GRID)
    visible_w = START_WINDOW[0]
    bg = radial_gradient(size, (visible_w / 2 * K, 105 * K), (380 * K, 230 * K), (150, 70, 200),
                         (45, 12, 85))

    # Calm, dark strip at the top for the two lines of white text.
    strip = Image.new("RGB", (size[0], 24 * K), (36, 10, 64))
    fade = Image.linear_gradient("L").resize((size[0], 24 * K)).point(lambda v: 255 if v < 150 else int(255 * (255 - v) / 105))
    bg.paste(strip, (0, 0), fade)

    # Soft rolling hills along the bottom, under the buttons.
    def hills(draw, s):
        draw.ellipse((s(-120), s(200), s(330), s(420)), fill=(70, 25, 120, 255))
        draw.ellipse((s(260), s(190), s(720), s(430)), fill=(62, 20, 110, 255))
        draw.ellipse((s(120), s(222), s(500), s(420)), fill=(80, 32, 135, 255))

    hill_layer = supersampled(size, hills, START_GRID)
    bg.paste(hill_layer, (0, 0), hill_layer)

    # Stars, kept out of the top strip and mostly away from the title.
    def stars(draw, s):
        rng = random.Random(7)
        spots = [(28, 48), (70, 150), (540, 45), (555, 140), (160, 165), (430, 162), (300, 170),
                 (20, 110), (505, 100), (120, 36), (460, 34), (250, 30), (350, 32), (590, 75),
                 (165, 212), (420, 210), (290, 255)]
        for x, y in spots:
            r = rng.uniform(4.5, 8.5)
            colour = rng.choice([(255, 240, 120), (255, 255, 255), (255, 200, 90), (200, 240, 255)])
            draw.polygon([(s(px), s(py)) for px, py in star_points(x, y, r, r * 0.45)],
                         fill=colour + (255,))
        for _ in range(40):
            x, y = rng.uniform(0, visible_w), rng.uniform(26, 258)
            r = rng.uniform(0.6, 1.4)
            draw.ellipse((s(x - r), s(y - r), s(x + r), s(y + r)), fill=(255, 255, 230, 200))

    glow_layer = supersampled(size, stars, START_GRID)
    glow = glow_layer.filter(ImageFilter.GaussianBlur(3 * K))
    bg.paste((255, 240, 180), (0, 0), glow.getchannel("A").point(lambda v: v // 2))
    bg.paste(glow_layer.convert("RGB"), (0, 0), glow_layer)

    # The title: one layer per letter, each tilted and lifted a little, over a soft shadow.
    font = ImageFont.truetype(COMIC_BOLD, 128 * K)
    letters = [title_letter(ch, font, c) for ch, c in zip("Trouvimo", TITLE_COLOURS)]
    angles = [6, -5, 4, -6, 5, -4, 5, -5]
    lifts = [0, -6, 4, -4, 3, -7, 2, -3]
    advances = [font.getlength(ch) for ch in "Trouvimo"]
    spacing = 6 * K
    total = sum(advances) + spacing * 7
    x = visible_w * K / 2 - total / 2
    title = Image.new("RGBA", size, (0, 0, 0, 0))
    for ch, layer, angle, lift, adv in zip("Trouvimo", letters, angles, lifts, advances):
        rotated = layer.rotate(angle, resample=Image.BICUBIC, expand=True)
        cx = x + adv / 2
        cy = (96 + lift) * K
        title.alpha_composite(rotated, (round(cx - rotated.width / 2), round(cy - rotated.height / 2)))
        x += adv + spacing
    shadow = Image.new("RGBA", size, (20, 0, 40, 0))
    shadow.putalpha(title.getchannel("A").point(lambda v: v * 3 // 5))
    shadow = ImageChops.offset(shadow, 5 * K, 6 * K).filter(ImageFilter.GaussianBlur(5 * K))
    scene = bg.convert("RGBA")
    scene.alpha_composite(shadow)
    scene.alpha_composite(title)
    scene = scene.crop((0, 0) + scaled(START_WINDOW))
    scene.convert("RGB").save(out / "start-background.png", optimize=True)


# ---------------------------------------------------------------------------------------------
# Board: a castle at night

# The scene is laid out on a grid of 479 x 366 and stretched over the board's backdrop, which is
# 12105 x 8730 twips: 807 x 582 of the design's pixels.
BOARD_GRID = (479, 366)
BOARD_DESIGN = (807, 582)


def make_board_background(out):
    size = scaled(BOARD_DESIGN)
    sky = vertical_gradient(size, (6, 10, 40), (30, 50, 115))

    def scene(draw, s):
        # Moon with a soft halo, top right: far from the hint, above the buttons.
        mx, my, mr = 405, 48, 24
        for k, alpha in ((2.1, 18), (1.7, 30), (1.35, 45)):
            draw.ellipse((s(mx - mr * k), s(my - mr * k), s(mx + mr * k), s(my + mr * k)),
                         fill=(200, 210, 255, alpha))
        draw.ellipse((s(mx - mr), s(my - mr), s(mx + mr), s(my + mr)), fill=(255, 246, 200, 255))
        for cx, cy, r in ((397, 40, 5), (414, 58, 4), (402, 61, 2.5)):
            draw.ellipse((s(cx - r), s(cy - r), s(cx + r), s(cy + r)), fill=(235, 222, 170, 255))

        # Stars, none in the top-left corner where the hint is written.
        rng = random.Random(11)
        placed = 0
        while placed < 55:
            x, y = rng.uniform(4, 475), rng.uniform(4, 215)
            if x < 370 and y < 62:
                continue
            if math.hypot(x - mx, y - my) < mr * 2.2:
                continue
            placed += 1
            if rng.random() < 0.2:
                r = rng.uniform(3, 5)
                draw.polygon([(s(a), s(b)) for a, b in star_points(x, y, r, r * 0.42)],
                             fill=(255, 236, 140, 255))
            else:
                r = rng.uniform(0.6, 1.3)
                draw.ellipse((s(x - r), s(y - r), s(x + r), s(y + r)), fill=(255, 255, 235, 230))

        # Distant hill, then the castle, then the near hill that carries the answer slots.
        draw.ellipse((s(-200), s(215), s(330), s(420)), fill=(22, 62, 40, 255))
        draw.ellipse((s(250), s(205), s(700), s(420)), fill=(20, 58, 38, 255))
        castle(draw, s)

    def near_hill(draw, s):
        draw.ellipse((s(-160), s(245), s(640), s(620)), fill=255)

    def castle(draw, s):
        wall = (46, 44, 82, 255)
        wall_dark = (36, 34, 66, 255)
        roof = (120, 40, 90, 255)
        lit = (255, 214, 90, 255)

        def crenels(x0, x1, y, step=8, h=6, fill=wall):
            x = x0
            while x + step / 2 <= x1 + 0.1:
                draw.rectangle((s(x), s(y - h), s(x + step / 2), s(y)), fill=fill)
                x += step

        def window(cx, y0, w=6, h=11):
            draw.rectangle((s(cx - w / 2), s(y0 + w / 2), s(cx + w / 2), s(y0 + h)), fill=lit)
            draw.ellipse((s(cx - w / 2), s(y0), s(cx + w / 2), s(y0 + w)), fill=lit)

        # Curtain wall and gate.
        draw.rectangle((s(175), s(170), s(330), s(262)), fill=wall)
        crenels(175, 330, 170)
        draw.rectangle((s(236), s(222), s(270), s(262)), fill=(20, 16, 30, 255))
        draw.ellipse((s(236), s(205), s(270), s(239)), fill=(20, 16, 30, 255))
        # Keep in the middle.
        draw.rectangle((s(222), s(108), s(284), s(175)), fill=wall_dark)
        crenels(222, 284, 108, fill=wall_dark)
        # Side towers with pointed roofs and flags.
        for x0, x1, top in ((160, 196, 128), (309, 345, 128), (200, 226, 82), (280, 306, 82)):
            draw.rectangle((s(x0), s(top), s(x1), s(262)), fill=wall)
            cx = (x0 + x1) / 2
            peak = top - (x1 - x0) * 1.25
            draw.polygon([(s(x0 - 4), s(top)), (s(x1 + 4), s(top)), (s(cx), s(peak))], fill=roof)
            draw.line((s(cx), s(peak), s(cx), s(peak - 14)), fill=(200, 200, 210, 255), width=round(s(1)))
            draw.polygon([(s(cx), s(peak - 14)), (s(cx + 11), s(peak - 10.5)), (s(cx), s(peak - 7))],
                         fill=(240, 80, 80, 255))
            window(cx, top + 14)
        window(160 + 18, 190)
        window(309 + 18, 190)
        for cx in (240, 266):
            window(cx, 130)
        for cx in (200, 306):
            window(cx, 192, w=5, h=9)

    img = sky.convert("RGBA")
    img.alpha_composite(supersampled(size, scene, BOARD_GRID))
    # The near hill darkens towards the bottom so that the light credit line stays readable.
    grass_top = round(245 * size[1] / BOARD_GRID[1])
    grass = Image.new("RGB", size, (38, 104, 54))
    grass.paste(vertical_gradient((size[0], size[1] - grass_top), (38, 104, 54), (14, 46, 26)),
                (0, grass_top))
    grass.putalpha(supersampled(size, near_hill, BOARD_GRID, mode="L", background=0))
    img.alpha_composite(grass)
    img.convert("RGB").save(out / "board-background.png", optimize=True)


# ---------------------------------------------------------------------------------------------
# Icons, laid out on a grid of ICON x ICON and drawn ART_SCALE times larger

def emoji(text):
    """The emoji at the font's native size, cropped to its drawn pixels."""
    font = ImageFont.truetype(EMOJI_FONT, EMOJI_SIZE)
    img = Image.new("RGBA", (220, 160), (0, 0, 0, 0))
    ImageDraw.Draw(img).text((0, 0), text, font=font, embedded_color=True)
    return img.crop(img.getbbox())


def fit(img, box):
    """Scales `img` to fit inside box x box, keeping its proportions."""
    k = box / max(img.size)
    return img.resize((max(1, round(img.width * k)), max(1, round(img.height * k))), Image.LANCZOS)


def icon_from(layers):
    """Composes (image, size, (cx, cy)) layers, in the icon grid's units, on a transparent icon."""
    icon = Image.new("RGBA", scaled((ICON, ICON)), (0, 0, 0, 0))
    for img, box, (cx, cy) in layers:
        small = fit(img, box * K)
        icon.alpha_composite(small, (round(cx * K - small.width / 2), round(cy * K - small.height / 2)))
    return icon


def drawn_icon(painter):
    return supersampled(scaled((ICON, ICON)), painter, (ICON, ICON))


def make_tiger(out):
    icon_from([(emoji("\U0001F42F"), 31, (16, 16))]).save(out / "tiger.png")


def make_dove(out):
    dove = emoji("\U0001F54A\uFE0F")
    herb = emoji("\U0001F33F")
    # The branch hangs under the dove's beak, which the emoji draws on the left.
    icon_from([(dove, 30, (17, 14)), (herb.rotate(-30, expand=True, resample=Image.BICUBIC), 15, (8, 24))]).save(out / "dove.png")


def flag_canvas(w, h, painter):
    """A flag w x h (in the icon grid's units) centred on an icon, with a thin dark edge."""
    flag = supersampled(scaled((w, h)), painter, (w, h), mode="RGB", background=(0, 0, 0))
    icon = Image.new("RGBA", scaled((ICON, ICON)), (0, 0, 0, 0))
    x0, y0 = (ICON - w) // 2 * K, (ICON - h) // 2 * K
    ImageDraw.Draw(icon).rectangle((x0 - K, y0 - K, x0 + flag.width + K - 1, y0 + flag.height + K - 1),
                                   fill=(40, 40, 60, 255))
    icon.paste(flag, (x0, y0))
    return icon


def make_flag_fr(out):
    w, h = 30, 20  # 3:2

    def paint(draw, s):
        third = w / 3
        draw.rectangle((0, 0, s(third), s(h)), fill=(0, 35, 149))
        draw.rectangle((s(third), 0, s(2 * third), s(h)), fill=(255, 255, 255))
        draw.rectangle((s(2 * third), 0, s(w), s(h)), fill=(237, 41, 57))

    flag_canvas(w, h, paint).save(out / "flag-fr.png")


def make_flag_uk(out):
    w, h = 30, 15  # 2:1, drawn on the flag's own 60 x 30 grid
    k = w / 60

    def paint(draw, s):
        def g(x, y):
            return (s(x * k), s(y * k))

        blue, red, white = (1, 33, 105), (200, 16, 46), (255, 255, 255)
        draw.rectangle((0, 0, s(w), s(h)), fill=blue)
        # White saltire, 6 units wide: each diagonal as a band of half-width 3 across the field.
        d = 3 * math.hypot(60, 30) / 60  # vertical half-thickness of a band of half-width 3
        draw.polygon([g(0, -d), g(60, 30 - d), g(60, 30 + d), g(0, d)], fill=white)
        draw.polygon([g(0, 30 - d), g(60, -d), g(60, d), g(0, 30 + d)], fill=white)
        # Red saltire, 2 units wide, counterchanged: in each quarter it lies on the clockwise side.
        r = 2 * math.hypot(60, 30) / 60
        draw.polygon([g(0, 0), g(30, 15), g(30, 15 + r), g(0, r)], fill=red)            # top left, below
        draw.polygon([g(30, 15), g(60, 30), g(60, 30 - r), g(30, 15 - r)], fill=red)    # bottom right, above
        draw.polygon([g(60, 0), g(30, 15), g(30, 15 - r), g(60, -r)], fill=red)         # top right, above
        draw.polygon([g(30, 15), g(0, 30), g(0, 30 + r), g(30, 15 + r)], fill=red)      # bottom left, below
        # White cross 10 units, red cross 6 units.
        draw.rectangle((*g(25, 0), *g(35, 30)), fill=white)
        draw.rectangle((*g(0, 10), *g(60, 20)), fill=white)
        draw.rectangle((*g(27, 0), *g(33, 30)), fill=red)
        draw.rectangle((*g(0, 12), *g(60, 18)), fill=red)

    flag_canvas(w, h, paint).save(out / "flag-uk.png")


def make_face(out):
    def paint(draw, s):
        draw.ellipse((s(1.5), s(1.5), s(30.5), s(30.5)), fill=(255, 214, 51, 255),
                     outline=(150, 90, 10, 255), width=round(s(1.5)))
        draw.ellipse((s(5), s(17), s(10), s(21)), fill=(255, 140, 120, 200))
        draw.ellipse((s(22), s(17), s(27), s(21)), fill=(255, 140, 120, 200))
        for cx in (11.5, 20.5):
            draw.ellipse((s(cx - 2.4), s(9), s(cx + 2.4), s(15.5)), fill=(50, 30, 20, 255))
            draw.ellipse((s(cx - 1.2), s(10), s(cx + 0.2), s(11.6)), fill=(255, 255, 255, 255))
        draw.chord((s(8), s(12), s(24), s(26)), 10, 170, fill=(120, 30, 30, 255))
        draw.chord((s(12), s(21.5), s(20), s(26)), 0, 180, fill=(240, 100, 110, 255))
        draw.arc((s(8), s(12), s(24), s(26)), 10, 170, fill=(60, 20, 10, 255), width=round(s(1.2)))

    drawn_icon(paint).save(out / "face.png")


def make_speaker(out):
    """A loudspeaker sending out three waves, in dark ink for the light speaker button."""
    ink = (20, 30, 90, 255)
    body = [(2, 11), (9, 11), (16, 4), (16, 28), (9, 21), (2, 21)]
    centre = (16, 16)
    stroke = 3

    def paint(draw, s):
        draw.polygon([(s(x), s(y)) for x, y in body], fill=ink)
        cx, cy = centre
        for radius in (5, 10, 15):
            box = (s(cx - radius), s(cy - radius), s(cx + radius), s(cy + radius))
            draw.arc(box, -45, 45, fill=ink, width=round(s(stroke)))
            # Round ends, so that each wave reads as one soft stroke.
            for angle in (-45, 45):
                a = math.radians(angle)
                ex = cx + (radius - stroke / 2) * math.cos(a)
                ey = cy + (radius - stroke / 2) * math.sin(a)
                draw.ellipse((s(ex - stroke / 2), s(ey - stroke / 2), s(ex + stroke / 2),
                              s(ey + stroke / 2)), fill=ink)

    drawn_icon(paint).save(out / "speaker.png")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=str(Path(__file__).resolve().parent.parent / "data" / "art"))
    args = parser.parse_args()
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    make_start_background(out)
    make_board_background(out)
    make_tiger(out)
    make_dove(out)
    make_flag_fr(out)
    make_flag_uk(out)
    make_face(out)
    make_speaker(out)


if __name__ == "__main__":
    main()
