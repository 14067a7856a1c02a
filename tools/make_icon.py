#!/usr/bin/env python3
"""Draws the program icon (resources/Tilebay.ico): a rounded tile holding a 2 x 2 grid of
shortcut squares under a yellow bar, at 16, 32 and 48 pixels, 32-bit with alpha."""
import struct
import sys


def coverage(x, y, left, top, right, bottom, radius):
    """Fraction of pixel (x, y) inside a rounded rectangle, by 4 x 4 supersampling."""
    inside = 0
    for sy in range(4):
        for sx in range(4):
            px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
            if not (left <= px < right and top <= py < bottom):
                continue
            cx = min(max(px, left + radius), right - radius)
            cy = min(max(py, top + radius), bottom - radius)
            if (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius:
                inside += 1
    return inside / 16


def draw(size):
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    s = size / 32.0

    def paint(shape, color):
        r, g, b = color
        for y in range(size):
            for x in range(size):
                a = coverage(x, y, *shape)
                if a <= 0:
                    continue
                br, bg, bb, ba = pixels[y][x]
                out_a = a + ba / 255 * (1 - a)
                blend = lambda c, bc: int(round((c * a + bc * ba / 255 * (1 - a)) / out_a)) if out_a else 0
                pixels[y][x] = (blend(r, br), blend(g, bg), blend(b, bb), int(round(out_a * 255)))

    paint((1 * s, 3 * s, 31 * s, 31 * s, 5 * s), (58, 110, 165))      # tile
    paint((10 * s, 0, 22 * s, 6 * s, 2 * s), (255, 214, 0))           # button at the top edge
    for gx in (0, 1):
        for gy in (0, 1):
            left, top = (6 + gx * 11) * s, (9 + gy * 11) * s
            paint((left, top, left + 9 * s, top + 9 * s, 2 * s), (235, 242, 250))
    return pixels


def icon_image(size):
    pixels = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(struct.pack('BBBB', b, g, r, a) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b'\0' * (mask_row * size)
    return header + xor + and_mask


def main(path):
    sizes = (16, 32, 48)
    images = [icon_image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'resources/Tilebay.ico')
