#!/usr/bin/env python3
"""Draws the picture on the left of the setup program's welcome and finish pages: 164 x 314
pixels, 24-bit BMP, the program's icon (a blue card of four light tiles hanging from a yellow
tab) large on a blue gradient. Only the standard library; the same bytes on every run.

    make_wizard_picture.py OUT.bmp
"""
import struct
import sys

WIDTH, HEIGHT = 164, 314
SAMPLES = 4  # per axis, for smooth edges

TOP = (46, 88, 138)
BOTTOM = (20, 44, 78)
CARD = (58, 110, 165)
CARD_EDGE = (235, 242, 250)
TILE = (235, 242, 250)
TAB = (255, 214, 0)


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


# Back to front: what is drawn later covers what was drawn before.
SIZE = 112
LEFT = (WIDTH - SIZE) / 2
CARD_TOP = 96
GAP = 10
TILE_SIZE = (SIZE - 3 * GAP) / 2
SHAPES = [
    (rounded_rect(LEFT + 34, CARD_TOP - 14, LEFT + SIZE - 34, CARD_TOP + 12, 9), TAB),
    (rounded_rect(LEFT - 3, CARD_TOP - 3, LEFT + SIZE + 3, CARD_TOP + SIZE + 3, 21), CARD_EDGE),
    (rounded_rect(LEFT, CARD_TOP, LEFT + SIZE, CARD_TOP + SIZE, 18), CARD),
]
for row in range(2):
    for column in range(2):
        x = LEFT + GAP + column * (TILE_SIZE + GAP)
        y = CARD_TOP + GAP + row * (TILE_SIZE + GAP)
        SHAPES.append((rounded_rect(x, y, x + TILE_SIZE, y + TILE_SIZE, 9), TILE))


def background(y):
    t = y / (HEIGHT - 1)
    return tuple(round(a + (b - a) * t) for a, b in zip(TOP, BOTTOM))


def pixel(px, py):
    total = [0, 0, 0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = px + (sx + 0.5) / SAMPLES
            y = py + (sy + 0.5) / SAMPLES
            colour = background(py)
            for inside, fill in SHAPES:
                if inside(x, y):
                    colour = fill
            for i in range(3):
                total[i] += colour[i]
    return tuple(round(c / SAMPLES ** 2) for c in total)


def bmp_file():
    stride = (WIDTH * 3 + 3) & ~3
    rows = bytearray()
    for py in reversed(range(HEIGHT)):  # bottom-up
        line = bytearray()
        for px in range(WIDTH):
            r, g, b = pixel(px, py)
            line += bytes((b, g, r))
        rows += line + bytes(stride - len(line))
    header = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b'BM' + struct.pack('<IHHI', 14 + len(header) + len(rows), 0, 0, 14 + len(header)) + header + rows


if __name__ == '__main__':
    with open(sys.argv[1], 'wb') as out:
        out.write(bmp_file())
