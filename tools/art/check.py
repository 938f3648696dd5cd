#!/usr/bin/env python3
"""Verifies the committed pictures, sounds and icons against what the game
and the platform layer load: sizes, depths, palettes, the 68-pixel splash,
sample counts and clean sound edges.

    python3 tools/art/check.py [ROOT]      check a checkout (default: this one)
    python3 tools/art/check.py --selftest  prove the checks reject bad files
"""
import math
import os
import shutil
import struct
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib as A  # noqa: E402

LETTERS = "abcde"
NAMES = ["red", "green", "blue", "purple", "yellow"]
PURE = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 0, 255), (255, 255, 0)]
GREYS = {A.WHITE, A.BLACK, A.GREY, A.LIGHT}
SOUNDS = {"pop": 691, "woopop": 3811, "end": 12628, "highscore": 29541, "undo": 4058}
TITLES = {"bmp_game_over": (150, 32), "bmp_high_score": (140, 26), "bmp_options": (92, 23),
          "bmp_stats": (114, 23), "bmp_about": (103, 103)}


class Checker:
    def __init__(self, root):
        self.root = root
        self.passed = 0
        self.failed = []

    def ok(self, cond, what):
        if cond:
            self.passed += 1
        else:
            self.failed.append(what)
        return cond

    def path(self, rel):
        return os.path.join(self.root, rel)

    # ------------------------------------------------------------ pictures

    def bmp(self, rel, w, h, bpp, ncolours=None):
        """Loads a bitmap and checks its headers; None when it is unusable."""
        p = self.path(rel)
        if not self.ok(os.path.isfile(p), rel + ": missing"):
            return None
        try:
            bw, bh, bbpp, pal, px, f = A.read_bmp(p)
        except Exception as e:  # a corrupt file is a failed check, not a crash
            self.ok(False, "%s: unreadable (%s)" % (rel, e))
            return None
        good = self.ok((bw, bh, bbpp) == (w, h, bpp),
                       "%s: %dx%d %d bits, want %dx%d %d" % (rel, bw, bh, bbpp, w, h, bpp))
        good &= self.ok(f["height"] > 0, rel + ": not bottom-up")
        good &= self.ok(f["compression"] == 0, rel + ": compressed")
        good &= self.ok(f["header"] == 40 and f["planes"] == 1, rel + ": odd info header")
        good &= self.ok(f["file_size"] == f["data_len"], rel + ": file size field wrong")
        stride = ((w * bpp + 31) // 32) * 4
        good &= self.ok(f["offset"] + stride * h == f["data_len"], rel + ": pixel data size wrong")
        good &= self.ok(f["offset"] == 14 + 40 + 4 * len(pal) if bpp <= 8 else f["offset"] == 54,
                        rel + ": colour table size does not match biClrUsed")
        if bpp <= 8:
            good &= self.ok(f["clr_used"] == len(pal) and 0 < len(pal) <= (1 << bpp),
                            rel + ": biClrUsed %d" % f["clr_used"])
            if ncolours is not None:
                good &= self.ok(len(pal) == ncolours,
                                "%s: %d palette entries, want %d" % (rel, len(pal), ncolours))
        return px if good else None

    def colour_bubbles(self, size):
        means = []
        for i, L in enumerate(LETTERS):
            rel = "res/bitmaps/color%d%s.bmp" % (size, L)
            px = self.bmp(rel, size, size, 24)
            if px is None:
                continue
            corners = [px[0][0], px[0][-1], px[-1][0], px[-1][-1]]
            self.ok(all(c == A.WHITE for c in corners), rel + ": corners not white")
            # The ball fills the cell: measure its extent across the middle.
            mid = px[size // 2]
            inked = [x for x, c in enumerate(mid) if sum(c) < 700]
            span = (inked[-1] - inked[0] + 1) if inked else 0
            lo, hi = (17, 20) if size == 20 else (12, 14)
            self.ok(lo <= span <= hi, "%s: bubble %d px across" % (rel, span))
            # Highlight above-left of centre, darker rim below-right.
            q = size // 4
            hl = max(sum(px[y][x]) for y in range(q, size // 2) for x in range(q, size // 2))
            rim = sum(px[size - q][size - q])
            self.ok(hl > rim + 150, rel + ": no highlight or rim")
            core = [px[y][x] for y in range(q, size - q) for x in range(q, size - q)]
            means.append(tuple(sum(c[k] for c in core) / len(core) for k in range(3)))
        if len(means) == 5:
            d = min(math.dist(means[a], means[b]) for a in range(5) for b in range(a + 1, 5))
            self.ok(d > 60, "colour bubbles %d: two colours too close (%.0f)" % (size, d))

    def grey_bubbles(self, size):
        seen = []
        for L in LETTERS:
            rel = "res/bitmaps/gray%d%s.bmp" % (size, L)
            px = self.bmp(rel, size, size, 4, 16)
            if px is None:
                continue
            used = {c for row in px for c in row}
            self.ok(used <= GREYS, rel + ": colours outside the four greys")
            self.ok(px[0][0] == A.WHITE and px[-1][-1] == A.WHITE, rel + ": corners not white")
            seen.append(px)
        for a in range(len(seen)):
            for b in range(a + 1, len(seen)):
                diff = sum(1 for y in range(size) for x in range(size) if seen[a][y][x] != seen[b][y][x])
                self.ok(diff > size * size // 8, "grey bubbles %d: %s and %s look alike"
                        % (size, LETTERS[a], LETTERS[b]))

    def bursts(self):
        shapes = []

        def shape(px, ink):
            return frozenset((x, y) for y, row in enumerate(px) for x, c in enumerate(row) if c == ink)

        for i, n in enumerate(NAMES):
            rel = "res/bitmaps/burst_%s_20.bmp" % n
            px = self.bmp(rel, 20, 20, 4, 16)
            if px is not None:
                s = shape(px, PURE[i])
                self.ok(len(s) == 68, "%s: %d splash pixels" % (rel, len(s)))
                self.ok(all(c in (PURE[i], A.WHITE) for row in px for c in row), rel + ": stray colours")
                shapes.append(s)
            rel = "res/bitmaps/bburst_%s_20.bmp" % n
            px = self.bmp(rel, 20, 20, 24)
            if px is not None:
                s = shape(px, PURE[i])
                self.ok(len(s) == 68, "%s: %d splash pixels" % (rel, len(s)))
                ground = [c for y, row in enumerate(px) for x, c in enumerate(row) if (x, y) not in s]
                tinted = all(c != A.WHITE and min(c) >= 170 and c != PURE[i] for c in ground)
                # A tint of the colour keeps the colour's strongest channel on top.
                keep = [k for k in range(3) if PURE[i][k] == 255]
                tinted &= all(min(c[k] for k in keep) >= max(c) for c in ground)
                self.ok(tinted, rel + ": ground is not a light tint of the colour")
                shapes.append(s)
        rel = "res/bitmaps/burst_black_20.bmp"
        px = self.bmp(rel, 20, 20, 1, 2)
        if px is not None:
            shapes.append(shape(px, A.BLACK))
            self.ok(all(c in (A.BLACK, A.WHITE) for row in px for c in row), rel + ": stray colours")
        self.ok(len(shapes) == 11 and len(set(shapes)) == 1, "bursts: splash shapes differ")
        if shapes:
            s = shapes[0]
            # It must read as a pop: ink reaches out in all four directions.
            xs = [p[0] for p in s]
            ys = [p[1] for p in s]
            self.ok(min(xs) <= 3 and max(xs) >= 16 and min(ys) <= 3 and max(ys) >= 16,
                    "bursts: splash does not spread")

    def board(self):
        self.colour_bubbles(20)
        self.colour_bubbles(14)
        self.grey_bubbles(20)
        self.grey_bubbles(14)
        px = self.bmp("res/bitmaps/blank20white.bmp", 20, 20, 1, 2)
        if px is not None:
            self.ok(all(c == A.WHITE for row in px for c in row), "blank20white: not all white")
        self.bursts()

    def titles(self):
        px = self.bmp("res/bitmaps/splash.bmp", 196, 110, 8, 25)
        if px is not None:
            self.picture_on_white("splash", px, 3)
        for name, (w, h) in TITLES.items():
            px = self.bmp("res/bitmaps/%s.bmp" % name, w, h, 8)
            if px is not None:
                self.picture_on_white(name, px, 3)

    def picture_on_white(self, name, px, min_colours):
        h, w = len(px), len(px[0])
        border = px[0] + px[-1] + [r[0] for r in px] + [r[-1] for r in px]
        self.ok(sum(c == A.WHITE for c in border) > 0.8 * len(border), name + ": ground is not white")
        inked = sum(1 for row in px for c in row if c != A.WHITE)
        self.ok(0.08 * w * h < inked < 0.8 * w * h, name + ": too empty or too full (%d)" % inked)
        used = {c for row in px for c in row}
        self.ok(len(used) >= min_colours, name + ": only %d colours" % len(used))

    # ------------------------------------------------------------ sounds

    def wav(self, rel, length=None, longest=None):
        p = self.path(rel)
        if not self.ok(os.path.isfile(p), rel + ": missing"):
            return
        try:
            fmt, data, riff_len, file_len = A.read_wav(p)
        except Exception as e:
            self.ok(False, "%s: unreadable (%s)" % (rel, e))
            return
        self.ok(fmt == (1, 1, 8000, 8000, 1, 8), "%s: format %r" % (rel, fmt))
        self.ok(riff_len + 8 == file_len, rel + ": RIFF size field wrong")
        if not self.ok(data is not None and len(data) > 64, rel + ": no data chunk"):
            return
        if length is not None:
            self.ok(len(data) == length, "%s: %d sample bytes, want %d" % (rel, len(data), length))
        if longest is not None:
            self.ok(len(data) <= longest, "%s: too long (%d)" % (rel, len(data)))
        self.ok(abs(data[0] - 128) <= 2 and abs(data[-1] - 128) <= 2, rel + ": clicks at an edge")
        self.ok(min(data) > 0 and max(data) < 255, rel + ": clipped")
        self.ok(max(data) - min(data) > 100, rel + ": too quiet")
        # Soft edges: the first and last 8 ms stay well below the peak.
        edge = 64
        self.ok(max(abs(v - 128) for v in data[:8]) < 40 and max(abs(v - 128) for v in data[-edge:]) < 60,
                rel + ": hard start or end")

    def sounds(self):
        for name, n in SOUNDS.items():
            self.wav("res/sounds/%s.wav" % name, n)
        self.wav("device/Windows/Critical.wav", longest=8000 * 5 // 10)

    # ------------------------------------------------------------ icons

    def icon(self):
        rel = "res/icons/fizzorbs.ico"
        p = self.path(rel)
        if not self.ok(os.path.isfile(p), rel + ": missing"):
            return
        d = open(p, "rb").read()
        if not self.ok(len(d) >= 6, rel + ": truncated"):
            return
        zero, kind, count = struct.unpack_from("<HHH", d)
        if not self.ok((zero, kind, count) == (0, 1, 5), "%s: header %r" % (rel, (zero, kind, count))):
            return
        want = [(32, 4), (16, 4), (32, 2), (16, 2), (32, 8)]
        got = []
        for i in range(count):
            w, h, ncol, _, planes, bpp, size, off = struct.unpack_from("<BBBBHHII", d, 6 + 16 * i)
            w, h = w or 256, h or 256
            if not self.ok(off + size <= len(d), "%s: image %d past the end" % (rel, i)):
                continue
            hsz, iw, ih, ipl, ibpp = struct.unpack_from("<IiiHH", d, off)
            self.ok(hsz == 40 and iw == w and ih == 2 * h and ibpp == bpp,
                    "%s: image %d header disagrees with its entry" % (rel, i))
            self.ok(ncol == (0 if bpp >= 8 else 1 << bpp), "%s: image %d colour count %d" % (rel, i, ncol))
            xor = ((w * bpp + 31) // 32) * 4 * h
            andm = ((w + 31) // 32) * 4 * h
            self.ok(size == 40 + 4 * (1 << bpp) + xor + andm, "%s: image %d size %d" % (rel, i, size))
            # Transparent corners through the mask, opaque centre.
            mask = d[off + 40 + 4 * (1 << bpp) + xor:off + size]
            stride = ((w + 31) // 32) * 4
            corner = mask[stride * (h - 1)] >> 7   # top-left, rows stored bottom-up
            centre = (mask[stride * (h // 2) + (w // 2) // 8] >> (7 - (w // 2) % 8)) & 1
            self.ok(corner == 1 and centre == 0, "%s: image %d mask wrong" % (rel, i))
            got.append((w, bpp))
        self.ok(sorted(got) == sorted(want), "%s: images %r" % (rel, got))
        for s in (16, 32, 48, 64, 128):
            self.png("res/icons/fizzorbs-%d.png" % s, s)

    def png(self, rel, size):
        p = self.path(rel)
        if not self.ok(os.path.isfile(p), rel + ": missing"):
            return
        d = open(p, "rb").read()
        if not self.ok(d[:8] == b"\x89PNG\r\n\x1a\n", rel + ": not a PNG"):
            return
        w, h, depth, ctype = struct.unpack_from(">IIBB", d, 16)
        self.ok((w, h, depth, ctype) == (size, size, 8, 6), "%s: %dx%d" % (rel, w, h))
        idat, pos = b"", 8
        while pos < len(d):
            n = struct.unpack_from(">I", d, pos)[0]
            if d[pos + 4:pos + 8] == b"IDAT":
                idat += d[pos + 8:pos + 8 + n]
            pos += 12 + n
        try:
            raw = zlib.decompress(idat)
        except zlib.error:
            self.ok(False, rel + ": bad pixel data")
            return
        stride = 1 + 4 * w
        self.ok(len(raw) == stride * h, rel + ": pixel data size")
        alpha = [raw[y * stride + 1 + 4 * x + 3] for y in (0, h // 2) for x in (0, w // 2)]
        self.ok(alpha[0] == 0 and alpha[3] == 255, rel + ": corners should be clear, centre solid")

    # ------------------------------------------------------------ platform

    def toolbar(self):
        rel = "pocket/res/toolbar_std.bmp"
        p = self.path(rel)
        if not self.ok(os.path.isfile(p), rel + ": missing"):
            return
        _, _, bpp, _, _, _ = A.read_bmp(p)
        px = self.bmp(rel, 240, 16, bpp)
        self.ok(bpp in (4, 24), rel + ": depth %d" % bpp)
        if px is None:
            return
        prev = None
        for i in range(15):
            tile = [row[16 * i:16 * i + 16] for row in px]
            key = sum(c == A.MAGENTA for row in tile for c in row)
            self.ok(30 < key < 230, "%s: image %d is empty or has no transparent ground" % (rel, i))
            self.ok(tile != prev, "%s: image %d repeats its neighbour" % (rel, i))
            prev = tile

    def help_page(self):
        rel = "device/Windows/fizzorbs.htm"
        p = self.path(rel)
        if not self.ok(os.path.isfile(p), rel + ": missing"):
            return
        t = open(p, encoding="utf-8").read()
        low = t.lower()
        for word in ("Standard", "Continuous", "Shifter", "MegaShift", "n x (n - 1)", "undo",
                     "guest", "score code", "statistics", "<meta name=\"viewport\""):
            self.ok(word.lower() in low, "%s: does not mention %s" % (rel, word))
        for left, bonus in ((0, 100), (1, 80), (2, 60), (3, 40), (4, 20)):
            self.ok(("<td>%d</td><td>%d</td>" % (left, bonus)) in t.replace(" ", ""),
                    "%s: bonus row %d -> %d missing" % (rel, left, bonus))
        self.ok(t.count("<") == t.count(">"), rel + ": unbalanced tags")

    def run(self):
        self.board()
        self.sounds()
        self.titles()
        self.icon()
        self.toolbar()
        self.help_page()


def report(c):
    for f in c.failed:
        print("FAIL", f)
    print("%d passed, %d failed" % (c.passed, len(c.failed)))
    return 0 if not c.failed else 1


def selftest(root):
    """Breaks copies of good files in the ways that matter and makes sure
    each break is caught."""
    cases = 0
    caught = 0
    with tempfile.TemporaryDirectory() as tmp:
        def fresh():
            dst = os.path.join(tmp, "t%d" % cases)
            for sub in ("res", "pocket/res", "device/Windows"):
                if os.path.isdir(os.path.join(root, sub)):
                    shutil.copytree(os.path.join(root, sub), os.path.join(dst, sub))
            return dst

        def expect(label, mutate, section):
            nonlocal cases, caught
            d = fresh()
            cases += 1
            mutate(d)
            c = Checker(d)
            getattr(c, section)()
            if c.failed:
                caught += 1
            else:
                print("selftest: not caught:", label)

        def splash_pixel(d):
            p = os.path.join(d, "res/bitmaps/burst_green_20.bmp")
            _, _, _, pal, px, _ = A.read_bmp(p)
            px[0][0] = (0, 255, 0)
            A.write_bmp(p, px, 4, pal)

        def short_wav(d):
            p = os.path.join(d, "res/sounds/pop.wav")
            _, data, _, _ = A.read_wav(p)
            A.write_wav(p, [(v - 128) / 127 for v in data[:-1]])

        def loud_start(d):
            p = os.path.join(d, "res/sounds/undo.wav")
            _, data, _, _ = A.read_wav(p)
            A.write_wav(p, [0.9] + [(v - 128) / 127 for v in data[1:]])

        def grey_colour(d):
            p = os.path.join(d, "res/bitmaps/gray20c.bmp")
            _, _, _, pal, px, _ = A.read_bmp(p)
            px[10][10] = (255, 0, 0)
            A.write_bmp(p, px, 4, pal)

        def bad_clrused(d):
            p = os.path.join(d, "res/bitmaps/splash.bmp")
            b = bytearray(open(p, "rb").read())
            struct.pack_into("<I", b, 46, 0)
            open(p, "wb").write(b)

        def top_down(d):
            p = os.path.join(d, "res/bitmaps/color20a.bmp")
            b = bytearray(open(p, "rb").read())
            struct.pack_into("<i", b, 22, -20)
            open(p, "wb").write(b)

        def same_grey(d):
            shutil.copy(os.path.join(d, "res/bitmaps/gray14a.bmp"), os.path.join(d, "res/bitmaps/gray14b.bmp"))

        def truncated(d):
            p = os.path.join(d, "res/bitmaps/color14e.bmp")
            b = open(p, "rb").read()
            open(p, "wb").write(b[:100])

        def icon_four(d):
            p = os.path.join(d, "res/icons/fizzorbs.ico")
            b = bytearray(open(p, "rb").read())
            struct.pack_into("<H", b, 4, 4)
            open(p, "wb").write(b)

        expect("one extra splash pixel", splash_pixel, "bursts")
        expect("pop one sample short", short_wav, "sounds")
        expect("undo starts with a click", loud_start, "sounds")
        expect("colour in a grey bubble", grey_colour, "board")
        expect("biClrUsed zero", bad_clrused, "titles")
        expect("top-down bitmap", top_down, "board")
        expect("two grey bubbles alike", same_grey, "board")
        expect("truncated bitmap", truncated, "board")
        expect("icon with four images", icon_four, "icon")
    print("selftest: %d passed, %d failed" % (caught, cases - caught))
    return 0 if caught == cases else 1


def main():
    here = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    root = os.path.abspath(args[0]) if args else here
    if "--selftest" in sys.argv:
        return selftest(root)
    c = Checker(root)
    only = os.environ.get("ART_CHECK_ONLY")
    if only:
        for section in only.split(","):
            getattr(c, section)()
    else:
        c.run()
    return report(c)


if __name__ == "__main__":
    sys.exit(main())
