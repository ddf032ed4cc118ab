"""Odometer drums: 20 x 27, 16 colours, one palette shared by all twelve."""

import math

from PIL import Image, ImageDraw

from .files import bmp_bytes
from .raster import SUPERSAMPLE, font, map_to_palette, mix

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
