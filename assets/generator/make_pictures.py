#!/usr/bin/env python3
"""Makes the pictures that Vantorel carries as resources: the four show-form
pictures (assets/pictures/pic1_0.bmp .. pic1_3.bmp) and the program icon
(assets/icon/vantorel.ico).

Regenerate with:

    python3 assets/generator/make_pictures.py

from the repository root (or pass --out DIR to write the same tree elsewhere).
The output is byte-identical on every run and every machine: the only random
source is the xorshift generator below with fixed seeds, and the arithmetic is
limited to + - * / and sqrt, which IEEE doubles round the same way everywhere
(no exp/sin from the platform's libm). The unit tests regenerate into a
temporary folder and compare bytes with the committed files, so edit this
script, rerun it and commit both together.

Standard library only, so the build needs nothing beyond python3.
"""

import argparse
import math
import os
import struct

SIZE = 256
PIXELS_PER_METRE = 2835  # 72 dpi, what the form designer stored


class XorShift32:
    """Marsaglia's xorshift32: tiny, and fixed forever, unlike random.Random."""

    def __init__(self, seed):
        self.state = (seed & 0xFFFFFFFF) or 0x9E3779B9

    def next_u32(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def uniform(self, lo=0.0, hi=1.0):
        return lo + (hi - lo) * (self.next_u32() / 4294967296.0)

    def below(self, n):
        return self.next_u32() % n


def clamp01(v):
    return 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)


def smoothstep(e0, e1, v):
    t = clamp01((v - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def hue_to_rgb(h):
    """Fully saturated, full-value colour for hue h in [0, 1)."""
    h = (h % 1.0) * 6.0
    i = int(h)
    f = h - i
    return [(1.0, f, 0.0), (1.0 - f, 1.0, 0.0), (0.0, 1.0, f),
            (0.0, 1.0 - f, 1.0), (f, 0.0, 1.0), (1.0, 0.0, 1.0 - f)][i % 6]


def to_byte(v):
    return int(clamp01(v) * 255.0 + 0.5)


def wrap_delta(d):
    """Shortest signed distance on the 256-pixel torus: what makes dots tile."""
    d %= SIZE
    return d - SIZE if d > SIZE / 2 else d


def disc_pixels(cx, cy, radius, reach):
    """The pixels around a dot centred at (cx, cy), wrapped onto the torus: yields the pixel's index,
    its wrapped offsets from the centre and its squared distance in radii."""
    for oy in range(-reach, reach + 1):
        y = int(cy) + oy
        dy = wrap_delta(y + 0.5 - cy)
        for ox in range(-reach, reach + 1):
            x = int(cx) + ox
            dx = wrap_delta(x + 0.5 - cx)
            yield (y % SIZE) * SIZE + (x % SIZE), dx, dy, (dx * dx + dy * dy) / (radius * radius)


# --- Windows BMP -----------------------------------------------------------

def bmp_bytes(width, height, rgb_rows):
    """24-bit bottom-up BMP; rgb_rows[0] is the top row, as (r, g, b) tuples.

    The renderer reads the 256 x 256 ones raw from byte 54, so the layout is
    exactly file header + BITMAPINFOHEADER + pixels, nothing in between."""
    stride = (width * 3 + 3) & ~3
    image_size = stride * height
    out = bytearray()
    out += struct.pack('<2sIHHI', b'BM', 54 + image_size, 0, 0, 54)
    out += struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, image_size,
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)
    pad = bytes(stride - width * 3)
    for row in reversed(rgb_rows):
        for r, g, b in row:
            out += bytes((b, g, r))
        out += pad
    return bytes(out)


# --- Pic1 (2): glass sparkle ------------------------------------------------

def make_sparkles():
    """Small soft dots of saturated hues on white; dots wrap at the edges
    because the renderer scrolls this picture one pixel a frame each way."""
    rng = XorShift32(0x5EC1A2)
    img = [[1.0, 1.0, 1.0] for _ in range(SIZE * SIZE)]
    for _ in range(1400):
        cx = rng.uniform(0, SIZE)
        cy = rng.uniform(0, SIZE)
        radius = rng.uniform(1.0, 2.6) if rng.below(6) else rng.uniform(2.6, 4.2)
        colour = hue_to_rgb(rng.uniform())
        strength = rng.uniform(0.85, 1.0)
        # A tiny white glint in the bigger dots makes them read as glass.
        glint = radius > 2.4
        reach = int(radius) + 2
        for at, dx, dy, r2 in disc_pixels(cx, cy, radius, reach):
            if r2 >= 1.0:
                continue
            a = (1.0 - r2)
            a = strength * a * a * (3.0 - 2.0 * a)  # soft shoulder, no hard rim
            p = img[at]
            for c in range(3):
                p[c] += (colour[c] - p[c]) * a
            if glint:
                gdx = dx + radius * 0.3
                gdy = dy + radius * 0.3
                g2 = (gdx * gdx + gdy * gdy) / (0.09 * radius * radius + 0.3)
                if g2 < 1.0:
                    g = (1.0 - g2) * 0.8
                    for c in range(3):
                        p[c] += (1.0 - p[c]) * g
    return [[tuple(to_byte(v) for v in img[y * SIZE + x]) for x in range(SIZE)]
            for y in range(SIZE)]


# --- Pic1 (3): nebula -------------------------------------------------------

class PeriodicValueNoise:
    """Value noise on lattices whose periods divide 256, so every octave wraps."""

    def __init__(self, seed, periods):
        rng = XorShift32(seed)
        self.layers = []
        for period in periods:
            grid = [rng.uniform() for _ in range(period * period)]
            self.layers.append((period, grid))

    def fbm(self, x, y):
        """Sum of octaves in [0, 1], x and y in pixels (any real, wraps)."""
        total = 0.0
        norm = 0.0
        amp = 1.0
        for period, grid in self.layers:
            scale = period / SIZE
            fx = (x * scale) % period
            fy = (y * scale) % period
            ix = int(fx)
            iy = int(fy)
            tx = fx - ix
            ty = fy - iy
            tx = tx * tx * tx * (tx * (tx * 6.0 - 15.0) + 10.0)
            ty = ty * ty * ty * (ty * (ty * 6.0 - 15.0) + 10.0)
            x1 = (ix + 1) % period
            y1 = (iy + 1) % period
            r0 = iy * period
            r1 = y1 * period
            a = grid[r0 + ix]
            b = grid[r0 + x1]
            c = grid[r1 + ix]
            d = grid[r1 + x1]
            top = a + (b - a) * tx
            bottom = c + (d - c) * tx
            total += amp * (top + (bottom - top) * ty)
            norm += amp
            amp *= 0.55
        return total / norm


def screen(base, add):
    return [1.0 - (1.0 - b) * (1.0 - a) for b, a in zip(base, add)]


def make_nebula():
    """Warped fractal clouds in purple, magenta and cyan over dark blue, plus
    a few stars. Every field is periodic in 256 pixels, so the picture tiles
    when the renderer scrolls it and when it fills the backdrop."""
    octaves = (4, 8, 16, 32, 64)
    warp_x = PeriodicValueNoise(0xA11CE, (2, 4, 8, 16))
    warp_y = PeriodicValueNoise(0xB0B, (2, 4, 8, 16))
    glow = PeriodicValueNoise(0xC10D, octaves)
    veil = PeriodicValueNoise(0xFEED, (2, 4, 8, 16, 32, 64))
    tint = PeriodicValueNoise(0x7117, (2, 4))
    dust = PeriodicValueNoise(0xD057, (8, 16, 32, 64))

    deep = (0.020, 0.030, 0.150)
    purple = (0.40, 0.14, 0.78)
    magenta = (0.85, 0.16, 0.62)
    cyan = (0.12, 0.70, 0.85)

    img = []
    for y in range(SIZE):
        for x in range(SIZE):
            wx = x + 70.0 * (warp_x.fbm(x, y) - 0.5)
            wy = y + 70.0 * (warp_y.fbm(x, y) - 0.5)
            cloud = smoothstep(0.42, 0.80, glow.fbm(wx, wy))
            mist = smoothstep(0.48, 0.82, veil.fbm(wy + 31.0, wx + 57.0))
            hue = smoothstep(0.30, 0.70, tint.fbm(x, y))
            lane = smoothstep(0.50, 0.75, dust.fbm(wx, wy))

            c = list(deep)
            # a faint blue haze everywhere keeps the dark parts from going flat
            haze = 0.5 * glow.fbm(y, x)
            c = [v + haze * k for v, k in zip(c, (0.00, 0.02, 0.10))]
            body = [p + (m - p) * hue for p, m in zip(purple, magenta)]
            c = screen(c, [v * cloud * 0.85 for v in body])
            c = screen(c, [v * mist * 0.75 for v in cyan])
            c4 = cloud * cloud * cloud * cloud
            core = c4 * mist + c4 * cloud * cloud * 0.5
            c = screen(c, [v * core * 0.6 for v in (1.0, 0.85, 1.0)])
            shade = 1.0 - 0.55 * lane * (1.0 - core)
            img.append([v * shade for v in c])

    rng = XorShift32(0x57A25)
    for i in range(70):
        cx = rng.uniform(0, SIZE)
        cy = rng.uniform(0, SIZE)
        bright = i < 7
        peak = rng.uniform(0.75, 1.0) if bright else rng.uniform(0.35, 0.75)
        radius = rng.uniform(1.6, 2.4) if bright else rng.uniform(0.8, 1.2)
        warmth = rng.uniform(-0.15, 0.1)
        colour = (1.0 + warmth, 1.0, 1.0 - warmth)
        reach = int(radius) + 4
        for at, dx, dy, r2 in disc_pixels(cx, cy, radius, reach):
            a = 1.0 / (1.0 + 6.0 * r2 * r2) - 0.03
            if bright:  # four-point glint on the few bright ones
                spike = max(0.0, 1.0 - abs(dx) / 0.8) * max(0.0, 1.0 - abs(dy) / (3.2 * radius)) \
                    + max(0.0, 1.0 - abs(dy) / 0.8) * max(0.0, 1.0 - abs(dx) / (3.2 * radius))
                a = max(a, 0.7 * spike)
            if a <= 0.0:
                continue
            p = img[at]
            img[at] = screen(p, [k * a * peak for k in colour])

    return [[tuple(to_byte(v) for v in img[y * SIZE + x]) for x in range(SIZE)]
            for y in range(SIZE)]


# --- Icon -------------------------------------------------------------------

def icon_pixels(n):
    """A glowing tube ring, seen slightly from above, on a dark blue tile.
    Returns n*n (r, g, b, a) bytes, top row first; 4 x 4 supersampled."""
    sub = 4
    out = []
    half = n / 2.0
    corner = n * 0.18
    for py in range(n):
        for px in range(n):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(sub):
                for sx in range(sub):
                    x = px + (sx + 0.5) / sub
                    y = py + (sy + 0.5) / sub
                    # rounded-square tile
                    qx = max(abs(x - half) - (half - corner), 0.0)
                    qy = max(abs(y - half) - (half - corner), 0.0)
                    inside = 1.0 if qx * qx + qy * qy <= corner * corner else 0.0
                    if inside == 0.0:
                        continue
                    u = (x - half) / half
                    v = (y - half) / half
                    bg = (0.03 + 0.05 * (1.0 - v) * 0.5, 0.05 + 0.06 * (1.0 - v) * 0.5,
                          0.22 + 0.20 * (1.0 - v) * 0.5)
                    # ellipse ring: the tube is tilted towards the viewer
                    ex = u / 0.70
                    ey = v / 0.42
                    d = abs(math.sqrt(ex * ex + ey * ey) - 1.0) * 0.55
                    width = 0.10 * (1.0 + 8.0 / n)  # thicker at 16 px so it still reads
                    t = d / width
                    core = 1.0 / (1.0 + t * t * t * t * 4.0)
                    halo = 1.0 / (1.0 + t * t * 0.6) * 0.45
                    # front half of the ring brighter, like the lit rim of glass
                    front = 0.75 + 0.25 * clamp01(v * 2.0 + 0.5)
                    c = list(bg)
                    c = screen(c, [k * halo for k in (0.55, 0.25, 0.95)])
                    c = screen(c, [k * core * front for k in (0.55, 0.95, 1.0)])
                    acc[0] += c[0]
                    acc[1] += c[1]
                    acc[2] += c[2]
                    acc[3] += 1.0
            samples = sub * sub
            cov = acc[3] / samples
            if acc[3] > 0.0:
                rgb = [to_byte(acc[i] / acc[3]) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            out.append((rgb[0], rgb[1], rgb[2], to_byte(cov)))
    return out


def ico_bytes(sizes):
    """Classic ICO: 32-bit BGRA DIB images with AND masks (no PNG entries),
    which every Windows since XP and Wine's resource loader accept."""
    images = []
    for n in sizes:
        px = icon_pixels(n)
        mask_stride = ((n + 31) // 32) * 4
        xor = bytearray()
        mask = bytearray()
        for row in range(n - 1, -1, -1):  # DIBs are bottom-up
            bits = bytearray(mask_stride)
            for col in range(n):
                r, g, b, a = px[row * n + col]
                xor += bytes((b, g, r, a))
                if a == 0:
                    bits[col // 8] |= 0x80 >> (col % 8)
            mask += bits
        header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0,
                             len(xor) + len(mask), 0, 0, 0, 0)
        images.append(header + bytes(xor) + bytes(mask))
    out = bytearray(struct.pack('<HHH', 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


# --- main -------------------------------------------------------------------

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--out', default=os.path.dirname(here),
                        help='folder that receives pictures/ and icon/ (default: assets/)')
    args = parser.parse_args()

    black = [[(0, 0, 0)]]
    write(os.path.join(args.out, 'pictures', 'pic1_0.bmp'), bmp_bytes(1, 1, black))
    write(os.path.join(args.out, 'pictures', 'pic1_1.bmp'), bmp_bytes(1, 1, black))
    write(os.path.join(args.out, 'pictures', 'pic1_2.bmp'), bmp_bytes(SIZE, SIZE, make_sparkles()))
    write(os.path.join(args.out, 'pictures', 'pic1_3.bmp'), bmp_bytes(SIZE, SIZE, make_nebula()))
    write(os.path.join(args.out, 'icon', 'vantorel.ico'), ico_bytes((16, 32, 48)))


if __name__ == '__main__':
    main()
