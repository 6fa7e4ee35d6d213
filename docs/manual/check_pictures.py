#!/usr/bin/python3
"""Refuses window pictures that are mostly black: a window pictured before the display
showed it. Prints each such picture with its share of black pixels and exits 1.

Usage: check_pictures.py PICTURE.png ...
"""
import struct
import sys
import zlib

# A painted window holds text, borders and at most a dark icon: far below half black.
MOSTLY_BLACK = 0.5


def rows(path):
    """The picture's rows of pixels (8-bit RGB or RGBA, no interlace), decoded."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("PNG ではありません")
    at = 8
    idat = b""
    width = height = channels = 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at : at + 8])
        body = data[at + 8 : at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError("8 ビットの RGB(A) でない PNG は調べられません")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    raw = zlib.decompress(idat)
    stride = width * channels
    previous = bytearray(stride)
    out = []
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        line = bytearray(raw[start + 1 : start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                guess = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + guess) & 0xFF
        out.append((line, channels))
        previous = line
    return out


def black_share(path):
    black = total = 0
    for line, channels in rows(path):
        for i in range(0, len(line), channels):
            total += 1
            if line[i] == 0 and line[i + 1] == 0 and line[i + 2] == 0:
                black += 1
    return black / total if total else 1.0


def main():
    faults = 0
    for path in sys.argv[1:]:
        try:
            share = black_share(path)
        except (OSError, ValueError, zlib.error) as error:
            print(f"{path}: 画像を読めません: {error}", file=sys.stderr)
            faults += 1
            continue
        if share >= MOSTLY_BLACK:
            print(f"{path}: 画像のほとんどが黒です（黒 {share:.0%}）。ウィンドウが表示される前に"
                  "写されています", file=sys.stderr)
            faults += 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
