"""The program icon: three bubbles in a heap. Written as a five-image icon
file for the device and as PNG files for the desktop install."""
import struct

import artlib as A
import board
import titles

# (x, y, diameter) as fractions of the icon size; drawn back to front.
HEAP = [
    (0.50, 0.31, 0.54, 4),
    (0.27, 0.70, 0.54, 0),
    (0.73, 0.70, 0.54, 2),
]


def render(size):
    """RGBA rows of the heap drawn at its own size."""
    n = 8 if size <= 32 else 4
    layers = []
    for fx, fy, fd, hue in HEAP:
        shade = A.sphere_shade(board.BODY[hue], fx * size, fy * size, fd * size / 2.0)
        layers.append(A.supersample(size, size, shade, n))
    out = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]
    for layer in layers:
        for y in range(size):
            for x in range(size):
                r, g, b, a = layer[y][x]
                if a <= 0:
                    continue
                R, G, B, Aa = out[y][x]
                na = a + Aa * (1 - a)
                mixc = [(c * a + d * Aa * (1 - a)) / na for c, d in zip((r, g, b), (R, G, B))]
                out[y][x] = (mixc[0], mixc[1], mixc[2], na)
    return out


def to_rgba8(img):
    return [[(A.clamp8(r), A.clamp8(g), A.clamp8(b), A.clamp8(a * 255)) for r, g, b, a in row] for row in img]


# 256-colour icon palette: the smooth bubble ramps, padded with black.
PALETTE256 = (titles.TITLE_PALETTE + [A.BLACK] * 256)[:256]


# Few-colour icons are drawn in flat zones (highlight, lit side, shade) the
# way pixel art is, since shaded pixels quantised to 16 colours turn muddy.
ZONES16 = {4: ((255, 255, 0), (128, 128, 0)), 0: ((255, 0, 0), (128, 0, 0)),
           2: ((0, 0, 255), (0, 0, 128))}
ZONES4 = {4: (A.LIGHT, A.GREY), 0: (A.GREY, A.BLACK), 2: (A.GREY, A.BLACK)}


def flat(size, bpp):
    zones = ZONES16 if bpp == 4 else ZONES4
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            top = None
            for fx, fy, fd, hue in HEAP:
                cx, cy, r = fx * size, fy * size, fd * size / 2.0
                d = ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5
                if d <= r:
                    top = (cx, cy, r, hue, d)
            if top is None:
                row.append(None)
                continue
            cx, cy, r, hue, d = top
            lit, dark = zones[hue]
            u, v = (px - cx) / r, (py - cy) / r
            hl = ((u + 0.38) ** 2 + (v + 0.4) ** 2) ** 0.5
            if d > r - 1.0:
                c = A.BLACK if bpp == 2 or size == 16 else dark
            elif hl < (0.22 if size == 32 else 0.3):
                c = A.WHITE
            elif u * 0.6 + v * 0.75 > 0.28:
                c = dark
            else:
                c = lit
            row.append(c)
        out.append(row)
    return out


def icon_image(size, bpp):
    img = render(size)
    if bpp < 8:
        img = [[(0.0, 0.0, 0.0, 0.0) if c is None else (c[0], c[1], c[2], 1.0) for c in row]
               for row in flat(size, bpp)]
    if bpp == 4:
        palette = A.PALETTE16
    elif bpp == 2:
        palette = A.PALETTE4GREY
    else:
        palette = PALETTE256
    rgb, mask = [], []
    for row in img:
        prow, mrow = [], []
        for r, g, b, a in row:
            clear = a < 0.5
            c = (r, g, b)
            prow.append(A.BLACK if clear else tuple(A.clamp8(v) for v in c))
            mrow.append(1 if clear else 0)
        rgb.append(prow)
        mask.append(mrow)
    xor = A.dib_bits(rgb, bpp, palette)
    andm = A.dib_bits([[A.WHITE if m else A.BLACK for m in row] for row in mask], 1, A.PALETTE2)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    pal += b"\0" * (4 * (1 << bpp) - len(pal))
    head = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, len(xor) + len(andm), 0, 0, 0, 0)
    return head + pal + xor + andm


def write_ico(path, images):
    """images: (size, bpp) pairs, in the order the entries are listed."""
    blobs = [icon_image(s, b) for s, b in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    off = 6 + 16 * len(blobs)
    for (s, b), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, (1 << b) if b < 8 else 0, 0, 1, b, len(blob), off)
        off += len(blob)
    A.ensure_dir(path)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


def write_all(root):
    write_ico(root + "/res/icons/fizzorbs.ico", [(32, 4), (16, 4), (32, 2), (16, 2), (32, 8)])
    for s in (16, 32, 48, 64, 128):
        A.write_png(root + "/res/icons/fizzorbs-%d.png" % s, to_rgba8(render(s)))
