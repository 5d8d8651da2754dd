#!/usr/bin/env python3
"""Draws Kelvane's program icon: a blue shield with a white tick.

Writes one .ico with a 32x32 and a 16x16 image, both 16 colours (4 bits per
pixel) in the standard Windows palette. Both sizes come from the same shapes,
sampled at pixel centres, so they always show the same picture.

    make_icon.py OUTPUT.ico
"""
import math
import struct
import sys

# The 16 colours of the standard Windows palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, BLUE, WHITE = 4, 12, 15

SIZES = (32, 16)


def shield_half_width(v):
    """Half the shield's width at height v (0 top, 1 bottom), or -1 outside."""
    if v < 0.06 or v > 0.96:
        return -1.0
    if v <= 0.55:
        return 0.42
    bend = (v - 0.55) / 0.41
    return 0.42 * math.sqrt(max(0.0, 1.0 - bend * bend))


def inside_shield(u, v, inset=0.0):
    return abs(u - 0.5) <= shield_half_width(v) - inset and 0.06 + inset <= v <= 0.96 - inset


def distance_to_segment(u, v, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(u - (ax + t * dx), v - (ay + t * dy))


TICK = ((0.28, 0.50), (0.44, 0.68), (0.73, 0.30))


def on_tick(u, v, size):
    thickness = 0.07 if size >= 32 else 0.09
    return min(distance_to_segment(u, v, TICK[0], TICK[1]),
               distance_to_segment(u, v, TICK[1], TICK[2])) <= thickness


def pixel(x, y, size):
    """Palette index of a pixel, or None where the icon is transparent."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    if not inside_shield(u, v):
        return None
    if not inside_shield(u, v, inset=1.0 / size):
        return NAVY
    return WHITE if on_tick(u, v, size) else BLUE


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def image(size):
    """BITMAPINFOHEADER, palette, colour bits and mask of one image, rows bottom up."""
    colour_rows, mask_rows = [], []
    for y in reversed(range(size)):
        indices = [pixel(x, y, size) for x in range(size)]
        nibbles = [0 if i is None else i for i in indices]
        colour_rows.append(padded(bytes(
            nibbles[x] << 4 | nibbles[x + 1] for x in range(0, size, 2))))
        bits = [1 if i is None else 0 for i in indices]
        mask_rows.append(padded(bytes(
            sum(bits[x + k] << (7 - k) for k in range(8)) for x in range(0, size, 8))))
    colour, mask = b"".join(colour_rows), b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + colour + mask


def icon_file():
    images = [image(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as output:
        output.write(icon_file())


if __name__ == "__main__":
    main()
