"""File writers and drawing helpers shared by the art generators.

Pictures are plain lists of rows of (r, g, b) tuples, top row first.
Only the Python standard library is used so the art can be rebuilt anywhere.
"""
import math
import os
import struct
import zlib

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY = (128, 128, 128)
LIGHT = (192, 192, 192)
MAGENTA = (255, 0, 255)

# The classic 16-colour display palette: it holds every pure burst colour and
# the four greys, so 4-bit pictures need no other table.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
PALETTE2 = [BLACK, WHITE]
PALETTE4GREY = [BLACK, GREY, LIGHT, WHITE]


def canvas(w, h, colour=WHITE):
    return [[colour] * w for _ in range(h)]


def ensure_dir(path):
    d = os.path.dirname(path)
    if d:
        os.makedirs(d, exist_ok=True)


def clamp8(v):
    return 0 if v < 0 else 255 if v > 255 else int(round(v))


def mix(a, b, t):
    """Blend colour a toward b by t (0 keeps a)."""
    return tuple(clamp8(a[i] + (b[i] - a[i]) * t) for i in range(3))


def nearest(palette, c, cache=None):
    if cache is not None and c in cache:
        return cache[c]
    best, bi = None, 0
    for i, p in enumerate(palette):
        # Weighted so greens and reds are matched the way the eye sees them.
        dr, dg, db = c[0] - p[0], c[1] - p[1], c[2] - p[2]
        d = 3 * dr * dr + 4 * dg * dg + 2 * db * db
        if best is None or d < best:
            best, bi = d, i
    if cache is not None:
        cache[c] = bi
    return bi


# ---------------------------------------------------------------- BMP

def _row_bytes(w, bpp):
    return ((w * bpp + 31) // 32) * 4


def _pack_indices(row, bpp):
    out = bytearray()
    if bpp == 8:
        out.extend(row)
    else:
        per = 8 // bpp
        for i in range(0, len(row), per):
            b = 0
            for j in range(per):
                v = row[i + j] if i + j < len(row) else 0
                b |= v << (8 - bpp * (j + 1))
            out.append(b)
    return out


def dib_bits(pixels, bpp, palette=None, flip=True):
    """Pixel bits of a bottom-up DIB (rows padded to 4 bytes)."""
    h, w = len(pixels), len(pixels[0])
    stride = _row_bytes(w, bpp)
    rows = reversed(pixels) if flip else pixels
    out = bytearray()
    cache = {}
    for row in rows:
        if bpp == 24:
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
        else:
            idx = []
            for c in row:
                if palette is None:
                    raise ValueError("indexed picture needs a palette")
                i = nearest(palette, c, cache)
                idx.append(i)
            line = _pack_indices(idx, bpp)
        line += b"\0" * (stride - len(line))
        out += line
    return bytes(out)


def exact_indices(pixels, palette):
    """Fails when a pixel is not in the palette: catches art drawn off-table."""
    lookup = {c: i for i, c in enumerate(palette)}
    for y, row in enumerate(pixels):
        for x, c in enumerate(row):
            if c not in lookup:
                raise ValueError("colour %r at (%d,%d) not in palette" % (c, x, y))


def write_bmp(path, pixels, bpp, palette=None, exact=False):
    """Writes an uncompressed bottom-up BI_RGB bitmap.

    For indexed depths every colour is mapped to the nearest palette entry
    unless exact is set, when an off-palette pixel is an error.
    """
    h, w = len(pixels), len(pixels[0])
    if bpp in (1, 4, 8):
        if palette is None or len(palette) > (1 << bpp):
            raise ValueError("bad palette for %d bits" % bpp)
        if exact:
            exact_indices(pixels, palette)
    elif bpp != 24:
        raise ValueError("unsupported depth")
    pal = b"" if bpp == 24 else b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    bits = dib_bits(pixels, bpp, palette)
    ncol = 0 if bpp == 24 else len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, len(bits), 2835, 2835, ncol, 0)
    off = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", off + len(bits), 0, 0, off)
    ensure_dir(path)
    with open(path, "wb") as f:
        f.write(head + info + pal + bits)


def read_bmp(path):
    """Returns (width, height, bpp, palette, pixels, header fields) for checks."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError("%s: not a BMP" % path)
    size, _, _, off = struct.unpack_from("<IHHI", data, 2)
    (hsz, w, h, planes, bpp, comp, isz, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    ncol = used if used else (1 << bpp if bpp <= 8 else 0)
    palette = []
    for i in range(ncol):
        b, g, r, _ = data[14 + hsz + 4 * i:14 + hsz + 4 * i + 4]
        palette.append((r, g, b))
    stride = _row_bytes(w, bpp)
    pixels = []
    for yy in range(abs(h)):
        row_off = off + stride * yy
        row = []
        for x in range(w):
            if bpp == 24:
                b, g, r = data[row_off + 3 * x:row_off + 3 * x + 3]
                row.append((r, g, b))
            else:
                bit = x * bpp
                byte = data[row_off + bit // 8]
                v = (byte >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1)
                row.append(palette[v])
        pixels.append(row)
    if h > 0:
        pixels.reverse()
    fields = dict(file_size=size, data_len=len(data), offset=off, header=hsz, planes=planes,
                  compression=comp, clr_used=used, image_size=isz, height=h)
    return w, abs(h), bpp, palette, pixels, fields


# ---------------------------------------------------------------- WAVE

def write_wav(path, samples, rate=8000):
    """samples: floats in -1..1, written as 8-bit unsigned mono PCM."""
    data = bytes(clamp8(128 + s * 127) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    if len(data) % 2:
        body += b"\0"  # RIFF chunks are word aligned
    ensure_dir(path)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def read_wav(path):
    """Returns (format fields, sample bytes) for checks."""
    with open(path, "rb") as f:
        d = f.read()
    if d[:4] != b"RIFF" or d[8:12] != b"WAVE":
        raise ValueError("%s: not RIFF WAVE" % path)
    riff_len = struct.unpack_from("<I", d, 4)[0]
    pos, fmt, data = 12, None, None
    while pos + 8 <= len(d):
        cid, n = d[pos:pos + 4], struct.unpack_from("<I", d, pos + 4)[0]
        body = d[pos + 8:pos + 8 + n]
        if cid == b"fmt ":
            fmt = struct.unpack_from("<HHIIHH", body)
        elif cid == b"data":
            data = body
        pos += 8 + n + (n & 1)
    return fmt, data, riff_len, len(d)


# ---------------------------------------------------------------- PNG

def write_png(path, rgba):
    h, w = len(rgba), len(rgba[0])
    raw = bytearray()
    for row in rgba:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, body):
        c = kind + body
        return struct.pack(">I", len(body)) + c + struct.pack(">I", zlib.crc32(c) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    ensure_dir(path)
    with open(path, "wb") as f:
        f.write(png)


# ---------------------------------------------------------------- shading

def supersample(w, h, shade, n=4):
    """Renders shade(x, y) -> (r, g, b, a) with n x n samples per pixel.

    Returns rows of (r, g, b, a) with colour premultiplied back out.
    """
    out = []
    inv = 1.0 / (n * n)
    for y in range(h):
        row = []
        for x in range(w):
            r = g = b = a = 0.0
            for sy in range(n):
                for sx in range(n):
                    c = shade(x + (sx + 0.5) / n, y + (sy + 0.5) / n)
                    if c is None:
                        continue
                    r += c[0] * c[3]
                    g += c[1] * c[3]
                    b += c[2] * c[3]
                    a += c[3]
            if a > 0:
                row.append((r / a, g / a, b / a, a * inv))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        out.append(row)
    return out


def sphere_shade(base, cx, cy, rad, light=(-0.55, -0.65, 0.52)):
    """A glossy ball: diffuse light from the upper left, a white specular spot
    and a darker rim, so it reads as a bubble even at 14 pixels."""
    lx, ly, lz = light
    ln = math.sqrt(lx * lx + ly * ly + lz * lz)
    lx, ly, lz = lx / ln, ly / ln, lz / ln
    # Half vector toward the viewer for the highlight.
    hx, hy, hz = lx, ly, lz + 1.0
    hn = math.sqrt(hx * hx + hy * hy + hz * hz)
    hx, hy, hz = hx / hn, hy / hn, hz / hn

    def shade(x, y):
        dx, dy = (x - cx) / rad, (y - cy) / rad
        d2 = dx * dx + dy * dy
        if d2 > 1.0:
            return None
        nz = math.sqrt(1.0 - d2)
        diff = max(0.0, dx * lx + dy * ly + nz * lz)
        shine = max(0.0, dx * hx + dy * hy + nz * hz) ** 40
        k = 0.45 + 0.75 * diff
        c = [base[i] * k for i in range(3)]
        rim = max(0.0, (math.sqrt(d2) - 0.78) / 0.22)
        c = [v * (1.0 - 0.45 * rim) for v in c]
        # Soft sky reflection on the lower right makes the ball look wet.
        glow = max(0.0, dx * 0.6 + dy * 0.7) * max(0.0, math.sqrt(d2) - 0.55) * 0.9
        c = [v + (255 - v) * 0.25 * glow * (1 - rim) for v in c]
        c = [v + (255 - v) * min(1.0, shine * 1.3) for v in c]
        return (c[0], c[1], c[2], 1.0)

    return shade


def over(dst, src, ox=0, oy=0):
    """Composites an (r, g, b, a) layer onto an RGB canvas at (ox, oy)."""
    for y, row in enumerate(src):
        ty = y + oy
        if not 0 <= ty < len(dst):
            continue
        for x, (r, g, b, a) in enumerate(row):
            tx = x + ox
            if a <= 0 or not 0 <= tx < len(dst[0]):
                continue
            d = dst[ty][tx]
            dst[ty][tx] = (clamp8(d[0] + (r - d[0]) * a), clamp8(d[1] + (g - d[1]) * a),
                           clamp8(d[2] + (b - d[2]) * a))


def bubble_layer(size, base, diameter=None, n=4):
    d = diameter if diameter is not None else size - 1.2
    c = size / 2.0
    return supersample(size, size, sphere_shade(base, c, c, d / 2.0), n)


def ascii_mask(lines):
    return [[ch not in ". " for ch in line] for line in lines]
