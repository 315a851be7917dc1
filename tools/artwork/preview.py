"""Mock-ups of the installer's screens from the rendered pictures, to look
at the art in place at scale 1.0 and 1.5 (render_images.py --preview DIR).

Composed the way the window composes them: faces cut from their strips,
pictures without a high-resolution variant stretched by the scale,
logos taken from their @2x files at scale / 2, the main window's shadow
from its eight pieces. The control rectangles are plausible guesses; the
window code has its own. "Arial" is drawn with Liberation Sans and
"SegoeUI" with Open Sans, as the tests' Wine prefixes map them.
"""
import io
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

import render_images as art

ARIAL = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"
SEGOE = "/usr/share/fonts/truetype/open-sans/OpenSans-Regular.ttf"
DESKTOP = (222, 227, 232, 255)
TEXT = (0, 0, 0)
DIALOG_TEXT = (70, 70, 70)


class Screen:
    def __init__(self, pictures, scale):
        self.pictures = pictures
        self.scale = scale

    def s(self, v):
        return int(v * self.scale)

    def picture(self, name, hires=None):
        """A picture at the screen's scale, as LoadScaled gives it."""
        if hires and self.scale != 1:
            image = self.pictures[hires]
            factor = self.scale / 2
        else:
            image = self.pictures[name]
            factor = self.scale
        if factor == 1:
            return image
        return image.resize((int(image.width * factor), int(image.height * factor)), Image.BILINEAR)

    def frame(self, name, index, count):
        strip = self.picture(name)
        w = strip.width // count
        return strip.crop((index * w, 0, (index + 1) * w, strip.height))

    def font(self, path, px):
        return ImageFont.truetype(path, self.s(px))

    def text(self, image, xy, text, path, px, colour, width=None, anchor="la", spacing=1.0):
        draw = ImageDraw.Draw(image)
        f = self.font(path, px)
        x, y = self.s(xy[0]), self.s(xy[1])
        lines = wrap(draw, text, f, self.s(width)) if width else [text]
        line_height = int(f.getbbox("Ag")[3] * 1.15 * spacing)
        for i, line in enumerate(lines):
            draw.text((x, y + i * line_height), line, font=f, fill=colour, anchor=anchor)
        return y + len(lines) * line_height


def wrap(draw, text, f, width):
    lines, line = [], ""
    for word in text.split(" "):
        trial = (line + " " + word).strip()
        if draw.textlength(trial, font=f) > width and line:
            lines.append(line)
            line = word
        else:
            line = trial
    return lines + [line]


def with_main_shadow(screen, window):
    """The window on a desktop with its eight shadow pieces stretched
    around it, in the window's own order."""
    a = screen.s(8)
    d = 2 * a
    w, h = window.size
    W, H = w + d, h + d
    layer = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    pieces = [("shadow_top_left", (0, 0, d, d)), ("shadow_top", (d, 0, w, a)),
              ("shadow_top_right", (w, 0, W, d)), ("shadow_right", (a + w, d, W, h)),
              ("shadow_bottom_right", (w, h, W, H)), ("shadow_bottom", (d, a + h, w, H)),
              ("shadow_bottom_left", (0, h, d, H)), ("shadow_left", (0, d, a, h))]
    for name, (x0, y0, x1, y1) in pieces:
        piece = screen.pictures[name].resize((x1 - x0, y1 - y0), Image.BILINEAR)
        layer.alpha_composite(piece, (x0, y0))
    desk = Image.new("RGBA", (W + 2 * screen.s(30), H + 2 * screen.s(30)), DESKTOP)
    desk.alpha_composite(layer, (screen.s(30), screen.s(30)))
    desk.alpha_composite(window, (screen.s(30) + a, screen.s(30) + a))
    return desk


def first_screen(screen, language="en"):
    ru = "_ru" if language == "ru" else ""
    window = screen.picture("main_background").copy()
    window.alpha_composite(screen.picture(f"logo_a_first{ru}", f"logo_a_first{ru}@2x"), (screen.s(48), screen.s(40)))
    screen.text(window, (48, 110), "The fast, secure, and intelligent web browser", ARIAL, 32, TEXT, width=620)
    boxes = [(249, "Set as default browser", 1), (279, "Pin Mirra to the taskbar", 3),
             (309, "I want to help improve Zelmar services by sending browser usage statistics to Zelmar", 4)]
    for y, label, face in boxes:
        window.alpha_composite(screen.frame("check_box", face, 6), (screen.s(48), screen.s(y)))
        screen.text(window, (70, y + 1), label, ARIAL, 12, TEXT, width=300)
    screen.text(window, (70, 340), "Privacy policy", ARIAL, 12, TEXT)
    button = screen.frame("install_button", 0, 3)
    bx, by = screen.s(568), screen.s(316)
    window.alpha_composite(button, (bx, by))
    f = screen.font(SEGOE, 15)
    ImageDraw.Draw(window).text((bx + button.width // 2, by + button.height // 2), "Install", font=f,
                                fill=TEXT, anchor="mm")
    screen.text(window, (48, 372), "By using Zelmar Browser, you agree to the terms and conditions of the "
                "License Agreement.", ARIAL, 12, TEXT)
    window.alpha_composite(screen.frame("close_button", 0, 3), (screen.s(704), screen.s(12)))
    return with_main_shadow(screen, window)


def progress_screen(screen, variant, language="en"):
    ru = "_ru" if language == "ru" else ""
    window = Image.new("RGBA", (screen.s(728), screen.s(400)), (255, 255, 255, 255))
    if variant == "a":
        slide = screen.picture(f"slide_a{ru}")
        window.alpha_composite(slide.convert("RGBA"), (0, window.height - slide.height))
        logo = screen.picture(f"logo_a_progress{ru}", f"logo_a_progress{ru}@2x")
        window.alpha_composite(logo, ((window.width - logo.width) // 2, screen.s(30)))
    else:
        half = screen.pictures[f"slide_b{ru}"]
        slide = half.resize((int(half.width * screen.scale / 2), int(half.height * screen.scale / 2)),
                            Image.BILINEAR)
        window.alpha_composite(slide.convert("RGBA"), (0, window.height - slide.height))
        logo = screen.picture(f"logo_b_progress{ru}", f"logo_b_progress{ru}@2x")
        window.alpha_composite(logo, (screen.s(48), screen.s(34)))
        screen.text(window, (546, 126), "Security", ARIAL, 28, TEXT, anchor="ma")
        screen.text(window, (400, 126 + 50), "Guardia active security technology warns you about online "
                    "threats, keeps your passwords, payments, and money transfers safe, and scans files "
                    "for viruses.", ARIAL, 15, TEXT, width=290, spacing=1.4)
    bar_x, bar_y = screen.s(218), screen.s(96)
    window.alpha_composite(screen.picture("progress_empty"), (bar_x, bar_y))
    filled = screen.picture("progress_filled")
    window.alpha_composite(filled.crop((0, 0, filled.width * 45 // 100, filled.height)), (bar_x, bar_y))
    screen.text(window, (516, 90), "45%", ARIAL, 12, TEXT)
    window.alpha_composite(screen.frame("progress_close_button", 1, 3), (screen.s(704), screen.s(12)))
    return with_main_shadow(screen, window)


def dialog(screen):
    back = screen.picture("dialog_background")
    ox, oy = screen.s(7), screen.s(4)  # the panel inside the shadow margins
    desk = Image.new("RGBA", (back.width + screen.s(60), back.height + screen.s(60)), DESKTOP)
    desk.alpha_composite(back, (screen.s(30), screen.s(30)))
    panel = Image.new("RGBA", back.size, (0, 0, 0, 0))
    screen.text(panel, (40 + 7, 30 + 4), "An error occurred during installation", ARIAL, 16, DIALOG_TEXT)
    screen.text(panel, (40 + 7, 76 + 4), "Try to download the installation file and repeat the installation "
                "manually.", ARIAL, 13, DIALOG_TEXT, width=320)
    for i, (name, label, x) in enumerate((("dialog_primary_button", "Download", 40),
                                          ("dialog_secondary_button", "Cancel", 170))):
        face = screen.frame(name, 1 if i == 0 else 0, 3)
        bx, by = ox + screen.s(x), oy + screen.s(126)
        panel.alpha_composite(face, (bx, by))
        ImageDraw.Draw(panel).text((bx + face.width // 2, by + face.height // 2), label,
                                   font=screen.font(ARIAL, 14), fill=DIALOG_TEXT, anchor="mm")
    desk.alpha_composite(panel, (screen.s(30), screen.s(30)))
    return desk


def contact_sheet(pictures):
    """Every picture on a chequered ground, small ones enlarged four times."""
    tiles = []
    for name, image in pictures.items():
        zoom = 4 if image.width * image.height < 40 * 40 or image.height <= 16 else 1
        shown = image.resize((image.width * zoom, image.height * zoom), Image.NEAREST)
        tiles.append((name + (f" x{zoom}" if zoom > 1 else ""), shown))
    width = 900
    label_font = ImageFont.truetype(SEGOE, 12)
    x, y, row_h, rows = 0, 0, 0, []
    for label, image in tiles:
        w, h = max(image.width, 120), image.height + 18
        if x + w > width:
            y += row_h + 10
            x, row_h = 0, 0
        rows.append((x, y, label, image))
        x += w + 10
        row_h = max(row_h, h)
    sheet = Image.new("RGBA", (width, y + row_h + 10), (255, 255, 255, 255))
    draw = ImageDraw.Draw(sheet)
    for x, y, label, image in rows:
        checker = Image.new("RGBA", image.size, (255, 255, 255, 255))
        cd = ImageDraw.Draw(checker)
        for cy in range(0, image.height, 8):
            for cx in range(0, image.width, 8):
                if (cx // 8 + cy // 8) % 2:
                    cd.rectangle([cx, cy, cx + 7, cy + 7], fill=(214, 218, 222, 255))
        checker.alpha_composite(image.convert("RGBA"))
        sheet.alpha_composite(checker, (x, y + 16))
        draw.text((x, y), label, font=label_font, fill=(60, 60, 60))
    return sheet


def write(out_dir):
    out_dir = Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    pictures = {}
    for name, make in art.pictures().items():
        data = make()
        if name.endswith(".ico"):
            continue
        pictures[name.rsplit(".", 1)[0]] = Image.open(io.BytesIO(data)).convert("RGBA")
    contact_sheet(pictures).save(out_dir / "contact_sheet.png")
    for scale in (1, 1.5):
        tag = str(scale).replace(".", "_")
        screen = Screen(pictures, scale)
        first_screen(screen).save(out_dir / f"first_screen_{tag}.png")
        progress_screen(screen, "a").save(out_dir / f"progress_a_{tag}.png")
        progress_screen(screen, "b").save(out_dir / f"progress_b_{tag}.png")
        dialog(screen).save(out_dir / f"dialog_{tag}.png")
    first_screen(Screen(pictures, 1), "ru").save(out_dir / "first_screen_ru_1.png")
    progress_screen(Screen(pictures, 1), "a", "ru").save(out_dir / "progress_a_ru_1.png")
    progress_screen(Screen(pictures, 1), "b", "ru").save(out_dir / "progress_b_ru_1.png")
    print(f"previews in {out_dir}")
