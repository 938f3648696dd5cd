#!/usr/bin/env python3
"""Random play on the headless device, checked after every step.

  soakgen.py run --headless BIN [--seconds S] [--master-seed M | --seed N] [--runs K]
  soakgen.py selftest --headless BIN          (the checks below can fail)
  soakgen.py wholegame --headless BIN --style S --seed N   (a whole game's script)

Each run takes a fresh device root and a seed, and plays a series of sessions on it:
the program reads its commands from a pipe, every step ends with `dump`, and the next
step is chosen from what the dump shows (main window, dialog or message box). A session
ends with a power cut (the input simply ends) or with WM_CLOSE, and the next one starts
on the same device root. After every step:

  - the program is alive; it ends with exit code 0, never a signal or a sanitizer report;
  - the state file, once there, is whole and passes fzstate's invariants;
  - the file only changes the ways the game changes: a burst adds n(n-1) (and, in the
    styles that do not refill, takes exactly n bubbles), an undo brings back the board
    and score from before the last burst, a new game starts at 0, the end of a game adds
    only the bonus and counts the game, and WM_CLOSE writes nothing;
  - a restart with no input leaves the file byte for byte as it was, and the menus
    show the saved game: New Game grayed exactly while one is in progress, no Undo;
  - live GDI objects and DCs are the same at every idle moment of a session.

On a failure the run's seed is printed, and the failing session's commands and the
state file it started from are kept, so `fizzorbs-headless --script` replays it.
"""
import argparse
import collections
import contextlib
import os
import random
import select
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fzstate  # noqa: E402

SCREEN_W, SCREEN_H = 240, 320
MENU_BAR_TOP = SCREEN_H - 26
STEP_TIMEOUT = 30.0  # the virtual clock never sleeps, so a silent program has hung
SESSIONS = 12  # restarts on one device root

MENU_COMMANDS = [("Game", "New Game", 101), ("Game", "End Game", 102), ("Game", "Options...", 104),
                 ("Info", "Statistics...", 107), ("Info", "About", 103)]
STYLE_LIST, BUBBLE_LIST, DEMO_BOX = 1046, 1048, 1042
LIST_SIZES = {STYLE_LIST: 4, BUBBLE_LIST: 2}
BONUS_BUBBLES, BONUS_PER_BUBBLE = 5, 20
# Messages sent out of the blue, as "wParam lParam".
ODD_MESSAGES = [("wm_size", [f"0 {(h << 16) | w}" for w, h in [(240, 268), (240, 294), (0, 0), (480, 536), (100, 100)]]),
                ("wm_activate", ["0 0", "1 0", "2 0"]), ("wm_settingchange", ["0 0", "224 0", "47 0", "4101 0"]),
                ("wm_command", [f"{c} 0" for c in (101, 102, 103, 104, 106, 107, 110, 4242)])]


class Failure(Exception):
    pass


class Screen:
    """What one dump said."""

    def __init__(self, lines):
        self.menus, self.buttons, self.controls, self.gdi = {}, {}, [], None
        for line in lines:
            what, *words = line.split()
            if what in ("menu", "button"):
                (self.menus if what == "menu" else self.buttons)[int(words[0])] = words[1]
            elif what == "control":
                kind = "list" if " item " in line else "check" if line.endswith("checked") else "button"
                self.controls.append((int(words[0]), kind, line.endswith(" checked")))
            elif what == "gdi":
                self.gdi = (int(words[0]), int(words[1]))
        self.main = bool(self.menus)
        self.message_box = any(cid in (6, 7) for cid, _, _ in self.controls)


class Program:
    """fizzorbs-headless reading its script from a pipe."""

    def __init__(self, binary, root, err_path):
        self.err = open(err_path, "wb")
        self.proc = subprocess.Popen([binary, "--device-root", root], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self.err)
        self.buffer, self.log = b"", []

    def send(self, lines):
        with contextlib.suppress(BrokenPipeError):
            self.proc.stdin.write("".join(line + "\n" for line in lines).encode())
            self.proc.stdin.flush()

    def read_dump(self):
        """Lines of the next dump; None when the program ended first."""
        deadline, start = time.monotonic() + STEP_TIMEOUT, None
        while True:
            while b"\n" in self.buffer:
                raw, self.buffer = self.buffer.split(b"\n", 1)
                line = raw.decode(errors="replace")
                self.log.append(line)
                if line.startswith("active "):
                    start = len(self.log) - 1
                elif line.startswith("gdi ") and start is not None:
                    return self.log[start:]
            if not select.select([self.proc.stdout], [], [], max(0, deadline - time.monotonic()))[0]:
                self.proc.kill()
                raise Failure(f"no answer for {STEP_TIMEOUT:.0f} s: the program hangs")
            chunk = os.read(self.proc.stdout.fileno(), 65536)
            if not chunk:
                return None
            self.buffer += chunk

    def finish(self):
        """Ends the input (a power cut when the program still runs); the exit code."""
        with contextlib.suppress(BrokenPipeError):
            self.proc.stdin.close()
        self.log += (self.buffer + self.proc.stdout.read()).decode(errors="replace").splitlines()
        self.proc.stdout.close()
        self.err.close()
        try:
            return self.proc.wait(timeout=STEP_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise Failure("the program did not end when its input ended")


def play_largest_first(state_file, send, screen):
    """Plays the game in progress to its end, always bursting the largest group, and closes
    what the end opens (the score dialog) with ok. `send(lines)` gives the program script
    lines; `screen()` dumps and returns the dump's lines. Returns (moves, dialogs closed)."""
    moves = dialogs = 0
    while True:
        state = fzstate.State(open(state_file, "rb").read())
        best = state.game_in_progress and state.largest_group()
        if not best:
            return moves, dialogs
        x, y = state.tap_point(best[1], best[2])
        send([f"tap {x} {y}", f"tap {x} {y}"])
        moves += 1
        while not Screen(screen()).main:
            dialogs += 1
            send(["ok"])


def read_bytes(path):
    return open(path, "rb").read() if os.path.exists(path) else None


def load(path):
    if (data := read_bytes(path)) is None:
        return None
    if len(data) != fzstate.SIZE:
        raise Failure(f"state file is {len(data)} bytes, not {fzstate.SIZE}")
    state = fzstate.State(data)
    if problem := state.check():
        raise Failure(f"state file breaks an invariant: {problem}")
    return state


class Tracker:
    """Follows the state file from step to step and knows the legal successors."""

    def __init__(self, last=None):
        self.last = last
        self.before_move = None  # the state right before the last burst of this session
        self.seen = collections.Counter()  # how often each kind of change was seen

    def step(self, new, what):
        old = self.last
        if new is None:
            if old is not None:
                raise Failure(f"state file vanished after {what}")
            return
        if old is not None and new.raw == old.raw:
            return
        self.last = new
        if old is None:
            if new.game_in_progress and (new.moves, new.score) != (0, 0):
                raise Failure(f"first state file after {what} holds a game with moves {new.moves}")
            return
        # Some steps have two readings (an undo of the only move of a guest game looks
        # like ending it and dealing the same seed again); one legal reading is enough.
        readings = [("burst", burst), ("undo", self.undo), ("no move", no_move), ("end of game", ended),
                    ("new game", new_game)]
        problems = []
        for name, reading in readings:
            problem = reading(old, new)
            if problem is None:
                self.seen[name] += 1
                self.before_move = old if name == "burst" else self.before_move if name == "no move" else None
                return
            problems.append(f"{name}? {problem}")
        raise Failure(f"the state file changed in no legal way after {what}:\n    " + "\n    ".join(problems))

    def undo(self, old, new):
        base = self.before_move
        if not (old.game_in_progress and new.game_in_progress) or new.moves != old.moves - 1:
            return f"moves {old.moves} -> {new.moves}"
        if base is None or base.moves != new.moves:
            return "no burst of this session to undo"
        if new.score != base.score:
            return f"score {new.score}, before the burst it was {base.score}"
        if new.board() != base.board() or new.incoming_index != base.incoming_index:
            return "the board is not the one from before the burst"
        return None


# The other legal changes from one step to the next: None, or what is not legal.
def burst(old, new):
    if not (old.game_in_progress and new.game_in_progress) or new.moves != old.moves + 1:
        return f"moves {old.moves} -> {new.moves}, in progress {old.game_in_progress} -> {new.game_in_progress}"
    gained, lost = new.score - old.score, old.bubbles() - new.bubbles()
    n = next((n for n in range(2, fzstate.COLS * fzstate.ROWS + 1) if n * (n - 1) == gained), None)
    if n is None:
        return f"score grew by {gained}, not n(n-1) of any group of n"
    if lost > n or (lost != n and old.style not in fzstate.REFILLING):
        return f"a burst of {n} took {lost} bubbles in style {old.style}"
    return None


def no_move(old, new):
    if old.game_in_progress != new.game_in_progress or old.moves != new.moves:
        return "the game or its moves changed"
    # The startup demo plays on the board of a finished game and leaves it empty.
    demo = not new.game_in_progress
    if new.score != old.score and not (demo and new.score == 0):
        return f"score {old.score} -> {new.score}"
    if not demo and (old.cols, old.rows, old.style) != (new.cols, new.rows, new.style):
        return "the board's size or style changed"
    if new.board() != old.board() and not (demo and new.bubbles() == 0):
        return "the board changed"
    return stats_kept(old, new)


def ended(old, new):
    if not old.game_in_progress or new.game_in_progress or new.moves != old.moves:
        return "not a game that stopped without a move"
    gained, bonus = new.score - old.score, bonus_for(new.bubbles())
    if gained != bonus:
        return f"{new.bubbles()} bubbles left earn {bonus}, the score grew by {gained}"
    return counted(old, new, new.score)


def new_game(old, new):
    if not new.game_in_progress or (new.moves, new.score) != (0, 0):
        return "not a fresh game"
    if old.game_in_progress:  # ended by the new one
        return counted(old, new, old.score + bonus_for(old.bubbles()))
    return stats_kept(old, new)


def bonus_for(left):
    return (BONUS_BUBBLES - left) * BONUS_PER_BUBBLE if left < BONUS_BUBBLES else 0


def stats_kept(old, new):
    # A Reset in the Statistics dialog reaches the file with the next write.
    reset = all(v == 0 for row in new.stats for v in row)
    return None if new.stats == old.stats or reset else "the statistics changed"


def counted(old, new, final_score):
    style = old.style
    (g0, _, t0, _, _), (g1, _, t1, _, _) = old.stats[style], new.stats[style]
    if old.counts_for_stats:
        if (g1, t1) not in ((g0 + 1, t0 + final_score), (1, final_score)):
            return f"style {style} games {g0} -> {g1}, total {t0} -> {t1}, final score {final_score}"
    elif g1 not in (g0, 0):
        return f"a guest game was counted: games {g0} -> {g1}"
    return None


class Player:
    """Chooses the next step from the screen and the board."""

    def __init__(self, rng):
        self.rng = rng
        self.popup_open = False  # a tap on the menu bar may have left a pop-up menu open
        self.list_open = False   # a tap in a dialog may have left a drop-down list open
        self.last_tap = None
        # Some sessions play on and on, so games also end by running out of moves.
        self.focused = rng.random() < 0.3

    def random_point(self):
        rng, r = self.rng, self.rng.random()
        if r < 0.05:  # well off the screen
            return rng.randint(-400, 700), rng.randint(-400, 700)
        # On the menu bar, on the navigation bar, or anywhere.
        top, bottom = (MENU_BAR_TOP, SCREEN_H) if r < 0.15 else (0, fzstate.NAV_BAR) if r < 0.25 else (0, SCREEN_H)
        return rng.randrange(SCREEN_W), rng.randrange(top, bottom)

    def tap(self, x, y, dialog=False):
        if dialog:
            self.list_open = True
        elif y >= MENU_BAR_TOP and 0 <= x < SCREEN_W:
            self.popup_open = True
        if 0 <= x < SCREEN_W and 0 <= y < 150:
            self.popup_open = False  # pop-up menus never reach that high: the tap closed it
        self.last_tap = (x, y)
        return [f"tap {x} {y}"]

    def choose(self, screen, state):
        rng = self.rng
        r = rng.random()
        if r < 0.04:
            # Commands only while the main window is active: no person can give one under a
            # dialog, and the platform would let it run there.
            message, params = rng.choice(ODD_MESSAGES[:None if screen.main else -1])
            return [f"send {message} {rng.choice(params)}"]
        if r < 0.07:
            return [f"key {rng.choice(['escape', 'enter', 'f1'])}"]
        if r < 0.075:
            return [f"random {rng.randrange(1 << 32)} {rng.randrange(1 << 32)}"]
        if self.popup_open:
            return self.tap(*self.random_point(), dialog=not screen.main)
        if screen.main:
            return self.on_main(screen, state)
        if screen.message_box:
            if rng.random() < 0.7:
                self.list_open = False
                return [f"click #{rng.choice([6, 7])}"]
            return self.tap(*self.random_point(), dialog=True)
        return self.on_dialog(screen)

    def on_main(self, screen, state):
        self.list_open = False
        rng = self.rng
        r = rng.random()
        if self.focused and state is not None and state.game_in_progress and r < 0.9:
            if self.last_tap and rng.random() < 0.5:
                return self.tap(*self.last_tap)
            if best := state.largest_group():
                return self.tap(*state.tap_point(best[1], best[2]))
        if r < 0.08:
            button, item, command = rng.choice(MENU_COMMANDS)
            # A grayed item takes no tap, so its menu stays open.
            self.popup_open = screen.menus.get(command) == "grayed"
            return [f'menu "{button}" "{item}"']
        if r < 0.13 and 106 in screen.buttons:
            return ["toolbar 106"]
        if r < 0.25:
            return self.tap(*self.random_point())
        if r < 0.55 and self.last_tap:
            return self.tap(*self.last_tap)  # the second tap bursts the group
        if state is not None and state.game_in_progress:
            if cells := state.bubble_cells():
                # Mostly groups, now and then a lone bubble, to burst and to miss.
                picks = [rng.choice(cells) for _ in range(6)]
                c, row = max(picks, key=lambda p: len(state.group(*p))) if rng.random() < 0.8 else picks[0]
                return self.tap(*state.tap_point(c, row))
        return self.tap(*self.random_point())

    def on_dialog(self, screen):
        rng = self.rng
        r = rng.random()
        if 0.25 <= r < 0.4:
            return self.tap(*self.random_point(), dialog=True)
        if r >= 0.4 and screen.controls:
            cid, kind, checked = rng.choice(screen.controls)
            if kind == "check":
                on = rng.random() < 0.5
                self.list_open = self.list_open and on == checked  # only a change of state taps the box
                return [f"check #{cid} {'on' if on else 'off'}"]
            if kind == "list" and not self.list_open:
                return [f"select #{cid} {rng.randrange(LIST_SIZES.get(cid, 1))}"]
            if kind == "button":
                self.list_open = False
                return [f"click #{cid}"]
        self.list_open = False  # ok closes a drop-down list a tap left open, or else the dialog
        return ["ok"]


class Run:
    """One device root, one seed, several sessions."""

    def __init__(self, binary, seed, deadline):
        self.binary, self.rng, self.deadline = binary, random.Random(seed), deadline
        self.work = tempfile.mkdtemp(prefix="fizzorbs-soak-")
        self.root = os.path.join(self.work, "device")
        self.state_path = os.path.join(self.root, "Windows", "Fizzorbs.dat")
        self.err_path = os.path.join(self.work, "stderr.txt")
        self.tracker = Tracker()
        self.steps = self.sessions = 0
        self.program, self.script, self.start_state = None, [], None

    def play(self):
        os.makedirs(self.root)
        while self.sessions < SESSIONS and time.monotonic() < self.deadline:
            self.session()
            self.sessions += 1

    def session(self):
        rng = self.rng
        self.start_state = read_bytes(self.state_path)
        self.tracker.before_move = None  # Undo never survives a restart
        self.program = program = Program(self.binary, self.root, self.err_path)
        player = Player(rng)
        self.script = ["random " + " ".join(str(rng.randrange(1 << 32)) for _ in range(3)), "start", "dump"]
        program.send(self.script)
        length = rng.randint(10, 120)
        idle_gdi, what = None, "the restart"
        for step in range(length + 1):
            lines = program.read_dump()
            if lines is None:
                break  # it ended by itself: told below
            screen, state = Screen(lines), load(self.state_path)
            # A saved game must come back untouched; with none, start-up may deal one.
            if step == 0 and self.tracker.last and self.tracker.last.game_in_progress and \
                    (state.raw if state else None) != self.start_state:
                raise Failure("starting up changed the state file of a game in progress")
            self.tracker.step(state, what)
            if screen.main:
                self.check_menus(screen, state, first=step == 0)
                idle_gdi = idle_gdi or screen.gdi
                if screen.gdi != idle_gdi:
                    raise Failure(f"live GDI objects/DCs {screen.gdi} after {what}, {idle_gdi} when idle before")
            self.steps += 1
            if step == length or time.monotonic() >= self.deadline:
                break
            if rng.random() < 0.01:
                what = "close"
                self.script.append("close")
                program.send(["close", "dump"])
                if program.read_dump() is not None:
                    raise Failure("WM_CLOSE did not end the program")
                # Closing writes nothing itself; a flow under an open dialog may still
                # finish and write as it always does (checked as any other step).
                if screen.main and read_bytes(self.state_path) != (state.raw if state else None):
                    raise Failure("WM_CLOSE wrote the state file")
                break
            commands = player.choose(screen, state)
            what = " / ".join(commands)
            self.script += commands + ["dump"]
            program.send(commands + ["dump"])
        code, err = program.finish(), read_bytes(self.err_path).decode(errors="replace")
        if lines is None or code != 0 or err.strip():
            ended = f"died of signal {-code}" if code < 0 else f"ended with exit code {code}"
            alone = " by itself" if lines is None else ""
            raise Failure(f"the program {ended}{alone} after {what}, its stderr:\n{err}")
        self.tracker.step(load(self.state_path), "close" if what == "close" else "the end of the session")

    def check_menus(self, screen, state, first):
        playing = bool(state and state.game_in_progress)
        for name, command, want in (("New Game", 101, not playing), ("End Game", 102, playing)):
            if screen.menus.get(command) != ("enabled" if want else "grayed"):
                raise Failure(f"{name} is {screen.menus.get(command)} while the file says game in progress {int(playing)}")
        if first and screen.buttons.get(106) != "disabled":
            raise Failure("Undo is available right after a restart")

    def keep(self):
        """The failing session's script, log and the state file it started from, in a new folder."""
        folder = tempfile.mkdtemp(prefix="fizzorbs-soak-failed-")
        os.makedirs(os.path.join(folder, "device", "Windows"))  # an empty device when the run began on one
        open(os.path.join(folder, "session.fzs"), "w").write("\n".join(self.script))
        open(os.path.join(folder, "session.log"), "w").write("\n".join(self.program.log[-400:]))
        if self.start_state is not None:
            open(os.path.join(folder, "device", "Windows", "Fizzorbs.dat"), "wb").write(self.start_state)
        return folder


def self_test(binary):
    """The checks must be able to fail: feed them changes the game never makes."""
    import struct
    with tempfile.TemporaryDirectory(prefix="fizzorbs-soak-selftest-") as work:
        subprocess.run([binary, "--device-root", work], input=b'random 77\nstart\nmenu "Game" "New Game"\n',
                       check=True, stdout=subprocess.DEVNULL)
        path = os.path.join(work, "Windows", "Fizzorbs.dat")
        dealt = open(path, "rb").read()
        base = fzstate.State(dealt)

        def complaint(data):
            """What the checks say of a step from the dealt game to `data`; None when legal."""
            open(path, "wb").write(data)
            try:
                Tracker(base).step(load(path), "the self-test")
            except Failure as failure:
                return failure
            return None

        def put(data, *words):
            """`data` with these (offset, value) 32-bit words written."""
            b = bytearray(data)
            for offset, value in words:
                struct.pack_into("<i", b, offset, value)
            return bytes(b)

        score_at, moves_at, playing_at = 9680 + 4 * 5, 9680 + 4 * 567, 11972 + 8
        # Cells of five words, column by column: colour at +0, occupied at +12.
        emptied = [(20 * i + at, value) for i in range(3) for at, value in ((0, -1), (12, 0))]  # the first three
        # The last cell is outside every board, so only the cell invariants see it.
        outside = 20 * (fzstate.COLS * fzstate.ROWS - 1)
        # An end counted right for its score, so that only the bonus is wrong.
        games, _, total, _, _ = base.stats[base.style]
        stats_at = fzstate.STATS_AT + fzstate.STYLE_RECORD_SIZE * base.style
        ended_on_7 = put(dealt, (score_at, 7), (playing_at, 0), (stats_at, games + 1), (stats_at + 8, total + 7))
        wrong = {
            "a move worth 5 that took 3 bubbles": put(dealt, (score_at, 5), (moves_at, 1), *emptied),
            "a pair burst that took one bubble": put(dealt, (score_at, 2), (moves_at, 1), *emptied[:2]),
            "an end of game with a bonus out of nowhere": ended_on_7,
            "a score without a move": put(dealt, (score_at, 6)),
            "a bubble gone without a move": put(dealt, *emptied[:2]),
            "two moves at once": put(dealt, (score_at, 2), (moves_at, 2), *emptied[:4]),
            "an empty cell with a colour": put(dealt, (outside, 3)),
            "a bubble outside the board": put(dealt, (outside, 0), (outside + 12, 1)),
            "statistics changed without a game": put(dealt, (stats_at + 8, total + 5)),
            "a short file": dealt[:-4],
        }
        for name, data in wrong.items():
            if complaint(data) is None:
                raise Failure(f"self-test: {name} went unnoticed")
        legal = complaint(put(dealt, (12096 + 4, 0)))  # the demo switched off
        if legal is not None:
            raise Failure(f"self-test: switching the demo off was taken for a fault: {legal}")


def whole_game(binary, style, seed):
    """The script of one whole game of `style` on a fresh device, always bursting the largest
    group, to its score dialog and the statistics' codes. Its moves are found by playing it
    here, so it reaches the end whatever the board; the browser test replays it in the page."""
    with tempfile.TemporaryDirectory(prefix="fizzorbs-wholegame-") as root:
        program, script = Program(binary, root, os.devnull), []

        def send(lines):
            script.extend(lines)
            program.send(lines)

        def screen():
            program.send(["dump"])
            block = program.read_dump()
            if block is None:
                raise Failure("the headless device ended in the middle of the game")
            return block

        send([f"random {seed}", "start", 'menu "Game" "Options..."', f"check #{DEMO_BOX} off",
              f"select #{STYLE_LIST} {style}", "ok", 'menu "Game" "New Game"'])
        screen()
        _, dialogs = play_largest_first(os.path.join(root, "Windows", "Fizzorbs.dat"), send, screen)
        if not dialogs:
            raise Failure("the game ended without its score dialog")
        send(['menu "Info" "Statistics..."', "dump", 'click "Codes"', "dump"])
        program.finish()
    return "\n".join(script)


def main():
    ap = argparse.ArgumentParser(description="random play on the headless device")
    ap.add_argument("verb", choices=["run", "selftest", "wholegame"])
    ap.add_argument("--headless", required=True)
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--seed", type=int, help="replay one run with this seed (wholegame: the game's)")
    ap.add_argument("--style", type=int, default=0, help="wholegame: the game's style")
    ap.add_argument("--master-seed", type=lambda v: None if v == "random" else int(v),
                    help="seed of the runs' seeds; random (the default) for a fresh one")
    ap.add_argument("--runs", type=int, default=0, help="stop after this many runs (0: until time is up)")
    a = ap.parse_args()

    try:
        if a.verb == "selftest":
            self_test(a.headless)
            print("soak checks: self-test passed")
            return 0
        if a.verb == "wholegame":
            print(whole_game(a.headless, a.style, a.seed))
            return 0
    except Failure as failure:
        sys.exit(f"FAIL: {failure}")

    started = time.monotonic()
    deadline = started + a.seconds
    master_seed = a.master_seed if a.master_seed is not None else int.from_bytes(os.urandom(4), "little")
    print(f"soak: master seed {master_seed}")
    master = random.Random(a.seed if a.seed is not None else master_seed)
    done = []
    while time.monotonic() < deadline and (a.runs == 0 or len(done) < a.runs):
        seed = a.seed if a.seed is not None and not done else master.randrange(1 << 31)
        run = Run(a.headless, seed, deadline)
        try:
            run.play()
        except Failure as failure:
            run.program.proc.kill()  # nothing when it has ended
            keep = run.keep()
            print(f"FAIL: seed {seed}, session {run.sessions + 1}, step {run.steps}: {failure}")
            print(f"  replay the run:     FZ_SOAK_SEED={seed} make soak, or "
                  f"soakgen.py run --headless {a.headless} --seed {seed} --runs 1")
            print(f"  replay the session: cp -r {keep}/device DIR; "
                  f"{a.headless} --device-root DIR --script {keep}/session.fzs")
            return 1
        finally:
            shutil.rmtree(run.work, ignore_errors=True)
        done.append(run)
    steps, sessions = sum(run.steps for run in done), sum(run.sessions for run in done)
    seen = sum((run.tracker.seen for run in done), collections.Counter())
    print(f"soak: {len(done)} runs, {sessions} sessions, {steps} checked steps in {time.monotonic() - started:.0f} s")
    print("  state file changes: " + ", ".join(f"{name} {count}" for name, count in sorted(seen.items())))
    # A soak that never bursts or restarts has tested nothing worth the time.
    if not seen.get("burst") or sessions < 2:
        print("FAIL: the play never got going")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
