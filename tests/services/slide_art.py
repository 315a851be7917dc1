#!/usr/bin/python3
"""Slides for the slide server: product slides of the progress screen, as
the tests and the demo serve them.

usage: slide_art.py OUT_DIR COUNT    writes 02.jpg ... into OUT_DIR

A slide is 728x400 logical pixels drawn at twice the resolution (1456x800,
the "x2" folders), as a baseline JPEG: a headline and a line of text on the
left, a floating card with a picture of the feature on the right, over soft
colour; the top band stays white, as the window draws its logo, progress
bar and percent label there. Drawn with the window artwork's own helpers and palette
(tools/artwork/render_images.py), so nothing is random and every run gives
the same bytes. Needs Debian's python3-pil.
"""
import functools
import math
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "artwork"))
from render_images import (AZURE, INK, LINE, MIST, MINT, SKY, SLATE, SUN, SUN_DEEP,  # noqa: E402
                           TEAL, TEAL_DEEP, WHITE, Canvas, faded, floating,
                           jpeg_bytes)

WIDTH, HEIGHT = 728, 400

# Headline, line of text, accent colour and picture of each slide, from
# number 2 on; later numbers go round again.
THEMES = [
    ("Pages open in a blink", "A light engine that starts fast and stays fast.", TEAL, "speed"),
    ("Tabs that stay tidy", "Group your tabs and find any of them in a moment.", AZURE, "tabs"),
    ("Passwords, kept safe", "Stored on your computer, filled in when you need them.", TEAL_DEEP,
     "lock"),
    ("Read without clutter", "One click turns a busy page into a clean article.", SUN_DEEP,
     "reader"),
    ("Pick up where you left off", "Your bookmarks and tabs follow you to every device.", AZURE,
     "sync"),
    ("Easy on the eyes", "A dark look for late evenings, set in a single click.", INK, "moon"),
    ("Downloads you can trust", "Every file is checked before you open it.", TEAL, "shield"),
    ("Less noise, more web", "Fewer pop-ups and quieter pages by default.", SUN_DEEP, "quiet"),
    ("Made for your screen", "Sharp text and pictures at every size.", AZURE, "screen"),
]


def file_name(number):
    return f"{number:02d}.jpg"


def _card(canvas, accent):
    """The floating card on the right, with its title bar; returns its box."""
    # Below the band the window keeps for its logo, bar and percent label.
    box = (396, 124, 688, 380)
    x0, y0, x1, _ = box
    floating(canvas, box, 14, depth=2)
    canvas.fill("round", (x0, y0, x1, y0 + 34), MIST, radius=14)
    canvas.fill("rect", (x0, y0 + 20, x1, y0 + 34), MIST)
    for i, colour in enumerate((accent, SUN, LINE)):
        canvas.fill("ellipse", (x0 + 16 + i * 16, y0 + 12, x0 + 26 + i * 16, y0 + 22), colour)
    return box


def _lines(canvas, x, y, widths, colour=LINE, gap=18):
    for i, w in enumerate(widths):
        canvas.fill("round", (x, y + i * gap, x + w, y + i * gap + 8), colour, radius=4)


def _picture(canvas, kind, accent, box):
    x0, y0, x1, y1 = box
    cx, cy = (x0 + x1) / 2, (y0 + 34 + y1) / 2
    if kind == "speed":
        canvas.fill("line", [(cx - 70 * math.cos(a / 20), cy + 30 - 70 * math.sin(a / 20))
                             for a in range(0, 63)], LINE, width=12)
        canvas.fill("line", [(cx - 70 * math.cos(a / 20), cy + 30 - 70 * math.sin(a / 20))
                             for a in range(0, 50)], accent, width=12)
        canvas.fill("line", [(cx, cy + 30), (cx + 42, cy - 14)], INK, width=5)
        canvas.fill("ellipse", (cx - 9, cy + 21, cx + 9, cy + 39), INK)
    elif kind == "tabs":
        for i, colour in enumerate((SKY, accent, MINT)):
            top = cy - 60 + i * 42
            floating(canvas, (x0 + 40 + i * 12, top, x1 - 40 + i * 12, top + 56), 10, depth=0.6)
            canvas.fill("ellipse", (x0 + 54 + i * 12, top + 16, x0 + 78 + i * 12, top + 40), colour)
            _lines(canvas, x0 + 92 + i * 12, top + 18, (120, 80), gap=14)
    elif kind in ("lock", "shield"):
        if kind == "lock":
            canvas.fill("line", [(cx - 32 + 64 * (1 - math.cos(a / 20)) / 2, cy - 18 - 40 * math.sin(a / 20))
                                 for a in range(0, 63)], SLATE, width=10)
            canvas.fill("round", (cx - 52, cy - 20, cx + 52, cy + 62), accent, radius=12)
            canvas.fill("ellipse", (cx - 10, cy + 6, cx + 10, cy + 26), WHITE)
            canvas.fill("rect", (cx - 4, cy + 20, cx + 4, cy + 42), WHITE)
        else:
            points = [(cx - 58, cy - 62), (cx + 58, cy - 62), (cx + 58, cy)]
            points += [(cx + 58 * math.cos(a / 10), cy + 72 * math.sin(a / 10)) for a in range(0, 32)]
            canvas.fill("polygon", points + [(cx - 58, cy)], accent)
            canvas.fill("line", [(cx - 26, cy), (cx - 6, cy + 22), (cx + 30, cy - 22)], WHITE, width=10)
    elif kind == "reader":
        canvas.fill("round", (x0 + 40, y0 + 56, x0 + 140, y0 + 120), accent, radius=8, opacity=0.85)
        _lines(canvas, x0 + 156, y0 + 60, (90, 70, 96))
        _lines(canvas, x0 + 40, y0 + 140, (212, 196, 212, 150, 180), colour=(206, 214, 222))
    elif kind == "sync":
        canvas.fill("round", (x0 + 30, cy - 50, x0 + 160, cy + 40), INK, radius=8)
        canvas.fill("round", (x0 + 36, cy - 44, x0 + 154, cy + 34), SKY, radius=4)
        canvas.fill("round", (x0 + 16, cy + 40, x0 + 174, cy + 50), SLATE, radius=4)
        canvas.fill("round", (x1 - 90, cy - 60, x1 - 36, cy + 50), INK, radius=10)
        canvas.fill("round", (x1 - 85, cy - 52, x1 - 41, cy + 38), MINT, radius=5)
        for sign in (-1, 1):
            y = cy - 8 + sign * 12
            tip = x1 - 104 if sign < 0 else x0 + 178
            canvas.fill("line", [(x0 + 180, y), (x1 - 106, y)], accent, width=4)
            canvas.fill("polygon", [(tip, y - 8), (tip + 14 * -sign, y), (tip, y + 8)] if sign < 0 else
                        [(tip + 8, y - 8), (tip - 6, y), (tip + 8, y + 8)], accent)
    elif kind == "moon":
        canvas.fill("round", (x0 + 24, y0 + 48, x1 - 24, y1 - 20), INK, radius=10)
        canvas.fill("ellipse", (cx - 46, cy - 50, cx + 46, cy + 42), SUN)
        canvas.fill("ellipse", (cx - 18, cy - 66, cx + 66, cy + 18), INK)
        for sx, sy in ((x0 + 60, y0 + 80), (x1 - 60, y0 + 110), (x0 + 90, y1 - 60)):
            canvas.fill("ellipse", (sx - 3, sy - 3, sx + 3, sy + 3), WHITE)
    elif kind == "quiet":
        for i in range(3):
            r = 30 + i * 26
            canvas.fill("line", [(cx + r * math.cos(a / 20), cy + r * math.sin(a / 20))
                                 for a in range(-15, 16)], accent, width=6, opacity=1 - i * 0.3)
        canvas.fill("round", (cx - 70, cy - 26, cx - 34, cy + 26), SLATE, radius=6)
        canvas.fill("polygon", [(cx - 40, cy - 26), (cx - 6, cy - 52), (cx - 6, cy + 52),
                                (cx - 40, cy + 26)], SLATE)
    else:  # screen
        canvas.fill("round", (cx - 110, cy - 66, cx + 110, cy + 60), INK, radius=10)
        canvas.fill("round", (cx - 100, cy - 56, cx + 100, cy + 50),
                    canvas.linear((cx - 100, cy - 56), (cx + 100, cy + 50), [(0, SKY), (1, accent)]),
                    radius=5)
        canvas.fill("round", (cx - 30, cy + 60, cx + 30, cy + 76), SLATE, radius=4)


@functools.lru_cache(maxsize=None)
def slide_jpeg(number):
    """Slide |number| (2, 3, ...) as a 1456x800 JPEG."""
    headline, text, accent, kind = THEMES[(number - 2) % len(THEMES)]
    canvas = Canvas(WIDTH, HEIGHT, scale=2, fill=WHITE, supersample=1)

    def blobs(layer):
        for box, colour, opacity in (((-80, 230, 260, 470), MINT, 0.45), ((300, 250, 560, 470), SKY, 0.4),
                                     ((520, 120, 800, 420), accent, 0.25)):
            layer.soft(layer.shape("ellipse", box), 40, colour, opacity=opacity)
    faded(canvas, blobs, fade_top=260)
    words = headline.split()
    split = (len(words) + 1) // 2
    for i, line in enumerate((" ".join(words[:split]), " ".join(words[split:]))):
        canvas.text((40, 150 + i * 40), line, "Bold", 32, INK)
    canvas.text((40, 222), text, "Regular", 13, SLATE)
    _picture(canvas, kind, accent, _card(canvas, accent))
    return jpeg_bytes(canvas.result())


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    out = Path(argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for number in range(2, int(argv[2]) + 2):
        (out / file_name(number)).write_bytes(slide_jpeg(number))


if __name__ == "__main__":
    main(sys.argv)
