#!/usr/bin/python3
"""The manual's check of its pictures: a mostly black picture is refused, named; a painted
window (text on a light face, a dark icon) passes; filtered rows are decoded."""
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def png(path, width, height, pixel, filter_kind=0):
    def chunk(kind, body):
        crc = zlib.crc32(kind + body) & 0xFFFFFFFF
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)

    raw = b""
    for y in range(height):
        line = b"".join(bytes(pixel(x, y)) for x in range(width))
        if filter_kind == 1:  # Sub: each byte minus the byte one pixel to the left
            line = bytes((line[i] - (line[i - 3] if i >= 3 else 0)) & 0xFF for i in range(len(line)))
        raw += bytes([filter_kind]) + line
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw)))
        f.write(chunk(b"IEND", b""))


def check(*paths):
    return subprocess.run([sys.executable, os.path.join(HERE, "check_pictures.py"), *paths],
                          capture_output=True, text=True)


class CheckPicturesTest(unittest.TestCase):
    def test_pictures(self):
        cases = [
            # name, pixel, filter, refused
            ("black", lambda x, y: (0, 0, 0), 0, True),
            ("three_quarters_black", lambda x, y: (0, 0, 0) if x < 15 else (240, 240, 240), 0, True),
            ("window_face", lambda x, y: (240, 240, 240), 0, False),
            ("dark_icon_quarter", lambda x, y: (0, 0, 0) if x < 5 else (255, 255, 255), 0, False),
            ("black_with_sub_filter", lambda x, y: (0, 0, 0), 1, True),
            ("face_with_sub_filter", lambda x, y: (x * 10, 200, 100), 1, False),
        ]
        with tempfile.TemporaryDirectory() as folder:
            for name, pixel, filter_kind, refused in cases:
                with self.subTest(name):
                    path = os.path.join(folder, name + ".png")
                    png(path, 20, 4, pixel, filter_kind)
                    result = check(path)
                    self.assertEqual(result.returncode, 1 if refused else 0, result.stderr)
                    if refused:
                        self.assertIn(name + ".png", result.stderr)
                        self.assertIn("ほとんどが黒", result.stderr)


if __name__ == "__main__":
    unittest.main()
