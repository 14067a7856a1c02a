#!/usr/bin/env python3
"""Draws the pictures the panel is decorated with into resources/pictures/:

- the card frame: eight pieces of a soft shadow around a card and a faint reflection below it
  (PNG, 8-bit RGBA), cut from one drawing of a whole framed card at the places where the panel
  draws them, so that corners and edges meet without a seam;
- "transparent40percent", the dark translucent band along the top of the panel (PNG);
- the button glyphs of the band, 16 x 16, 24 x 24 and 32 x 32 (PNG);
- the seven card backgrounds, light vertical gradients (24-bit BMP);
- "Back", the panel picture, 1400 x 990 in 16 colours, dithered by error diffusion (4-bit BMP).

The frame, the band and the panel picture are drawn at 100, 150 and 200 percent display scale
(the larger ones named with "_150" and "_200"), each with every length of the design scaled
and rounded as the program rounds it, so that a screen of any density gets pictures drawn for it
rather than stretched. The gradients only change from row to row and are drawn once.

Only the standard library is used, and the output is the same byte for byte on every run.

    tools/make_pictures.py [--out DIR] [--preview FILE.png]

--preview also writes a picture of the panel as the program composes it: cards of every
background framed by the pieces exactly where the panel draws them, the band and its buttons
on top, and below it the empty panel with its hint line.
"""
import argparse
import math
import struct
import sys
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]

# Display scales in percent, and the suffix of the pictures drawn for each.
SCALES = ((100, ''), (150, '_150'), (200, '_200'))


def px(value, percent):
    """A design length (96-DPI pixels) at a display scale, rounded to the nearest with halves
    away from zero, as the program rounds it."""
    whole, rest = divmod(abs(value) * percent, 100)
    rounded = whole + (1 if rest >= 50 else 0)
    return rounded if value >= 0 else -rounded

# ---------------------------------------------------------------------------------------------
# File formats


def png_file(width, height, pixels, choose_filters=True):
    """PNG bytes of straight RGBA pixels (rows of (r, g, b, a) tuples of 0..255). Each row gets
    the filter that leaves the smallest differences, unless choose_filters is false."""
    raw = bytearray()
    previous = bytes(width * 4)
    for row in pixels:
        line = bytes(c for pixel in row for c in pixel)
        if choose_filters:
            raw += min((_filter_row(kind, line, previous) for kind in range(5)),
                       key=lambda f: sum(b if b < 128 else 256 - b for b in f[1:]))
        else:
            raw += b'\0' + line
        previous = line

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) +
            chunk(b'IEND', b''))


def _filter_row(kind, line, previous):
    out = bytearray([kind])
    for i, value in enumerate(line):
        a = line[i - 4] if i >= 4 else 0
        b = previous[i]
        c = previous[i - 4] if i >= 4 else 0
        if kind == 1:
            value -= a
        elif kind == 2:
            value -= b
        elif kind == 3:
            value -= (a + b) // 2
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            value -= a if pa <= pb and pa <= pc else b if pb <= pc else c
        out.append(value & 0xFF)
    return bytes(out)


def bmp_header(width, height, bits, palette_size, image_size):
    offset = 14 + 40 + 4 * palette_size
    return (struct.pack('<2sIHHI', b'BM', offset + image_size, 0, 0, offset) +
            struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, image_size, 2835, 2835,
                        palette_size, palette_size))


def bmp24_file(width, height, rows):
    """A 24-bit bottom-up Windows bitmap of rows of (r, g, b) tuples, top row first."""
    stride = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytes(c for (r, g, b) in row for c in (b, g, r))
        data += line + bytes(stride - len(line))
    return bmp_header(width, height, 24, 0, len(data)) + bytes(data)


def bmp4_file(width, height, palette, rows):
    """A 4-bit bottom-up Windows bitmap: a palette of 16 (r, g, b) and rows of indexes, top first."""
    stride = ((width + 1) // 2 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(rows):
        padded = list(row) + [0] * (len(row) % 2)
        line = bytes((hi << 4) | lo for hi, lo in zip(padded[0::2], padded[1::2]))
        data += line + bytes(stride - len(line))
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    return bmp_header(width, height, 4, len(palette), len(data)) + colours + bytes(data)


# ---------------------------------------------------------------------------------------------
# Shapes


def clamp(value, low=0.0, high=1.0):
    return low if value < low else high if value > high else value


def to_byte(value):
    return int(math.floor(clamp(value) * 255 + 0.5))


def rounded_rect_coverage(px, py, left, top, right, bottom, radius, samples=8):
    """Fraction of the pixel at (px, py) inside a rectangle with rounded corners."""
    inside = 0
    for sy in range(samples):
        y = py + (sy + 0.5) / samples
        if y < top or y >= bottom:
            continue
        cy = min(max(y, top + radius), bottom - radius)
        for sx in range(samples):
            x = px + (sx + 0.5) / samples
            if x < left or x >= right:
                continue
            cx = min(max(x, left + radius), right - radius)
            if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                inside += 1
    return inside / (samples * samples)


def gaussian_weights(sigma, reach):
    """Weights of a Gaussian integrated over whole pixels, offsets -reach..reach."""
    def cdf(x):
        return 0.5 * (1 + math.erf(x / (sigma * math.sqrt(2))))
    weights = [cdf(k + 0.5) - cdf(k - 0.5) for k in range(-reach, reach + 1)]
    total = sum(weights)
    return [w / total for w in weights]


def blur(field, sigma):
    """A 2-D list blurred by a Gaussian (values beyond the edges count as 0)."""
    reach = int(math.ceil(sigma * 3.5))
    weights = gaussian_weights(sigma, reach)
    height, width = len(field), len(field[0])

    def blur_line(line):
        n = len(line)
        return [sum(w * line[i + k - reach] for k, w in enumerate(weights) if 0 <= i + k - reach < n)
                for i in range(n)]

    rows = [blur_line(row) for row in field]
    columns = [blur_line([rows[y][x] for y in range(height)]) for x in range(width)]
    return [[columns[x][y] for x in range(width)] for y in range(height)]


def over(top, bottom):
    """Straight-alpha (r, g, b, a) floats: top composited over bottom."""
    ta, ba = top[3], bottom[3]
    a = ta + ba * (1 - ta)
    if a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    return tuple((top[i] * ta + bottom[i] * ba * (1 - ta)) / a for i in range(3)) + (a,)


def draw_shapes(size, shapes, samples=8):
    """Straight RGBA float pixels of shapes drawn in order over transparency. A shape is
    (inside(x, y) -> bool, (r, g, b, alpha)) with x, y in pixel units."""
    image = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]
    for inside, colour in shapes:
        for py in range(size):
            for px in range(size):
                hits = 0
                for sy in range(samples):
                    y = py + (sy + 0.5) / samples
                    for sx in range(samples):
                        if inside(px + (sx + 0.5) / samples, y):
                            hits += 1
                if hits:
                    cover = hits / (samples * samples)
                    image[py][px] = over(colour[:3] + (colour[3] * cover,), image[py][px])
    return image


def to_rgba_bytes(image):
    return [[(to_byte(r), to_byte(g), to_byte(b), to_byte(a)) for (r, g, b, a) in row] for row in image]


def in_round_rect(left, top, right, bottom, radius):
    def inside(x, y):
        if not (left <= x < right and top <= y < bottom):
            return False
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside


def in_polygon(points):
    def inside(x, y):
        result = False
        for i in range(len(points)):
            (x1, y1), (x2, y2) = points[i], points[i - 1]
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                result = not result
        return result
    return inside


def shifted(inside, dx, dy):
    return lambda x, y: inside(x - dx, y - dy)


def union(*insides):
    return lambda x, y: any(f(x, y) for f in insides)


# ---------------------------------------------------------------------------------------------
# The card frame

# Where the panel draws each piece around a card body (L, T, R, B), as offsets from the body's
# corners: (left, top, right, bottom), each relative to L or R and T or B.
FRAME_PIECES = {
    'PngTopLeft': (('L', -3), ('T', -2), ('L', 12), ('T', 13)),
    'PngTop': (('L', 12), ('T', -2), ('R', -12), ('T', 2)),
    'PngTopRight': (('R', -12), ('T', -2), ('R', 3), ('T', 13)),
    'PngLeft': (('L', -3), ('T', 13), ('L', 2), ('B', -10)),
    'PngRight': (('R', -2), ('T', 13), ('R', 3), ('B', -10)),
    'PngBottomLeft': (('L', -3), ('B', -10), ('L', 12), ('B', 5)),
    'PngBottom': (('L', 12), ('B', -1), ('R', -12), ('B', 5)),
    'PngBottomRight': (('R', -12), ('B', -10), ('R', 3), ('B', 5)),
}
REFLECTION_HEIGHT = 56
CORNER_RADIUS = 2.5  # the card's corners are cut by a 5 x 5 ellipse

SHADOW_COLOUR = (0.02, 0.04, 0.09)
# Two shadows: a tight one that outlines the card, and a softer one cast slightly downwards.
# (spread beyond the body, downward offset, blur sigma, opacity)
SHADOW_LAYERS = ((0.6, 0.2, 0.55, 0.30), (0.2, 1.6, 1.25, 0.50))
# The card's own edge. The panel fills the body with its white brush before it clips the
# background to a rounded region one pixel smaller, so a white rim shows along the card's right
# and bottom; the frame's pixels inside the body are that white wherever they show.
RIM_COLOUR = (1.0, 1.0, 1.0)
SHEET = 40  # body size of the card the pieces are cut from


def frame_offsets(percent):
    """Where the panel draws each piece at a display scale: {name: ((edge, offset), ...)}."""
    return {name: tuple((edge, px(offset, percent)) for edge, offset in sides)
            for name, sides in FRAME_PIECES.items()}


def frame_sizes(offsets):
    """Each piece's size, from where it is drawn; pieces that are stretched along one direction
    are one pixel long in it."""
    sizes = {}
    for name, ((_, left), (_, top), (_, right), (_, bottom)) in offsets.items():
        width, height = right - left, bottom - top
        if name in ('PngTop', 'PngBottom'):
            width = 1
        if name in ('PngLeft', 'PngRight'):
            height = 1
        sizes[name] = (width, height)
    return sizes


def frame_sheet(percent):
    """The frame around a card at (0, 0) whose body is SHEET design pixels wide and high, drawn
    at a display scale: straight RGBA floats keyed by (x, y)."""
    k = percent / 100
    sheet_size = SHEET * percent // 100
    margin = 8 * percent // 100
    size = sheet_size + 2 * margin
    radius = CORNER_RADIUS * k
    alpha = [[0.0] * size for _ in range(size)]
    for spread, offset, sigma, opacity in SHADOW_LAYERS:
        spread, offset, sigma = spread * k, offset * k, sigma * k
        coverage = [[rounded_rect_coverage(x - margin, y - margin, -spread, -spread + offset, sheet_size + spread,
                                           sheet_size + spread + offset, radius + spread, 4)
                     for x in range(size)] for y in range(size)]
        layer = blur(coverage, sigma)
        for y in range(size):
            for x in range(size):
                alpha[y][x] = 1 - (1 - alpha[y][x]) * (1 - opacity * layer[y][x])
    sheet = {}
    for y in range(size):
        for x in range(size):
            bx, by = x - margin, y - margin
            shadow = SHADOW_COLOUR + (alpha[y][x],)
            # Inside the body the card lies over its shadow; only what its rounded corners leave
            # uncovered shows, with the edge of the card smoothed.
            card = rounded_rect_coverage(bx, by, 0, 0, sheet_size, sheet_size, radius)
            sheet[(bx, by)] = over(RIM_COLOUR + (card,), shadow)
    return sheet


def check_seams(pieces):
    """Corner pieces must end exactly as the edges next to them go on."""
    def column(name, x):
        return [row[x] for row in pieces[name]]
    top, bottom = column('PngTop', 0), column('PngBottom', 0)
    left, right = pieces['PngLeft'][0], pieces['PngRight'][0]
    corner = len(pieces['PngTopLeft'])
    seams = (
        (column('PngTopLeft', corner - 1)[:len(top)], top), (column('PngTopRight', 0)[:len(top)], top),
        (column('PngBottomLeft', corner - 1)[corner - len(bottom):], bottom),
        (column('PngBottomRight', 0)[corner - len(bottom):], bottom),
        (pieces['PngTopLeft'][corner - 1][:len(left)], left), (pieces['PngBottomLeft'][0][:len(left)], left),
        (pieces['PngTopRight'][corner - 1][corner - len(right):], right),
        (pieces['PngBottomRight'][0][corner - len(right):], right),
    )
    for corner, edge in seams:
        if corner != edge:
            raise AssertionError('a frame corner does not meet its edge: %r != %r' % (corner, edge))


def frame_pieces(percent=100):
    sheet = frame_sheet(percent)
    sheet_size = SHEET * percent // 100
    body = {'L': 0, 'T': 0, 'R': sheet_size, 'B': sheet_size}
    offsets = frame_offsets(percent)
    sizes = frame_sizes(offsets)
    pieces = {}
    for name, ((lk, lo), (tk, to), _, _) in offsets.items():
        left, top = body[lk] + lo, body[tk] + to
        width, height = sizes[name]
        if name in ('PngTop', 'PngBottom'):
            left = sheet_size // 2
        if name in ('PngLeft', 'PngRight'):
            top = sheet_size // 2
        pieces[name] = [[sheet[(left + x, top + y)] for x in range(width)] for y in range(height)]
    pieces['PngReflection'] = reflection(percent)
    return pieces


def reflection(percent=100):
    """A faint light mirror of the card fading out downwards."""
    rows = []
    height = px(REFLECTION_HEIGHT, percent)
    for y in range(height):
        t = (y + 0.5) / height
        rows.append([(1.0, 1.0, 1.0, 0.20 * (1 - t) ** 2.2)])
    return rows


# ---------------------------------------------------------------------------------------------
# The band along the top of the panel and the glyphs of its buttons


def band(percent=100):
    """Dark and translucent (about 40 percent), a touch denser at the top, with a faint light
    line at its lower edge."""
    rows = []
    height, line = px(16, percent), px(1, percent)
    for y in range(height):
        if y >= height - line:
            pixel = (1.0, 1.0, 1.0, 0.10)
        else:
            pixel = (0.0, 0.02, 0.06, 0.44 - 0.06 * y / (height - line - 1))
        rows.append([pixel] * 16)
    return rows


GLYPH_COLOUR = (0.97, 0.98, 1.0, 1.0)
GLYPH_SHADOW = (0.0, 0.0, 0.05, 0.45)


def glyph(size, shape):
    """A light glyph with a soft dark shadow below it, readable on the dark band."""
    s = size / 16.0
    shadow = shifted(shape, 0, 1.0 * s)
    return draw_shapes(size, [(shadow, GLYPH_SHADOW), (shape, GLYPH_COLOUR)])


def plus_shape(size):
    s = size / 16.0
    bar = 1.0 * s  # half thickness
    arm = 5.0 * s
    c = size / 2.0
    return union(in_round_rect(c - arm, c - bar, c + arm, c + bar, bar * 0.5),
                 in_round_rect(c - bar, c - arm, c + bar, c + arm, bar * 0.5))


def pin_shape(size, standing):
    """A push pin: standing upright with its needle down when stuck, lying on its side with the
    needle to the left when not. Drawn on the 16-pixel grid, so that its edges stay sharp."""
    s = size / 16.0
    parts = [
        in_round_rect(5 * s, 1 * s, 10 * s, 3 * s, 0.6 * s),    # cap
        in_round_rect(6 * s, 2.5 * s, 9 * s, 8.5 * s, 0.3 * s),  # barrel
        in_round_rect(3 * s, 8 * s, 12 * s, 10 * s, 0.6 * s),   # collar
        in_polygon([(7 * s, 10 * s), (8 * s, 10 * s), (8 * s, 14 * s), (7.5 * s, 15 * s), (7 * s, 14 * s)]),  # needle
    ]
    upright = union(*parts)
    if standing:
        return upright
    return lambda x, y: upright(y, size - x)


def links_shape(size):
    """Four small tiles: more programs to get."""
    s = size / 16.0
    tiles = []
    for gx in (0, 1):
        for gy in (0, 1):
            left, top = (3 + gx * 6) * s, (3 + gy * 6) * s
            tiles.append(in_round_rect(left, top, left + 4 * s, top + 4 * s, 0.8 * s))
    return union(*tiles)


def glyphs():
    result = {}
    for size in (16, 24, 32):
        result[f'GlyphAdd{size}'] = glyph(size, plus_shape(size))
        result[f'GlyphPinUp{size}'] = glyph(size, pin_shape(size, False))
        result[f'GlyphPinDown{size}'] = glyph(size, pin_shape(size, True))
        result[f'GlyphLinks{size}'] = glyph(size, links_shape(size))
    return result


# ---------------------------------------------------------------------------------------------
# Card backgrounds

# Resource name, size, colour at the top and at the bottom. Even the bottom colours keep the
# lighter gray of shortcut names at a contrast of 4.5 : 1 or more.
GRADIENTS = (
    ('gradient_green_light', (31, 436), (240, 249, 234), (207, 234, 193)),
    ('gradient_purple_light', (21, 547), (245, 240, 252), (231, 222, 245)),
    ('gradient_red_light', (25, 547), (253, 240, 238), (246, 220, 216)),
    ('gradient_black_light', (32, 404), (247, 248, 249), (223, 226, 230)),
    ('gradient_blue_light', (48, 634), (238, 246, 253), (209, 228, 247)),
    ('gradient_jade_light', (16, 583), (234, 249, 244), (199, 234, 222)),
    ('gradient_orange_light', (19, 580), (254, 245, 231), (248, 222, 188)),
)


def gradient(width, height, top, bottom):
    """Light at the top, deepening gently towards the bottom. Only rows change: the panel
    stretches these pictures to any size without blending, so columns must stay alike."""
    rows = []
    for y in range(height):
        t = y / (height - 1)
        t = t * t * (3 - 2 * t) * 0.35 + t * 0.65
        colour = tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))
        rows.append([colour] * width)
    return rows


# ---------------------------------------------------------------------------------------------
# The panel picture

BACK_SIZE = (1400, 990)
# The ramp the 16 colours are taken from: deep indigo in the shadows, blue in the middle, a
# muted teal in the light. The brightest stays dark enough for light gray text. The colours are
# spread along the ramp by their distance, so that neighbouring colours differ evenly.
BACK_RAMP = ((13, 18, 40), (22, 44, 84), (34, 80, 118), (62, 122, 146))


def ramp(t):
    lengths = [math.dist(a, b) for a, b in zip(BACK_RAMP, BACK_RAMP[1:])]
    position = t * sum(lengths)
    for (c0, c1), length in zip(zip(BACK_RAMP, BACK_RAMP[1:]), lengths):
        if position <= length:
            return tuple(int(round(a + (b - a) * position / length)) for a, b in zip(c0, c1))
        position -= length
    return BACK_RAMP[-1]


def smoothstep(edge0, edge1, x):
    t = clamp((x - edge0) / (edge1 - edge0))
    return t * t * (3 - 2 * t)


# Soft ribbons of light across the picture: height at the middle, slope, wave amplitude and
# phase, half width, brightness.
RIBBONS = ((0.63, -0.34, 0.06, 0.4, 0.10, 0.30), (0.79, -0.46, 0.05, 2.1, 0.045, 0.17),
           (0.30, -0.20, 0.04, 4.0, 0.16, 0.08))
# Faint round glows away from the middle: centre, radius, brightness.
GLOWS = ((0.07, 0.20, 0.10, 0.07), (0.94, 0.28, 0.07, 0.06), (0.87, 0.80, 0.12, 0.05),
         (0.15, 0.87, 0.06, 0.05), (0.64, 0.10, 0.045, 0.045), (0.36, 0.93, 0.04, 0.04))


def back_field(u, v):
    # The same field at every scale: only the number of pixels it is sampled at changes.
    """Brightness of the panel picture at (u, v), in 0..1 of its width and height: a dark field,
    lighter towards the upper middle, crossed by soft ribbons of light, with a few faint round
    glows near the sides."""
    aspect = BACK_SIZE[0] / BACK_SIZE[1]
    dx, dy = (u - 0.5) * aspect, v - 0.40
    value = 0.42 - 0.24 * (dx * dx + dy * dy) ** 0.9 - 0.08 * v
    for base, slope, amplitude, phase, width, strength in RIBBONS:
        centre = base + slope * (u - 0.5) + amplitude * math.sin(2 * math.pi * 1.1 * u + phase)
        d = (v - centre) / width
        value += strength * math.exp(-d * d)
    for cx, cy, radius, strength in GLOWS:
        d = math.hypot((u - cx) * aspect, v - cy) / radius
        value += strength * (1 - smoothstep(0.75, 1.05, d)) * (0.8 + 0.2 * d)
    return value


def back_picture(percent=100):
    """The palette and the rows of colour indexes."""
    width, height = (size * percent // 100 for size in BACK_SIZE)
    step = 5 * percent // 100
    cw, ch = width // step + 2, height // step + 2
    coarse = [[back_field(x * step / width, y * step / height) for x in range(cw)] for y in range(ch)]
    # Stretched so that the darkest and the lightest place use the ends of the ramp.
    low = min(min(row) for row in coarse)
    high = max(max(row) for row in coarse)
    levels = 15
    scale = levels / (high - low)
    coarse = [[(value - low) * scale for value in row] for row in coarse]
    # Bilinear enlargement, first along rows, then between rows; then each pixel takes the
    # nearest colour and hands what it missed on to its neighbours (error diffusion, every other
    # row from the right), so that smooth light shows no bands.
    xs = [(x // step, (x % step) / step) for x in range(width)]
    wide = [[row[i] + (row[i + 1] - row[i]) * f for i, f in xs] for row in coarse]
    rows = []
    below = [0.0] * (width + 2)
    for y in range(height):
        j, f = y // step, (y % step) / step
        line = [p + (q - p) * f for p, q in zip(wide[j], wide[j + 1])]
        here, below = below, [0.0] * (width + 2)
        out = [0] * width
        d = 1 if y % 2 == 0 else -1
        for x in (range(width) if d == 1 else range(width - 1, -1, -1)):
            value = line[x] + here[x + 1]
            index = min(levels, max(0, int(value + 0.5)))
            out[x] = index
            error = value - index
            here[x + 1 + d] += error * 0.4375
            below[x + 1 - d] += error * 0.1875
            below[x + 1] += error * 0.3125
            below[x + 1 + d] += error * 0.0625
        rows.append(out)
    palette = [ramp(i / levels) for i in range(levels + 1)]
    return palette, rows


# ---------------------------------------------------------------------------------------------
# Preview: the panel composed the way the program paints it


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.rows = [[list(colour) for _ in range(width)] for _ in range(height)]

    def put(self, x, y, colour, alpha=255):
        if 0 <= x < self.width and 0 <= y < self.height and alpha:
            pixel = self.rows[y][x]
            for i in range(3):
                pixel[i] = (colour[i] * alpha + pixel[i] * (255 - alpha) + 127) // 255

    def fill(self, left, top, right, bottom, colour, alpha=255):
        for y in range(top, bottom):
            for x in range(left, right):
                self.put(x, y, colour, alpha)

    def draw(self, picture, left, top, right, bottom, blend=True):
        """A picture stretched to the rectangle without smoothing, as the program draws it."""
        height, width = len(picture), len(picture[0])
        dw, dh = right - left, bottom - top
        if dw <= 0 or dh <= 0:
            return
        for dy in range(dh):
            row = picture[dy * height // dh]
            for dx in range(dw):
                pixel = row[dx * width // dw]
                self.put(left + dx, top + dy, pixel[:3], pixel[3] if blend and len(pixel) == 4 else 255)

    def pixels(self):
        return [[tuple(p) + (255,) for p in row] for row in self.rows]


def place(name, body):
    left, top, right, bottom = body
    edges = {'L': left, 'T': top, 'R': right, 'B': bottom}
    return tuple(edges[k] + offset for k, offset in FRAME_PIECES[name])


def paint_card(canvas, pictures, body, background, style, names, reflection_on):
    """One group as the panel paints it: reflection, frame, the rounded body filled with the
    canvas's white brush, the background clipped to the body's region, then the shortcuts."""
    left, top, right, bottom = body
    if reflection_on:
        canvas.draw(pictures['PngReflection'], left, bottom, right - 1, bottom + REFLECTION_HEIGHT)
    for name in ('PngTop', 'PngLeft', 'PngRight', 'PngBottom', 'PngTopLeft', 'PngTopRight', 'PngBottomLeft',
                 'PngBottomRight'):
        canvas.draw(pictures[name], *place(name, body))
    # The rounded rectangle and the clip region as the platform makes them for a 5 x 5 ellipse:
    # the rectangle fills the body but its four corner pixels; the region leaves out the last
    # column and row of the body, and the corner pixels of what remains.
    def cut(x, y, r, b):
        return (x in (left, r - 1)) and (y in (top, b - 1))
    for y in range(top, bottom):
        for x in range(left, right):
            if not cut(x, y, right, bottom):
                canvas.put(x, y, (255, 255, 255))
    gradient = pictures[background]
    gh, gw = len(gradient), len(gradient[0])
    for y in range(top, bottom - 1):
        row = gradient[(y - top) * gh // (bottom - top)]
        for x in range(left, right - 1):
            if not cut(x, y, right - 1, bottom - 1):
                canvas.put(x, y, row[(x - left) * gw // (right - left)])
    cell_width, cell_height = {'small': (120, 24), 'large': (60, 48), 'text': (70, 80)}[style]
    columns = max(1, (right - left - 28) // cell_width)
    for i, name in enumerate(names):
        cx = left + 14 + (i % columns) * cell_width
        cy = top + 19 + (i // columns) * cell_height
        hue = ICON_COLOURS[(i * 3 + len(name)) % len(ICON_COLOURS)]
        if style == 'small':
            paint_icon(canvas, cx + 4, cy + 4, 16, hue)
            paint_text(canvas, cx + 28, cy + 6, name, (50, 50, 50), cx + cell_width - 2)
        elif style == 'large':
            paint_icon(canvas, cx + 14, cy + 8, 32, hue)
        else:
            paint_icon(canvas, cx + 19, cy + 14, 32, hue)
            width = text_width(name)
            paint_text(canvas, cx + (cell_width - width) // 2, cy + 52, name, (100, 100, 100), cx + cell_width - 10)


ICON_COLOURS = ((52, 120, 246), (232, 86, 64), (46, 170, 96), (246, 178, 36), (136, 84, 208), (30, 160, 180))


def paint_icon(canvas, x, y, size, colour):
    """A stand-in for a program's icon: a rounded tile with a light top."""
    radius = size / 6
    for py in range(size):
        for px in range(size):
            cover = rounded_rect_coverage(px, py, 1, 1, size - 1, size - 1, radius, 2)
            if cover:
                shade = 1.15 - 0.3 * py / size
                canvas.put(x + px, y + py, tuple(min(255, int(c * shade)) for c in colour), int(255 * cover))


def text_width(text):
    return sum(2 if c == ' ' else 6 if c.isupper() else 5 for c in text)


def paint_text(canvas, x, y, text, colour, limit, underline=False):
    """Stand-in text: each letter an outlined box of a letter's size, capitals and letters with
    ascenders taller, so that the colour and weight of a line of text can be judged."""
    start = x
    for c in text:
        if c == ' ':
            x += 2
            continue
        width = 5 if c.isupper() else 4
        if x + width > limit:
            break
        high = 0 if c.isupper() or c in 'bdfhklt' else 3
        low = 11 if c in 'gjpqy' else 9
        for py in range(y + high, y + low):
            for px in range(x, x + width):
                if py in (y + high, y + low - 1) or px in (x, x + width - 1) or c in 'il':
                    canvas.put(px, py, colour, 235)
        x += width + 1 + (c.isupper())
    if underline:
        canvas.fill(start, y + 11, x - 1, y + 12, colour)


def paint_band(canvas, pictures, stuck):
    width = canvas.width
    canvas.draw(pictures['transparent40percent'], 0, 0, width, 28)
    for left, glyph in ((width - 30, 'GlyphAdd16'), (width - 55, 'GlyphPinDown16' if stuck else 'GlyphPinUp16')):
        if glyph == 'GlyphPinDown16':
            canvas.fill(left, 2, left + 23, 26, (255, 255, 255), 40)   # a flat button held down
        canvas.draw(pictures[glyph], left + 3, 2 + 4, left + 3 + 16, 2 + 4 + 16)
    canvas.draw(pictures['GlyphLinks16'], 2 + 2, 2 + 3, 2 + 2 + 16, 2 + 3 + 16)
    paint_text(canvas, width - 200, 7, 'Tilebay', (255, 255, 255), width - 60, True)
    paint_text(canvas, 28, 7, 'Get More Apps', (255, 255, 255), 200, True)
    paint_text(canvas, 8, canvas.height - 8 - 13, 'Visit our web site', (255, 255, 255), 300, True)


def panel_background(canvas, pictures):
    back = pictures['Back']
    bh, bw = len(back), len(back[0])
    if bw < canvas.width or bh < canvas.height:
        canvas.draw(back, 0, 0, canvas.width, canvas.height, False)
        return
    ox, oy = (bw - canvas.width) // 2, (bh - canvas.height) // 2
    for y in range(canvas.height):
        canvas.rows[y] = [list(p) for p in back[y + oy][ox:ox + canvas.width]]


PREVIEW_GROUPS = (
    # body left, top, columns, rows, background, style, reflection, names
    (30, 50, 2, 4, 'gradient_green_light', 'small', False,
     ('Notepad', 'Calculator', 'Paint', 'Mail', 'Terminal', 'Photos', 'Music')),
    (330, 50, 4, 2, 'gradient_blue_light', 'text', False,
     ('Browser', 'Writer', 'Sheets', 'Slides', 'Chat', 'Maps', 'Notes')),
    (660, 50, 3, 2, 'gradient_black_light', 'large', True, ('a', 'b', 'c', 'd', 'e')),
    (30, 210, 1, 3, 'gradient_purple_light', 'small', False, ('Drawing', 'Recorder', 'Camera')),
    (330, 270, 2, 1, 'gradient_red_light', 'text', False, ('Games', 'Videos')),
    (510, 270, 1, 1, 'gradient_jade_light', 'text', False, ('Backup',)),
    (660, 270, 2, 2, 'gradient_orange_light', 'small', True, ('Invoices', 'Projects', 'Contacts')),
)


def write_preview(pictures, path):
    width, height = 984, 562
    canvas = Canvas(width, height * 2 + 150, (40, 40, 40))
    panel = Canvas(width, height)
    panel_background(panel, pictures)
    bodies = []
    for left, top, columns, rows, background, style, reflection_on, names in PREVIEW_GROUPS:
        cell_width, cell_height = {'small': (120, 24), 'large': (60, 48), 'text': (70, 80)}[style]
        body = (left, top, left + columns * cell_width + 28, top + rows * cell_height + 5 + 28)
        bodies.append(body)
        paint_card(panel, pictures, body, background, style, names, reflection_on)
    paint_band(panel, pictures, False)
    canvas.rows[:height] = panel.rows

    empty = Canvas(width, height)
    panel_background(empty, pictures)
    hint = 'Please click the + button to create a new group.'
    paint_text(empty, (width - text_width(hint) * 3 // 2) // 2, height // 2 - 60 - 8, hint, (220, 220, 220), width)
    paint_band(empty, pictures, True)
    canvas.rows[height:2 * height] = empty.rows

    # Four times enlarged: a card's top-left and bottom-right corners and the band's buttons.
    left, top, right, bottom = bodies[0]
    zooms = ((left - 8, top - 8), (right - 28, bottom - 24), (width - 62, 0))
    for i, (zx, zy) in enumerate(zooms):
        for y in range(36):
            for x in range(36 if i < 2 else 62):
                colour = panel.rows[zy + y][zx + x]
                for dy in range(4):
                    row = canvas.rows[2 * height + 2 + y * 4 + dy]
                    for dx in range(4):
                        row[4 + i * 160 + x * 4 + dx] = list(colour)
    Path(path).write_bytes(png_file(canvas.width, canvas.height, canvas.pixels(), False))


# ---------------------------------------------------------------------------------------------
# Output


def build(out):
    """Writes every picture into out; returns them drawn: {name: rows of pixels}, RGBA bytes for
    the PNG pictures and RGB for the bitmaps."""
    out.mkdir(parents=True, exist_ok=True)
    pictures = {}
    images = {}
    for percent, suffix in SCALES:
        scaled = dict(frame_pieces(percent))
        scaled['transparent40percent'] = band(percent)
        check_seams({name: to_rgba_bytes(image) for name, image in scaled.items()})
        images.update({name + suffix: image for name, image in scaled.items()})
    images.update(glyphs())
    for name, image in images.items():
        pictures[name] = to_rgba_bytes(image)
    for name, image in images.items():
        (out / (name + '.png')).write_bytes(png_file(len(image[0]), len(image), pictures[name]))
    for name, (width, height), top, bottom in GRADIENTS:
        pictures[name] = gradient(width, height, top, bottom)
        (out / (name + '.bmp')).write_bytes(bmp24_file(width, height, pictures[name]))
    for percent, suffix in SCALES:
        palette, rows = back_picture(percent)
        (out / f'Back{suffix}.bmp').write_bytes(bmp4_file(len(rows[0]), len(rows), palette, rows))
        if percent == 100:
            pictures['Back'] = [[palette[i] for i in row] for row in rows]
    return pictures


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--out', type=Path, default=ROOT / 'resources' / 'pictures')
    parser.add_argument('--preview', type=Path, help='also write a composed preview of the panel (PNG)')
    args = parser.parse_args(argv)
    pictures = build(args.out)
    if args.preview:
        write_preview(pictures, args.preview)


if __name__ == '__main__':
    main(sys.argv[1:])
