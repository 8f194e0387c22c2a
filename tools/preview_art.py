#!/usr/bin/python3
"""Mock-ups for reviewing the window art by eye: the start screen and the board with their
controls drawn roughly where the windows put them at the design's size (the art reduced, as the
windows reduce it there), and the icons at their own size and enlarged. Writes
tools/out/preview-start.png, tools/out/preview-board.png and tools/out/preview-icons.png.

    /usr/bin/python3 tools/preview_art.py
"""

from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

from make_art import ART_SCALE

ROOT = Path(__file__).resolve().parent.parent
ART = ROOT / "data" / "art"
OUT = ROOT / "tools" / "out"
SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def art(name):
    """A picture of data/art at the design's size."""
    img = Image.open(ART / name).convert("RGBA")
    return img.resize((img.width // ART_SCALE, img.height // ART_SCALE), Image.LANCZOS)


def px(twips):
    return round(twips / 15)


def box(draw, left, top, w, h, **kw):
    draw.rectangle((px(left), px(top), px(left + w) - 1, px(top + h) - 1), **kw)


def start_preview():
    img = art("start-background.png").crop((0, 0, 580, 261))
    draw = ImageDraw.Draw(img)
    small = ImageFont.truetype(SANS, 11)
    draw.text((px(120), 2), "Jeu réalisé par Orvanel", font=small, fill="white")
    draw.text((px(7320), 2), "© 2026", font=small, fill="white")
    buttons = [((240, 2640, 1575, 1095), (255, 128, 0), "dove.png", "Quitter"),
               ((6960, 2640, 1575, 1095), (0, 128, 0), "tiger.png", "Lancer"),
               ((3120, 2640, 2535, 495), (0, 0, 128), "flag-fr.png", None),
               ((3120, 3240, 2535, 495), (192, 0, 0), "flag-uk.png", None)]
    for (l, t, w, h), colour, icon, caption in buttons:
        box(draw, l, t, w, h, fill=colour, outline="black")
        pic = art(icon)
        cx = px(l + w / 2)
        cy = px(t + h / 2) - (8 if caption else 0)
        img.alpha_composite(pic, (cx - 16, cy - 16))
        if caption:
            draw.text((cx, cy + 24), caption, font=small, fill="black", anchor="mm")
    img.save(OUT / "preview-start.png")


def board_preview():
    bg = Image.open(ART / "board-background.png").resize((px(12105), px(8730)), Image.BICUBIC)
    img = Image.new("RGBA", (898, 587), "black")
    img.paste(bg, (0, 0))
    draw = ImageDraw.Draw(img)
    hint = ImageFont.truetype(SANS_BOLD, 64)
    tile = ImageFont.truetype(SANS_BOLD, 34)
    slot = ImageFont.truetype(SANS_BOLD, 44)
    small = ImageFont.truetype(SANS, 11)
    draw.text((px(120), px(-240)), "hérisson", font=hint, fill=(255, 0, 0))
    speaker_left = px(120) + round(draw.textlength("hérisson", font=hint)) + px(120)
    box(draw, speaker_left * 15, 120, 675, 675, fill=(255, 255, 0), outline="black")
    img.alpha_composite(art("speaker.png"), (speaker_left + px(675) // 2 - 16, px(120 + 675 / 2) - 16))
    for i, ch in enumerate("NSOÉRSHI"):
        l, t = 600 + 695 * i, 1080
        box(draw, l, t, 645, 675, fill=(255, 224, 192), outline="black")
        draw.text((px(l + 322), px(t + 337)), ch, font=tile, fill="black", anchor="mm")
    box(draw, 2880, 6360, 8775, 1095, outline=(255, 0, 0), width=5)
    for i, ch in enumerate("HÉRIS"):
        l = 3000 + 720 * i
        box(draw, l, 6480, 615, 855, fill=(192, 192, 255))
        draw.text((px(l + 307), px(6480 + 427)), ch, font=slot, fill="black", anchor="mm")
    for (l, t), colour, icon, caption in (((9120, 2400), (255, 0, 0), "tiger.png", "Jouer"),
                                          ((9120, 3600), (0, 255, 0), "dove.png", "Quitter")):
        box(draw, l, t, 2535, 975, fill=colour, outline="black")
        img.alpha_composite(art(icon), (px(l + 1267) - 16, px(t) + 8))
        draw.text((px(l + 1267), px(t) + 52), caption, font=small, fill="black", anchor="mm")
    box(draw, 9240, 7920, 2535, 615, fill=(255, 255, 225))
    draw.text((px(9240) + 6, px(7920 + 307)), "[ ] Niveau difficile", font=small, fill="black", anchor="lm")
    draw.text((px(6240), px(8520)),
              "Décor : nos propres dessins. Images animées tirées de Noto Color Emoji.",
              font=small, fill=(192, 255, 255))
    img.alpha_composite(art("face.png"), (866, 0))
    img.save(OUT / "preview-board.png")


def icons_preview():
    names = ["tiger", "dove", "flag-fr", "flag-uk", "face", "speaker"]
    sheet = Image.new("RGBA", (len(names) * 140 + 10, 290), (128, 128, 128, 255))
    for i, name in enumerate(names):
        full = Image.open(ART / f"{name}.png").convert("RGBA")
        sheet.alpha_composite(full.resize((128, 128), Image.NEAREST), (10 + i * 140, 10))
        icon = art(f"{name}.png")
        for j, back in enumerate(((255, 128, 0), (0, 128, 0), (0, 0, 128), (192, 0, 0))):
            tile = Image.new("RGBA", (40, 40), back + (255,))
            tile.alpha_composite(icon, (4, 4))
            sheet.alpha_composite(tile, (10 + i * 140 + (j % 2) * 44, 150 + (j // 2) * 44))
    sheet.save(OUT / "preview-icons.png")


if __name__ == "__main__":
    OUT.mkdir(parents=True, exist_ok=True)
    start_preview()
    board_preview()
    icons_preview()
