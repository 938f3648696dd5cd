#!/usr/bin/env python3
"""Writes the small bitmaps and waves of the layer's test module (run from anywhere)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def bmp(name, width, height, bits, palette, rows):
    """rows: top row first, each a list of 8-bit indices or of (r, g, b)."""
    stride = ((width * bits + 31) // 32) * 4
    body = b""
    for row in reversed(rows):  # bottom-up, like the platform
        line = b"".join(bytes((b, g, r)) for (r, g, b) in row) if bits == 24 else bytes(row)
        body += line + b"\0" * (stride - len(line))
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(body), 2835, 2835, len(palette), 0)
    offset = 14 + len(info) + len(table)
    head = b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset)
    with open(os.path.join(HERE, "bitmaps", name), "wb") as f:
        f.write(head + info + table + body)


def wav(name, rate, channels, bits, samples):
    data = bytes(samples) if bits == 8 else struct.pack("<%dh" % len(samples), *samples)
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * channels * bits // 8, channels * bits // 8, bits)
    riff = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    with open(os.path.join(HERE, "sounds", name), "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(riff)) + riff)


os.makedirs(os.path.join(HERE, "bitmaps"), exist_ok=True)
os.makedirs(os.path.join(HERE, "sounds"), exist_ok=True)
red, green, blue, white, black = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (0, 0, 0)
bmp("eight.bmp", 3, 3, 8, [white, red, green, blue, black], [[0, 1, 2], [3, 4, 0], [1, 1, 1]])
bmp("true.bmp", 2, 2, 24, [], [[red, green], [blue, white]])
# 8-bit unsigned mono at 8000 Hz: 80 samples, a square wave around the midpoint.
wav("beep.wav", 8000, 1, 8, [200 if (i // 4) % 2 else 56 for i in range(80)])
