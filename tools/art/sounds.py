"""Game sounds, synthesised: 8 kHz, 8-bit unsigned, mono.

Every sound starts and ends on silence through short fades so that playback
never clicks, and the mix is scaled to stay below full scale.
"""
import math
import random

import artlib as A

RATE = 8000

# Sample counts the program's resources are built around.
LENGTHS = {
    "pop": 691,
    "woopop": 3811,
    "end": 12628,
    "highscore": 29541,
    "undo": 4058,
}
CRITICAL_LENGTH = 2400


def fades(buf, fade_in=24, fade_out=48):
    n = len(buf)
    for i in range(min(fade_in, n)):
        buf[i] *= 0.5 - 0.5 * math.cos(math.pi * i / fade_in)
    for i in range(min(fade_out, n)):
        buf[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / fade_out)
    buf[0] = 0.0
    buf[-1] = 0.0
    return buf


def normalise(buf, peak=0.85):
    m = max(abs(v) for v in buf) or 1.0
    return [v * peak / m for v in buf]


def lowpass(buf, k):
    out, acc = [], 0.0
    for v in buf:
        acc += (v - acc) * k
        out.append(acc)
    return out


def pop(n=LENGTHS["pop"]):
    """A quick downward blip with a puff of air: a bubble letting go."""
    rnd = random.Random(2000)
    buf, ph = [], 0.0
    for i in range(n):
        t = i / n
        f = 1100 * (1 - t) ** 2 + 260
        ph += 2 * math.pi * f / RATE
        env = math.exp(-t * 6.0) * min(1.0, i / 12)
        puff = rnd.uniform(-1, 1) * math.exp(-t * 18.0) * 0.35
        buf.append(env * (math.sin(ph) + 0.25 * math.sin(2 * ph)) + puff)
    return fades(normalise(buf, 0.8), 12, 40)


def woopop(n=LENGTHS["woopop"]):
    """A rising 'woo' that ends in a fat pop."""
    rnd = random.Random(2001)
    buf, ph = [], 0.0
    sweep = int(n * 0.62)
    for i in range(n):
        if i < sweep:
            t = i / sweep
            f = 220 + 520 * t * t + 14 * math.sin(2 * math.pi * 7 * i / RATE)
            env = math.sin(math.pi * min(1.0, t * 1.15) * 0.5) * (0.55 + 0.2 * t)
            ph += 2 * math.pi * f / RATE
            v = env * (math.sin(ph) + 0.18 * math.sin(3 * ph))
            if i > sweep - 200:
                v *= (sweep - i) / 200.0
        else:
            t = (i - sweep) / (n - sweep)
            f = 900 * (1 - t) ** 3 + 180
            ph += 2 * math.pi * f / RATE
            env = math.exp(-t * 5.0) * min(1.0, (i - sweep) / 10)
            v = env * (math.sin(ph) + 0.3 * math.sin(2 * ph))
            v += rnd.uniform(-1, 1) * math.exp(-t * 14.0) * 0.4
        buf.append(v)
    return fades(normalise(buf, 0.82), 40, 80)


def note(freq):
    return 440.0 * 2 ** ((freq - 69) / 12.0)


def bell(buf, start, midi, length, gain=1.0, bright=0.3):
    """Adds a soft mallet tone: fundamental, octave and a quick attack."""
    f = note(midi)
    for i in range(length):
        j = start + i
        if j >= len(buf):
            break
        t = i / RATE
        env = min(1.0, i / 40.0) * math.exp(-t * 3.2)
        if i > length - 120:
            env *= (length - i) / 120.0
        w = 2 * math.pi * f * t
        buf[j] += gain * env * (math.sin(w) + bright * math.sin(2 * w) * math.exp(-t * 6)
                                + 0.08 * math.sin(3 * w))


def end(n=LENGTHS["end"]):
    """A short, settled cadence: up the chord and home."""
    buf = [0.0] * n
    step = 1300
    seq = [72, 76, 79, 77, 74]
    for k, m in enumerate(seq):
        bell(buf, k * step, m, step * 2, 0.8)
    # Closing chord, held to the end.
    last = len(seq) * step
    for m, g in ((72, 0.7), (76, 0.5), (79, 0.45), (60, 0.45)):
        bell(buf, last, m, n - last, g, 0.2)
    return fades(normalise(buf, 0.8), 40, 600)


def highscore(n=LENGTHS["highscore"]):
    """A bright fanfare: a rising call, an answer and a big final chord."""
    buf = [0.0] * n
    beat = 1000
    tune = [
        (0, 67, 1), (1, 72, 1), (2, 76, 1), (3, 79, 2), (5, 76, 1), (6, 79, 3),
        (9, 74, 1), (10, 77, 1), (11, 81, 1), (12, 79, 2), (14, 83, 1), (15, 84, 5),
    ]
    for at, m, dur in tune:
        bell(buf, at * beat, m, dur * beat + 600, 0.75, 0.45)
    bass = [(0, 48), (3, 55), (6, 52), (9, 50), (12, 55), (15, 48)]
    for at, m in bass:
        bell(buf, at * beat, m, 3 * beat, 0.45, 0.1)
    final = 15 * beat
    for m in (72, 76, 79):
        bell(buf, final, m, n - final, 0.35, 0.2)
    # A gentle shimmer over the last chord.
    for i in range(final, n):
        t = (i - final) / RATE
        buf[i] += 0.08 * math.sin(2 * math.pi * note(96) * t) * math.sin(2 * math.pi * 6 * t) * math.exp(-t)
    return fades(normalise(buf, 0.8), 40, 1200)


def undo(n=LENGTHS["undo"]):
    """A swoosh played backwards: air swelling in, then cut softly."""
    rnd = random.Random(2006)
    noise = [rnd.uniform(-1, 1) for _ in range(n)]
    buf = []
    acc1 = acc2 = 0.0
    for i, v in enumerate(noise):
        t = i / n
        k = 0.04 + 0.5 * t * t          # opens up as it grows
        acc1 += (v - acc1) * k
        acc2 += (acc1 - acc2) * k
        env = (t ** 1.8) * (1.0 if t < 0.9 else (1 - t) / 0.1)
        ph = 2 * math.pi * (180 + 500 * t * t) * i / RATE
        buf.append(env * (acc2 * 2.2 + 0.25 * math.sin(ph)))
    return fades(normalise(buf, 0.75), 40, 120)


def critical(n=CRITICAL_LENGTH):
    """The refusal: two low tones, down a fourth, 'dun-k'."""
    buf = [0.0] * n
    half = n // 2
    for start, f, g in ((0, 523.25, 0.9), (half - 300, 392.0, 1.0)):
        for i in range(n - start):
            t = i / RATE
            env = min(1.0, i / 30.0) * math.exp(-t * 14.0)
            w = 2 * math.pi * f * t
            buf[start + i] += g * env * (math.sin(w) + 0.35 * math.sin(2 * w))
    return fades(normalise(buf, 0.8), 20, 200)


def write_all(root):
    sd = root + "/res/sounds/"
    for name, fn in (("pop", pop), ("woopop", woopop), ("end", end),
                     ("highscore", highscore), ("undo", undo)):
        A.write_wav(sd + name + ".wav", fn())
    A.write_wav(root + "/device/Windows/Critical.wav", critical())
