#!/usr/bin/env python3
"""Makes the six 64 x 25 skin pictures of the Command button (assets/skins/*.bmp).

Regenerate with `python3 assets/generator/make_skins.py` from the repository root
(or --out DIR). Only the outer four pixels of each side are ever drawn, so a skin
is its frame: four rings, outermost first, each edge either one colour or a band
shading from top to bottom. Corners take the colour of the top or bottom row; the
centre is filled with the innermost top colour and never shown. Integer
arithmetic only, so the files are byte-identical everywhere.
"""

import argparse
import os
import struct

W, H = 64, 25


def c(h):
    return (int(h[1:3], 16), int(h[3:5], 16), int(h[5:7], 16))


def band(a, b=None):
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
           [band('#ECE9D8'), band('#E2DECB'), band('#003C74'), band('#A0ABB1', '#BCC5C7')],
           [band('#ECE9D8'), band('#F0EEE0'), band('#003C74'), band('#A9B5BD', '#C4CED2')])
DISABLE_ROWS = [c('#ECE9D8'), c('#C9C7BA'), c('#F5F4EA'), c('#F5F4EA')]
DISABLE = (DISABLE_ROWS, DISABLE_ROWS, [band(h) for h in ('#ECE9D8', '#C9C7BA', '#F5F4EA', '#F5F4EA')],
           [band(h) for h in ('#ECE9D8', '#C9C7BA', '#F5F4EA', '#F5F4EA')])

SKINS = [('normal', NORMAL), ('highlight', HIGHLIGHT), ('highlightselect', HIGHLIGHT),
         ('selected', SELECTED), ('pressed', PRESSED), ('disable', DISABLE)]


def mix(a, b, y):
    return tuple(a[k] + (b[k] - a[k]) * y // (H - 1) for k in range(3))


def pixels(skin):
    top, bottom, left, right = skin
    rows = [[top[3]] * W for _ in range(H)]
    for ring in range(3, -1, -1):
        for y in range(ring, H - ring):
            rows[y][ring] = mix(left[ring][0], left[ring][1], y)
            rows[y][W - 1 - ring] = mix(right[ring][0], right[ring][1], y)
        for x in range(ring, W - ring):
            rows[ring][x] = top[ring]
            rows[H - 1 - ring][x] = bottom[ring]
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
    for name, skin in SKINS:
        with open(os.path.join(out, 'skin_%s.bmp' % name), 'wb') as f:
            f.write(bmp(pixels(skin)))


if __name__ == '__main__':
    main()
