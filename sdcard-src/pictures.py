"""Draws every picture of the demo card's two skins, and the previews of its games and skins.

Run by make-pictures.sh, which first rasterises the Tango icons this script composes:
    python3 pictures.py ICON_FOLDER CARD_FOLDER
ICON_FOLDER holds NAME-SIZE.png for every icon named below; CARD_FOLDER is the repository's
sdcard/ folder. The output is the same on every run.

The launcher shows 16-bit colour and keeps only the top five bits of each channel, green included.
Large smooth areas (the backgrounds) are therefore dithered here to those levels with a 4x4
ordered pattern, so that gradients do not fall into wide bands on the handheld. Icons are left
alone: they are small, and they are blended on the handheld through their opacity.
"""
import math
import os
import sys

import pngfile

SCREEN_W, SCREEN_H = 320, 240

# The line height of the card's font picture: its height less the marker row. The list pages'
# cursor bars sit on the middle list row, so they depend on it; make-pictures.sh reads it from
# the font picture when that exists.
LINE_HEIGHT = 15

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


class Canvas:
    """Straight (not premultiplied) RGBA in floats from 0 to 1, as the launcher blends it."""

    def __init__(self, width, height, colour=(0.0, 0.0, 0.0), alpha=0.0):
        self.width = width
        self.height = height
        self.pixels = [[colour[0], colour[1], colour[2], alpha] for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        """Paints colour with the given opacity over the pixel at (x, y) (Porter-Duff over)."""
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        alpha = min(alpha, 1.0)
        p = self.pixels[y * self.width + x]
        out_alpha = alpha + p[3] * (1 - alpha)
        if out_alpha <= 0:
            return
        for i in range(3):
            p[i] = (colour[i] * alpha + p[i] * p[3] * (1 - alpha)) / out_alpha
        p[3] = out_alpha

    def vertical_gradient(self, top, bottom, y0=0, y1=None):
        y1 = self.height if y1 is None else y1
        for y in range(y0, y1):
            t = (y - y0) / max(1, y1 - y0 - 1)
            c = [top[i] + (bottom[i] - top[i]) * t for i in range(3)]
            for x in range(self.width):
                self.pixels[y * self.width + x] = [c[0], c[1], c[2], 1.0]

    def glow(self, cx, cy, radius, colour, strength):
        """A soft round light that fades out smoothly towards its radius."""
        for y in range(max(0, int(cy - radius)), min(self.height, int(cy + radius) + 1)):
            for x in range(max(0, int(cx - radius)), min(self.width, int(cx + radius) + 1)):
                d = math.hypot(x - cx, y - cy) / radius
                if d < 1:
                    self.blend(x, y, colour, strength * (1 - d * d) ** 2)

    def disc(self, cx, cy, radius, colour, alpha):
        """A flat circle with an anti-aliased rim."""
        for y in range(max(0, int(cy - radius - 1)), min(self.height, int(cy + radius) + 2)):
            for x in range(max(0, int(cx - radius - 1)), min(self.width, int(cx + radius) + 2)):
                cover = min(1.0, max(0.0, radius - math.hypot(x + 0.5 - cx, y + 0.5 - cy) + 0.5))
                self.blend(x, y, colour, alpha * cover)

    def rounded_rect(self, x0, y0, x1, y1, radius, colour, alpha, border=None, border_alpha=0.0):
        """Fills the rectangle from (x0, y0) to (x1, y1), both exclusive of x1 and y1, with
        rounded corners; border, when given, is a one-pixel outline inside the shape."""
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                px, py = x + 0.5, y + 0.5
                # Distance outside the rounded shape: negative inside, 0 on its edge.
                dx = max(x0 + radius - px, 0, px - (x1 - radius))
                dy = max(y0 + radius - py, 0, py - (y1 - radius))
                outside = math.hypot(dx, dy) - radius
                cover = min(1.0, max(0.0, 0.5 - outside))
                if cover <= 0:
                    continue
                self.blend(x, y, colour, alpha * cover)
                if border is not None:
                    ring = min(1.0, max(0.0, 1.5 + outside)) * cover
                    self.blend(x, y, border, border_alpha * ring)

    def band(self, y0, y1, colour, alpha):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(self.width):
                self.blend(x, y, colour, alpha)

    def paste(self, picture, x0, y0, opacity=1.0):
        """Paints a picture read by pngfile over the canvas with its own opacity."""
        width, height, channels, rows = picture
        for y in range(height):
            row = rows[y]
            for x in range(width):
                s = row[x * channels:(x + 1) * channels]
                a = (s[3] / 255.0 if channels == 4 else 1.0) * opacity
                self.blend(x0 + x, y0 + y, (s[0] / 255.0, s[1] / 255.0, s[2] / 255.0), a)

    def save(self, path, with_alpha, dither=False):
        rows = []
        channels = 4 if with_alpha else 3
        for y in range(self.height):
            row = bytearray()
            for x in range(self.width):
                p = self.pixels[y * self.width + x]
                for i in range(3):
                    v = min(255.0, max(0.0, p[i] * 255.0))
                    if dither:
                        # Pick one of the two neighbouring five-bit levels, and write it back
                        # widened by bit replication so that a computer shows it as the
                        # handheld does.
                        level = int(v / 8.0 + (BAYER4[y & 3][x & 3] + 0.5) / 16.0)
                        level = min(31, level)
                        row.append(level << 3 | level >> 2)
                    else:
                        row.append(int(v + 0.5))
                if with_alpha:
                    row.append(int(min(1.0, max(0.0, p[3])) * 255 + 0.5))
            rows.append(row)
        pngfile.write(path, self.width, self.height, channels, rows)


def icon(folder, name, size):
    return pngfile.read(os.path.join(folder, "%s-%d.png" % (name, size)))


# ---------------------------------------------------------------------------------------------
# The concept skin: deep blue, warm amber highlights.

CONCEPT = {
    "top": hex_colour("1A3358"),
    "bottom": hex_colour("07111F"),
    "glow": hex_colour("3C7DC0"),
    "bar": hex_colour("040A14"),
    "accent": hex_colour("F2B233"),
    "white": (1.0, 1.0, 1.0),
}

# Main page tiles: icon name, and the file stem the skin uses.
CONCEPT_TILES = [
    ("applications-games", "games"),
    ("input-gaming", "emulators"),
    ("applications-accessories", "apps"),
    ("preferences-system", "settings"),
    ("help-browser", "help"),
    ("system-log-out", "exit"),
]

# The apps page launches three programs directly.
CONCEPT_APPS = [
    ("accessories-calculator", "calculator"),
    ("utilities-system-monitor", "monitor"),
    ("accessories-text-editor", "notes"),
]


def concept_frame(canvas, palette):
    """The bars at the top and the bottom that every concept page shares."""
    canvas.band(0, 22, palette["bar"], 0.78)
    canvas.band(22, 23, palette["accent"], 0.85)
    canvas.band(23, 25, palette["bar"], 0.35)
    canvas.band(218, 219, palette["accent"], 0.55)
    canvas.band(219, 240, palette["bar"], 0.78)


def concept_backdrop(palette, seed_glows):
    canvas = Canvas(SCREEN_W, SCREEN_H)
    canvas.vertical_gradient(palette["top"], palette["bottom"])
    canvas.glow(160, 120, 190, palette["glow"], 0.35)
    for cx, cy, r, a in seed_glows:
        canvas.disc(cx, cy, r, palette["white"], a)
    return canvas


def concept_pictures(icons, out):
    palette = CONCEPT
    # Soft out-of-focus lights, placed by hand so that they stay clear of the icons' labels.
    lights = [(28, 58, 18, 0.05), (292, 62, 26, 0.04), (250, 196, 14, 0.05),
              (44, 190, 30, 0.035), (132, 40, 9, 0.06), (205, 200, 7, 0.07)]
    main = concept_backdrop(palette, lights)
    concept_frame(main, palette)
    main.save(os.path.join(out, "bg-main.png"), with_alpha=False, dither=True)

    # The list pages: a panel, and a bar behind the list's middle row, where the cursor stays.
    listing = concept_backdrop(palette, [(300, 200, 30, 0.04), (20, 40, 16, 0.05)])
    concept_frame(listing, palette)
    listing.rounded_rect(8, 31, 312, 212, 8, palette["white"], 0.06,
                         border=palette["white"], border_alpha=0.14)
    rows = LIST_ROWS
    cursor_y = LIST_Y + (rows // 2) * LINE_HEIGHT
    listing.rounded_rect(12, cursor_y - 1, 308, cursor_y + LINE_HEIGHT + 1, 4,
                         palette["glow"], 0.55, border=palette["accent"], border_alpha=0.8)
    listing.save(os.path.join(out, "bg-list.png"), with_alpha=False, dither=True)

    for name, stem in CONCEPT_TILES + CONCEPT_APPS:
        picture = icon(icons, name, 48)
        selected = Canvas(64, 64)
        selected.glow(32, 33, 34, palette["accent"], 0.45)
        selected.rounded_rect(3, 3, 61, 61, 12, palette["white"], 0.16,
                              border=palette["accent"], border_alpha=0.95)
        selected.paste(picture, 8, 8)
        selected.save(os.path.join(out, stem + "-on.png"), with_alpha=True)
        normal = Canvas(64, 64)
        normal.paste(picture, 8, 8, opacity=0.72)
        normal.save(os.path.join(out, stem + "-off.png"), with_alpha=True)

    # Small pictures for the bars: the logo beside the title, the battery, the page headers.
    # The logo is the project's own: an amber badge with a T cut out of it.
    logo = Canvas(18, 18)
    logo.rounded_rect(0, 0, 18, 18, 5, palette["accent"], 1.0)
    logo.rounded_rect(4, 4, 14, 7, 0, palette["bar"], 1.0)
    logo.rounded_rect(7, 7, 11, 15, 0, palette["bar"], 1.0)
    logo.save(os.path.join(out, "logo.png"), with_alpha=True)
    small = Canvas(18, 18)
    small.paste(icon(icons, "battery", 18), 0, 0)
    small.save(os.path.join(out, "battery.png"), with_alpha=True)
    for name, stem in CONCEPT_TILES[:5]:
        header = Canvas(18, 18)
        header.paste(icon(icons, name, 18), 0, 0)
        header.save(os.path.join(out, stem + "-small.png"), with_alpha=True)


# ---------------------------------------------------------------------------------------------
# The night skin: a vertical menu of rows on dark violet, cool cyan highlights. Its backgrounds
# are plain colours and gradients that the skin names itself, so it only needs its row pictures.

NIGHT = {
    "accent": hex_colour("57D7F0"),
    "row": hex_colour("2A2350"),
    "white": (1.0, 1.0, 1.0),
}

NIGHT_ROWS = [
    ("applications-games", "games"),
    ("input-gaming", "emulators"),
    ("preferences-system", "settings"),
    ("weather-clear-night", "moon"),
    ("system-log-out", "exit"),
]

NIGHT_ROW_W, NIGHT_ROW_H = 200, 30


def night_pictures(icons, out):
    palette = NIGHT
    for name, stem in NIGHT_ROWS:
        picture = icon(icons, name, 24)
        selected = Canvas(NIGHT_ROW_W, NIGHT_ROW_H)
        selected.rounded_rect(0, 0, NIGHT_ROW_W, NIGHT_ROW_H, 15, palette["row"], 0.85,
                              border=palette["accent"], border_alpha=0.9)
        selected.glow(18, 15, 16, palette["accent"], 0.35)
        selected.paste(picture, 6, 3)
        selected.save(os.path.join(out, stem + "-on.png"), with_alpha=True)
        normal = Canvas(36, NIGHT_ROW_H)
        normal.paste(picture, 6, 3, opacity=0.6)
        normal.save(os.path.join(out, stem + "-off.png"), with_alpha=True)

    # A crescent moon for the empty side of the menu: a pale disc with a second, offset disc
    # taken out of it. No halo: the launcher rounds each term of its blend down, so a wide,
    # faint halo would darken a dark background rather than light it.
    moon = Canvas(72, 72)
    pale = hex_colour("EEEAFF")
    for y in range(72):
        for x in range(72):
            px, py = x + 0.5, y + 0.5
            lit = min(1.0, max(0.0, 20.5 - math.hypot(px - 36, py - 36)))
            shade = min(1.0, max(0.0, 18.5 - math.hypot(px - 46, py - 29)))
            moon.blend(x, y, pale, lit * (1 - shade))
    moon.save(os.path.join(out, "crescent.png"), with_alpha=True)


# ---------------------------------------------------------------------------------------------
# Previews: a picture beside each game of the card's games folder, and one of each skin for the
# skin chooser, all PREVIEW_W x PREVIEW_H (the preview box of the skins' list pages).

PREVIEW_W, PREVIEW_H = 96, 72

# Each game's picture: a backdrop in its own colours and a motif that hints at the game.
GAME_PREVIEWS = {
    "Blocks": ("2A1A4A", "0A0614", "blocks"),
    "Chess": ("3A2A1A", "120C06", "board"),
    "Pinball": ("1A3A4A", "06121A", "balls"),
    "Snake": ("1A4A2A", "06140A", "snake"),
    "Space Rocks": ("101020", "000004", "rocks"),
    "Tanks": ("3A3A1A", "14140A", "tanks"),
    "puzzles/Mines": ("3A3A3A", "101010", "mines"),
    "puzzles/Sudoku": ("E8E4D8", "B8B4A8", "grid"),
    # The folder's own picture, shown while the cursor is on puzzles/.
    "puzzles/preview": ("1A2A4A", "060A14", "grid"),
}


def game_preview(top, bottom, motif):
    canvas = Canvas(PREVIEW_W, PREVIEW_H)
    canvas.vertical_gradient(hex_colour(top), hex_colour(bottom))
    amber, white = CONCEPT["accent"], CONCEPT["white"]
    if motif == "blocks":
        for x, y, c in [(30, 54, "F2B233"), (40, 54, "F2B233"), (50, 54, "57D7F0"),
                        (60, 54, "57D7F0"), (40, 44, "E05050"), (50, 44, "57D7F0"),
                        (44, 14, "80E080"), (54, 14, "80E080"), (54, 24, "80E080")]:
            canvas.rounded_rect(x, y, x + 9, y + 9, 2, hex_colour(c), 1.0)
    elif motif in ("board", "grid", "mines"):
        cells, size = (6, 10) if motif == "board" else (9, 7)
        x0, y0 = (PREVIEW_W - cells * size) // 2, (PREVIEW_H - cells * size) // 2
        for row in range(cells):
            for column in range(cells):
                x, y = x0 + column * size, y0 + row * size
                if motif == "board":
                    shade = (0.85, 0.8, 0.7) if (row + column) % 2 else (0.3, 0.2, 0.12)
                    canvas.rounded_rect(x, y, x + size, y + size, 0, shade, 1.0)
                elif motif == "grid":
                    canvas.rounded_rect(x, y, x + size - 1, y + size - 1, 0, white, 1.0)
                else:
                    canvas.rounded_rect(x, y, x + size - 1, y + size - 1, 1, (0.6, 0.6, 0.6), 1.0)
                    if (row * 7 + column * 3) % 11 == 0:
                        canvas.disc(x + size / 2.0, y + size / 2.0, 2.2, (0.1, 0.1, 0.1), 1.0)
    elif motif == "balls":
        for cx, cy, r in [(30, 30, 7), (62, 22, 5), (48, 52, 9)]:
            canvas.disc(cx, cy, r, white, 0.9)
        canvas.rounded_rect(20, 64, 44, 67, 1, amber, 1.0)
        canvas.rounded_rect(52, 64, 76, 67, 1, amber, 1.0)
    elif motif == "snake":
        for i in range(13):
            x, y = 14 + (i if i < 8 else 7) * 8, 20 + (0 if i < 8 else (i - 7) * 8)
            canvas.rounded_rect(x, y, x + 7, y + 7, 2, (0.4, 0.9, 0.4), 1.0)
        canvas.disc(30, 52, 3.5, (0.95, 0.3, 0.3), 1.0)
    elif motif == "rocks":
        for cx, cy, r in [(20, 18, 6), (70, 14, 4), (78, 50, 8), (28, 56, 5), (52, 34, 2)]:
            canvas.disc(cx, cy, r, (0.55, 0.5, 0.45), 1.0)
        for y in range(8):
            canvas.rounded_rect(48 - y // 2, 40 + y, 49 + y // 2, 41 + y, 0, white, 1.0)
    elif motif == "tanks":
        for x, y, c in [(14, 44, (0.5, 0.6, 0.3)), (62, 20, (0.7, 0.4, 0.3))]:
            canvas.rounded_rect(x, y, x + 20, y + 12, 2, c, 1.0)
            canvas.rounded_rect(x + 8, y - 4, x + 14, y, 1, c, 1.0)
        canvas.disc(48, 34, 2, amber, 1.0)
    canvas.rounded_rect(0, 0, PREVIEW_W, PREVIEW_H, 4, white, 0.0, border=amber,
                        border_alpha=0.9)
    return canvas


def scaled(canvas, width, height):
    """The canvas shrunk to width x height, each pixel the mean of the area it covers."""
    out = Canvas(width, height)
    for y in range(height):
        y0, y1 = y * canvas.height // height, (y + 1) * canvas.height // height
        for x in range(width):
            x0, x1 = x * canvas.width // width, (x + 1) * canvas.width // width
            total = [0.0, 0.0, 0.0]
            for sy in range(y0, y1):
                for sx in range(x0, x1):
                    p = canvas.pixels[sy * canvas.width + sx]
                    for i in range(3):
                        total[i] += p[i]
            n = (x1 - x0) * (y1 - y0)
            out.pixels[y * width + x] = [total[0] / n, total[1] / n, total[2] / n, 1.0]
    return out


def skin_preview(folder, background, pictures):
    """A small picture of a skin's main page: its background and its pictures, from the card."""
    canvas = Canvas(SCREEN_W, SCREEN_H)
    if isinstance(background, str):
        canvas.paste(pngfile.read(os.path.join(folder, background)), 0, 0)
    else:
        canvas.vertical_gradient(*background)
    for name, x, y in pictures:
        canvas.paste(pngfile.read(os.path.join(folder, name)), x, y)
    small = scaled(canvas, PREVIEW_W, PREVIEW_H)
    small.save(os.path.join(folder, "preview.png"), with_alpha=False, dither=True)


def preview_pictures(card):
    for name, (top, bottom, motif) in sorted(GAME_PREVIEWS.items()):
        game_preview(top, bottom, motif).save(os.path.join(card, "games", name + ".png"),
                                              with_alpha=False, dither=True)
    skins = os.path.join(card, "Tarvo", "skins")
    skin_preview(os.path.join(skins, "concept"), "bg-main.png",
                 [(stem + ("-on.png" if i == 0 else "-off.png"), 32 + (i % 3) * 96,
                   34 + (i // 3) * 88) for i, (_, stem) in enumerate(CONCEPT_TILES)])
    night = [(stem + ("-on.png" if i == 0 else "-off.png"), 20, 48 + i * 36)
             for i, (_, stem) in enumerate(NIGHT_ROWS)]
    skin_preview(os.path.join(skins, "night"), (hex_colour("1E1240"), hex_colour("04030A")),
                 night + [("crescent.png", 238, 70)])
    blank = Canvas(PREVIEW_W, PREVIEW_H, CONCEPT["bar"], 1.0)
    blank.rounded_rect(0, 0, PREVIEW_W, PREVIEW_H, 4, CONCEPT["white"], 0.0,
                       border=CONCEPT["accent"], border_alpha=0.5)
    blank.save(os.path.join(skins, "concept", "nopreview.png"), with_alpha=False)


# The geometry of the concept list pages, shared with their skin: the list starts at LIST_Y and
# shows LIST_ROWS rows (its selector's bottom is LIST_Y + LIST_ROWS * LINE_HEIGHT). An odd count
# puts the cursor row, always the middle one, in the middle of the panel.
LIST_Y = 36
LIST_ROWS = 11


def main():
    global LINE_HEIGHT
    icons, card = sys.argv[1], sys.argv[2]
    if len(sys.argv) > 3:
        LINE_HEIGHT = int(sys.argv[3])
    concept = os.path.join(card, "Tarvo", "skins", "concept")
    night = os.path.join(card, "Tarvo", "skins", "night")
    os.makedirs(concept, exist_ok=True)
    os.makedirs(night, exist_ok=True)
    concept_pictures(icons, concept)
    night_pictures(icons, night)
    preview_pictures(card)


if __name__ == "__main__":
    main()
