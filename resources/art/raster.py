"""Rasterising and colour reduction: Pillow draws the shapes and the text, finer than the picture, and the
result is averaged down and mapped to a picture's palette."""

import math
import os

from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"

# Drawing happens this many times finer than the picture and is averaged down, which anti-aliases every edge.
SUPERSAMPLE = 8

# The classic button face. Pictures whose ground must melt into a dialog or a menu use exactly this colour.
BUTTON_FACE = (192, 192, 192)

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
