#!/usr/bin/env python3
"""Draws the pet's program icon (pet/ostrelpet.ico): a round, orange creature's face.

Run by hand when the icon should change; the icon is kept in the tree so that building needs no
Python."""
import sys
from PIL import Image, ImageDraw


def face(size):
    scale = 8  # drawn large and scaled down, which smooths the edges
    big = size * scale
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    s = big / 32.0
    draw.polygon([(5 * s, 12 * s), (8 * s, 1 * s), (14 * s, 8 * s)], fill=(214, 120, 40, 255))
    draw.polygon([(27 * s, 12 * s), (24 * s, 1 * s), (18 * s, 8 * s)], fill=(214, 120, 40, 255))
    draw.ellipse([2 * s, 5 * s, 30 * s, 31 * s], fill=(240, 150, 60, 255))
    draw.ellipse([9 * s, 18 * s, 23 * s, 29 * s], fill=(252, 224, 190, 255))
    for x in (10, 19):
        draw.ellipse([x * s, 12 * s, (x + 4) * s, 17 * s], fill=(40, 30, 30, 255))
    draw.ellipse([14.5 * s, 20 * s, 17.5 * s, 22 * s], fill=(120, 50, 50, 255))
    return image.resize((size, size), Image.LANCZOS)


def main(path):
    largest = face(48)
    largest.save(path, sizes=[(16, 16), (32, 32), (48, 48)],
                 append_images=[face(32), face(16)])


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "ostrelpet.ico")
