"""The splash picture: 250 x 171, 16 colours."""

import math

from .files import bmp_bytes
from .mascot import (
    BLACK,
    CREAM,
    FUR,
    FUR_SHADE,
    OUTLINE,
    PINK,
    SHIRT,
    SHOE,
    SHOE_SHADE,
    WHITE,
    YELLOW,
    draw_mascot,
)
from .raster import Canvas, map_to_palette

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
