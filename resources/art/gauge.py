"""Speedometer face (124 x 124, 256 colours) and its mask (monochrome)."""

import math

from .files import bmp_bytes
from .raster import BUTTON_FACE, Canvas, arc_points, map_to_palette, median_cut, mix

# Speedometer geometry. The code draws the needle from pixel (62, 62) of the face; the dial's disc is every
# pixel whose centre lies within GAUGE_RADIUS of that pixel's centre, in the face and in the mask alike.
GAUGE_SIZE = 124
GAUGE_CENTRE = 62
GAUGE_RADIUS = 60.5


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
