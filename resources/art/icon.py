"""The icon: the mascot's head, 32 x 32 and 16 x 16 in 16 colours with a transparency mask, and 20, 24, 40 and
48 pixels in 32-bit colour with alpha."""

from .files import argb_icon_image, ico_bytes, indexed_icon_image
from .mascot import BLACK, CREAM, FUR, FUR_SHADE, NOSE, OUTLINE, PINK, WHITE
from .raster import Canvas, map_to_palette

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
