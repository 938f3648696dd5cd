"""Board pictures: colour and grey bubbles at 20 and 14 pixels, the blank
cell and the burst splashes."""
import math

import artlib as A

LETTERS = "abcde"
NAMES = ["red", "green", "blue", "purple", "yellow"]

# Bubble body colours, chosen to stay apart in hue and brightness so that
# colour-weak players can still tell them apart.
BODY = [
    (226, 32, 30),    # red
    (38, 178, 44),    # green
    (36, 88, 236),    # blue
    (156, 54, 206),   # purple
    (250, 206, 14),   # yellow
]

PURE = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 0, 255), (255, 255, 0)]

# Pop shape: a ragged core, eight spikes and a few flying drops. Drawn by hand
# so that every burst has the same 68 pixels.
SPLASH = [
    "...........#........",
    ".........#..........",
    "....................",
    ".....#...##.........",
    ".........##....#....",
    ".........##.........",
    "......#......#......",
    ".......#.##.#.......",
    "........####......#.",
    ".#.###.######.###...",
    ".#.###.######.###.#.",
    "........####........",
    ".......#.##.#.......",
    "......#......#......",
    ".........##.....#...",
    ".........##.........",
    "...#.....##.........",
    "........#...........",
    "..........#.........",
    "....................",
]
SPLASH_PIXELS = 68


def splash_mask():
    return A.ascii_mask(SPLASH)


def colour_bubble(size, colour):
    img = A.canvas(size, size)
    dia = 18.6 if size == 20 else 13.2
    A.over(img, A.bubble_layer(size, BODY[colour], dia, n=6))
    return img


def _disc(size, r_out):
    c = (size - 1) / 2.0
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            row.append(math.hypot(x - c, y - c))
        out.append(row)
    return out, c


def grey_bubble(size, kind):
    """Five bubbles that differ in fill and pattern, not colour, built from
    white, black, mid grey and light grey only."""
    W, K, G, L = A.WHITE, A.BLACK, A.GREY, A.LIGHT
    img = A.canvas(size, size)
    r = 9.3 if size == 20 else 6.5
    dist, c = _disc(size, r)
    # Highlight position, up and to the left of centre.
    hx, hy = c - r * 0.42, c - r * 0.42
    hr = 1.4 if size == 20 else 1.0
    for y in range(size):
        for x in range(size):
            d = dist[y][x]
            if d > r:
                continue
            edge = d > r - 1.15
            hl = math.hypot(x - hx, y - hy) <= hr
            if kind == 0:      # solid black ball
                px = W if hl else K
                if not hl and math.hypot(x - hx, y - hy) <= hr + 1.2:
                    px = G
            elif kind == 1:    # mid grey ball, black rim and a black shaded side
                shade = d > r - 2.6 and (x - c) + (y - c) > r * 0.35
                px = K if edge or shade else (W if hl else G)
            elif kind == 2:    # light grey ball, mid grey shading
                if edge:
                    px = K
                elif d > r - 2.3 and (x - c) + (y - c) > 0:
                    px = G
                else:
                    px = W if hl else L
            elif kind == 3:    # white ball with a black ring and a black core
                ring = r - 1.15 < d or (size == 20 and r - 3.4 < d <= r - 2.3)
                px = K if ring else (K if d <= (1.6 if size == 20 else 1.0) else W)
            else:              # diagonal stripes inside a black rim
                if edge:
                    px = K
                elif hl:
                    px = W
                else:
                    px = K if ((x + y) // 2) % 2 == 0 else L
            img[y][x] = px
    return img


def blank(size=20):
    return A.canvas(size, size)


def burst_small(colour):
    m = splash_mask()
    return [[PURE[colour] if m[y][x] else A.WHITE for x in range(20)] for y in range(20)]


def tint(colour, t):
    return A.mix(A.WHITE, PURE[colour], t)


def burst_big(colour):
    """The same splash on a soft glow of its colour, strongest at the centre."""
    m = splash_mask()
    img = []
    for y in range(20):
        row = []
        for x in range(20):
            if m[y][x]:
                row.append(PURE[colour])
                continue
            d = math.hypot(x - 9.5, y - 9.5) / 13.5
            row.append(tint(colour, 0.22 * max(0.0, 1.0 - d) + 0.06))
        img.append(row)
    return img


def burst_black():
    m = splash_mask()
    return [[A.BLACK if m[y][x] else A.WHITE for x in range(20)] for y in range(20)]


def write_all(root):
    bm = root + "/res/bitmaps/"
    for i, L in enumerate(LETTERS):
        A.write_bmp(bm + "color20%s.bmp" % L, colour_bubble(20, i), 24)
        A.write_bmp(bm + "color14%s.bmp" % L, colour_bubble(14, i), 24)
        A.write_bmp(bm + "gray20%s.bmp" % L, grey_bubble(20, i), 4, A.PALETTE16, exact=True)
        A.write_bmp(bm + "gray14%s.bmp" % L, grey_bubble(14, i), 4, A.PALETTE16, exact=True)
    A.write_bmp(bm + "blank20white.bmp", blank(), 1, A.PALETTE2, exact=True)
    for i, n in enumerate(NAMES):
        A.write_bmp(bm + "burst_%s_20.bmp" % n, burst_small(i), 4, A.PALETTE16, exact=True)
        A.write_bmp(bm + "bburst_%s_20.bmp" % n, burst_big(i), 24)
    A.write_bmp(bm + "burst_black_20.bmp", burst_black(), 1, A.PALETTE2, exact=True)
