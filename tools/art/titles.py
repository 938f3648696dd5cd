"""Title pictures: the splash left by the startup demo and the headings of
the dialogs, lettered in our own pixel font with glossy bubbles around."""
import math

import artlib as A
import board
import font

W, K = A.WHITE, A.BLACK
HUES = board.BODY


def ramp(base, steps):
    """Shades of one hue: positive steps blend toward white, negative toward black."""
    return [A.mix(base, W, s) if s >= 0 else A.mix(base, K, -s) for s in steps]


# The splash is kept to 25 colours: four shades of each bubble colour and
# five greys, which is enough for letters and small shaded bubbles.
SPLASH_STEPS = [0.55, 0.0, -0.35, -0.62]
SPLASH_PALETTE = [W, K, (64, 64, 64), A.GREY, A.LIGHT] + [c for h in HUES for c in ramp(h, SPLASH_STEPS)]

# Dialog headings have room for smoother shading.
TITLE_STEPS = [0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2, 0.1, 0.0, -0.1, -0.2, -0.3, -0.4, -0.5, -0.6, -0.7]
TITLE_PALETTE = [(v, v, v) for v in (0, 32, 64, 96, 128, 160, 192, 224, 255)] + \
    [c for h in HUES for c in ramp(h, TITLE_STEPS)]


def bubble(img, cx, cy, d, hue):
    """A glossy ball of diameter d centred on (cx, cy)."""
    size = int(math.ceil(d)) + 2
    ox, oy = int(round(cx - size / 2.0)), int(round(cy - size / 2.0))
    layer = A.supersample(size, size, A.sphere_shade(HUES[hue], cx - ox, cy - oy, d / 2.0), 4)
    A.over(img, layer, ox, oy)


def letters(img, text, x0, y0, scale, hues, shadow=True):
    """Bold letters, each in its own bubble colour: light top, dark foot,
    a deep outline, a white glint and a soft grey shadow."""
    _, glyphs = font.layout(text)
    h, w = len(img), len(img[0])
    fills = []
    for n, (gx, g) in enumerate(glyphs):
        cells = set()
        for ry, row in enumerate(g):
            for rx, ch in enumerate(row):
                if ch == "#":
                    for sy in range(scale):
                        for sx in range(scale):
                            cells.add((x0 + (gx + rx) * scale + sx, y0 + ry * scale + sy))
        if scale < 3:
            # Thin strokes at double size are too faint on white: embolden.
            cells |= {(x + 1, y) for (x, y) in cells}
        fills.append(cells)
    everything = set().union(*fills)
    ring = set()
    # Small letters would drown in their outlines; they keep only the shadow.
    outline = scale >= 3
    for (x, y) in (everything if outline else ()):
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in everything:
                    ring.add(p)
    shape = everything | ring

    def put(p, c):
        if 0 <= p[0] < w and 0 <= p[1] < h:
            img[p[1]][p[0]] = c

    if shadow:
        for (x, y) in shape:
            if (x + 1, y + 1) not in shape:
                put((x + 1, y + 1), A.LIGHT)
    # Each outline pixel takes the deep shade of the letter it hugs.
    owner = {}
    for n, cells in enumerate(fills):
        for (x, y) in cells:
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    owner.setdefault((x + dx, y + dy), n)
    cap = 7 * scale
    for p in ring:
        put(p, A.mix(HUES[hues[owner[p] % len(hues)]], K, 0.62))
    for n, cells in enumerate(fills):
        base = HUES[hues[n % len(hues)]]
        for (x, y) in cells:
            t = (y - y0) / float(cap)
            if not outline:
                c = base if t < 0.3 else A.mix(base, K, 0.3)
            elif t < 0.22:
                c = A.mix(base, W, 0.5)
            elif t < 0.62:
                c = base
            else:
                c = A.mix(base, K, 0.35)
            if outline and (x - 1, y) in ring and (x, y - 1) in ring and (x + 1, y) in cells and (x, y + 1) in cells:
                c = W
            put((x, y), c)


def text_width(text, scale):
    return font.layout(text)[0] * scale


def small_text(img, text, x0, y0, colour):
    _, glyphs = font.layout(text)
    for gx, g in glyphs:
        for ry, row in enumerate(g):
            for rx, ch in enumerate(row):
                if ch == "#":
                    img[y0 + ry][x0 + gx + rx] = colour


def splash():
    img = A.canvas(196, 110)
    # Fizz rising from the left, drifting over the title.
    fizz = [
        (20, 88, 13, 0), (12, 68, 9, 2), (10, 48, 7, 4), (14, 32, 6, 1), (26, 20, 5, 3),
        (40, 10, 7, 0), (56, 16, 5, 2), (70, 7, 9, 4), (88, 14, 6, 1), (104, 6, 8, 3),
        (120, 15, 5, 0), (136, 8, 10, 2), (154, 17, 7, 4), (170, 9, 8, 1), (183, 22, 6, 3),
        (182, 40, 8, 0), (178, 86, 12, 4), (188, 66, 6, 2),
    ]
    for cx, cy, d, hue in fizz:
        bubble(img, cx, cy, d, hue)
    title = "Fizzorbs"
    scale = 4
    tw = text_width(title, scale)
    letters(img, title, (196 - tw) // 2, 30, scale, [0, 1, 2, 3, 4, 0, 1, 2])
    # One bubble of every colour between the title and the subtitle.
    for i in range(5):
        bubble(img, 98 + (i - 2) * 17, 73, 14, i)
    sub = "tap groups, burst bubbles"
    sw = font.layout(sub)[0]
    small_text(img, sub, (196 - sw) // 2, 90, (64, 64, 64))
    return img


def heading(w, h, text, scale, hues, sides=()):
    img = A.canvas(w, h)
    tw = text_width(text, scale)
    body = (9 if font.has_descender(text) else 7) * scale
    x0 = (w - tw) // 2
    y0 = (h - body) // 2 - (0 if font.has_descender(text) else 1)
    for cx, cy, d, hue in sides:
        bubble(img, cx, cy, d, hue)
    letters(img, text, x0, max(1, y0), scale, hues)
    return img


def about():
    """The logo: a heap of five bubbles with a little fizz rising from it."""
    img = A.canvas(103, 103)
    heap = [
        (33, 69, 38, 0), (70, 69, 38, 2), (51, 38, 38, 4),
        (16, 34, 18, 1), (87, 34, 18, 3), (70, 12, 10, 1), (82, 6, 6, 0), (30, 12, 7, 2),
    ]
    # Back to front so the big ones overlap the small.
    for cx, cy, d, hue in sorted(heap, key=lambda b: b[2]):
        bubble(img, cx, cy + 5, d, hue)
    return img


def write_all(root):
    bm = root + "/res/bitmaps/"
    A.write_bmp(bm + "splash.bmp", splash(), 8, SPLASH_PALETTE)
    heads = {
        "bmp_game_over": heading(150, 32, "Game Over", 3, [0, 1, 2, 3, 4, 0, 1, 2, 3]),
        "bmp_high_score": heading(140, 26, "High Score!", 2, [4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4],
                                  sides=[(11, 14, 14, 0), (128, 14, 14, 2)]),
        "bmp_options": heading(92, 23, "Options", 2, [2, 3, 4, 0, 1, 2, 3],
                               sides=[(7, 12, 10, 1), (85, 12, 10, 3)]),
        "bmp_stats": heading(114, 23, "Statistics", 2, [1, 2, 3, 4, 0, 1, 2, 3, 4, 0],
                             sides=[(7, 12, 10, 4), (107, 12, 10, 0)]),
        "bmp_about": about(),
    }
    for name, img in heads.items():
        A.write_bmp(bm + name + ".bmp", img, 8, TITLE_PALETTE)
