#!/usr/bin/env python3
"""samescreen.py DEVICE.png WINDOW.ppm ZOOM [board]: whether a window's picture (a PPM of
its inside) shows the device screen of a PNG, each device pixel a ZOOM x ZOOM square,
centred. The navigation bar (the top 26 rows) is left out: the window's clock shows local
time. With `board`, so is the menu bar (the bottom 26 rows), whose Undo button a game
resumed from its file does not offer."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
    at, idat = 8, b''
    while at < len(data):
        size, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + size]
        if kind == b'IHDR':
            width, height, depth, colour = struct.unpack('>IIBB', body[:10])
            assert depth == 8 and colour in (0, 2), 'only 8-bit grey or RGB'
        elif kind == b'IDAT':
            idat += body
        at += 12 + size
    channels = 3 if colour == 2 else 1
    raw, stride = zlib.decompress(idat), width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        f, cur = line[0], bytearray(line[1:])
        for i in range(stride):
            a = cur[i - channels] if i >= channels else 0
            b, c = prev[i], prev[i - channels] if i >= channels else 0
            if f == 1: cur[i] = (cur[i] + a) & 255
            elif f == 2: cur[i] = (cur[i] + b) & 255
            elif f == 3: cur[i] = (cur[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                cur[i] = (cur[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(cur) if channels == 3 else bytes(v for g in cur for v in (g, g, g)))
        prev = cur
    return width, height, rows


def read_ppm(path):
    data = open(path, 'rb').read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace(): at += 1
        end = at
        while not data[end:end + 1].isspace(): end += 1
        fields.append(data[at:end]); at = end
    assert fields[0] == b'P6' and fields[3] == b'255', 'not a binary 8-bit PPM'
    width, height, at = int(fields[1]), int(fields[2]), at + 1
    return width, height, [data[at + y * width * 3:at + (y + 1) * width * 3] for y in range(height)]


def main():
    dw, dh, device = read_png(sys.argv[1])
    ww, wh, window = read_ppm(sys.argv[2])
    zoom = int(sys.argv[3])
    last = dh - 26 if sys.argv[4:] == ['board'] else dh
    left, top = (ww - dw * zoom) // 2, (wh - dh * zoom) // 2
    bad = 0
    for y in range(26, last):
        row = window[top + y * zoom + zoom // 2]
        for x in range(dw):
            wx = (left + x * zoom + zoom // 2) * 3
            if row[wx:wx + 3] != device[y][x * 3:x * 3 + 3]:
                bad += 1
    if bad:
        print(f'{bad} device pixels differ (zoom {zoom})')
        return 1
    return 0


sys.exit(main())
