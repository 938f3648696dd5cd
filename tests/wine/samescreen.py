#!/usr/bin/env python3
"""samescreen.py PNGPIXEL DEVICE.png WINDOW.ppm ZOOM [board]: whether a window's picture (a PPM of
its inside) shows the device screen of a PNG, each device pixel a ZOOM x ZOOM square,
centred. The navigation bar (the top 26 rows) is left out: the window's clock shows local
time. With `board`, so is the menu bar (the bottom 26 rows), whose Undo button a game
resumed from its file does not offer."""
import subprocess
import sys


def read_png(pngpixel, path):
    """Width, height and rows of RGB bytes, as the end-to-end scripts' PNG tool reads them."""
    width, height = map(int, subprocess.run([pngpixel, path], capture_output=True, check=True).stdout.split()[:2])
    rgb = subprocess.run([pngpixel, "--rgb", path], capture_output=True, check=True).stdout
    return width, height, [rgb[y * width * 3:(y + 1) * width * 3] for y in range(height)]


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
    dw, dh, device = read_png(sys.argv[1], sys.argv[2])
    ww, wh, window = read_ppm(sys.argv[3])
    zoom = int(sys.argv[4])
    last = dh - 26 if sys.argv[5:] == ['board'] else dh
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
