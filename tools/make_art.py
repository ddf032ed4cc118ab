#!/usr/bin/python3
"""Draws every picture and the icon of Skittera and writes them into resources/.

Pillow only rasterises shapes and text here; the BMP and ICO files are written by the small writers
below, so that each picture has exactly the size, colour depth and palette the program loads it with. The
output is the same bytes on every run. The build uses the committed files and never runs this script: run
it after changing a drawing and commit what it writes.

    /usr/bin/python3 tools/make_art.py            # rewrite resources/
    /usr/bin/python3 tools/make_art.py --out DIR  # write elsewhere (the tests compare with resources/)
"""

import argparse
import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont, features

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.join(os.path.dirname(HERE), "resources")
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

# The committed art was rasterised with these. Another FreeType draws glyph edges a little differently, so
# a byte-for-byte comparison only means something with the same versions.
TOOLCHAIN = {"pillow": "9.4.0", "freetype2": "2.12.1"}

# Drawing happens this many times finer than the picture and is averaged down, which anti-aliases every edge.
SUPERSAMPLE = 8

# The classic button face. Pictures whose ground must melt into a dialog or a menu use exactly this colour.
BUTTON_FACE = (192, 192, 192)

# Speedometer geometry. The code draws the needle from pixel (62, 62) of the face; the dial's disc is every
# pixel whose centre lies within GAUGE_RADIUS of that pixel's centre, in the face and in the mask alike.
GAUGE_SIZE = 124
GAUGE_CENTRE = 62
GAUGE_RADIUS = 60.5


# ------------------------------------------------------------------------------------------------------------
# File writers


def _pack_row(indices, bpp):
    """Packs one row of palette indices, leftmost pixel in the most significant bits, padded to 32 bits."""
    per_byte = 8 // bpp
    out = bytearray()
    for start in range(0, len(indices), per_byte):
        byte = 0
        for k in range(per_byte):
            value = indices[start + k] if start + k < len(indices) else 0
            byte |= value << (8 - bpp * (k + 1))
        out.append(byte)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def _bitmap_info(width, height, bpp, image_size):
    # 3780 pixels per metre is 96 dots per inch; a colour count of 0 means the full table of 2^bpp entries.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_size, 3780, 3780, 0, 0)


def _colour_table(palette, bpp):
    size = 1 << bpp
    if len(palette) > size:
        raise ValueError("%d colours do not fit %d bits per pixel" % (len(palette), bpp))
    full = list(palette) + [(0, 0, 0)] * (size - len(palette))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in full)


def _check_indices(indices, width, height, palette):
    if len(indices) != height or any(len(row) != width for row in indices):
        raise ValueError("picture is not %dx%d" % (width, height))
    if any(i < 0 or i >= len(palette) for row in indices for i in row):
        raise ValueError("pixel outside the palette")


def bmp_bytes(indices, palette, bpp):
    """An uncompressed bottom-up Windows BMP of the given palette indices (rows top to bottom)."""
    height, width = len(indices), len(indices[0])
    _check_indices(indices, width, height, palette)
    bits = b"".join(_pack_row(row, bpp) for row in reversed(indices))
    info = _bitmap_info(width, height, bpp, len(bits))
    table = _colour_table(palette, bpp)
    offset = 14 + len(info) + len(table)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + info + table + bits


def _icon_mask_bits(transparent):
    return b"".join(_pack_row([1 if c else 0 for c in row], 1) for row in reversed(transparent))


def indexed_icon_image(indices, palette, transparent):
    """A 16-colour icon image from palette indices and rows of transparency flags.

    Transparent pixels must use a black palette entry: the shell ANDs the mask and then XORs the colour.
    """
    height, width = len(indices), len(indices[0])
    _check_indices(indices, width, height, palette)
    for row, clear in zip(indices, transparent):
        for index, is_clear in zip(row, clear):
            if is_clear and palette[index] != (0, 0, 0):
                raise ValueError("a transparent icon pixel must be black")
    xor_bits = b"".join(_pack_row(row, 4) for row in reversed(indices))
    and_bits = _icon_mask_bits(transparent)
    # An icon image is one bitmap twice as tall as the icon: colour rows, then mask rows.
    info = _bitmap_info(width, 2 * height, 4, len(xor_bits) + len(and_bits))
    return width, height, 16, 4, info + _colour_table(palette, 4) + xor_bits + and_bits


def argb_icon_image(rows):
    """A 32-bit icon image with straight (not premultiplied) alpha, from rows of (r, g, b, a).

    Every pixel of alpha 0 must be (0, 0, 0, 0), and only those are set in the mask, so that a system that
    ignores the alpha channel draws the silhouette on the same terms as the 16-colour images.
    """
    height, width = len(rows), len(rows[0])
    if any(len(row) != width for row in rows):
        raise ValueError("icon image is not %dx%d" % (width, height))
    for row in rows:
        for pixel in row:
            if pixel[3] == 0 and pixel != (0, 0, 0, 0):
                raise ValueError("a transparent icon pixel must be black")
    colour_bits = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(rows) for r, g, b, a in row)
    and_bits = _icon_mask_bits([[pixel[3] == 0 for pixel in row] for row in rows])
    info = _bitmap_info(width, 2 * height, 32, len(colour_bits) + len(and_bits))
    # The directory's colour count is 0 for images of more than 256 colours.
    return width, height, 0, 32, info + colour_bits + and_bits


def ico_bytes(images):
    """A Windows icon file of images made by indexed_icon_image or argb_icon_image, in the given order."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for width, height, colours, bpp, blob in images:
        entries += struct.pack("<BBBBHHII", width, height, colours, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    return header + entries + b"".join(image[4] for image in images)


# ------------------------------------------------------------------------------------------------------------
# Rasterising and colour reduction

_fonts = {}


def font(name, size):
    key = (name, size)
    if key not in _fonts:
        # The basic layout keeps text placement independent of whichever shaping library Pillow found.
        _fonts[key] = ImageFont.truetype(
            os.path.join(FONT_DIR, name + ".ttf"), size, layout_engine=ImageFont.Layout.BASIC
        )
    return _fonts[key]


class Canvas:
    """A drawing surface in picture pixels that is rasterised SUPERSAMPLE times finer.

    Coordinates are continuous: pixel (i, j) covers the square from (i, j) to (i + 1, j + 1).
    """

    def __init__(self, width, height, ground):
        self.width, self.height, self.scale = width, height, SUPERSAMPLE
        self.image = Image.new("RGB", (width * self.scale, height * self.scale), ground)
        self.draw = ImageDraw.Draw(self.image)

    def _points(self, points):
        return [(x * self.scale, y * self.scale) for x, y in points]

    def _box(self, x0, y0, x1, y1):
        # Pillow fills boxes including their far edge; stopping one sample short keeps a shape that ends on a
        # pixel boundary from tinting the next pixel.
        return [x0 * self.scale, y0 * self.scale, x1 * self.scale - 1, y1 * self.scale - 1]

    def _width(self, width):
        return max(1, int(round(width * self.scale)))

    def ellipse(self, cx, cy, rx, ry, fill=None, outline=None, width=1.0):
        box = self._box(cx - rx, cy - ry, cx + rx, cy + ry)
        self.draw.ellipse(box, fill=fill, outline=outline, width=self._width(width) if outline else 0)

    def circle(self, cx, cy, r, fill=None, outline=None, width=1.0):
        self.ellipse(cx, cy, r, r, fill, outline, width)

    def rectangle(self, x0, y0, x1, y1, fill=None, outline=None, width=1.0):
        box = self._box(x0, y0, x1, y1)
        self.draw.rectangle(box, fill=fill, outline=outline, width=self._width(width) if outline else 0)

    def rounded(self, x0, y0, x1, y1, radius, fill=None, outline=None, width=1.0):
        box = self._box(x0, y0, x1, y1)
        self.draw.rounded_rectangle(
            box, radius * self.scale, fill=fill, outline=outline, width=self._width(width) if outline else 0
        )

    def polygon(self, points, fill=None, outline=None, width=1.0):
        self.draw.polygon(self._points(points), fill=fill)
        if outline:
            self.line(list(points) + [points[0]], outline, width)

    def line(self, points, fill, width):
        self.draw.line(self._points(points), fill=fill, width=self._width(width), joint="curve")
        # Round caps, so thick strokes end softly.
        r = width / 2.0
        if width > 1.5:
            for x, y in (points[0], points[-1]):
                self.circle(x, y, r, fill=fill)

    def outlined_line(self, points, fill, width, outline, outline_width):
        self.line(points, outline, width + 2 * outline_width)
        self.line(points, fill, width)

    def text(self, x, y, text, face, size, fill, anchor="mm"):
        self.draw.text(
            (x * self.scale, y * self.scale),
            text,
            font=font(face, int(round(size * self.scale))),
            fill=fill,
            anchor=anchor,
        )

    def pixels(self):
        """The picture at its real size: each pixel the average of its SUPERSAMPLE x SUPERSAMPLE samples."""
        small = self.image.reduce(self.scale)
        data = list(small.getdata())
        return [data[row * self.width : (row + 1) * self.width] for row in range(self.height)]


def arc_points(cx, cy, radius, start_deg, end_deg, steps=64):
    """Points of a circular arc; angles in degrees on the screen (y down), counted from the +x axis."""
    points = []
    for k in range(steps + 1):
        a = math.radians(start_deg + (end_deg - start_deg) * k / steps)
        points.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    return points


def mix(a, b, t):
    return tuple(int(round(a[k] + (b[k] - a[k]) * t)) for k in range(3))


def _distance(a, b):
    # Weighted like the eye: green differences count most, blue least.
    dr, dg, db = a[0] - b[0], a[1] - b[1], a[2] - b[2]
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db


def map_to_palette(rows, palette):
    """Palette indices of the nearest palette colour of every pixel (ties go to the lower index)."""
    cache = {}
    out = []
    for row in rows:
        out_row = []
        for colour in row:
            index = cache.get(colour)
            if index is None:
                index = min(range(len(palette)), key=lambda i: (_distance(colour, palette[i]), i))
                cache[colour] = index
            out_row.append(index)
        out.append(out_row)
    return out


def median_cut(colours, count):
    """Up to `count` colours that represent the given pixel colours (a list, repeats count as weight)."""
    histogram = {}
    for c in colours:
        histogram[c] = histogram.get(c, 0) + 1
    boxes = [sorted(histogram.items())]

    def spread(box):
        ranges = [max(c[k] for c, _ in box) - min(c[k] for c, _ in box) for k in range(3)]
        weight = sum(n for _, n in box)
        channel = max(range(3), key=lambda k: (ranges[k], -k))
        return ranges[channel] * math.sqrt(weight), channel

    while len(boxes) < count:
        candidates = [(spread(box), i) for i, box in enumerate(boxes) if len(box) > 1]
        if not candidates:
            break
        (score, channel), chosen = max(candidates, key=lambda item: (item[0][0], -item[1]))
        if score == 0:
            break
        box = sorted(boxes[chosen], key=lambda item: (item[0][channel], item[0]))
        half = sum(n for _, n in box) / 2.0
        running, cut = 0, 1
        for i, (_, n) in enumerate(box):
            running += n
            if running >= half:
                cut = min(max(i + 1, 1), len(box) - 1)
                break
        boxes[chosen : chosen + 1] = [box[:cut], box[cut:]]

    palette = []
    for box in boxes:
        weight = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[k] * n for c, n in box) / weight)) for k in range(3)))
    return palette


# ------------------------------------------------------------------------------------------------------------
# Odometer drums: 20 x 27, 16 colours, one palette shared by all twelve

DRUM_WIDTH, DRUM_HEIGHT = 20, 27
DRUM_DARK = (10, 11, 14)
DRUM_BODY = (58, 60, 68)
DRUM_INK = (250, 248, 240)


def _drum_shade(y):
    """Brightness of the drum surface at picture row y (continuous): a cylinder lit from slightly above."""
    t = (y - DRUM_HEIGHT / 2.0) / (DRUM_HEIGHT / 2.0)  # -1 at the top edge, +1 at the bottom edge
    normal = math.asin(max(-1.0, min(1.0, t * 0.92)))
    light = math.cos(normal + 0.12)
    highlight = math.exp(-(((t + 0.3) / 0.14) ** 2)) * 0.3
    return max(0.0, min(1.0, light * light + highlight))


def _drum_glyph_mask(label):
    """Coverage (0..255) of the label on the flat drum surface, as a supersampled greyscale image."""
    s = SUPERSAMPLE
    mask = Image.new("L", (DRUM_WIDTH * s, DRUM_HEIGHT * s), 0)
    draw = ImageDraw.Draw(mask)
    if label == ".":
        cx, cy, r = DRUM_WIDTH / 2.0, DRUM_HEIGHT / 2.0 + 5.0, 2.5
        draw.ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s], fill=255)
    elif label:
        draw.text(
            (DRUM_WIDTH / 2.0 * s, DRUM_HEIGHT / 2.0 * s),
            label,
            font=font("DejaVuSansCondensed-Bold", 21 * s),
            fill=255,
            anchor="mm",
        )
    return mask


def drum_rgb(label):
    """The drum face in full colour: the label wrapped around a dark cylinder seen through its window."""
    s = SUPERSAMPLE
    flat = _drum_glyph_mask(label)
    flat_pixels = flat.load()
    curved = Image.new("RGB", (DRUM_WIDTH * s, DRUM_HEIGHT * s))
    out = curved.load()
    half = DRUM_HEIGHT / 2.0
    radius = half * 1.12
    for sy in range(DRUM_HEIGHT * s):
        y = (sy + 0.5) / s
        # A row seen at height h above the axis shows the surface arc radius * asin(h / radius) away from the
        # front, so the label's top and bottom look squeezed as they turn away.
        arc = radius * math.asin((y - half) / radius)
        src = int(math.floor((half + arc) * s))
        shade = _drum_shade(y)
        body = mix(DRUM_DARK, DRUM_BODY, shade)
        ink = mix(DRUM_DARK, DRUM_INK, 0.35 + 0.65 * shade)
        for sx in range(DRUM_WIDTH * s):
            cover = flat_pixels[sx, src] / 255.0 if 0 <= src < DRUM_HEIGHT * s else 0.0
            out[sx, sy] = mix(body, ink, cover)
    small = curved.reduce(s)
    rows = [[small.getpixel((x, y)) for x in range(DRUM_WIDTH)] for y in range(DRUM_HEIGHT)]
    # The drum sits in a slot: its outermost columns fall into shadow.
    for row in rows:
        row[0] = mix(DRUM_DARK, row[0], 0.35)
        row[1] = mix(DRUM_DARK, row[1], 0.8)
        row[-1] = mix(DRUM_DARK, row[-1], 0.35)
        row[-2] = mix(DRUM_DARK, row[-2], 0.8)
    return rows


DRUM_LABELS = [("digit%d.bmp" % d, str(d)) for d in range(10)] + [
    ("digit_blank.bmp", ""),
    ("digit_point.bmp", "."),
]


def drum_pictures():
    faces = [(name, drum_rgb(label)) for name, label in DRUM_LABELS]
    # Half the palette for the drum's shading, half for the digit's edges fading into it: a palette picked by
    # counting pixels would spend nearly everything on the drum and leave the digits jagged.
    palette = [mix(DRUM_DARK, DRUM_BODY, k / 7.0) for k in range(8)]
    palette += [
        mix(mix(DRUM_DARK, DRUM_BODY, 0.75), DRUM_INK, t) for t in (0.2, 0.34, 0.48, 0.62, 0.75, 0.87)
    ]
    palette += [mix(DRUM_DARK, DRUM_INK, 0.7), DRUM_INK]
    return {name: bmp_bytes(map_to_palette(rows, palette), palette, 4) for name, rows in faces}


# ------------------------------------------------------------------------------------------------------------
# Speedometer face (124 x 124, 256 colours) and its mask (monochrome)


def inside_dial(x, y):
    """Whether pixel (x, y) belongs to the dial's disc; the face and the mask both use this one test."""
    return (x - GAUGE_CENTRE) ** 2 + (y - GAUGE_CENTRE) ** 2 <= GAUGE_RADIUS**2


def scale_direction(value):
    """Unit vector (screen, y down) from the hub toward the scale value 0..100.

    The needle's angle is speed * 0.027 - 45 degrees and its tip lies at centre - (cos, sin) * 50; the scale's
    value is speed * 0.01, so the value v sits at angle 2.7 v - 45 on that same construction.
    """
    angle = math.radians(2.7 * value - 45.0)
    return -math.cos(angle), -math.sin(angle)


def gauge_rgb():
    c = GAUGE_CENTRE + 0.5  # continuous coordinate of the hub pixel's centre
    canvas = Canvas(GAUGE_SIZE, GAUGE_SIZE, (0, 0, 0))

    # Chrome bezel, lit from the upper left: a ring of thin slices whose brightness follows the light. It is
    # drawn a little beyond the disc so the disc's edge pixels are wholly bezel.
    steps = 180
    for k in range(steps):
        a0, a1 = 360.0 * k / steps, 360.0 * (k + 1) / steps
        mid = math.radians((a0 + a1) / 2.0)
        light = 0.5 + 0.5 * math.cos(mid - math.radians(225))
        colour = mix((70, 72, 80), (236, 238, 242), light**1.4)
        pts = [(c, c)] + arc_points(c, c, GAUGE_RADIUS + 2, a0 - 0.5, a1 + 0.5, 4)
        canvas.polygon(pts, fill=colour)
    # The inner lip of the bezel catches the light from the opposite side.
    for k in range(steps):
        a0, a1 = 360.0 * k / steps, 360.0 * (k + 1) / steps
        mid = math.radians((a0 + a1) / 2.0)
        light = 0.5 + 0.5 * math.cos(mid - math.radians(45))
        colour = mix((40, 42, 48), (170, 172, 180), light)
        pts = [(c, c)] + arc_points(c, c, 57.0, a0 - 0.5, a1 + 0.5, 4)
        canvas.polygon(pts, fill=colour)

    # The dial itself: deep blue-black, a touch lighter toward the middle.
    rings = 40
    for k in range(rings):
        r = 55.5 * (1.0 - k / float(rings))
        canvas.circle(c, c, r, fill=mix((8, 10, 18), (30, 36, 52), (k / float(rings - 1)) ** 0.7))

    # Red zone from 85 to 100, under the ticks.
    outer, inner = 53.0, 47.5
    a0 = math.degrees(math.atan2(*reversed(scale_direction(85))))
    a1 = math.degrees(math.atan2(*reversed(scale_direction(100))))
    if a1 < a0:
        a1 += 360.0
    band = arc_points(c, c, outer, a0, a1) + list(reversed(arc_points(c, c, inner, a0, a1)))
    canvas.polygon(band, fill=(200, 28, 24))

    # Ticks: a long one at every ten, a middle one at every five, a short one halfway between those.
    for quarter in range(0, 401, 10):
        v = quarter / 4.0
        dx, dy = scale_direction(v)
        if quarter % 40 == 0:
            r0, width, colour = 45.5, 1.6, (255, 255, 255)
        elif quarter % 20 == 0:
            r0, width, colour = 48.5, 1.2, (225, 228, 235)
        else:
            r0, width, colour = 50.5, 0.8, (170, 176, 190)
        canvas.line([(c + dx * r0, c + dy * r0), (c + dx * 53.5, c + dy * 53.5)], colour, width)

    # Numbers inside the ticks.
    for v in range(0, 101, 10):
        dx, dy = scale_direction(v)
        r = 37.0 if v < 100 else 35.5
        colour = (255, 120, 100) if v >= 90 else (236, 238, 244)
        canvas.text(c + dx * r, c + dy * r + 0.3, str(v), "DejaVuSansCondensed-Bold", 8.6, colour)

    # The legend below the hub and a small wordmark above it.
    canvas.text(c, c + 25, "m/h", "DejaVuSans-Bold", 9, (250, 200, 70))
    canvas.text(c, c - 17, "SKITTERA", "DejaVuSansCondensed-Bold", 5.2, (120, 130, 150))

    # Hub: a small dark-red cap; the needle, drawn over it by exclusive-or, shows light on it.
    canvas.circle(c, c, 4.2, fill=(20, 20, 24))
    canvas.circle(c, c, 3.2, fill=(150, 24, 20))
    canvas.circle(c - 0.8, c - 0.8, 1.2, fill=(225, 120, 100))

    rows = canvas.pixels()
    for y in range(GAUGE_SIZE):
        for x in range(GAUGE_SIZE):
            if not inside_dial(x, y):
                rows[y][x] = BUTTON_FACE
    return rows


def gauge_pictures():
    rows = gauge_rgb()
    disc = [rows[y][x] for y in range(GAUGE_SIZE) for x in range(GAUGE_SIZE) if inside_dial(x, y)]
    dial_palette = median_cut(disc, 255)
    # The ground outside the disc has an entry of its own that no dial pixel may take, so the mask and the
    # face can never disagree about where the dial ends.
    dial_palette = [c if c != BUTTON_FACE else (191, 191, 191) for c in dial_palette]
    dial_palette.sort(key=lambda c: (sum(c), c))
    dial_indices = map_to_palette(rows, dial_palette)
    ground = len(dial_palette)
    face = [
        [dial_indices[y][x] if inside_dial(x, y) else ground for x in range(GAUGE_SIZE)]
        for y in range(GAUGE_SIZE)
    ]
    face_palette = dial_palette + [BUTTON_FACE]
    # A monochrome bitmap resource needs exactly black then white as its colours, or it is not loaded as a
    # monochrome bitmap.
    mask = [[1 if inside_dial(x, y) else 0 for x in range(GAUGE_SIZE)] for y in range(GAUGE_SIZE)]
    return {
        "gauge_face.bmp": bmp_bytes(face, face_palette, 8),
        "gauge_mask.bmp": bmp_bytes(mask, [(0, 0, 0), (255, 255, 255)], 1),
    }


# ------------------------------------------------------------------------------------------------------------
# Menu pictures: 16 x 15, 16 colours, on the button face that the menu code treats as background

MENU_WIDTH, MENU_HEIGHT = 16, 15

# One letter a pixel; "." is the light grey ground.
SHEET_OF_PAPER = [
    "..########......",
    "..#wwwwww##.....",
    "..#wwwwww#l#....",
    "..#wbbbbw#ll#...",
    "..#wwwwww#####..",
    "..#wbbbbbbbbw#g.",
    "..#wwwwwwwwww#g.",
    "..#wbbbbbbbbw#g.",
    "..#wwwwwwwwww#g.",
    "..#wbbbbbbbbw#g.",
    "..#wwwwwwwwww#g.",
    "..#wbbbbbbwww#g.",
    "..#wwwwwwwwww#g.",
    "..############g.",
    "...gggggggggggg.",
]
SHEET_COLOURS = {
    ".": BUTTON_FACE,
    "#": (0, 0, 0),
    "w": (255, 255, 255),
    "l": (224, 224, 224),
    "b": (0, 0, 128),
    "g": (128, 128, 128),
}


def red_cross_letters():
    """A bold red X with a dark rim, as rows of letters like the sheet of paper."""
    stroke = set()
    # The strokes stay two pixels clear of the edges, so the rim around them still has ground beyond it.
    for y in range(2, 13):
        for x in range(2, 13):
            if abs(x - y) <= 1 or abs(x + y - 14) <= 1:
                stroke.add((x, y))
    rows = []
    for y in range(MENU_HEIGHT):
        row = ""
        for x in range(MENU_WIDTH):
            if (x, y) in stroke:
                # A glint along the middle of each stroke's upper half.
                glint = (x - y == 0 and y < 6) or (x + y == 14 and y < 6)
                row += "h" if glint else "r"
            elif any((x + dx, y + dy) in stroke for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                row += "d"
            else:
                row += "."
        rows.append(row)
    return rows


CROSS_COLOURS = {
    ".": BUTTON_FACE,
    "r": (255, 0, 0),
    "h": (255, 128, 128),
    "d": (128, 0, 0),
}


def letters_to_bmp(rows, colours):
    palette = [BUTTON_FACE] + sorted(c for c in set(colours.values()) if c != BUTTON_FACE)
    index = {letter: palette.index(colour) for letter, colour in colours.items()}
    return bmp_bytes([[index[ch] for ch in row] for row in rows], palette, 4)


def menu_pictures():
    assert len(SHEET_OF_PAPER) == MENU_HEIGHT and all(len(r) == MENU_WIDTH for r in SHEET_OF_PAPER)
    return {
        "menu_properties.bmp": letters_to_bmp(SHEET_OF_PAPER, SHEET_COLOURS),
        "menu_exit.bmp": letters_to_bmp(red_cross_letters(), CROSS_COLOURS),
    }


# ------------------------------------------------------------------------------------------------------------
# The mascot: a cartoon mouse, drawn by the icon, the figure and the splash

OUTLINE = (58, 36, 24)
FUR = (200, 144, 88)
FUR_SHADE = (156, 104, 60)
CREAM = (248, 226, 190)
PINK = (244, 164, 172)
NOSE = (214, 64, 96)
SHIRT = (40, 96, 208)
SHIRT_SHADE = (24, 56, 140)
SHOE = (210, 36, 36)
SHOE_SHADE = (130, 20, 20)
YELLOW = (250, 204, 60)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


def draw_mouse_head(canvas, cx, cy, k, line=1.2):
    """The mascot's head centred on (cx, cy) at scale k (1 = the figure's size, head radius 15.5)."""

    def p(x, y):
        return cx + k * x, cy + k * y

    w = line * k
    for side in (-1, 1):
        ex, ey = p(side * 15.5, -17)
        canvas.circle(ex, ey, 10.5 * k, fill=FUR, outline=OUTLINE, width=w)
        ix, iy = p(side * 14.5, -16)
        canvas.circle(ix, iy, 6.8 * k, fill=PINK)
    x, y = p(0, 0)
    canvas.circle(x, y, 15.5 * k, fill=FUR, outline=OUTLINE, width=w)
    x, y = p(0, 7.5)
    canvas.ellipse(x, y, 10 * k, 7.5 * k, fill=CREAM)
    for side in (-1, 1):
        # Whiskers first, so the cheeks and the muzzle's edge sit over their roots.
        for dy0, dy1 in ((5.5, 3.5), (7.5, 9.5)):
            canvas.line([p(side * 7.5, dy0), p(side * 18.5, dy1)], OUTLINE, 0.9 * k)
        x, y = p(side * 9.5, 7)
        canvas.ellipse(x, y, 2.2 * k, 1.4 * k, fill=PINK)
        x, y = p(side * 5.5, -3)
        canvas.ellipse(x, y, 3.6 * k, 4.8 * k, fill=WHITE, outline=OUTLINE, width=0.8 * k)
        x, y = p(side * 4.8, -2)
        canvas.ellipse(x, y, 2.1 * k, 2.9 * k, fill=BLACK)
        x, y = p(side * 4.8 + 0.8, -3.3)
        canvas.circle(x, y, 0.9 * k, fill=WHITE)
    x, y = p(0, 4)
    canvas.ellipse(x, y, 2.9 * k, 2.2 * k, fill=NOSE, outline=OUTLINE, width=0.7 * k)
    x, y = p(-0.9, 3.3)
    canvas.circle(x, y, 0.8 * k, fill=WHITE)
    smile = [
        p(4.6 * math.cos(math.radians(a)), 8.2 + 3.2 * math.sin(math.radians(a))) for a in range(20, 161, 10)
    ]
    canvas.line(smile, OUTLINE, 0.9 * k)


def draw_mascot(canvas, ox, oy, k, ground_shadow):
    """The whole figure, waving, in a 65 x 96 frame whose top-left corner is (ox, oy), at scale k."""

    def p(x, y):
        return ox + k * x, oy + k * y

    def ps(points):
        return [p(x, y) for x, y in points]

    x, y = p(32.5, 91)
    canvas.ellipse(x, y, 24 * k, 3 * k, fill=ground_shadow)
    tail = ps([(41, 72), (50, 77), (57, 73), (59.5, 65), (56.5, 58.5), (51, 59.5)])
    canvas.outlined_line(tail, PINK, 2.2 * k, OUTLINE, 0.8 * k)
    for leg in (((27, 72), (25, 84)), ((38, 72), (40, 84))):
        canvas.outlined_line(ps(leg), FUR, 5 * k, OUTLINE, 1.0 * k)
    for side, sx in ((-1, 22), (1, 43)):
        x, y = p(sx, 87)
        canvas.ellipse(x, y, 8.5 * k, 4.4 * k, fill=SHOE, outline=OUTLINE, width=1.0 * k)
        x, y = p(sx + side * 4.2, 85.8)
        canvas.ellipse(x, y, 3 * k, 1.6 * k, fill=WHITE)  # toe cap
        canvas.line(ps([(sx - 7.5, 89.4), (sx + 7.5, 89.4)]), SHOE_SHADE, 1.0 * k)
    # Arms behind the body: one hanging, one waving.
    canvas.outlined_line(ps([(23, 54), (14.5, 65)]), FUR, 4 * k, OUTLINE, 1.0 * k)
    canvas.outlined_line(ps([(42, 54), (52, 43)]), FUR, 4 * k, OUTLINE, 1.0 * k)
    x, y = p(32.5, 62)
    canvas.ellipse(x, y, 13 * k, 14 * k, fill=SHIRT, outline=OUTLINE, width=1.2 * k)
    x, y = p(32.5, 72)
    canvas.ellipse(x, y, 9 * k, 3.5 * k, fill=SHIRT_SHADE)
    x, y = p(32.5, 61)
    canvas.text(x, y, "1", "DejaVuSans-Bold", 12 * k, YELLOW)
    for hx, hy in ((13.5, 66.5), (53.5, 41.5)):
        x, y = p(hx, hy)
        canvas.circle(x, y, 3.7 * k, fill=CREAM, outline=OUTLINE, width=1.0 * k)
    # Motion marks beside the waving hand.
    for a0 in (-60, -30):
        canvas.line(arc_points(*p(53.5, 41.5), 7.5 * k, a0, a0 + 18, 6), OUTLINE, 0.8 * k)
    x, y = p(32.5, 30)
    draw_mouse_head(canvas, x, y, k)


FIGURE_WIDTH, FIGURE_HEIGHT = 65, 96
FIGURE_PALETTE = [
    BUTTON_FACE,
    OUTLINE,
    BLACK,
    WHITE,
    FUR,
    FUR_SHADE,
    CREAM,
    PINK,
    NOSE,
    SHIRT,
    SHIRT_SHADE,
    SHOE,
    SHOE_SHADE,
    (160, 160, 160),  # the shadow on the ground
    (125, 112, 104),  # outline fading into the ground
    YELLOW,
]


def figure_picture():
    canvas = Canvas(FIGURE_WIDTH, FIGURE_HEIGHT, BUTTON_FACE)
    draw_mascot(canvas, 0, 0, 1.0, FIGURE_PALETTE[13])
    return {"figure.bmp": bmp_bytes(map_to_palette(canvas.pixels(), FIGURE_PALETTE), FIGURE_PALETTE, 4)}


# ------------------------------------------------------------------------------------------------------------
# The icon: the mascot's head, 32 x 32 and 16 x 16 in 16 colours with a transparency mask, and 20, 24, 40
# and 48 pixels in 32-bit colour with alpha

ICON_PALETTE = [BLACK, OUTLINE, FUR, FUR_SHADE, CREAM, PINK, NOSE, WHITE, (120, 84, 56), (226, 184, 140)]


def draw_icon_head(colour, shape, k):
    """The icon's head as shapes on a 32-unit square scaled by k: in colour, and in white on black as the
    silhouette. Thin strokes keep at least a pixel's width (a little less for the smile) at small k."""
    outline = max(1.0, 1.3 * k)
    ears = ((7.8, 8.6), (24.2, 8.6))
    for x, y in ears:
        colour.circle(x * k, y * k, 7.2 * k, fill=FUR, outline=OUTLINE, width=outline)
        colour.circle((x + (0.5 if x < 16 else -0.5)) * k, (y + 0.5) * k, 4.3 * k, fill=PINK)
        shape.circle(x * k, y * k, 7.2 * k, fill=WHITE)
    colour.circle(16 * k, 19.5 * k, 11.3 * k, fill=FUR, outline=OUTLINE, width=outline)
    shape.circle(16 * k, 19.5 * k, 11.3 * k, fill=WHITE)
    colour.ellipse(16 * k, 24.2 * k, 7.4 * k, 5.2 * k, fill=CREAM)
    for side in (-1, 1):
        colour.ellipse((16 + side * 7.6) * k, 24.5 * k, 1.7 * k, 1.1 * k, fill=PINK)
        colour.ellipse((16 + side * 3.9) * k, 17.6 * k, 1.7 * k, 2.5 * k, fill=BLACK)
        colour.circle((16 + side * 3.9 + 0.6) * k, 16.7 * k, 0.65 * k, fill=WHITE)
    colour.ellipse(16 * k, 21.8 * k, 2.1 * k, 1.6 * k, fill=NOSE)
    smile = [(13.6, 25.4), (14.8, 26.6), (16, 26.2), (17.2, 26.6), (18.4, 25.4)]
    colour.line([(x * k, y * k) for x, y in smile], OUTLINE, max(0.75, 0.9 * k))


def large_icon():
    """32 x 32: the head simplified for its size, drawn as shapes; pixels the silhouette misses are clear."""
    colour = Canvas(32, 32, OUTLINE)  # edge pixels then blend into the outline, never into a foreign ground
    shape = Canvas(32, 32, BLACK)
    draw_icon_head(colour, shape, 1.0)
    transparent = [[px[0] < 128 for px in row] for row in shape.pixels()]
    indices = map_to_palette(colour.pixels(), ICON_PALETTE)
    indices = [
        [0 if clear else i for i, clear in zip(row, clears)] for row, clears in zip(indices, transparent)
    ]
    return indices, transparent


# The sizes the notification area asks for at the other scalings (125 %: 20, 150 %: 24, 250 %: 40, 300 %:
# 48), drawn from the same shapes as the 32 x 32 head, in full colour with soft edges.
SCALED_ICON_SIZES = (20, 24, 40, 48)


def scaled_icon(size):
    """The head at size x size as rows of (r, g, b, a): the silhouette's coverage is the alpha."""
    colour = Canvas(size, size, OUTLINE)
    shape = Canvas(size, size, BLACK)
    draw_icon_head(colour, shape, size / 32.0)
    rows = []
    for colour_row, shape_row in zip(colour.pixels(), shape.pixels()):
        row = []
        for (r, g, b), (alpha, _, _) in zip(colour_row, shape_row):
            row.append((r, g, b, alpha) if alpha > 0 else (0, 0, 0, 0))
        rows.append(row)
    return rows


# 16 x 16 is too small for shapes to survive averaging, so every pixel is placed by hand. "." is clear.
SMALL_ICON = [
    "................",
    ".ooooo....ooooo.",
    ".ofppo....oppfo.",
    "ofpppfo..ofpppfo",
    "ofpppfoooofpppfo",
    ".ofpooffffoopfo.",
    ".oooffffffffooo.",
    "..ofkwffffkwfo..",
    "..ofkkffffkkfo..",
    "..offffffffffo..",
    "..ofpccnnccpfo..",
    "..ofccoccoccfo..",
    "..occccoocccco..",
    "...occcccccco...",
    "....occcccco....",
    ".....oooooo.....",
]
SMALL_ICON_COLOURS = {"o": OUTLINE, "f": FUR, "p": PINK, "c": CREAM, "k": BLACK, "w": WHITE, "n": NOSE}


def small_icon():
    indices, transparent = [], []
    for row in SMALL_ICON:
        indices.append([0 if ch == "." else ICON_PALETTE.index(SMALL_ICON_COLOURS[ch]) for ch in row])
        transparent.append([ch == "." for ch in row])
    return indices, transparent


def icon_file():
    assert len(SMALL_ICON) == 16 and all(len(row) == 16 for row in SMALL_ICON)
    # The 16-colour pair first, as it has always been; then the larger-palette sizes.
    indexed = (large_icon(), small_icon())
    images = [indexed_icon_image(indices, ICON_PALETTE, clear) for indices, clear in indexed]
    images += [argb_icon_image(scaled_icon(size)) for size in SCALED_ICON_SIZES]
    return {"skittera.ico": ico_bytes(images)}


# ------------------------------------------------------------------------------------------------------------
# The splash picture: 250 x 171, 16 colours

SPLASH_WIDTH, SPLASH_HEIGHT = 250, 171
SPLASH_BAND = (22, 38, 100)
SPLASH_PANEL = (238, 242, 250)
SPLASH_SKY = (150, 190, 240)
SPLASH_GREY = (124, 128, 142)
SPLASH_DRUM = (52, 56, 70)
SPLASH_PALETTE = [
    BLACK,
    WHITE,
    OUTLINE,
    FUR,
    FUR_SHADE,
    CREAM,
    PINK,
    SHOE,
    SHOE_SHADE,
    SPLASH_BAND,
    SHIRT,
    SPLASH_SKY,
    YELLOW,
    SPLASH_PANEL,
    SPLASH_GREY,
    SPLASH_DRUM,
]


def draw_logo(canvas, cx, cy, r):
    """Our maker's mark: a red badge with a pointer that has left a trail of dots behind it."""
    canvas.circle(cx, cy, r, fill=SHOE, outline=WHITE, width=1.4)
    canvas.circle(cx, cy, r - 2.6, outline=SHOE_SHADE, width=0.8)
    for t in range(5):
        a = math.radians(150 + t * 26)
        canvas.circle(cx + 0.55 * r * math.cos(a), cy + 0.55 * r * math.sin(a), 0.9 + 0.25 * t, fill=YELLOW)
    # The arrow pointer, tip up and to the left.
    s = r / 14.0
    arrow = [(0, 0), (0, 13), (3.2, 10), (5.6, 15.2), (8, 14.1), (5.7, 9.2), (9.8, 9.2)]
    tx, ty = cx - 1.5 * s, cy - 8.5 * s
    canvas.polygon([(tx + s * x, ty + s * y) for x, y in arrow], fill=WHITE, outline=BLACK, width=0.8)


def draw_mini_odometer(canvas, x, y, digits):
    width, height, gap = 11, 15, 2
    canvas.rounded(x - 2, y - 2, x + len(digits) * (width + gap) - gap + 2, y + height + 2, 2, fill=BLACK)
    for i, d in enumerate(digits):
        left = x + i * (width + gap)
        canvas.rectangle(left, y, left + width, y + height, fill=SPLASH_DRUM)
        canvas.rectangle(left, y + height * 0.38, left + width, y + height * 0.62, fill=(70, 74, 90))
        canvas.text(left + width / 2.0, y + height / 2.0 + 0.3, d, "DejaVuSansCondensed-Bold", 12, WHITE)


def splash_picture():
    canvas = Canvas(SPLASH_WIDTH, SPLASH_HEIGHT, SPLASH_PANEL)
    # The title band with a gently curved lower edge.
    edge = [
        (x, 70 + 9 * math.sin(math.pi * x / SPLASH_WIDTH) - 0.06 * x) for x in range(0, SPLASH_WIDTH + 1, 5)
    ]
    canvas.polygon([(0, 0), (SPLASH_WIDTH, 0)] + list(reversed(edge)), fill=SPLASH_BAND)
    canvas.line(edge, SPLASH_SKY, 1.2)
    draw_logo(canvas, 26, 28, 17)
    canvas.text(50, 40, "Skittera", "DejaVuSans-Bold", 31, BLACK, anchor="ls")
    canvas.text(48, 38, "Skittera", "DejaVuSans-Bold", 31, WHITE, anchor="ls")
    canvas.text(50, 56, "versione 1.0", "DejaVuSans-Bold", 10.5, YELLOW, anchor="ls")
    draw_mini_odometer(canvas, 14, 96, "001234")
    canvas.text(95, 110, "m", "DejaVuSans-Bold", 11, SPLASH_BAND, anchor="ls")
    canvas.text(
        14, 136, "Quanta strada fa il tuo mouse?", "DejaVuSans-Oblique", 9.2, SPLASH_BAND, anchor="ls"
    )
    canvas.text(14, 161, "Realizzato da Studio Skittera", "DejaVuSans", 8.5, SPLASH_BAND, anchor="ls")
    draw_mascot(canvas, 168, 64, 1.1, (200, 206, 222))
    canvas.rectangle(0, 0, SPLASH_WIDTH, SPLASH_HEIGHT, outline=SPLASH_BAND, width=1.0)
    return {"splash.bmp": bmp_bytes(map_to_palette(canvas.pixels(), SPLASH_PALETTE), SPLASH_PALETTE, 4)}


# ------------------------------------------------------------------------------------------------------------
# Output


def all_pictures():
    pictures = {}
    pictures.update(drum_pictures())
    pictures.update(gauge_pictures())
    pictures.update(menu_pictures())
    pictures.update(figure_picture())
    pictures.update(icon_file())
    pictures.update(splash_picture())
    return pictures


def toolchain():
    return {"pillow": Image.__version__, "freetype2": features.version("freetype2")}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=DEFAULT_OUT, help="folder to write into (default: resources/)")
    parser.add_argument(
        "--toolchain",
        action="store_true",
        help="only say whether this Pillow and FreeType are the ones the committed art was made with "
        "(exit 0 if so, 1 if not)",
    )
    args = parser.parse_args()
    if args.toolchain:
        here = toolchain()
        print("this machine: %s; committed art: %s" % (here, TOOLCHAIN))
        return 0 if here == TOOLCHAIN else 1
    os.makedirs(args.out, exist_ok=True)
    for name, data in sorted(all_pictures().items()):
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
