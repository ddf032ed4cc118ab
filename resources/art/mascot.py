"""The mascot: a cartoon mouse, drawn by the icon, the figure and the splash; and the figure (65 x 96, 16
colours on the button face)."""

import math

from .files import bmp_bytes
from .raster import BUTTON_FACE, Canvas, arc_points, map_to_palette

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
