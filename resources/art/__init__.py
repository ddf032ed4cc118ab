"""Every picture and the icon of Skittera, drawn afresh: all_pictures() gives each file's name and bytes.

Pillow only rasterises shapes and text here (raster); the BMP and ICO files are written by small writers of
our own (files), so that each picture has exactly the size, colour depth and palette the program loads it
with. The output is the same bytes on every run with the same Pillow and FreeType.
"""

from PIL import Image, features

from .drums import drum_pictures
from .gauge import gauge_pictures
from .icon import icon_file
from .mascot import figure_picture
from .menu import menu_pictures
from .splash import splash_picture

# The committed art was rasterised with these. Another FreeType draws glyph edges a little differently, so
# a byte-for-byte comparison only means something with the same versions.
TOOLCHAIN = {"pillow": "9.4.0", "freetype2": "2.12.1"}


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
