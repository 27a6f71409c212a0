#!/usr/bin/env python3
"""Makes lbl_URL's mouse cursor (assets/cursor/link.cur): a 32 x 32 monochrome pointing hand
whose index fingertip is the hot spot (12, 10).

Regenerate with `python3 assets/generator/make_cursor.py` from the repository root (or --out DIR).
"""

import argparse
import os
import struct

SIZE = 32
HOT_X, HOT_Y = 12, 10

# The hand, drawn from row HOT_Y down and column LEFT on: B black outline, W white, blank transparent.
LEFT = 9
HAND = [
    "   BB",
    "  BWWB",
    "  BWWB",
    "  BWWB",
    "  BWWB",
    "  BWWBBB",
    "  BWWBWWBBB",
    "  BWWBWWBWWBB",
    "BBBWWBWWBWWBWB",
    "BWWBWWWWWWWBWB",
    "BWWWWWWWWWWWWB",
    " BWWWWWWWWWWWB",
    " BWWWWWWWWWWWB",
    "  BWWWWWWWWWWB",
    "  BWWWWWWWWWB",
    "   BWWWWWWWWB",
    "   BWWWWWWWWB",
    "   BBBBBBBBBB",
]


def cell(x, y):
    row = y - HOT_Y
    col = x - LEFT
    if 0 <= row < len(HAND) and 0 <= col < len(HAND[row]):
        return HAND[row][col]
    return ' '


def mask_rows(bit_of):
    data = b''
    for y in reversed(range(SIZE)):  # bottom-up
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | bit_of(cell(x, y))
        data += struct.pack('>I', bits)
    return data


def cursor():
    # XOR bit 1 draws white; AND bit 1 keeps the screen (transparent).
    xor = mask_rows(lambda ch: 1 if ch == 'W' else 0)
    and_ = mask_rows(lambda ch: 1 if ch == ' ' else 0)
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    palette = struct.pack('<II', 0x000000, 0xFFFFFF)
    image = info + palette + xor + and_
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, HOT_X, HOT_Y, len(image), 6 + 16)
    return header + entry + image


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--out', default=os.path.join(os.path.dirname(__file__), '..'))
    out = os.path.join(parser.parse_args().out, 'cursor')
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, 'link.cur'), 'wb') as f:
        f.write(cursor())


if __name__ == '__main__':
    main()
