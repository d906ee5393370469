#!/usr/bin/env python3
"""Draws the Ravenlook logo and writes it as a Windows icon file.

The logo is an amber raven's eye on a dark film frame with sprocket holes.
The icon holds 16x16, 32x32 and 48x48 images, each a 32-bit bitmap with an
alpha channel plus the 1-bit mask older systems use. Only arithmetic goes
into the pixels and the file has no time or host in it, so every run writes
the same bytes.

Usage: make_icon.py OUTPUT.ico
"""

import struct
import sys

SIZES = (16, 32, 48)
SUBSAMPLES = 4  # per axis: 16 samples a pixel smooth the edges

# Colours as (red, green, blue).
FRAME = (0x22, 0x27, 0x33)
SPROCKET = (0x9a, 0xa3, 0xb5)
EYE_WHITE = (0xf2, 0xf0, 0xe8)
IRIS = (0xe3, 0xa0, 0x1c)
IRIS_RIM = (0x8a, 0x55, 0x08)
PUPIL = (0x0c, 0x0c, 0x10)
GLINT = (0xff, 0xff, 0xff)


def inside_rounded_square(x, y, inset, radius):
    """The square [inset, 1 - inset] with corners of the given radius."""
    lo, hi = inset + radius, 1.0 - inset - radius
    cx = min(max(x, lo), hi)
    cy = min(max(y, lo), hi)
    if x < inset or x > 1.0 - inset or y < inset or y > 1.0 - inset:
        return False
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def inside_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_eye(x, y):
    """An almond: the overlap of two large circles above and below the centre."""
    r, offset = 0.46, 0.27
    return inside_circle(x, y, 0.5, 0.5 - offset, r) and inside_circle(x, y, 0.5, 0.5 + offset, r)


def sprocket_hole(x, y):
    """Four square holes in a strip along the top and along the bottom."""
    for top in (0.09, 0.81):
        if top <= y <= top + 0.10:
            for left in (0.14, 0.34, 0.56, 0.76):
                if left <= x <= left + 0.10:
                    return True
    return False


def sample(x, y):
    """Colour and opacity of the logo at a point of the unit square, (0, 0) top left."""
    if not inside_rounded_square(x, y, 0.03, 0.14):
        return None
    if sprocket_hole(x, y):
        return SPROCKET
    if inside_eye(x, y):
        if inside_circle(x, y, 0.43, 0.44, 0.055):
            return GLINT
        if inside_circle(x, y, 0.5, 0.5, 0.09):
            return PUPIL
        if inside_circle(x, y, 0.5, 0.5, 0.17):
            return IRIS
        if inside_circle(x, y, 0.5, 0.5, 0.20):
            return IRIS_RIM
        return EYE_WHITE
    return FRAME


def render(size):
    """Rows top to bottom of (blue, green, red, alpha) pixels. The colour is the
    mean of the covered samples and the alpha their share, so the values are
    straight (not premultiplied) alpha, as icons store them."""
    rows = []
    n = SUBSAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            red = green = blue = covered = 0
            for sy in range(n):
                for sx in range(n):
                    colour = sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if colour is not None:
                        red += colour[0]
                        green += colour[1]
                        blue += colour[2]
                        covered += 1
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                alpha = (covered * 255 + (n * n) // 2) // (n * n)
                row.append(((blue + covered // 2) // covered,
                            (green + covered // 2) // covered,
                            (red + covered // 2) // covered,
                            alpha))
        rows.append(row)
    return rows


def icon_image(size):
    """A BITMAPINFOHEADER, the 32-bit pixels bottom up and the AND mask."""
    rows = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for blue, green, red, alpha in row:
            pixels += bytes((blue, green, red, alpha))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:  # fully transparent: the mask shows the background
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def icon_file():
    images = [icon_image(size) for size in SIZES]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write('usage: make_icon.py OUTPUT.ico\n')
        return 2
    data = icon_file()
    with open(sys.argv[1], 'wb') as out:
        out.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main())
