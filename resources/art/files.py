"""The BMP and ICO writers: each picture gets exactly the size, colour depth and palette the program loads it
with, whatever Pillow would have chosen."""

import struct


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
