#!/usr/bin/env python3
"""Makes the six 64 x 25 skin pictures of the Command button (assets/skins/*.bmp).

Regenerate with `python3 assets/generator/make_skins.py` from the repository root
(or --out DIR). Only the outer four pixels of each side are ever drawn, so a skin
is its frame: four rings, outermost first, each edge either one colour or a band
shading from its first visible row to its last (through a middle colour at row 12
where one is given). The outline ring's corners are rounded over three pixels with
two blended colours, the corner pixel itself taking the colour outside the outline.
The centre is filled with the innermost top colour and never shown. Integer
arithmetic only, so the files are byte-identical everywhere.
"""

import argparse
import os
import struct

W, H = 64, 25


def c(h):
    return (int(h[1:3], 16), int(h[3:5], 16), int(h[5:7], 16))


def band(a, b=None, middle=None):
    if middle:
        return (c(a), c(middle), c(b))
    return (c(a), c(b or a))


# top rows 0-3, bottom rows 24-21, left columns 0-3, right columns 63-60; outside inwards.
NORMAL = ([c('#DCD6C2'), c('#003C74'), c('#F3F3EE'), c('#F3F3EE')],
          [c('#FAFAF6'), c('#003C74'), c('#D6D0C5'), c('#E2DFD6')],
          [band('#E2DECB'), band('#003C74'), band('#FDFDFC', '#ECEBE6'), band('#FDFDFC', '#EBEBE5')],
          [band('#F0EEE0'), band('#003C74'), band('#F6F4F2', '#E0DDD4'), band('#FBFBFA', '#E4E2DA')])
HIGHLIGHT = ([c('#DCD6C2'), c('#003C74'), c('#FFF0CF'), c('#FDD889')],
             [c('#FAFAF6'), c('#003C74'), c('#E59700'), c('#F8B330')],
             [band('#E2DECB'), band('#003C74'), band('#FEDF9A', '#F9B435'), band('#FCD279', '#F8B535')],
             [band('#F0EEE0'), band('#003C74'), band('#FDE09B', '#F8B435'), band('#FCD279', '#F8B535')])
SELECTED = ([c('#DCD6C2'), c('#003C74'), c('#CEE7FF'), c('#CEE7FF')],
            [c('#FAFAF6'), c('#003C74'), c('#6982EE'), c('#6982EE')],
            [band('#E2DECB'), band('#003C74'), band('#B7D0F4', '#8BADE4'), band('#B8D1F4', '#8BADE4')],
            [band('#F0EEE0'), band('#003C74'), band('#B1CCF2', '#8BAFE5'), band('#B1CCF2', '#8BAFE5')])
PRESSED = ([c('#ECE9D8'), c('#DCD6C2'), c('#003C74'), c('#D1CCC1')],
           [c('#ECE9D8'), c('#FAFAF6'), c('#003C74'), c('#F2F1EE')],
           [band('#ECE9D8'), band('#E2DECB'), band('#003C74'), band('#A0ABB1', '#BCC5C7', middle='#D7D4CB')],
           [band('#ECE9D8'), band('#F0EEE0'), band('#003C74'), band('#A9B5BD', '#C4CED2', middle='#E4E3DC')])
DISABLE_ROWS = [c('#ECE9D8'), c('#C9C7BA'), c('#F5F4EA'), c('#F5F4EA')]
DISABLE = (DISABLE_ROWS, DISABLE_ROWS, [band(h) for h in ('#ECE9D8', '#C9C7BA', '#F5F4EA', '#F5F4EA')],
           [band(h) for h in ('#ECE9D8', '#C9C7BA', '#F5F4EA', '#F5F4EA')])

# The outline's rounded corners: which ring the outline is, and the two colours that blend it
# with the glow inside, the one next to the corner pixel and the one after it.
CORNERS = {'normal': (1, c('#7A95A8'), c('#255783')),
           'highlight': (1, c('#7F96A1'), c('#265781')),
           'selected': (1, c('#6791B9'), c('#1E5588')),
           'pressed': (2, c('#68849A'), c('#1F517F')),
           'disable': (1, c('#DFDDD2'), c('#CFCDC1'))}

SKINS = [('normal', NORMAL, CORNERS['normal']), ('highlight', HIGHLIGHT, CORNERS['highlight']),
         ('highlightselect', HIGHLIGHT, CORNERS['highlight']), ('selected', SELECTED, CORNERS['selected']),
         ('pressed', PRESSED, CORNERS['pressed']), ('disable', DISABLE, CORNERS['disable'])]

MIDDLE_ROW = H // 2


def mix(a, b, num, den):
    return tuple(a[k] + (b[k] - a[k]) * num // den for k in range(3))


def band_at(stops, ring, y):
    """The band's colour at row y of a side column of this ring: its first colour on the column's
    first visible row (just below the ring's top row), its last on the last visible row."""
    first, last = ring + 1, H - 2 - ring
    y = min(max(y, first), last)
    if len(stops) == 2:
        return mix(stops[0], stops[1], y - first, last - first)
    if y <= MIDDLE_ROW:
        return mix(stops[0], stops[1], y - first, MIDDLE_ROW - first)
    return mix(stops[1], stops[2], y - MIDDLE_ROW, last - MIDDLE_ROW)


def round_corners(rows, skin, corner):
    top, bottom = skin[0], skin[1]
    ring, near, far = corner
    outline = top[ring]
    for right in (False, True):
        for lower in (False, True):
            def put(dx, dy, colour):
                x = W - 1 - ring - dx if right else ring + dx
                y = H - 1 - ring - dy if lower else ring + dy
                rows[y][x] = colour
            put(0, 0, (bottom if lower else top)[ring - 1])
            put(1, 0, near)
            put(0, 1, near)
            put(2, 0, far)
            put(0, 2, far)
            put(1, 1, outline)


def pixels(skin, corner):
    top, bottom, left, right = skin
    rows = [[top[3]] * W for _ in range(H)]
    for ring in range(3, -1, -1):
        for y in range(ring, H - ring):
            rows[y][ring] = band_at(left[ring], ring, y)
            rows[y][W - 1 - ring] = band_at(right[ring], ring, y)
        for x in range(ring, W - ring):
            rows[ring][x] = top[ring]
            rows[H - 1 - ring][x] = bottom[ring]
    round_corners(rows, skin, corner)
    return rows


def bmp(rows):
    stride = (W * 3 + 3) // 4 * 4
    data = b''
    for row in reversed(rows):  # bottom-up
        line = b''.join(bytes((b, g, r)) for (r, g, b) in row)
        data += line + b'\0' * (stride - len(line))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--out', default=os.path.join(os.path.dirname(__file__), '..'))
    out = os.path.join(parser.parse_args().out, 'skins')
    os.makedirs(out, exist_ok=True)
    for name, skin, corner in SKINS:
        with open(os.path.join(out, 'skin_%s.bmp' % name), 'wb') as f:
            f.write(bmp(pixels(skin, corner)))


if __name__ == '__main__':
    main()
