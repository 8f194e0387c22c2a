#!/usr/bin/python3
"""Writes the two word lists of Trouvimo and one animated GIF per word, from the reviewed table
tools/words.tsv (emoji, French word, English word, animation). The pictures are Noto Color Emoji
glyphs, animated with a gentle movement that suits the word. Also draws a contact sheet of every
picture with its words into tools/out/ for review.

    /usr/bin/python3 tools/make_words.py [--data data] [--sheet tools/out]

Lists: data/ListeMots.txt and data/ListeMotsAnglais.txt, Windows-1252, every line ending in CR LF.
Pictures: data/Images/Mots/<WORD>.gif and data/Images/MotsAnglais/<WORD>.gif, named by the word in
upper case; pictures of words no longer in the table are removed.
"""

import argparse
import io
import math
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

TOOLS = Path(__file__).resolve().parent
EMOJI_FONT = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf"
EMOJI_SIZE = 109  # the only size the bitmap emoji font accepts
LABEL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

CANVAS = (160, 150)   # the board centres it in a 177 x 201 frame
FIT = 100             # the emoji's longer side, before it moves
FRAMES = 10
FRAME_MS = 100
MIN_FRAMES = 8
MATTE = (38, 58, 66)  # edge pixels are blended towards the board's dark scenery
ALPHA_CUT = 110       # pixels less opaque than this become transparent
TRANSPARENT = 255     # palette index kept for transparency
MAX_BYTES = 60 * 1024
# Palette sizes tried in turn: the richest one whose file stays below the size budget wins.
PALETTE_SIZES = (255, 192, 128, 96, 64)
SIZE_BUDGET = 56 * 1024

KINDS = ("bounce", "wobble", "sway", "float", "swim", "fly", "drive", "pulse", "sparkle")


# ---------------------------------------------------------------------------------------------
# The table and the lists

class Row:
    def __init__(self, line_no, emoji, fr, en, kind):
        self.line_no, self.emoji, self.kind = line_no, emoji, kind
        self.fr = None if fr == "-" else fr
        self.en = None if en == "-" else en


def word_problem(word):
    """Why a word cannot go into a list, or None when it can."""
    if not 2 <= len(word) <= 12:
        return "must have 2 to 12 letters"
    if not word.isalpha():
        return "must hold letters only"
    if word != word.lower():
        return "must be in lower case"
    try:
        word.encode("cp1252")
    except UnicodeEncodeError:
        return "has a character outside Windows-1252"
    return None


def read_table(path):
    rows, errors = [], []
    for no, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        cells = line.split("\t")
        if len(cells) != 4:
            errors.append(f"{path.name}:{no}: expected 4 tab-separated cells, found {len(cells)}")
            continue
        row = Row(no, *cells)
        if row.kind not in KINDS:
            errors.append(f"{path.name}:{no}: unknown animation {row.kind!r}")
        if row.fr is None and row.en is None:
            errors.append(f"{path.name}:{no}: a picture without any word")
        for word in (row.fr, row.en):
            if word is not None and (problem := word_problem(word)):
                errors.append(f"{path.name}:{no}: {word!r} {problem}")
        rows.append(row)
    for lang in ("fr", "en"):
        seen = {}
        for row in rows:
            word = getattr(row, lang)
            if word is None:
                continue
            if word.upper() in seen:
                errors.append(f"{path.name}:{row.line_no}: {word!r} already on line {seen[word.upper()]}")
            seen[word.upper()] = row.line_no
    emojis = {}
    for row in rows:
        if row.emoji in emojis:
            errors.append(f"{path.name}:{row.line_no}: the picture is already used on line {emojis[row.emoji]}")
        emojis[row.emoji] = row.line_no
    return rows, errors


def write_list(path, words):
    path.write_bytes("".join(w + "\r\n" for w in words).encode("cp1252"))


# ---------------------------------------------------------------------------------------------
# Pictures

def render_emoji(text):
    """The emoji drawn by the colour font, cropped to its pixels and scaled to FIT; None when the
    font has no picture for it."""
    font = ImageFont.truetype(EMOJI_FONT, EMOJI_SIZE)
    img = Image.new("RGBA", (280, 180), (0, 0, 0, 0))
    ImageDraw.Draw(img).text((10, 10), text, font=font, embedded_color=True)
    box = img.getbbox()
    if box is None:
        return None
    img = img.crop(box)
    k = FIT / max(img.size)
    return img.resize((round(img.width * k), round(img.height * k)), Image.LANCZOS)


def sparkle_star(draw, cx, cy, r):
    """A four-pointed twinkle, yellow with a white heart."""
    if r < 1:
        return
    pts = []
    for i in range(8):
        a = i * math.pi / 4
        rr = r if i % 2 == 0 else r * 0.28
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    draw.polygon(pts, fill=(255, 214, 40, 255), outline=(200, 120, 0, 255))
    c = r * 0.22
    draw.ellipse((cx - c, cy - c, cx + c, cy + c), fill=(255, 255, 255, 255))


def place(base, pivot, at, sx=1.0, sy=1.0, angle=0.0):
    """Draws `base` on a transparent canvas, scaled by (sx, sy) and turned by `angle` degrees
    (counter-clockwise) about its point `pivot`, which lands at `at`. One resampling with
    sub-pixel placement, so that slow movements still change from frame to frame."""
    a = math.radians(angle)
    cos, sin = math.cos(a), math.sin(a)
    (px, py), (qx, qy) = pivot, at
    # The inverse mapping, from a canvas pixel back to the picture.
    coeffs = (cos / sx, -sin / sx, px - (cos * qx - sin * qy) / sx,
              sin / sy, cos / sy, py - (sin * qx + cos * qy) / sy)
    return base.transform(CANVAS, Image.AFFINE, coeffs, resample=Image.BICUBIC)


def frame(base, kind, t):
    """Frame at time t in [0, 1) of one loop of the animation `kind`."""
    w, h = CANVAS
    wave = math.sin(2 * math.pi * t)
    centre = (base.width / 2, base.height / 2)
    foot = (base.width / 2, base.height)
    cx, cy = w / 2, h / 2
    ground = h - 6

    if kind == "bounce":
        lift = 16 * math.sin(math.pi * t)
        squash = max(0.0, 1 - lift / 4) * 0.07
        canvas = place(base, foot, (cx, ground - lift), 1 + squash, 1 - squash)
    elif kind == "wobble":
        canvas = place(base, centre, (cx, cy), angle=7 * wave)
    elif kind == "sway":
        # Plants and standing things sway from their foot, not from their middle.
        canvas = place(base, foot, (cx, ground), angle=6 * wave)
    elif kind == "float":
        canvas = place(base, centre, (cx, cy + 6 * wave), angle=3 * math.cos(2 * math.pi * t))
    elif kind == "swim":
        canvas = place(base, centre, (cx + 8 * wave, cy + 3 * math.sin(4 * math.pi * t)),
                       angle=5 * math.cos(2 * math.pi * t))
    elif kind == "fly":
        flap = 1 - 0.08 * math.sin(4 * math.pi * t) ** 2
        canvas = place(base, centre, (cx + 4 * math.cos(2 * math.pi * t), cy + 8 * wave), 1.0, flap,
                       angle=4 * wave)
    elif kind == "drive":
        bump = math.sin(4 * math.pi * t)
        canvas = place(base, centre, (cx + 6 * wave, cy - 2.5 * abs(bump)), angle=1.5 * bump)
    elif kind == "pulse":
        # A heartbeat: a strong beat and a weaker one, over a slow breathing.
        beat = math.exp(-((t - 0.2) / 0.08) ** 2) + 0.6 * math.exp(-((t - 0.45) / 0.08) ** 2)
        k = 0.93 + 0.02 * wave + 0.08 * beat
        canvas = place(base, centre, (cx, cy), k, k)
    else:  # sparkle
        k = 0.9 + 0.03 * wave
        canvas = place(base, centre, (cx, cy), k, k)

    if kind == "sparkle":
        draw = ImageDraw.Draw(canvas)
        spots = [(22, 28, 0.0), (138, 24, 0.25), (144, 118, 0.5), (16, 112, 0.75), (80, 10, 0.6)]
        for px, py, offset in spots:
            glow = max(0.0, math.sin(2 * math.pi * (t + offset)))
            sparkle_star(draw, px, py, 10 * glow)
    return canvas


def to_palette(frames, colors):
    """Puts every frame on one shared palette of `colors` entries (so colours never flicker
    between frames), with a hard transparency cut and the soft edges blended towards the matte
    colour."""
    w, h = CANVAS
    sheet = Image.new("RGB", (w, h * len(frames)), MATTE)
    masks = []
    for i, f in enumerate(frames):
        alpha = f.getchannel("A")
        opaque = alpha.point(lambda v: 255 if v >= ALPHA_CUT else 0)
        solid = Image.new("RGB", (w, h), MATTE)
        solid.paste(f.convert("RGB"), (0, 0), alpha)
        sheet.paste(solid, (0, i * h))
        masks.append(opaque)
    pal = sheet.quantize(colors=min(colors, 255), method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = pal.getpalette()[: 255 * 3]
    palette += [0] * (255 * 3 - len(palette)) + list(MATTE)
    out = []
    for i, mask in enumerate(masks):
        f = pal.crop((0, i * h, w, (i + 1) * h))
        f.putpalette(palette)
        f.paste(TRANSPARENT, (0, 0), mask.point(lambda v: 255 - v))
        f.info["transparency"] = TRANSPARENT
        out.append(f)
    return out


def gif_bytes(frames):
    out = io.BytesIO()
    frames[0].save(out, "GIF", save_all=True, append_images=frames[1:], duration=FRAME_MS, loop=0,
                   disposal=2, transparency=TRANSPARENT, optimize=False)
    return out.getvalue()


def animation(base, kind):
    """The GIF file of one picture and its first frame. Busy pictures get a smaller palette so
    that every file stays within the budget."""
    # A quarter-frame offset keeps two frames in a row from ever being equal (a symmetric
    # movement sampled on the beat would repeat one, and the encoder would merge the pair).
    frames = [frame(base, kind, (i + 0.25) / FRAMES) for i in range(FRAMES)]
    for colors in PALETTE_SIZES:
        paletted = to_palette(frames, colors)
        data = gif_bytes(paletted)
        if len(data) <= SIZE_BUDGET:
            break
    return data, paletted[0]


def gif_problem(data):
    if len(data) > MAX_BYTES:
        return f"{len(data)} bytes, more than {MAX_BYTES}"
    with Image.open(io.BytesIO(data)) as img:
        if img.n_frames < MIN_FRAMES:
            return f"only {img.n_frames} frames"
    return None


# ---------------------------------------------------------------------------------------------
# Contact sheet

def contact_sheets(entries, out, per_page=60, cols=10):
    """entries: (first frame, French word, English word). Writes contact-sheet.png with all of
    them and contact-sheet-<n>.png pages small enough to look at closely."""
    cell_w, cell_h = 170, 200
    font = ImageFont.truetype(LABEL_FONT, 15)

    def sheet(part):
        rows = math.ceil(len(part) / cols)
        img = Image.new("RGB", (cols * cell_w, rows * cell_h), (40, 60, 70))
        draw = ImageDraw.Draw(img)
        for i, (pic, fr, en) in enumerate(part):
            x, y = (i % cols) * cell_w, (i // cols) * cell_h
            draw.rectangle((x + 2, y + 2, x + cell_w - 3, y + cell_h - 3), outline=(90, 110, 120))
            img.paste(pic.convert("RGBA"), (x + 5, y + 5), pic.convert("RGBA"))
            draw.text((x + 8, y + 158), fr or "-", font=font, fill=(255, 255, 160))
            draw.text((x + 8, y + 178), en or "-", font=font, fill=(190, 255, 255))
        return img

    out.mkdir(parents=True, exist_ok=True)
    for old in out.glob("contact-sheet*.png"):
        old.unlink()
    sheet(entries).save(out / "contact-sheet.png")
    for n, start in enumerate(range(0, len(entries), per_page), 1):
        sheet(entries[start:start + per_page]).save(out / f"contact-sheet-{n}.png")


# ---------------------------------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=str(TOOLS.parent / "data"))
    parser.add_argument("--sheet", default=str(TOOLS / "out"))
    args = parser.parse_args()
    data = Path(args.data)

    rows, errors = read_table(TOOLS / "words.tsv")
    pictures = {}
    for row in rows:
        base = render_emoji(row.emoji)
        if base is None:
            errors.append(f"words.tsv:{row.line_no}: the emoji font has no picture for {row.emoji!r}")
        pictures[row.emoji] = base
    if errors:
        print("\n".join(errors), file=sys.stderr)
        return 1

    folders = {"fr": data / "Images" / "Mots", "en": data / "Images" / "MotsAnglais"}
    for folder in folders.values():
        folder.mkdir(parents=True, exist_ok=True)
    written = {lang: set() for lang in folders}
    entries = []
    bad = []
    for row in rows:
        gif, first = animation(pictures[row.emoji], row.kind)
        if problem := gif_problem(gif):
            bad.append(f"words.tsv:{row.line_no}: {problem}")
        for lang, folder in folders.items():
            word = getattr(row, lang)
            if word is None:
                continue
            name = word.upper() + ".gif"
            (folder / name).write_bytes(gif)
            written[lang].add(name)
        entries.append((first, row.fr, row.en))

    for lang, folder in folders.items():
        for old in folder.glob("*.gif"):
            if old.name not in written[lang]:
                old.unlink()

    write_list(data / "ListeMots.txt", [r.fr for r in rows if r.fr])
    write_list(data / "ListeMotsAnglais.txt", [r.en for r in rows if r.en])
    contact_sheets(entries, Path(args.sheet))

    if bad:
        print("\n".join(bad), file=sys.stderr)
        return 1
    print(f"{sum(1 for r in rows if r.fr)} French words, {sum(1 for r in rows if r.en)} English words, "
          f"{len(rows)} pictures")
    return 0


if __name__ == "__main__":
    sys.exit(main())
