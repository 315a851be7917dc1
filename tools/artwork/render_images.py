#!/usr/bin/python3
"""Draws every picture of the installer window into resources/images.

usage: render_images.py [--out DIR] [--check] [--preview DIR]

The artwork is drawn here rather than painted by hand, so that anyone can
change it and get the same bytes again: shapes are drawn four times larger
and reduced by area, the text comes from Debian's fonts-open-sans, nothing
is random, and the encoders run with fixed settings and write no metadata.
Needs Debian's python3-pil (hence the interpreter above).

--check    renders into a temporary folder and compares with resources/images
           byte for byte; exit 1 naming what differs.
--preview  writes a contact sheet and mock-ups of the screens at scale 1.0
           and 1.5 into DIR, to look at the art in place (the rectangles
           there are guesses; the window code has its own).
"""
import argparse
import io
import math
import struct
import sys
import tempfile
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

ROOT = Path(__file__).resolve().parents[2]
IMAGES = ROOT / "resources" / "images"
FONT_DIR = Path("/usr/share/fonts/truetype/open-sans")
SUPERSAMPLE = 4

# One palette: sea teal to azure for the brand, a warm sunflower for the
# one action that matters, slate inks for text and lines.
INK = (22, 36, 52)
SLATE = (92, 106, 122)
MUTED = (146, 158, 171)
LINE = (216, 223, 230)
MIST = (241, 245, 248)
TEAL = (14, 166, 152)
TEAL_DEEP = (9, 128, 118)
AZURE = (41, 108, 228)
MINT = (122, 224, 200)
SKY = (146, 192, 255)
SUN = (255, 204, 51)
SUN_LIGHT = (255, 223, 112)
SUN_DEEP = (226, 168, 10)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

WORDMARK = {"en": ("Zelmar", "Browser"), "ru": ("Зелмар", "Браузер")}
# Texts inside the slide pictures, by language.
SLIDE_TEXT = {
    "en": {"tab": "Zelmar", "tab2": "Mirra", "address": "Search with Zelmar or enter an address",
           "search": "Search the web", "mirra": "Hi, I'm Mirra!", "password": "Password",
           "payment": "Payment", "protected": "Protected", "file": "File checked",
           "clean": "No threats found"},
    "ru": {"tab": "Зелмар", "tab2": "Мирра", "address": "Искать в Зелмаре или ввести адрес",
           "search": "Поиск в интернете", "mirra": "Привет, я Мирра!", "password": "Пароль",
           "payment": "Платёж", "protected": "Защищён", "file": "Файл проверен",
           "clean": "Угроз не найдено"},
}


def rgba(colour, alpha=None):
    if alpha is None:
        alpha = colour[3] if len(colour) > 3 else 255
    return tuple(colour[:3]) + (int(round(alpha)),)


def font(weight, px):
    # The basic layout engine places glyphs the same way with or without
    # libraqm installed.
    return ImageFont.truetype(str(FONT_DIR / f"OpenSans-{weight}.ttf"), max(1, int(round(px))),
                              layout_engine=ImageFont.Layout.BASIC)


class Canvas:
    """An RGBA picture drawn in logical units (`scale` output pixels per
    unit), drawn `supersample` times larger and reduced by area at the end,
    so that edges on whole units stay sharp and the rest is smooth."""

    def __init__(self, width, height, scale=1, fill=(0, 0, 0, 0), supersample=SUPERSAMPLE):
        self.size = (width, height)
        self.scale = scale
        self.k = scale * supersample
        self.image = Image.new("RGBA", (round(width * self.k), round(height * self.k)), rgba(fill))

    def xy(self, *values):
        return [v * self.k for v in values]

    def box(self, x0, y0, x1, y1):
        # Pillow's boxes include their far edge; ours end before it.
        return [x0 * self.k, y0 * self.k, x1 * self.k - 1, y1 * self.k - 1]

    def shape(self, kind, geometry, radius=0, width=1):
        """The L mask of one shape: "rect", "round" (rounded rectangle) or
        "ellipse" in a box, "polygon" through points, "line" along points
        (round caps and joints, `width` wide)."""
        mask = Image.new("L", self.image.size, 0)
        draw = ImageDraw.Draw(mask)
        if kind == "rect":
            draw.rectangle(self.box(*geometry), fill=255)
        elif kind == "round":
            draw.rounded_rectangle(self.box(*geometry), radius * self.k, fill=255)
        elif kind == "ellipse":
            draw.ellipse(self.box(*geometry), fill=255)
        elif kind == "polygon":
            draw.polygon([tuple(self.xy(*p)) for p in geometry], fill=255)
        elif kind == "line":
            w = width * self.k
            points = [tuple(self.xy(*p)) for p in geometry]
            draw.line(points, fill=255, width=max(1, round(w)), joint="curve")
            for x, y in (points[0], points[-1]):
                draw.ellipse([x - w / 2, y - w / 2, x + w / 2, y + w / 2], fill=255)
        return mask

    def paint(self, mask, paint, opacity=1.0):
        """Composes `paint` (a colour or an RGBA image of the canvas size)
        through `mask` at `opacity`."""
        if isinstance(paint, tuple):
            layer = Image.new("RGBA", self.image.size, rgba(paint))
        else:
            layer = paint.copy()
        alpha = ImageChops.multiply(mask, layer.getchannel("A"))
        if opacity < 1.0:
            alpha = alpha.point(lambda v: int(round(v * opacity)))
        layer.putalpha(alpha)
        self.image.alpha_composite(layer)

    def fill(self, kind, geometry, paint, radius=0, opacity=1.0, width=1):
        self.paint(self.shape(kind, geometry, radius, width), paint, opacity)

    def outline(self, geometry, radius, paint, width=1, opacity=1.0):
        """A rounded rectangle's border, `width` wide, inside its box."""
        x0, y0, x1, y1 = geometry
        ring = ImageChops.subtract(self.shape("round", geometry, radius),
                                   self.shape("round", (x0 + width, y0 + width, x1 - width, y1 - width),
                                              max(0, radius - width)))
        self.paint(ring, paint, opacity)

    def soft(self, mask, blur, paint, opacity=1.0, offset=(0, 0), clip=None):
        """A blurred, shifted copy of `mask`: shadows and glows, kept
        within the `clip` mask when one is given."""
        if offset != (0, 0):
            moved = Image.new("L", mask.size, 0)
            moved.paste(mask, (round(offset[0] * self.k), round(offset[1] * self.k)))
            mask = moved
        mask = mask.filter(ImageFilter.GaussianBlur(blur * self.k))
        if clip is not None:
            mask = ImageChops.multiply(mask, clip)
        self.paint(mask, paint, opacity)

    def linear(self, start, end, stops):
        """A linear gradient over the canvas from point `start` to `end`
        through (position 0..1, colour) stops."""
        (x0, y0), (x1, y1) = self.xy(*start), self.xy(*end)
        length = math.hypot(x1 - x0, y1 - y0)
        dx, dy = (x1 - x0) / length, (y1 - y0) / length
        return self._gradient(lambda x, y: ((x - x0) * dx + (y - y0) * dy) / length, stops)

    def radial(self, centre, radius, stops):
        cx, cy = self.xy(*centre)
        r = radius * self.k
        return self._gradient(lambda x, y: math.hypot(x - cx, y - cy) / r, stops)

    def _gradient(self, position, stops):
        # Exact on a coarse grid, enlarged smoothly: gradients have no edges.
        w, h = self.image.size
        step = 8
        gw, gh = w // step + 2, h // step + 2
        grid = Image.new("L", (gw, gh))
        grid.putdata([max(0, min(255, int(round(255 * position(i * step, j * step)))))
                      for j in range(gh) for i in range(gw)])
        ramp = grid.resize((gw * step, gh * step), Image.BILINEAR).crop((0, 0, w, h))
        return colour_ramp(ramp, stops)

    def text(self, xy, text, weight, px, colour, anchor="ls", opacity=1.0):
        mask = Image.new("L", self.image.size, 0)
        ImageDraw.Draw(mask).text(tuple(self.xy(*xy)), text, fill=255,
                                  font=font(weight, px * self.k), anchor=anchor)
        self.paint(mask, colour, opacity)

    def text_width(self, text, weight, px):
        return font(weight, px * self.k).getlength(text) / self.k

    def result(self):
        return self.image.resize((round(self.size[0] * self.scale), round(self.size[1] * self.scale)),
                                 Image.BOX)


def colour_ramp(ramp, stops):
    """Maps an L ramp (0..255) through colour stops [(0..1, colour), ...]."""
    stops = [(p, rgba(c)) for p, c in stops]
    tables = [[], [], [], []]
    for v in range(256):
        t = v / 255
        colour = stops[0][1] if t <= stops[0][0] else stops[-1][1]
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1 and p1 > p0:
                u = (t - p0) / (p1 - p0)
                colour = tuple(c0[i] + (c1[i] - c0[i]) * u for i in range(4))
                break
        for channel in range(4):
            tables[channel].append(int(round(colour[channel])))
    return Image.merge("RGBA", [ramp.point(tables[c]) for c in range(4)])


def strip(frames):
    """Frames side by side, left to right."""
    out = Image.new("RGBA", (sum(f.width for f in frames), frames[0].height), (0, 0, 0, 0))
    x = 0
    for f in frames:
        out.paste(f, (x, 0))
        x += f.width
    return out


# ---------------------------------------------------------------------------
# The brand: a round mark and the wordmark.
# ---------------------------------------------------------------------------

def brand_gradient(canvas, x, y, size):
    return canvas.linear((x + size * 0.15, y + size * 0.1), (x + size * 0.85, y + size * 0.95),
                         [(0, MINT), (0.38, TEAL), (1, AZURE)])


def draw_mark(canvas, x, y, size, small=False):
    """The mark: a sea-coloured disc with a white Z whose middle stroke is
    a wave, and a sun above its shoulder. `small` is for sizes where fine
    light would only blur: bolder strokes, no highlight."""
    disc = canvas.shape("ellipse", (x, y, x + size, y + size))
    canvas.paint(disc, brand_gradient(canvas, x, y, size))
    if not small:
        # A soft light on the upper left gives the disc some volume.
        canvas.soft(canvas.shape("ellipse", (x + size * 0.12, y + size * 0.06, x + size * 0.62,
                                             y + size * 0.46)), size * 0.12, WHITE, 0.22, clip=disc)
    draw_mark_glyph(canvas, x, y, size, small)


def draw_mark_glyph(canvas, x, y, size, small=False):
    """The white Z and the sun of the mark, without its ground."""
    s = size
    top, bottom = y + s * 0.34, y + s * 0.68
    left, right = x + s * 0.30, x + s * 0.68
    points = [(left + s * 0.02, top), (right, top)]
    for i in range(1, 20):
        t = i / 20
        points.append((right + (left - right) * t,
                       top + (bottom - top) * t + math.sin(t * 2 * math.pi) * s * 0.035))
    points += [(left, bottom), (right - s * 0.02, bottom)]
    canvas.fill("line", points, WHITE, width=s * (0.15 if small else 0.125))
    sun = s * (0.15 if small else 0.13)
    cx, cy = x + s * 0.765, y + s * 0.2
    canvas.fill("ellipse", (cx - sun / 2, cy - sun / 2, cx + sun / 2, cy + sun / 2), SUN)


def fit_text_size(measure, room, start):
    px = start
    while measure(px) > room:
        px -= 0.25
    return px


def logo(width, height, scale, language, progress_screen):
    """Mark and two-weight wordmark across a width x height strip. On the
    progress screen the product word takes the brand colour: there the
    logo stands alone above the slides."""
    canvas = Canvas(width, height, scale)
    draw_mark(canvas, 0, 0, height, small=height * scale < 32)
    first, second = WORDMARK[language]
    x = height * 1.26
    px = fit_text_size(lambda p: canvas.text_width(first + " ", "Bold", p)
                       + canvas.text_width(second, "Regular", p), width - x - 1, height * 0.62)
    baseline = height / 2 + px * 0.714 / 2  # Open Sans caps are 0.714 of the size
    canvas.text((x, baseline), first, "Bold", px, INK)
    x += canvas.text_width(first + " ", "Bold", px)
    canvas.text((x, baseline), second, "Regular", px, TEAL if progress_screen else SLATE)
    return canvas.result()


def logo_b(width, height, scale, language, progress_screen):
    """The second visual variant: the mark on a rounded tile as on the
    desktop, the product word in spaced small capitals."""
    canvas = Canvas(width, height, scale)
    canvas.fill("round", (0, 0, height, height), brand_gradient(canvas, 0, 0, height), radius=height * 0.26)
    draw_mark_glyph(canvas, 0, 0, height, small=height * scale < 32)
    first, second = WORDMARK[language]
    second = second.upper()
    x = height * 1.3

    def measure(p):
        return (canvas.text_width(first, "Bold", p) + p * 0.45
                + sum(canvas.text_width(c, "Semibold", p * 0.62) + p * 0.06 for c in second))
    px = fit_text_size(measure, width - x - 1, height * 0.6)
    baseline = height / 2 + px * 0.714 / 2
    canvas.text((x, baseline), first, "Bold", px, INK)
    x += canvas.text_width(first, "Bold", px) + px * 0.45
    for c in second:
        canvas.text((x, baseline), c, "Semibold", px * 0.62, TEAL if progress_screen else SLATE)
        x += canvas.text_width(c, "Semibold", px * 0.62) + px * 0.06
    return canvas.result()


def icon_frames():
    frames = []
    for size in (16, 24, 32, 48, 256):
        canvas = Canvas(size, size)
        draw_mark(canvas, 0, 0, size, small=size <= 32)
        frames.append(canvas.result())
    return frames


# ---------------------------------------------------------------------------
# Controls.
# ---------------------------------------------------------------------------

def close_button(resting):
    """Three 12x12 faces (normal, hot, pressed): a thin cross; hot and
    pressed put a round shade behind it."""
    frames = []
    for shade, cross in ((0, resting), (0.08, INK), (0.17, INK)):
        canvas = Canvas(12, 12)
        if shade:
            canvas.fill("ellipse", (0, 0, 12, 12), INK, opacity=shade)
        for line in (((3.6, 3.6), (8.4, 8.4)), ((8.4, 3.6), (3.6, 8.4))):
            canvas.fill("line", line, cross, width=1.25)
        frames.append(canvas.result())
    return strip(frames)


def check_box():
    """Six 16x16 faces: unchecked normal, hot, pressed; checked normal,
    hot, pressed."""
    frames = []
    box = (1, 1, 15, 15)
    for border, ground in (((150, 162, 175), WHITE), (TEAL, (240, 251, 249)), (TEAL_DEEP, (214, 240, 236))):
        canvas = Canvas(16, 16)
        canvas.fill("round", box, ground, radius=3.5)
        canvas.outline(box, 3.5, border, width=1.1)
        frames.append(canvas.result())
    for top, bottom in ((MINT, TEAL), ((150, 234, 214), (30, 184, 168)), (TEAL, TEAL_DEEP)):
        canvas = Canvas(16, 16)
        canvas.fill("round", box, canvas.linear((0, 1), (0, 15), [(0, top), (0.55, bottom), (1, bottom)]),
                    radius=3.5)
        canvas.fill("line", [(4.6, 8.3), (7.0, 10.7), (11.5, 5.6)], WHITE, width=1.8)
        frames.append(canvas.result())
    return strip(frames)


def filled_button(width, height, radius, faces):
    """A rounded button filled with a vertical gradient per face, a darker
    rim and, when not pressed, a light line along its top."""
    frames = []
    for top, bottom, rim, pressed in faces:
        canvas = Canvas(width, height)
        box = (0, 0, width, height)
        canvas.fill("round", box, canvas.linear((0, 0), (0, height), [(0, top), (1, bottom)]), radius=radius)
        canvas.outline(box, radius, rim, width=1, opacity=0.85)
        if pressed:
            canvas.outline((1, 1, width - 1, height + 2), radius, BLACK, width=1.5, opacity=0.08)
        else:
            canvas.fill("rect", (radius, 1, width - radius, 2), WHITE, opacity=0.45)
        frames.append(canvas.result())
    return strip(frames)


def install_button():
    return filled_button(112, 32, 6, [
        (SUN_LIGHT, SUN, SUN_DEEP, False),
        ((255, 232, 145), (255, 214, 82), SUN_DEEP, False),
        ((247, 194, 35), (240, 186, 28), (206, 150, 6), True)])


def dialog_primary_button():
    return filled_button(120, 28, 5, [
        (SUN_LIGHT, SUN, SUN_DEEP, False),
        ((255, 232, 145), (255, 214, 82), SUN_DEEP, False),
        ((247, 194, 35), (240, 186, 28), (206, 150, 6), True)])


def dialog_secondary_button():
    return filled_button(120, 28, 5, [
        (WHITE, (246, 248, 250), (196, 205, 214), False),
        ((250, 252, 253), (236, 241, 245), (168, 180, 192), False),
        ((226, 232, 237), (232, 237, 241), (160, 172, 184), True)])


def progress_bar(filled):
    canvas = Canvas(292, 4)
    paint = canvas.linear((0, 0), (292, 0), [(0, TEAL), (1, AZURE)]) if filled else (226, 232, 237)
    canvas.fill("round", (0, 0, 292, 4), paint, radius=2)
    return canvas.result()


# ---------------------------------------------------------------------------
# Shadows.
# ---------------------------------------------------------------------------

SHADOW_REACH = 8
SHADOW_DEPTH = 60  # alpha right at the window's edge


def shadow_alpha(distance):
    """The main window's shadow: strongest at the edge, gone after 8 pixels."""
    if distance <= 0:
        return 0
    return int(round(SHADOW_DEPTH * max(0.0, 1 - distance / SHADOW_REACH) ** 2))


def shadow_piece(width, height, outside_x, outside_y):
    """One piece of the main window's shadow: `outside_x(x)` and
    `outside_y(y)` give how far a pixel's centre lies outside the window
    across and down (0 when within). Pixels over the window stay clear,
    so the shadow never darkens it."""
    image = Image.new("RGBA", (width, height))
    for y in range(height):
        for x in range(width):
            dx, dy = outside_x(x + 0.5), outside_y(y + 0.5)
            alpha = 0 if dx <= 0 and dy <= 0 else shadow_alpha(math.hypot(dx, dy))
            image.putpixel((x, y), (0, 0, 0, alpha))
    return image


def shadow_pieces():
    """Corners 16x16 (the window's own corner covers their inner quarter)
    and edges 8 pixels deep, as the window stretches them around itself."""
    r = SHADOW_REACH

    def before(c):
        return max(0.0, r - c)

    def after(c):
        return max(0.0, c - r)

    def none(c):
        return 0.0
    return {
        "top_left": shadow_piece(2 * r, 2 * r, before, before),
        "top_right": shadow_piece(2 * r, 2 * r, after, before),
        "bottom_right": shadow_piece(2 * r, 2 * r, after, after),
        "bottom_left": shadow_piece(2 * r, 2 * r, before, after),
        "left": shadow_piece(r, 1, lambda c: r - c, none),
        "right": shadow_piece(r, 1, lambda c: c, none),
        "top": shadow_piece(1, r, none, lambda c: r - c),
        "bottom": shadow_piece(1, r, none, lambda c: c),
    }


# The message dialog's picture carries its own shadow in these margins.
DIALOG_MARGINS = (7, 4, 6, 8)  # left, top, right, bottom


def dialog_background():
    """410x186: an opaque white panel with a brand-coloured top rule and a
    quiet light in one corner, inside a soft shadow that falls downwards."""
    width, height = 410, 186
    left, top, right, bottom = DIALOG_MARGINS
    panel = (left, top, width - right, height - bottom)
    canvas = Canvas(width, height)
    canvas.soft(canvas.shape("rect", panel), 2.6, BLACK, opacity=0.42, offset=(-0.5, 2))
    canvas.fill("rect", panel, WHITE)
    x0, y0, x1, y1 = panel
    canvas.fill("rect", panel, canvas.radial((x1, y0), 170, [(0, rgba(MINT, 46)), (1, rgba(MINT, 0))]))
    canvas.outline(panel, 0, LINE, width=1)
    canvas.fill("rect", (x0, y0, x1, y0 + 3), canvas.linear((x0, 0), (x1, 0), [(0, TEAL), (1, AZURE)]))
    return canvas.result()


# ---------------------------------------------------------------------------
# The main window's background.
# ---------------------------------------------------------------------------

def main_background():
    """728x400, light: the text, check boxes and button go anywhere over
    it. The colour lives at the edges: a sea-green light in the upper right
    and swell lines in the lower right."""
    width, height = 728, 400
    canvas = Canvas(width, height, supersample=2)
    canvas.fill("rect", (0, 0, width, height),
                canvas.linear((0, 0), (width, height), [(0, WHITE), (0.55, (248, 251, 252)), (1, (234, 243, 246))]))
    canvas.fill("rect", (0, 0, width, height),
                canvas.radial((760, -30), 440, [(0, rgba(MINT, 150)), (0.45, rgba(SKY, 56)), (1, rgba(SKY, 0))]))
    canvas.fill("rect", (0, 0, width, height),
                canvas.radial((-60, 460), 330, [(0, rgba(MINT, 52)), (1, rgba(MINT, 0))]))
    # Swell: bands that rise to the right, each a little lighter.
    for i, (opacity, lift) in enumerate(((0.13, 0), (0.10, 26), (0.07, 52))):
        points = []
        for step in range(0, 101):
            x = 300 + (width + 20 - 300) * step / 100
            t = step / 100
            y = height - 18 - lift - 120 * t ** 1.8 + 10 * math.sin(t * math.pi * 2.2 + i)
            points.append((x, y))
        canvas.fill("polygon", points + [(width + 20, height + 5), (300, height + 5)],
                    canvas.linear((300, 0), (width, 0), [(0, rgba(TEAL, 0)), (0.6, TEAL), (1, AZURE)]),
                    opacity=opacity)
        canvas.fill("line", points, canvas.linear((300, 0), (width, 0),
                                                  [(0, rgba(TEAL, 0)), (0.7, TEAL), (1, AZURE)]),
                    width=1, opacity=0.22)
    canvas.outline((0, 0, width, height), 0, (205, 214, 222), width=1)
    return canvas.result()


# ---------------------------------------------------------------------------
# Slides: the picture at the bottom of the progress screen.
# ---------------------------------------------------------------------------

def faded(canvas, draw, fade_top=0, fade_right=None):
    """Runs `draw` on a transparent layer of `canvas`, fades the layer out
    towards the top (and the right edge) so that the picture melts into the
    white screen above it, and composes it."""
    layer = Canvas(*canvas.size, scale=canvas.scale, supersample=canvas.k // canvas.scale)
    draw(layer)
    fade = layer.linear((0, 0), (0, fade_top), [(0, rgba(WHITE, 0)), (1, WHITE)]).getchannel("A")
    if fade_right:
        edge = layer.linear((canvas.size[0], 0), (canvas.size[0] - fade_right, 0),
                            [(0, rgba(WHITE, 0)), (1, WHITE)]).getchannel("A")
        fade = ImageChops.multiply(fade, edge)
    canvas.paint(fade, layer.image)


def floating(canvas, box, radius, fill=WHITE, depth=1.0):
    """A white card that floats: a soft shadow under a rounded box."""
    canvas.soft(canvas.shape("round", box, radius), 6 * depth, INK, opacity=0.16, offset=(0, 3 * depth))
    canvas.fill("round", box, fill, radius=radius)


def check_badge(canvas, cx, cy, r):
    canvas.fill("ellipse", (cx - r, cy - r, cx + r, cy + r), TEAL)
    canvas.fill("line", [(cx - r * 0.45, cy + r * 0.02), (cx - r * 0.1, cy + r * 0.38),
                         (cx + r * 0.48, cy - r * 0.35)], WHITE, width=r * 0.32)


def slide_a(language):
    """728x268: the browser itself, a window with Zelmar's start page and
    Mirra saying hello, over soft sea colours."""
    text = SLIDE_TEXT[language]
    width, height = 728, 268
    canvas = Canvas(width, height, fill=WHITE, supersample=2)

    def blobs(layer):
        # Soft rounds of sea colour that gather around the window's foot.
        for box, colour, opacity in (((-70, 150, 190, 410), MINT, 0.6), ((80, 190, 300, 410), TEAL, 0.28),
                                     ((500, 140, 760, 400), SKY, 0.6), ((640, 200, 820, 380), AZURE, 0.25),
                                     ((300, 200, 480, 380), MINT, 0.35)):
            layer.soft(layer.shape("ellipse", box), 34, colour, opacity=opacity)
    faded(canvas, blobs, fade_top=150)

    x0, y0, x1 = 164, 44, 564
    floating(canvas, (x0, y0, x1, height + 20), 10, depth=2)
    canvas.fill("round", (x0, y0, x1, y0 + 40), MIST, radius=10)
    canvas.fill("rect", (x0, y0 + 20, x1, y0 + 30), MIST)
    # Tabs.
    canvas.fill("round", (x0 + 10, y0 + 6, x0 + 140, y0 + 40), WHITE, radius=7)
    draw_mark(canvas, x0 + 20, y0 + 12, 13, small=True)
    canvas.text((x0 + 39, y0 + 23), text["tab"], "Semibold", 10, INK)
    canvas.fill("line", [(x0 + 124, y0 + 15), (x0 + 130, y0 + 21)], MUTED, width=1.1)
    canvas.fill("line", [(x0 + 130, y0 + 15), (x0 + 124, y0 + 21)], MUTED, width=1.1)
    canvas.fill("ellipse", (x0 + 152, y0 + 12, x0 + 164, y0 + 24), (190, 202, 214))
    canvas.text((x0 + 171, y0 + 23), text["tab2"], "Regular", 10, SLATE)
    canvas.fill("line", [(x0 + 232, y0 + 13), (x0 + 232, y0 + 23)], MUTED, width=1.2)
    canvas.fill("line", [(x0 + 227, y0 + 18), (x0 + 237, y0 + 18)], MUTED, width=1.2)
    for i, kind in enumerate(("min", "max", "close")):
        cx = x1 - 48 + i * 16
        if kind == "min":
            canvas.fill("line", [(cx - 4, y0 + 18), (cx + 4, y0 + 18)], SLATE, width=1.1)
        elif kind == "max":
            canvas.outline((cx - 4, y0 + 14, cx + 4, y0 + 22), 1.5, SLATE, width=1.1)
        else:
            canvas.fill("line", [(cx - 4, y0 + 14), (cx + 4, y0 + 22)], SLATE, width=1.1)
            canvas.fill("line", [(cx + 4, y0 + 14), (cx - 4, y0 + 22)], SLATE, width=1.1)
    # Toolbar and address field.
    ty = y0 + 40
    canvas.fill("rect", (x0, ty, x1, ty + 32), WHITE)
    for cx, colour, sign in ((x0 + 18, SLATE, 1), (x0 + 38, MUTED, -1)):  # back, forward
        canvas.fill("line", [(cx + 3 * sign, ty + 11), (cx - 2 * sign, ty + 16), (cx + 3 * sign, ty + 21)],
                    colour, width=1.4)
    canvas.fill("line", [(x0 + 62 + 5 * math.cos(a / 10), ty + 16 + 5 * math.sin(a / 10))
                         for a in range(-5, 52)], SLATE, width=1.3)
    canvas.fill("polygon", [(x0 + 67.5, ty + 9), (x0 + 68, ty + 15), (x0 + 63, ty + 13)], SLATE)
    canvas.fill("round", (x0 + 82, ty + 6, x1 - 14, ty + 26), MIST, radius=10)
    draw_mark(canvas, x0 + 89, ty + 10, 12, small=True)
    canvas.text((x0 + 108, ty + 20), text["address"], "Regular", 9.5, SLATE)
    canvas.fill("rect", (x0, ty + 32, x1, ty + 33), LINE)
    # The start page.
    py = ty + 33
    canvas.fill("rect", (x0, py, x1, height),
                canvas.linear((0, py), (0, height), [(0, WHITE), (1, (236, 248, 246))]))
    cx = (x0 + x1) / 2
    draw_mark(canvas, cx - 18, py + 14, 36)
    floating(canvas, (cx - 120, py + 58, cx + 120, py + 82), 12, depth=0.6)
    canvas.outline((cx - 120, py + 58, cx + 120, py + 82), 12, LINE, width=1)
    canvas.text((cx - 106, py + 74), text["search"], "Regular", 10, MUTED)
    canvas.outline((cx + 96, py + 63, cx + 106, py + 73), 5, TEAL, width=1.6)
    canvas.fill("line", [(cx + 105, py + 72), (cx + 109, py + 76)], TEAL, width=1.8)
    tiles = [TEAL, SUN, AZURE, MINT, None]
    for i, colour in enumerate(tiles):
        tx = cx - 2.5 * 40 + i * 40 + 2
        box = (tx, py + 98, tx + 36, py + 134)
        floating(canvas, box, 9, depth=0.6)
        mx, my = tx + 18, py + 116
        if colour is None:
            canvas.fill("line", [(mx - 6, my), (mx + 6, my)], MUTED, width=1.6)
            canvas.fill("line", [(mx, my - 6), (mx, my + 6)], MUTED, width=1.6)
        elif i == 0:
            canvas.fill("ellipse", (mx - 8, my - 8, mx + 8, my + 8), colour)
            canvas.fill("ellipse", (mx - 3, my - 3, mx + 3, my + 3), WHITE)
        elif i == 1:
            star = [(mx + (8 if k % 2 == 0 else 3.4) * math.cos(math.pi / 2 + k * math.pi / 5),
                     my - (8 if k % 2 == 0 else 3.4) * math.sin(math.pi / 2 + k * math.pi / 5))
                    for k in range(10)]
            canvas.fill("polygon", star, colour)
        elif i == 2:
            canvas.fill("round", (mx - 8, my - 7, mx + 8, my + 7), colour, radius=2.5)
            canvas.fill("line", [(mx - 8, my - 3), (mx, my + 2), (mx + 8, my - 3)], WHITE, width=1.4)
        else:
            canvas.fill("polygon", [(mx - 8, my + 7), (mx - 1, my - 7), (mx + 8, my + 7)], TEAL_DEEP,
                        opacity=0.35)
            canvas.fill("polygon", [(mx - 4, my + 7), (mx + 2, my - 3), (mx + 8, my + 7)], colour)
    # Mirra, the assistant, says hello at the window's corner.
    mx, my, r = x1 + 6, 198, 23
    canvas.soft(canvas.shape("ellipse", (mx - r, my - r, mx + r, my + r)), 6, AZURE, opacity=0.35,
                offset=(0, 4))
    canvas.fill("ellipse", (mx - r, my - r, mx + r, my + r),
                canvas.linear((mx - r, my - r), (mx + r, my + r), [(0, SKY), (0.5, AZURE), (1, TEAL_DEEP)]))
    sparkle(canvas, mx, my, 11, WHITE)
    sparkle(canvas, mx + 9, my - 9, 4, SUN)
    label = text["mirra"]
    w = canvas.text_width(label, "Semibold", 10.5) + 24
    bx1, by0 = mx - 10, my - r - 40
    floating(canvas, (bx1 - w, by0, bx1, by0 + 28), 14, depth=0.8)
    canvas.fill("polygon", [(bx1 - 30, by0 + 27), (bx1 - 14, by0 + 27), (bx1 - 16, by0 + 36)], WHITE)
    canvas.text((bx1 - w + 12, by0 + 18), label, "Semibold", 10.5, INK)
    return canvas.result().convert("RGB")


def sparkle(canvas, cx, cy, r, colour):
    """A four-pointed spark: Mirra's sign."""
    points = []
    for k in range(8):
        a = k * math.pi / 4
        d = r if k % 2 == 0 else r * 0.28
        points.append((cx + d * math.sin(a), cy - d * math.cos(a)))
    canvas.fill("polygon", points, colour)


def shield_points(cx, top, w, h):
    """A shield outline: a gently arched top and sides that curve to a
    point at the bottom."""
    points = []
    for i in range(21):  # the arched top, left to right
        t = i / 20
        x = cx - w / 2 + w * t
        points.append((x, top + h * 0.08 * (1 - math.sin(t * math.pi)) ** 1.0))
    for i in range(1, 31):  # the right side down to the point
        t = i / 30
        points.append((cx + w / 2 * (1 - t ** 2.2) ** 0.9, top + h * 0.08 + (h * 0.92) * t))
    for i in range(29, 0, -1):  # and back up the left
        t = i / 30
        points.append((cx - w / 2 * (1 - t ** 2.2) ** 0.9, top + h * 0.08 + (h * 0.92) * t))
    return points


def slide_b(width, height, language):
    """Drawn at twice its size (the window halves it): a shield with the
    things it guards around it: passwords, payments and files."""
    text = SLIDE_TEXT[language]
    canvas = Canvas(width, height, scale=2, fill=WHITE, supersample=2)

    def blobs(layer):
        for box, colour, opacity in (((-80, height * 0.5, 170, height + 90), MINT, 0.6),
                                     ((width * 0.34, height * 0.5, width * 0.96, height + 80), SKY, 0.55),
                                     ((width * 0.2, height * 0.7, width * 0.6, height + 60), TEAL, 0.25)):
            layer.soft(layer.shape("ellipse", box), 30, colour, opacity=opacity)
    faded(canvas, blobs, fade_top=height * 0.45, fade_right=90)

    cx = width * 0.5
    sh = height * 0.56
    sw = sh * 0.84
    top = height * 0.22
    outline = shield_points(cx, top, sw, sh)
    shield = canvas.shape("polygon", outline)
    canvas.soft(shield, 10, AZURE, opacity=0.35, offset=(0, 8))
    canvas.paint(shield, canvas.linear((cx - sw / 2, top), (cx + sw / 2, top + sh),
                                       [(0, MINT), (0.4, TEAL), (1, AZURE)]))
    inner = shield_points(cx, top + sh * 0.07, sw * 0.8, sh * 0.83)
    canvas.fill("polygon", inner, WHITE, opacity=0.12)
    canvas.soft(canvas.shape("polygon", shield_points(cx - sw * 0.12, top - sh * 0.05, sw * 0.5, sh * 0.5)),
                12, WHITE, opacity=0.18, clip=shield)
    c = sh * 0.2
    canvas.fill("line", [(cx - c * 0.95, top + sh * 0.47), (cx - c * 0.25, top + sh * 0.47 + c * 0.7),
                         (cx + c * 1.05, top + sh * 0.47 - c * 0.75)], WHITE, width=sh * 0.075)

    # The password card, upper left.
    card_w, card_h = 112, 44
    px0, py0 = 14, height * 0.16
    floating(canvas, (px0, py0, px0 + card_w, py0 + card_h), 10)
    lx, ly = px0 + 20, py0 + 22
    canvas.outline((lx - 5, ly - 13, lx + 5, ly + 1), 5, TEAL, width=2)
    canvas.fill("round", (lx - 8, ly - 5, lx + 8, ly + 9), TEAL, radius=3)
    canvas.fill("ellipse", (lx - 1.6, ly + 0.5, lx + 1.6, ly + 3.7), WHITE)
    canvas.text((px0 + 36, py0 + 18), text["password"], "Regular", 9, SLATE)
    for i in range(8):
        dx = px0 + 39 + i * 8.5
        canvas.fill("ellipse", (dx - 2.6, py0 + 27.5, dx + 2.6, py0 + 32.7), INK)

    # The payment card, right.
    qx1, qy0 = width - 12, height * 0.5
    qx0 = qx1 - 118
    floating(canvas, (qx0, qy0, qx1, qy0 + card_h), 10)
    bx, by = qx0 + 10, qy0 + 11
    canvas.fill("round", (bx, by, bx + 30, by + 21),
                canvas.linear((bx, by), (bx + 30, by + 21), [(0, AZURE), (1, TEAL)]), radius=3.5)
    canvas.fill("rect", (bx, by + 5, bx + 30, by + 9), INK, opacity=0.5)
    canvas.fill("round", (bx + 4, by + 13, bx + 12, by + 18), SUN, radius=1.5)
    canvas.text((qx0 + 48, qy0 + 19), text["payment"], "Semibold", 9.5, INK)
    canvas.text((qx0 + 48, qy0 + 33), text["protected"], "Regular", 8.5, TEAL_DEEP)

    # The file, lower left.
    fx0, fy1 = 20, height - 14
    fy0 = fy1 - card_h
    fw = max(canvas.text_width(text["file"], "Semibold", 9.5),
             canvas.text_width(text["clean"], "Regular", 8.5)) + 52
    floating(canvas, (fx0, fy0, fx0 + fw, fy1), 10)
    dx, dy = fx0 + 12, fy0 + 9
    canvas.fill("polygon", [(dx, dy), (dx + 14, dy), (dx + 20, dy + 6), (dx + 20, dy + 26), (dx, dy + 26)],
                (226, 233, 240))
    canvas.fill("polygon", [(dx + 14, dy), (dx + 20, dy + 6), (dx + 14, dy + 6)], MUTED)
    for i in range(3):
        canvas.fill("rect", (dx + 4, dy + 11 + i * 4, dx + 16 - (i == 2) * 5, dy + 12.4 + i * 4), MUTED)
    check_badge(canvas, dx + 19, dy + 23, 6.5)
    canvas.text((fx0 + 40, fy0 + 19), text["file"], "Semibold", 9.5, INK)
    canvas.text((fx0 + 40, fy0 + 33), text["clean"], "Regular", 8.5, TEAL_DEEP)
    return canvas.result().convert("RGB")


# ---------------------------------------------------------------------------
# Files.
# ---------------------------------------------------------------------------

def png_bytes(image):
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    return out.getvalue()


def jpeg_bytes(image, quality=88):
    # Baseline (not progressive), Huffman tables optimised, no EXIF or ICC.
    out = io.BytesIO()
    image.convert("RGB").save(out, "JPEG", quality=quality, optimize=True, progressive=False,
                              subsampling="4:2:0")
    return out.getvalue()


def ico_bytes(frames):
    """An icon file: 32-bit DIB entries for the small sizes (what every
    Windows version reads) and PNG for 256."""
    entries, blobs = [], []
    for frame in frames:
        n = frame.width
        if n >= 256:
            blob = png_bytes(frame)
        else:
            header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
            pixels = bytearray()
            mask = bytearray()
            stride = (n + 31) // 32 * 4
            for y in range(n - 1, -1, -1):
                row = bytearray(stride)
                for x in range(n):
                    r, g, b, a = frame.getpixel((x, y))
                    pixels += bytes((b, g, r, a))
                    if a == 0:
                        row[x // 8] |= 0x80 >> (x % 8)
                mask += row
            blob = header + bytes(pixels) + bytes(mask)
        entries.append((n, blob))
        blobs.append(blob)
    offset = 6 + 16 * len(entries)
    out = struct.pack("<HHH", 0, 1, len(entries))
    for n, blob in entries:
        size = 0 if n >= 256 else n
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def pictures():
    """File name -> function making its bytes. The window's resource ids
    are given to these files in resources/lite_installer.rc."""
    shadows = {}

    def shadow(name):
        def make():
            if not shadows:
                shadows.update(shadow_pieces())
            return png_bytes(shadows[name])
        return make

    files = {
        "progress_close_button.png": lambda: png_bytes(close_button(MUTED)),
        "close_button.png": lambda: png_bytes(close_button(SLATE)),
        "dialog_background.png": lambda: png_bytes(dialog_background()),
        "dialog_primary_button.png": lambda: png_bytes(dialog_primary_button()),
        "dialog_secondary_button.png": lambda: png_bytes(dialog_secondary_button()),
        "check_box.png": lambda: png_bytes(check_box()),
        "main_background.jpg": lambda: jpeg_bytes(main_background()),
        "install_button.png": lambda: png_bytes(install_button()),
        "progress_filled.png": lambda: png_bytes(progress_bar(True)),
        "progress_empty.png": lambda: png_bytes(progress_bar(False)),
        "slide_a.jpg": lambda: jpeg_bytes(slide_a("en")),
        "slide_a_ru.jpg": lambda: jpeg_bytes(slide_a("ru")),
        "slide_b.jpg": lambda: jpeg_bytes(slide_b(351, 268, "en")),
        "slide_b_ru.jpg": lambda: jpeg_bytes(slide_b(349, 239, "ru")),
        "window_icon.ico": lambda: ico_bytes(icon_frames()),
    }
    for name in ("top_left", "top_right", "bottom_right", "bottom_left", "left", "top", "right", "bottom"):
        files[f"shadow_{name}.png"] = shadow(name)
    for language in ("en", "ru"):
        suffix = "" if language == "en" else "_ru"
        for screen, progress in (("first", False), ("progress", True)):
            for scale, at in ((1, ""), (2, "@2x")):
                files[f"logo_a_{screen}{suffix}{at}.png"] = (
                    lambda s=scale, l=language, p=progress: png_bytes(logo(212, 38, s, l, p)))
                files[f"logo_b_{screen}{suffix}{at}.png"] = (
                    lambda s=scale, l=language, p=progress: png_bytes(logo_b(166, 28, s, l, p)))
    return dict(sorted(files.items()))


def render(out_dir):
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, make in pictures().items():
        (out_dir / name).write_bytes(make())


def check():
    with tempfile.TemporaryDirectory() as scratch:
        fresh = Path(scratch)
        render(fresh)
        wanted = {p.name for p in fresh.iterdir()}
        present = {p.name for p in IMAGES.iterdir()} if IMAGES.is_dir() else set()
        problems = [f"missing: {n}" for n in sorted(wanted - present)]
        problems += [f"not drawn by this script: {n}" for n in sorted(present - wanted)]
        problems += [f"differs: {n}" for n in sorted(wanted & present)
                     if (fresh / n).read_bytes() != (IMAGES / n).read_bytes()]
    for line in problems:
        print(line)
    if not problems:
        print(f"{len(wanted)} pictures in {IMAGES.relative_to(ROOT)} match what this script draws")
    return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", type=Path, default=IMAGES)
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--preview", type=Path)
    args = parser.parse_args()
    if args.check:
        return check()
    if args.preview:
        import preview
        preview.write(args.preview)
        return 0
    render(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
