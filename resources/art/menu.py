"""Menu pictures: 16 x 15, 16 colours, on the button face that the menu code treats as background."""

from .files import bmp_bytes
from .raster import BUTTON_FACE

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
