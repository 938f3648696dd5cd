"""The platform layer's 15 standard small tool-bar images, 16 x 16 each,
side by side on a magenta key colour."""
import math

import artlib as A

KEY = A.MAGENTA
INK = {
    ".": KEY, "k": A.BLACK, "w": A.WHITE, "g": A.GREY, "l": A.LIGHT,
    "r": (255, 0, 0), "R": (128, 0, 0), "b": (0, 0, 128), "B": (0, 0, 255),
    "y": (255, 255, 0), "o": (128, 128, 0), "G": (0, 128, 0), "c": (0, 128, 128), "C": (0, 255, 255),
}

CUT = [
    "................",
    "...k.......k....",
    "...k.......k....",
    "...kk.....kk....",
    "....k.....k.....",
    "....kk...kk.....",
    ".....k...k......",
    ".....kk.kk......",
    "......kkk.......",
    "......bkb.......",
    "...bbbb.bbbb....",
    "..b...b.b...b...",
    "..b...b.b...b...",
    "..b...b.b...b...",
    "...bbb...bbb....",
    "................",
]
COPY = [
    "................",
    ".kkkkkk.........",
    ".kwwwwkk........",
    ".kwkkwkwk.......",
    ".kwwwwkkkkkk....",
    ".kwkkkkwwwwkk...",
    ".kwwwwkwwwwkwk..",
    ".kwkkkkwkkwkkkk.",
    ".kwwwwkwwwwwwwk.",
    ".kwkkkkwkkkkkwk.",
    ".kwwwwkwwwwwwwk.",
    ".kkkkkkwkkkkkwk.",
    "......kwwwwwwwk.",
    "......kwkkkkkwk.",
    "......kwwwwwwwk.",
    "......kkkkkkkkk.",
]
PASTE = [
    "................",
    ".....kkkkk......",
    ".ooook...kooo...",
    ".ookkkkkkkkoo...",
    ".oooooooooooo...",
    ".oooooooooooo...",
    ".ooooookkkkkkkk.",
    ".ooooookwwwwwwk.",
    ".ooooookwkkkkwk.",
    ".ooooookwwwwwwk.",
    ".ooooookwkkkkwk.",
    ".ooooookwwwwwwk.",
    ".ooooookwkkkwwk.",
    ".kkkkkkkwwwwwwk.",
    ".......kkkkkkkk.",
    "................",
]
DELETE = [
    "................",
    ".rr.........rr..",
    ".rrr.......rrr..",
    "..rrr.....rrr...",
    "...rrr...rrr....",
    "....rrr.rrr.....",
    ".....rrrrr......",
    "......rrr.......",
    ".....rrrrr......",
    "....rrr.rrr.....",
    "...rrr...rrr....",
    "..rrr.....rrr...",
    ".rrr.......rrr..",
    ".rr.........rr..",
    "................",
    "................",
]
NEW = [
    "................",
    "...kkkkkkk......",
    "...kwwwwwkk.....",
    "...kwwwwwkwk....",
    "...kwwwwwkkkk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kkkkkkkkkk...",
    "................",
]
OPEN = [
    "................",
    "................",
    "..........kkk...",
    ".........k...k.k",
    "..............kk",
    ".kkkk........kkk",
    "kyyyyk..........",
    "kyyyyykkkkkkk...",
    "kyyyyyyyyyyyk...",
    "kyyykkkkkkkkkkk.",
    "kyykooooooooook.",
    "kyyko.ooooooook.",
    "kykooooooooook..",
    "kkoooooooooook..",
    "kkkkkkkkkkkkk...",
    "................",
]
SAVE = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kbkwwwwwwwwkbk.",
    ".kbkwwwwwwwwkbk.",
    ".kbkwkkkkkkwkbk.",
    ".kbkwwwwwwwwkbk.",
    ".kbbkkkkkkkkbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbbkkkkkkkkbbk.",
    ".kbbkllllkllbbk.",
    ".kbbkllllkllbbk.",
    ".kbbkllllkllbbk.",
    ".kbbkllllkllbbk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
]
PROPERTIES = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kbbbbbbbbbwbwk.",
    ".kkkkkkkkkkkkkk.",
    ".kllllllllllllk.",
    ".klkkkllllllllk.",
    ".klkwkkgggggglk.",
    ".klkkkllllllllk.",
    ".kllllllllllllk.",
    ".klkkkllllllllk.",
    ".klkwkkgggglllk.",
    ".klkkkllllllllk.",
    ".kllllllllllllk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
]
HELP = [
    "................",
    ".....kkkkk......",
    "....kBBBBBk.....",
    "...kBBkkkBBk....",
    "...kBBk.kBBk....",
    "....kk.kBBk.....",
    "......kBBk......",
    ".....kBBk.......",
    ".....kBBk.......",
    "......kk........",
    ".....kkkk.......",
    ".....kBBk.......",
    ".....kBBk.......",
    "......kk........",
    "................",
    "................",
]
PRINT = [
    "................",
    "....kkkkkkkk....",
    "....kwwwwwwk....",
    "....kwkkkkwk....",
    "....kwwwwwwk....",
    "..kkkkkkkkkkkk..",
    ".kllllllllllllk.",
    ".kllllllllllGlk.",
    ".kllllllllllllk.",
    ".kggggggggggggk.",
    ".kkkkkkkkkkkkkk.",
    "...kwwwwwwwwk...",
    "...kwkkkkkkwk...",
    "...kwwwwwwwwk...",
    "...kkkkkkkkkk...",
    "................",
]


def from_ascii(rows):
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), rows
    return [[INK[ch] for ch in r] for r in rows]


def blank():
    return [[KEY] * 16 for _ in range(16)]


def outline(tile, fill_colour, edge=A.BLACK):
    """Rims every pixel of fill_colour that touches the key colour."""
    out = [row[:] for row in tile]
    for y in range(16):
        for x in range(16):
            if tile[y][x] != KEY:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < 16 and 0 <= ny < 16 and tile[ny][nx] == fill_colour:
                    out[y][x] = edge
                    break
    return out


def undo_arrow():
    """A thick arc bending down on the right, ending in a head pointing left."""
    t = blank()
    fill = INK["B"]
    cx, cy = 9.0, 9.5
    for y in range(16):
        for x in range(16):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx, py - cy)
            ang = math.atan2(py - cy, px - cx)
            # The right half of a ring, from its top round to the bottom.
            if 2.6 <= d <= 5.4 and px >= cx - 1.0 and ang > -math.pi / 2 - 0.01:
                t[y][x] = fill
            # The straight stem from the top of the arc toward the head.
            if 5.0 <= px <= cx and cy - 5.4 <= py <= cy - 2.6:
                t[y][x] = fill
    # Head: a solid triangle pointing left, tip at x = 1.
    tip_y = cy - 4.0
    for y in range(16):
        for x in range(16):
            px, py = x + 0.5, y + 0.5
            if 1.0 <= px <= 6.0 and abs(py - tip_y) <= (px - 1.0) * 0.95:
                t[y][x] = fill
    return outline(t, fill)


def mirror(tile):
    return [row[::-1] for row in tile]


def find_glass():
    t = blank()
    cx, cy = 6.5, 6.5
    for y in range(16):
        for x in range(16):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx, py - cy)
            if d <= 3.6:
                t[y][x] = INK["C"] if (px - cx) + (py - cy) < -1.5 else INK["c"]
            elif d <= 5.0:
                t[y][x] = A.BLACK
            # The handle runs down to the lower right corner.
            u = ((px - cx) + (py - cy)) / math.sqrt(2)
            v = ((px - cx) - (py - cy)) / math.sqrt(2)
            if 5.0 < u <= 11.2 and abs(v) <= 1.3:
                t[y][x] = A.BLACK if abs(v) > 0.6 else INK["o"]
    return t


def preview():
    t = from_ascii(NEW)
    g = find_glass()
    # A smaller glass over the page's lower right, so it differs from Find.
    for y in range(16):
        for x in range(16):
            sx, sy = int((x - 5) * 1.45), int((y - 5) * 1.45)
            if 0 <= sx < 16 and 0 <= sy < 16 and g[sy][sx] != KEY:
                t[y][x] = g[sy][sx]
    return t


def replace():
    """One box becomes another: a blue box, a bent arrow, a red box."""
    t = blank()
    for y in range(1, 7):
        for x in range(1, 7):
            t[y][x] = A.BLACK if x in (1, 6) or y in (1, 6) else INK["B"]
    for y in range(9, 15):
        for x in range(9, 15):
            t[y][x] = A.BLACK if x in (9, 14) or y in (9, 14) else INK["r"]
    for y in range(3, 9):
        t[y][10] = A.BLACK
    for x in range(7, 11):
        t[3][x] = A.BLACK
    for dx in range(-2, 3):
        t[8 - abs(dx)][10 + dx] = A.BLACK
    return t


def strip():
    tiles = [
        from_ascii(CUT), from_ascii(COPY), from_ascii(PASTE), undo_arrow(), mirror(undo_arrow()),
        from_ascii(DELETE), from_ascii(NEW), from_ascii(OPEN), from_ascii(SAVE), preview(),
        from_ascii(PROPERTIES), from_ascii(HELP), find_glass(), replace(), from_ascii(PRINT),
    ]
    return [[c for tile in tiles for c in tile[y]] for y in range(16)]


def write_all(root):
    A.write_bmp(root + "/pocket/res/toolbar_std.bmp", strip(), 24)
