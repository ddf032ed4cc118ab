#!/usr/bin/env python3
"""Checks of Skittera's resources: the committed pictures, their generator and the resource script.

    check_resources.py art --resources DIR
    check_resources.py regenerate --resources DIR --generator resources/make_art.py
    check_resources.py script --resources DIR --windres PATH

Exit status 0 when every check passes, 1 when one fails, 77 when the checks cannot run on this machine (a
missing tool); CTest reports 77 as skipped. Only the standard library is needed.
"""

import argparse
import hashlib
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

SKIP = 77
BUTTON_FACE = (192, 192, 192)

# File name -> (width, height, bits per pixel).
PICTURES = {
    "splash.bmp": (250, 171, 4),
    "figure.bmp": (65, 96, 4),
    "digit_blank.bmp": (20, 27, 4),
    "digit_point.bmp": (20, 27, 4),
    "gauge_face.bmp": (124, 124, 8),
    "gauge_mask.bmp": (124, 124, 1),
    "menu_properties.bmp": (16, 15, 4),
    "menu_exit.bmp": (16, 15, 4),
}
PICTURES.update({"digit%d.bmp" % d: (20, 27, 4) for d in range(10)})
ICON = "skittera.ico"
# The sizes the icon holds: 16 and 32 in 16 colours, the others in 32-bit colour with alpha.
ICON_SIZES = {16: 4, 20: 32, 24: 32, 32: 4, 40: 32, 48: 32}
# The 16-colour images as they were drawn at first (commit 044d42a), by the SHA-256 of each image's bytes in
# the file (header, colour table, colour bits and mask): the sizes added later leave them as they are.
ICON_UNCHANGED = {
    16: "5eb6f56ccbb7ad92669c8e262df5bba02cb22a8685485ad80850c10e6b79977f",
    32: "d6842c6ad11430732da186e24bdcb4735ba18a7eb0ad65f0c4b75990f54298d0",
}
# The mascot's fur, of which the middle of the face is made at every size.
FUR = (200, 144, 88)

# Bitmap resource id -> the file it must hold.
BITMAP_IDS = {102: "splash.bmp", 105: "figure.bmp", 117: "digit_blank.bmp", 118: "digit_point.bmp"}
BITMAP_IDS.update({107 + d: "digit%d.bmp" % d for d in range(10)})
BITMAP_IDS.update(
    {120: "gauge_face.bmp", 122: "gauge_mask.bmp", 183: "menu_properties.bmp", 184: "menu_exit.bmp"}
)

GAUGE_CENTRE = 62
# The XOR needle's pen colour, the default info-tip background.
NEEDLE_PEN = (255, 255, 225)


class Failures:
    def __init__(self):
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(message)
        return condition

    def report(self, what):
        for m in self.messages:
            print("FAIL: " + m)
        if self.messages:
            print("%s: %d check(s) failed" % (what, len(self.messages)))
            return 1
        print("%s: all checks passed" % what)
        return 0


# ------------------------------------------------------------------------------------------------------------
# Readers. They are strict: a header that a Windows loader could misread counts as a failure.


class FormatError(Exception):
    pass


def parse_dib(data, what, icon=False):
    """Reads a BITMAPINFOHEADER, its colour table and bits; returns (width, height, bpp, palette, rows, end).

    An icon image's header counts its colour and mask bitmaps together, twice the icon's height; with icon
    set, only the colour bitmap is read and `end` is where the mask begins. An icon image may also be of 32
    bits: it has no palette (None), and its rows hold (r, g, b, a).
    """
    if len(data) < 40:
        raise FormatError("%s: header is truncated" % what)
    size, width, height, planes, bpp, compression, image_size = struct.unpack_from("<IiiHHII", data, 0)
    colours_used = struct.unpack_from("<I", data, 32)[0]
    if size != 40 or planes != 1 or compression != 0:
        raise FormatError("%s: not a plain uncompressed Windows 3 bitmap header" % what)
    if bpp not in (1, 4, 8) and not (icon and bpp == 32):
        raise FormatError("%s: %d bits per pixel has no palette" % (what, bpp))
    if height <= 0 or width <= 0 or (icon and height % 2):
        raise FormatError("%s: odd dimensions %dx%d" % (what, width, height))
    if icon:
        height //= 2
    if bpp == 32:
        end = 40 + 4 * width * height
        if len(data) < end:
            raise FormatError("%s: pixel data is truncated" % what)
        rows = []
        for row in range(height):
            start = 40 + (height - 1 - row) * 4 * width  # bottom-up
            rows.append([struct.unpack_from("<BBBB", data, start + 4 * x) for x in range(width)])
        return width, height, bpp, None, [[(r, g, b, a) for b, g, r, a in row] for row in rows], end
    table_size = colours_used or (1 << bpp)
    if table_size > (1 << bpp):
        raise FormatError("%s: colour table larger than the depth allows" % what)
    bits_start = 40 + 4 * table_size
    stride = ((width * bpp + 31) // 32) * 4
    end = bits_start + stride * height
    if len(data) < end:
        raise FormatError("%s: pixel data is truncated" % what)
    if not icon and image_size not in (0, stride * height):
        raise FormatError("%s: image size field %d disagrees with %d" % (what, image_size, stride * height))
    palette = [struct.unpack_from("<BBB", data, 40 + 4 * i)[::-1] for i in range(table_size)]
    rows = []
    for row in range(height):
        line = data[bits_start + (height - 1 - row) * stride :][:stride]  # bottom-up
        pixels = []
        for x in range(width):
            bit = x * bpp
            pixels.append((line[bit // 8] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1))
        if any(i >= table_size for i in pixels):
            raise FormatError("%s: a pixel points past the colour table" % what)
        rows.append(pixels)
    return width, height, bpp, palette, rows, end


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    name = os.path.basename(path)
    if len(data) < 14 or data[:2] != b"BM":
        raise FormatError("%s: not a BMP file" % name)
    file_size, _, _, offset = struct.unpack_from("<IHHI", data, 2)
    if file_size != len(data):
        raise FormatError("%s: file size field %d but the file has %d bytes" % (name, file_size, len(data)))
    width, height, bpp, palette, rows, end = parse_dib(data[14:], name)
    if offset != 14 + 40 + 4 * len(palette):
        raise FormatError("%s: pixel data offset %d does not follow the colour table" % (name, offset))
    return {"width": width, "height": height, "bpp": bpp, "palette": palette, "rows": rows, "data": data}


def colour_at(picture, x, y):
    return picture["palette"][picture["rows"][y][x]]


def luminance(c):
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]


def read_icon_images(data, name):
    """The images of an .ico file: list of (directory entry, width, height, bpp, palette, rows, mask rows,
    the image's bytes)."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise FormatError("%s: not an icon file" % name)
    images = []
    for i in range(count):
        entry = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        _, _, _, _, _, _, size, offset = entry
        blob = data[offset : offset + size]
        if len(blob) != size:
            raise FormatError("%s: image %d is truncated" % (name, i))
        width, height, bpp, palette, colour_rows, end = parse_dib(blob, "%s image %d" % (name, i), icon=True)
        mask_stride = ((width + 31) // 32) * 4
        mask_bits = blob[end:]
        if len(mask_bits) != mask_stride * height:
            raise FormatError("%s: image %d has a mask of %d bytes" % (name, i, len(mask_bits)))
        mask = []
        for row in range(height):
            line = mask_bits[(height - 1 - row) * mask_stride :][:mask_stride]
            mask.append([bool((line[x // 8] >> (7 - x % 8)) & 1) for x in range(width)])
        images.append((entry, width, height, bpp, palette, colour_rows, mask, blob))
    return images


# ------------------------------------------------------------------------------------------------------------
# "art": the committed files


def scale_direction(value):
    """Unit vector from the hub toward scale value 0..100, as the needle is drawn for speed = 100 * value."""
    angle = math.radians(2.7 * value - 45.0)
    return -math.cos(angle), -math.sin(angle)


def check_gauge(face, mask, failures):
    c = GAUGE_CENTRE
    failures.check(
        mask["palette"][:2] == [(0, 0, 0), (255, 255, 255)], "mask colours must be black then white"
    )
    white = [[mask["palette"][i] == (255, 255, 255) for i in row] for row in mask["rows"]]
    failures.check(white[c][c], "mask is not white at the dial's centre (62, 62)")
    for x, y in ((0, 0), (123, 0), (0, 123), (123, 123)):
        failures.check(not white[y][x], "mask corner (%d, %d) is not black" % (x, y))

    # The disc is centred on (62, 62): along both axes it reaches equally far each way.
    reach = {}
    for name, (dx, dy) in {"left": (-1, 0), "right": (1, 0), "up": (0, -1), "down": (0, 1)}.items():
        r = 0
        while (
            0 <= c + (r + 1) * dx < 124
            and 0 <= c + (r + 1) * dy < 124
            and white[c + (r + 1) * dy][c + (r + 1) * dx]
        ):
            r += 1
        reach[name] = r
    failures.check(
        len(set(reach.values())) == 1, "the mask's disc is not centred on (62, 62): reaches %s" % reach
    )
    radius = reach["left"]
    failures.check(55 <= radius <= 61, "the disc's radius %d does not fill the face" % radius)
    # Just inside the rim is white, just outside black, in every direction.
    for k in range(72):
        a = 2 * math.pi * k / 72
        xi, yi = int(round(c + (radius - 1.5) * math.cos(a))), int(round(c + (radius - 1.5) * math.sin(a)))
        xo, yo = int(round(c + (radius + 1.5) * math.cos(a))), int(round(c + (radius + 1.5) * math.sin(a)))
        failures.check(white[yi][xi], "mask is black just inside the rim at (%d, %d)" % (xi, yi))
        if 0 <= xo < 124 and 0 <= yo < 124:
            failures.check(not white[yo][xo], "mask is white just outside the rim at (%d, %d)" % (xo, yo))

    # Face and mask agree pixel for pixel: light grey exactly outside the disc, the dial exactly inside it.
    disagreements = [
        (x, y)
        for y in range(124)
        for x in range(124)
        if white[y][x] == (colour_at(face, x, y) == BUTTON_FACE)
    ]
    failures.check(not disagreements, "face and mask disagree about the disc at %s" % disagreements[:5])

    # A dark dial on which the exclusive-or needle shows: nearly every pixel it can cross changes clearly.
    swept = [(x, y) for y in range(124) for x in range(124) if (x - c) ** 2 + (y - c) ** 2 <= 50 * 50]
    dark = sum(luminance(colour_at(face, x, y)) for x, y in swept) / len(swept)
    failures.check(dark < 70, "the dial is not dark (mean luminance %.0f)" % dark)
    faint = 0
    for x, y in swept:
        pixel = colour_at(face, x, y)
        xored = tuple(p ^ n for p, n in zip(pixel, NEEDLE_PEN))
        if sum(abs(a - b) for a, b in zip(pixel, xored)) < 200:
            faint += 1
    failures.check(faint < len(swept) * 0.03, "the needle would hardly show on %d dial pixels" % faint)

    # The red zone lies near 100 (lower right, reached clockwise over the top), not near 0.
    def reddish(v):
        dx, dy = scale_direction(v)
        pixel = colour_at(face, int(c + 0.5 + 50 * dx), int(c + 0.5 + 50 * dy))
        return pixel[0] > 150 and pixel[1] < 90 and pixel[2] < 90

    for v in (88.75, 93.75, 98.75):
        failures.check(reddish(v), "no red zone at scale value %s" % v)
        failures.check(not reddish(100 - v), "red at scale value %s, far from 100" % (100 - v))


def check_drums(drums, failures):
    faces = {name: pic for name, pic in drums.items()}
    blobs = [pic["data"] for pic in faces.values()]
    failures.check(len(set(blobs)) == len(blobs), "two drum pictures are identical")
    for name, pic in faces.items():
        mean = sum(luminance(colour_at(pic, x, y)) for y in range(27) for x in range(20)) / (20 * 27)
        failures.check(mean < 110, "%s is not a dark drum (mean luminance %.0f)" % (name, mean))
        bright = [(x, y) for y in range(27) for x in range(20) if luminance(colour_at(pic, x, y)) > 200]
        if name == "digit_blank.bmp":
            failures.check(not bright, "the blank drum shows something bright at %s" % bright[:3])
            # A cylinder lit from the front: its middle row is lighter than its top and bottom rows.
            rows = [sum(luminance(colour_at(pic, x, y)) for x in range(20)) for y in range(27)]
            failures.check(
                rows[13] > rows[0] + 100 and rows[13] > rows[26] + 100, "the blank drum looks flat"
            )
        elif name == "digit_point.bmp":
            failures.check(bright and all(y > 13 for _, y in bright), "the point drum's point is not low")
            failures.check(len(bright) < 25, "the point drum's point is too big (%d pixels)" % len(bright))
        else:
            failures.check(len(bright) >= 20, "%s shows no white digit" % name)
            failures.check(
                all(2 <= x <= 17 and 3 <= y <= 23 for x, y in bright), "%s's digit runs off the drum" % name
            )


def check_corners_ground(name, pic, failures):
    w, h = pic["width"], pic["height"]
    for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        failures.check(
            colour_at(pic, x, y) == BUTTON_FACE, "%s: corner (%d, %d) is not light grey" % (name, x, y)
        )


def check_icon(path, failures):
    with open(path, "rb") as f:
        data = f.read()
    images = read_icon_images(data, ICON)
    sizes = [(w, h) for _, w, h, _, _, _, _, _ in images]
    wanted = [(n, n) for n in sorted(ICON_SIZES)]
    failures.check(sorted(sizes) == wanted, "icon sizes are %s, not %s" % (sizes, wanted))
    for entry, w, h, bpp, palette, rows, mask, blob in images:
        ew, eh, colours, _, planes, entry_bpp, _, _ = entry
        tag = "icon %dx%d" % (w, h)
        failures.check((ew, eh) == (w, h), "%s: directory says %dx%d" % (tag, ew, eh))
        failures.check(planes == 1, "%s: %d planes" % (tag, planes))
        wanted_bpp = ICON_SIZES.get(w)
        failures.check(
            bpp == wanted_bpp and entry_bpp == bpp, "%s: %d bits, not %s" % (tag, bpp, wanted_bpp)
        )
        if w in ICON_UNCHANGED:
            digest = hashlib.sha256(blob).hexdigest()
            failures.check(digest == ICON_UNCHANGED[w], "%s: not the image it has always been" % tag)
        clear = sum(row.count(True) for row in mask)
        failures.check(0 < clear < w * h // 2, "%s: %d of %d pixels are transparent" % (tag, clear, w * h))
        failures.check(mask[0][0] and mask[h - 1][w - 1], "%s: a round head leaves its corners clear" % tag)
        failures.check(not mask[h // 2][w // 2], "%s: the middle is transparent" % tag)
        if bpp == 4:
            failures.check(colours == 16, "%s: not 16 colours" % tag)
            colour = [[palette[i] for i in row] for row in rows]
        else:
            failures.check(colours == 0, "%s: the directory counts %d colours, not 0" % (tag, colours))
            colour = [[pixel[:3] for pixel in row] for row in rows]
            # The mask clears exactly the pixels of no opacity, so the alpha and the mask tell the same shape.
            disagree = [(x, y) for y in range(h) for x in range(w) if mask[y][x] != (rows[y][x][3] == 0)]
            failures.check(not disagree, "%s: mask and alpha disagree at %s" % (tag, disagree[:3]))
            failures.check(rows[h // 2][w // 2][3] == 255, "%s: the middle is not opaque" % tag)
            # The same face as the 32 x 32 image, scaled: the middle is fur, and the eyes stand where the
            # 32-unit drawing puts them, (16 +- 3.9, 17.6), scaled by the size over 32.
            failures.check(
                max(abs(c - f) for c, f in zip(colour[h // 2][w // 2], FUR)) <= 24,
                "%s: the middle is %s, not the fur %s" % (tag, colour[h // 2][w // 2], FUR),
            )
            for side in (-1, 1):
                ex, ey = int((16 + side * 3.9) * w / 32.0), int(17.6 * h / 32.0)
                dark = luminance(colour[ey][ex]) < 60
                failures.check(dark, "%s: no dark eye at (%d, %d)" % (tag, ex, ey))
        # Where the mask clears a pixel the colour must be black, or the pixel inverts what lies beneath.
        stray = [(x, y) for y in range(h) for x in range(w) if mask[y][x] and colour[y][x] != (0, 0, 0)]
        failures.check(not stray, "%s: transparent pixels that are not black at %s" % (tag, stray[:3]))


def run_art(args):
    failures = Failures()
    pictures = {}
    for name, (width, height, bpp) in sorted(PICTURES.items()):
        path = os.path.join(args.resources, name)
        if not failures.check(os.path.isfile(path), "%s is missing" % name):
            continue
        try:
            pic = read_bmp(path)
        except FormatError as e:
            failures.check(False, str(e))
            continue
        got = (pic["width"], pic["height"], pic["bpp"])
        if failures.check(
            got == (width, height, bpp),
            "%s is %dx%d at %d bits, not %dx%d at %d" % ((name,) + got + (width, height, bpp)),
        ):
            pictures[name] = pic

    if "gauge_face.bmp" in pictures and "gauge_mask.bmp" in pictures:
        check_gauge(pictures["gauge_face.bmp"], pictures["gauge_mask.bmp"], failures)
    drums = {n: p for n, p in pictures.items() if n.startswith("digit")}
    if len(drums) == 12:
        check_drums(drums, failures)
    for name in ("menu_properties.bmp", "menu_exit.bmp", "figure.bmp"):
        if name in pictures:
            check_corners_ground(name, pictures[name], failures)
    if "menu_exit.bmp" in pictures:
        pic = pictures["menu_exit.bmp"]
        red = [1 for y in range(15) for x in range(16) if colour_at(pic, x, y) == (255, 0, 0)]
        failures.check(len(red) >= 20, "the exit picture has no red cross")
    if "menu_properties.bmp" in pictures:
        pic = pictures["menu_properties.bmp"]
        paper = [1 for y in range(15) for x in range(16) if colour_at(pic, x, y) == (255, 255, 255)]
        failures.check(len(paper) >= 40, "the properties picture has no white sheet")

    icon_path = os.path.join(args.resources, ICON)
    if failures.check(os.path.isfile(icon_path), "%s is missing" % ICON):
        try:
            check_icon(icon_path, failures)
        except (FormatError, struct.error) as e:
            failures.check(False, "%s: %s" % (ICON, e))
    return failures.report("art")


# ------------------------------------------------------------------------------------------------------------
# "regenerate": the generator reproduces the committed files


def python_with_pillow(generator):
    """An interpreter that can run the generator: this one, or the one its first line names."""
    candidates = [sys.executable]
    with open(generator, "r", encoding="utf-8") as f:
        first = f.readline().strip()
    if first.startswith("#!") and "env" not in first:
        candidates.append(first[2:].strip())
    for candidate in candidates:
        if candidate and os.path.isfile(candidate):
            probe = subprocess.run(
                [candidate, "-c", "import PIL"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL
            )
            if probe.returncode == 0:
                return candidate
    return None


def run_regenerate(args):
    python = python_with_pillow(args.generator)
    if python is None:
        print("SKIP: no Python with Pillow (Debian: apt-get install python3-pil) to run %s" % args.generator)
        return SKIP
    for face in (
        "DejaVuSans.ttf",
        "DejaVuSans-Bold.ttf",
        "DejaVuSansCondensed-Bold.ttf",
        "DejaVuSans-Oblique.ttf",
    ):
        if not os.path.isfile(os.path.join("/usr/share/fonts/truetype/dejavu", face)):
            print("SKIP: the DejaVu font %s is not installed (Debian: fonts-dejavu)" % face)
            return SKIP
    versions = subprocess.run(
        [python, args.generator, "--toolchain"], stdout=subprocess.PIPE, universal_newlines=True
    )
    if versions.returncode != 0:
        print(
            "SKIP: another Pillow or FreeType rasterises glyph edges differently; " + versions.stdout.strip()
        )
        return SKIP
    failures = Failures()
    out = tempfile.mkdtemp(prefix="skittera-art-")
    try:
        run = subprocess.run([python, args.generator, "--out", out])
        if not failures.check(run.returncode == 0, "the generator failed with status %d" % run.returncode):
            return failures.report("regenerate")
        made = sorted(os.listdir(out))
        expected = sorted(list(PICTURES) + [ICON])
        failures.check(made == expected, "the generator wrote %s, expected %s" % (made, expected))
        for name in made:
            committed = os.path.join(args.resources, name)
            with open(os.path.join(out, name), "rb") as f:
                fresh = f.read()
            same = os.path.isfile(committed) and open(committed, "rb").read() == fresh
            failures.check(
                same, "%s differs from what the generator draws now; regenerate and commit it" % name
            )
    finally:
        shutil.rmtree(out)
    return failures.report("regenerate")


# ------------------------------------------------------------------------------------------------------------
# "script": the resource script compiles and holds exactly the resources the program loads

RT_BITMAP, RT_ICON, RT_MENU, RT_DIALOG, RT_GROUP_ICON, RT_MANIFEST = 2, 3, 4, 5, 14, 24
LANG_ITALIAN, LANG_NEUTRAL = 0x0410, 0
# The application manifest is the one resource that speaks no language.
MANIFEST = (RT_MANIFEST, 1)

WS_CHILD, WS_VISIBLE, WS_GROUP, WS_TABSTOP = 0x40000000, 0x10000000, 0x00020000, 0x00010000
WS_POPUP, WS_CAPTION, WS_SYSMENU = 0x80000000, 0x00C00000, 0x00080000
DS_MODALFRAME, DS_SETFONT = 0x80, 0x40
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_AUTORADIOBUTTON = 0, 1, 3, 7, 9
SS_LEFT, SS_RIGHT, SS_BITMAP, SS_ETCHEDHORZ, SS_ETCHEDFRAME, SS_REALSIZEIMAGE = 0, 2, 0xE, 0x10, 0x12, 0x800
SS_NOPREFIX = 0x80
WS_EX_TRANSPARENT, WS_EX_CLIENTEDGE = 0x20, 0x200
BUTTON, STATIC = ("#", 0x80), ("#", 0x82)
NO_ID = 0xFFFF
PICTURE = SS_BITMAP | SS_REALSIZEIMAGE


def _cell(control_id, x, y):
    return (control_id, STATIC, ("#", 117), PICTURE, WS_EX_TRANSPARENT, (x, y, 13, 17))


# The properties dialog's controls in template order: id, class, text, style (WS_CHILD | WS_VISIBLE added
# below unless the control is hidden), extended style, position.
DIALOG_CONTROLS = (
    [
        (2, BUTTON, "Chiudi", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, (79, 202, 51, 14)),
        (NO_ID, STATIC, ("#", 105), PICTURE, 0, (7, 128, 43, 59)),
        (1000, BUTTON, "Azzera Contatore", BS_PUSHBUTTON | WS_TABSTOP, 0, (138, 135, 62, 14)),
        (1001, BUTTON, "Centimetri", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, (69, 143, 46, 10)),
        (1002, BUTTON, "Metri", BS_AUTORADIOBUTTON, 0, (69, 154, 31, 10)),
        (1003, BUTTON, "Chilometri", BS_AUTORADIOBUTTON, 0, (69, 165, 46, 10)),
        (NO_ID, BUTTON, "Visualizza", BS_GROUPBOX, 0, (63, 132, 57, 47)),
    ]
    + [_cell(1005 + i, 39 + 16 * i, 7) for i in range(10)]
    + [
        (NO_ID, STATIC, "Percorsi:", SS_RIGHT | WS_GROUP, 0, (10, 11, 27, 8)),
        (1015, BUTTON, "Esegui all'Avvio", BS_AUTOCHECKBOX | WS_TABSTOP, 0, (138, 161, 64, 10)),
        (NO_ID, STATIC, "dal:", SS_RIGHT, 0, (7, 27, 29, 8)),
        (1037, STATIC, "Static", SS_LEFT, 0, (39, 27, 116, 8)),
        (NO_ID, STATIC, "", SS_ETCHEDHORZ, 0, (7, 193, 204, 1)),
        (1039, STATIC, "dal:", SS_LEFT, 0, (198, 11, 14, 8)),
        (NO_ID, BUTTON, "Velocit\u00e0", BS_GROUPBOX, 0, (7, 38, 205, 85)),
    ]
    + [_cell(1023 + i, 14 + 16 * i, 101) for i in range(6)]
    + [
        (NO_ID, STATIC, "Massima di oggi:", SS_LEFT, 0, (13, 91, 61, 8)),
        (1041, STATIC, "", SS_ETCHEDFRAME, 0, (126, 44, 83, 76)),
        (1042, STATIC, "Static", SS_LEFT, 0, (60, 52, 62, 8)),
        (NO_ID, STATIC, "Media di oggi:", SS_LEFT, 0, (13, 72, 45, 8)),
        (1043, STATIC, "Static", SS_LEFT, 0, (60, 72, 62, 8)),
        (NO_ID, STATIC, "Corrente:", SS_LEFT, 0, (27, 52, 31, 8)),
        (NO_ID, STATIC, "m/h", SS_LEFT, 0, (109, 104, 13, 8)),
        # Added last: every control above keeps its place and its rank in the tab order.
        (1044, BUTTON, "Storico...", BS_PUSHBUTTON | WS_TABSTOP, 0, (138, 175, 62, 14)),
    ]
)
HIDDEN_CONTROLS = {1041}


def _figure(label_y, label, value_ids):
    rows = [(NO_ID, STATIC, label, SS_LEFT, 0, (242, label_y, 81, 8))]
    for i, value_id in enumerate(value_ids):
        rows.append((value_id, STATIC, "", SS_LEFT, 0, (248, label_y + 9 * (i + 1), 75, 8)))
    return rows


# The history window: the period, the chart (a class of the program's own), the line under it, the figures
# beside it, and the two buttons.
HISTORY_CONTROLS = (
    [
        (1050, BUTTON, "Giorni", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, (7, 6, 40, 10)),
        (1051, BUTTON, "Settimane", BS_AUTORADIOBUTTON, 0, (50, 6, 50, 10)),
        (1052, BUTTON, "Mesi", BS_AUTORADIOBUTTON, 0, (103, 6, 36, 10)),
        # windres writes a class name in capitals; Windows compares class names without regard to case.
        (1053, "SKITTERAHISTORYCHART", "", WS_GROUP | WS_TABSTOP, WS_EX_CLIENTEDGE, (7, 20, 228, 131)),
        (1054, STATIC, "", SS_LEFT | SS_NOPREFIX, 0, (7, 155, 316, 16)),
    ]
    + _figure(20, "Oggi:", [1055])
    + _figure(42, "Ieri:", [1056])
    + _figure(64, "Questa settimana:", [1057])
    + _figure(86, "Questo mese:", [1058])
    + _figure(108, "Giorno record:", [1059, 1060])
    + [
        (NO_ID, STATIC, "", SS_ETCHEDHORZ, 0, (7, 176, 316, 1)),
        (1062, BUTTON, "Importa...", BS_PUSHBUTTON | WS_TABSTOP, 0, (163, 182, 50, 14)),
        (1061, BUTTON, "Esporta...", BS_PUSHBUTTON | WS_TABSTOP, 0, (218, 182, 50, 14)),
        (2, BUTTON, "Chiudi", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, (273, 182, 50, 14)),
    ]
)

# The question of "Importa...": its text, set when it opens, and the three answers.
IMPORT_QUESTION_CONTROLS = (
    (1070, STATIC, "", SS_LEFT | SS_NOPREFIX, 0, (7, 7, 218, 58)),
    (1071, BUTTON, "Somma", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, (65, 71, 50, 14)),
    (1072, BUTTON, "Mantieni", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, (120, 71, 50, 14)),
    (2, BUTTON, "Annulla", BS_PUSHBUTTON | WS_TABSTOP, 0, (175, 71, 50, 14)),
)


def read_res(data):
    """The entries of a compiled .res file: {(type, name): (language, data)}; names are ints or strings."""
    entries = {}
    pos = 0
    while pos + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, pos)
        p = pos + 8
        type_, p = read_name(data, p)
        name, p = read_name(data, p)
        p = (p + 3) & ~3
        _, _, language = struct.unpack_from("<IHH", data, p)
        body = data[pos + header_size : pos + header_size + data_size]
        if not (type_ == 0 and name == 0 and data_size == 0):  # the file's leading empty entry
            if (type_, name) in entries:
                raise FormatError("resource %s/%s appears twice" % (type_, name))
            entries[(type_, name)] = (language, body)
        pos = (pos + header_size + data_size + 3) & ~3
    return entries


def read_name(data, p):
    """An ordinal (0xFFFF then a number) or a zero-terminated UTF-16 string."""
    if struct.unpack_from("<H", data, p)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, p + 2)[0], p + 4
    chars = []
    while True:
        (ch,) = struct.unpack_from("<H", data, p)
        p += 2
        if ch == 0:
            return "".join(chars), p
        chars.append(chr(ch))


def read_sz_or_ord(data, p):
    """A dialog template field: 0 for none, an ordinal as ("#", n), or a string."""
    (first,) = struct.unpack_from("<H", data, p)
    if first == 0xFFFF:
        return ("#", struct.unpack_from("<H", data, p + 2)[0]), p + 4
    text, p = read_name(data, p)
    return text, p


def read_menu(data):
    """A standard menu template as nested lists of (flags, id or None, text, children)."""
    version, offset = struct.unpack_from("<HH", data, 0)
    if version != 0:
        raise FormatError("menu template version %d" % version)
    pos = 4 + offset

    def items():
        nonlocal pos
        result = []
        while True:
            (flags,) = struct.unpack_from("<H", data, pos)
            pos += 2
            item_id = None
            if not flags & 0x10:  # MF_POPUP items carry no id
                (item_id,) = struct.unpack_from("<H", data, pos)
                pos += 2
            text, pos = read_name(data, pos)
            children = items() if flags & 0x10 else []
            result.append((flags, item_id, text, children))
            if flags & 0x80:  # MF_END
                return result

    return items()


def read_dialog(data):
    style, ex_style, count, x, y, cx, cy = struct.unpack_from("<IIHhhhh", data, 0)
    p = 18
    menu, p = read_sz_or_ord(data, p)
    window_class, p = read_sz_or_ord(data, p)
    caption, p = read_name(data, p)
    font = None
    if style & DS_SETFONT:
        (size,) = struct.unpack_from("<H", data, p)
        face, p = read_name(data, p + 2)
        font = (size, face)
    controls = []
    for _ in range(count):
        p = (p + 3) & ~3
        c_style, c_ex, c_x, c_y, c_cx, c_cy, c_id = struct.unpack_from("<IIhhhhH", data, p)
        p += 18
        c_class, p = read_sz_or_ord(data, p)
        c_text, p = read_sz_or_ord(data, p)
        (extra,) = struct.unpack_from("<H", data, p)
        p += 2 + extra
        controls.append((c_id, c_class, c_text, c_style, c_ex, (c_x, c_y, c_cx, c_cy)))
    return {
        "style": style,
        "ex_style": ex_style,
        "rect": (x, y, cx, cy),
        "menu": menu,
        "class": window_class,
        "caption": caption,
        "font": font,
        "controls": controls,
    }


def check_script_resources(entries, resources, failures):
    expected_keys = {(RT_BITMAP, i) for i in BITMAP_IDS} | {
        (RT_MENU, 103),
        (RT_DIALOG, 105),
        (RT_DIALOG, 106),
        (RT_DIALOG, 107),
        (RT_GROUP_ICON, 101),
        MANIFEST,
    }
    icon_images = {k for k in entries if k[0] == RT_ICON}
    extra = set(entries) - expected_keys - icon_images
    missing = expected_keys - set(entries)
    failures.check(not missing, "resources missing from the script: %s" % sorted(missing))
    failures.check(not extra, "unexpected resources: %s" % sorted(extra, key=str))
    for key, (language, _) in sorted(entries.items(), key=str):
        expected_language = LANG_NEUTRAL if key == MANIFEST else LANG_ITALIAN
        failures.check(
            language == expected_language, "resource %s has language 0x%04x" % (key, language)
        )

    # The manifest goes in byte for byte as the file holds it.
    if MANIFEST in entries:
        with open(os.path.join(resources, "skittera.manifest"), "rb") as f:
            failures.check(entries[MANIFEST][1] == f.read(), "the manifest resource is not skittera.manifest")

    # Each bitmap resource is its file without the 14-byte file header, so a mixed-up number shows here.
    for number, name in sorted(BITMAP_IDS.items()):
        if (RT_BITMAP, number) in entries:
            with open(os.path.join(resources, name), "rb") as f:
                failures.check(
                    entries[(RT_BITMAP, number)][1] == f.read()[14:], "bitmap %d is not %s" % (number, name)
                )

    if (RT_GROUP_ICON, 101) in entries:
        group = entries[(RT_GROUP_ICON, 101)][1]
        _, kind, count = struct.unpack_from("<HHH", group, 0)
        seen = []
        for i in range(count):
            w, h, colours, _, planes, bpp, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            seen.append((w, h, colours, bpp))
            failures.check((RT_ICON, icon_id) in entries, "icon image %d is missing" % icon_id)
        expected = [(n, n, 16 if bpp == 4 else 0, bpp) for n, bpp in sorted(ICON_SIZES.items())]
        failures.check(kind == 1 and sorted(seen) == expected, "icon group holds %s" % seen)

    if (RT_MENU, 103) in entries:
        menu = read_menu(entries[(RT_MENU, 103)][1])
        expected = [
            (0x10 | 0x80, None, "Popup", [(0, 40001, "184|Esci", []), (0x80, 40002, "183|Propiet\u00e0", [])])
        ]
        failures.check(menu == expected, "menu 103 is %r" % (menu,))

    if (RT_DIALOG, 105) in entries:
        properties = read_dialog(entries[(RT_DIALOG, 105)][1])
        check_dialog(properties, "Skittera", (219, 223), DIALOG_CONTROLS, failures)
    if (RT_DIALOG, 106) in entries:
        history = read_dialog(entries[(RT_DIALOG, 106)][1])
        check_dialog(history, "Storico", (330, 203), HISTORY_CONTROLS, failures)
    if (RT_DIALOG, 107) in entries:
        question = read_dialog(entries[(RT_DIALOG, 107)][1])
        check_dialog(question, "Importa nello storico", (232, 92), IMPORT_QUESTION_CONTROLS, failures)


def check_dialog(dialog, caption, size, expected_controls, failures):
    style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT
    failures.check(
        dialog["style"] == style, "dialog style 0x%08x, expected 0x%08x" % (dialog["style"], style)
    )
    failures.check(dialog["ex_style"] == 0, "dialog has extended style 0x%x" % dialog["ex_style"])
    failures.check(dialog["rect"] == (0, 0) + size, "dialog rectangle %s" % (dialog["rect"],))
    failures.check(dialog["menu"] == "" and dialog["class"] == "", "dialog has a menu or a class of its own")
    failures.check(dialog["caption"] == caption, "dialog caption %r" % dialog["caption"])
    failures.check(dialog["font"] == (8, "MS Sans Serif"), "dialog font %r" % (dialog["font"],))
    controls = dialog["controls"]
    failures.check(
        len(controls) == len(expected_controls),
        "dialog %r has %d controls, expected %d" % (caption, len(controls), len(expected_controls)),
    )
    for index, (got, want) in enumerate(zip(controls, expected_controls)):
        control_id, control_class, text, style_bits, ex_style, rect = want
        base = WS_CHILD if control_id in HIDDEN_CONTROLS else WS_CHILD | WS_VISIBLE
        want = (control_id, control_class, text, base | style_bits, ex_style, rect)
        failures.check(got == want, "control %d is %s, expected %s" % (index, describe(got), describe(want)))


def describe(control):
    control_id, control_class, text, style, ex_style, rect = control
    return "id %d class %s text %r style 0x%08x ex 0x%x at %s" % (
        control_id,
        control_class,
        text,
        style,
        ex_style,
        rect,
    )


def run_script(args):
    if not args.windres or not shutil.which(args.windres):
        print("SKIP: no windres (mingw-w64 binutils) to compile the resource script")
        return SKIP
    failures = Failures()
    rc = os.path.join(args.resources, "skittera.rc")
    out = tempfile.mkdtemp(prefix="skittera-rc-")
    try:
        res = os.path.join(out, "skittera.res")
        run = subprocess.run([args.windres, "-O", "res", "-I", args.resources, rc, res])
        if failures.check(run.returncode == 0, "windres failed with status %d" % run.returncode):
            with open(res, "rb") as f:
                entries = read_res(f.read())
            check_script_resources(entries, args.resources, failures)
        with open(rc, "rb") as f:
            source = f.read()
        # Plain ASCII keeps the Italian texts independent of any editor's or compiler's idea of the encoding.
        failures.check(all(b < 128 for b in source), "skittera.rc contains bytes outside ASCII")
    finally:
        shutil.rmtree(out)
    return failures.report("script")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("mode", choices=["art", "regenerate", "script"])
    parser.add_argument("--resources", required=True, help="the resources/ folder")
    parser.add_argument("--generator", help="resources/make_art.py (for regenerate)")
    parser.add_argument("--windres", help="the resource compiler (for script)")
    args = parser.parse_args()
    if args.mode == "art":
        return run_art(args)
    if args.mode == "regenerate":
        if not args.generator:
            parser.error("regenerate needs --generator")
        return run_regenerate(args)
    return run_script(args)


if __name__ == "__main__":
    sys.exit(main())
