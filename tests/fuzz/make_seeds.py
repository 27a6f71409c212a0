#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into tests/fuzz/corpus/<target>/: small BMP files of every
kind the readers meet (with the BMP suite's small files copied beside them), settings files, command
lines, MCI answers and texts taken from the tests' cases. Run it again after changing the seeds:
    python3 tests/fuzz/make_seeds.py [path/to/bmpsuite]
Reproducers of faults found by fuzzing are added by hand as corpus/<target>/crash-<what>."""
import os
import shutil
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")
BMPSUITE = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "..", "shared", "bmpsuite")
# The BMP suite's pictures are public domain except the embedded colour profiles (rgb24*prof*); small
# files keep each fuzz input short.
MAX_SUITE_BYTES = 10000


def put(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def bmp(width, height, bits, compression=0, palette=(), masks=(), pixels=None, core=False, bare=False):
    """A BMP file (or bare DIB) with its rows padded to 4 bytes; pixels default to a gradient."""
    stride = ((width * bits + 31) // 32) * 4
    rows = abs(height)
    if pixels is None:
        pixels = bytes((x * 7 + y * 13) & 0xFF for y in range(rows) for x in range(stride))
    if core:
        header = struct.pack("<IHHHH", 12, width, height, 1, bits)
        table = b"".join(struct.pack("<BBB", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF) for c in palette)
    else:
        header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                             len(palette), 0)
        table = b"".join(struct.pack("<I", m) for m in masks) + b"".join(struct.pack("<I", c) for c in palette)
    dib = header + table + pixels
    if bare:
        return dib
    offset = 14 + len(header) + len(table)
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, offset) + dib


def bmp_seeds():
    grey = [(i * 0x111111) & 0xFFFFFF for i in range(16)]
    seeds = {
        "rgb24-4x3": bmp(4, 3, 24),
        "rgb24-3x2-padded": bmp(3, 2, 24),
        "rgb24-1x1-tint": bmp(1, 1, 24, pixels=bytes([0x40, 0x80, 0xC0, 0])),
        "rgb24-top-down": bmp(5, -2, 24),
        "rgb24-bare": bmp(2, 2, 24, bare=True),
        "rgb32-2x2": bmp(2, 2, 32),
        "rgb32-bitfields": bmp(2, 2, 32, 3, masks=(0xFF0000, 0xFF00, 0xFF)),
        "rgb16-555": bmp(3, 2, 16),
        "rgb16-565": bmp(3, 2, 16, 3, masks=(0xF800, 0x7E0, 0x1F)),
        "pal1-core": bmp(9, 2, 1, palette=(0, 0xFFFFFF), core=True),
        "pal4-16": bmp(5, 3, 4, palette=grey),
        "pal8-4": bmp(4, 2, 8, palette=grey[:4]),
        "rle8": bmp(4, 2, 8, 1, palette=grey[:4], pixels=bytes([2, 1, 0, 2, 2, 3, 0, 0, 4, 2, 0, 1])),
        "rle4": bmp(4, 2, 4, 2, palette=grey[:4], pixels=bytes([4, 0x12, 0, 0, 4, 0x30, 0, 1])),
    }
    for name, data in seeds.items():
        put("fuzz_dib", name + ".bmp", data)
        put("fuzz_texture_files", name + ".bmp", data)
    # The tint picture the screensaver writes as Nerlo01.bmp.
    tint = os.path.join(HERE, "..", "..", "assets", "pictures", "pic1_1.bmp")
    if os.path.getsize(tint) <= MAX_SUITE_BYTES:
        shutil.copy(tint, os.path.join(CORPUS, "fuzz_texture_files", "Nerlo01.bmp"))
    if os.path.isdir(BMPSUITE):
        for folder in ("g", "q", "b", "x"):
            for name in sorted(os.listdir(os.path.join(BMPSUITE, folder))):
                path = os.path.join(BMPSUITE, folder, name)
                if "prof" in name or os.path.getsize(path) > MAX_SUITE_BYTES:
                    continue
                shutil.copy(path, os.path.join(CORPUS, "fuzz_dib", "bmpsuite-%s-%s" % (folder, name)))


def cp932(text):
    return text.encode("cp932")


def settings_seeds():
    key_kind, key_repeat, key_file = "BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"
    files = {
        "stored-by-dialog": "[Section]\r\n%s=2\r\n%s=0\r\n%s=C:\\Music\\tune.mp3\r\n" % (key_kind, key_repeat, key_file),
        "cd-track": "[Section]\r\n%s=1\r\n%s=7\r\n%s=\r\n" % (key_kind, key_repeat, key_file),
        "numbers": "[section]\n %s = &H2 \n%s=1e1\n%s=\"C:\\a b\\表.wav\"\n" % (key_kind, key_repeat, key_file),
        "not-numbers": "[Section]\n%s=two\n%s=-40000\n%s='x'\n[Other]\n%s=1\n" % (key_kind, key_repeat, key_file, key_kind),
        "fractions": "[Section]\n%s=1.9\n%s=-0.5D1\n" % (key_kind, key_repeat),
        "empty": "",
        "no-section": "%s=2\n%s=C:\\x.mp3\n" % (key_kind, key_file),
    }
    for name, text in files.items():
        put("fuzz_settings", name + ".ini", cp932(text))
    put("fuzz_settings", "random-bytes.ini", bytes((i * 37 + 11) & 0xFF for i in range(200)))


def command_line_seeds():
    lines = ["/s", "/S", "/c", "/c:1234", "/p 1234", "/p:1234", "/P 65802", "/p &H1F", "/p &hFFFF", "/p &O17",
             "/p &H10000", "/p -5", "/p 12.5", "/p 13.5", "/p 1e3", "/p 12e", "/p  12 34", "/p 1234abc",
             "/p 2147483647", "/p 4294967296", "/p", "/ｓ", "",
             "\"C:\\Program Files\\Vantorel.scr\" /p 65802", "C:\\Saver\\Vantorel.scr /c:1234",
             "Vantorel.scr\t/s", "\"unclosed /s"]
    for i, line in enumerate(lines):
        put("fuzz_command_line", "line-%02d" % i, line.encode("utf-16-le"))


def mci_seeds():
    # The first string is the raw text; then answers and choices come from the rest of the bytes.
    answers = [b"\x05ERR!x\x01\x0012\x01\x003\x01\x00stopped\x00\x01\x01",
               b"\x00\x01\x02\x031\x00\x01\x0212\x00\x01\x07stopped\x09\x05playing\x06",
               b"\x02\x82\xa0err\x01\x0012.5\x01\x00  7  \x01\x0500:03:00:00\x0a",
               b"\x01\x00\x00\x00\x00\x00\x01\x00\x00\x01\x00\x00playing\x00\x00\x05\x05\x05"]
    for i, data in enumerate(answers):
        put("fuzz_mci_answers", "answers-%d" % i, data)


def cp932_seeds():
    texts = ["Vantorel.dll が同じﾌｫﾙﾀﾞに見つかりません！", "BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ",
             "C:\\音楽\\表.mp3", "コマンド文字列が指定されていません"]
    for i, text in enumerate(texts):
        put("fuzz_cp932", "utf8-%d" % i, text.encode("utf-8"))
        put("fuzz_cp932", "cp932-%d" % i, text.encode("cp932"))
    put("fuzz_cp932", "broken-utf8", b"\xe3\x81\xc0\x80\xf4\x90\x80\x80\xed\xa0\x80\x81\\")


if __name__ == "__main__":
    bmp_seeds()
    settings_seeds()
    command_line_seeds()
    mci_seeds()
    cp932_seeds()
