#!/usr/bin/env python3
"""Reads a Fizzorbs state file for the end-to-end tests and answers questions
about it from the command line (the soak reads it as a module):

  fzstate.py FILE field NAME        print a record field (score, moves, rows, style, game_in_progress)
  fzstate.py FILE group             print "X Y N" for a tap on the biggest group
                                    (screen point) and its size
  fzstate.py FILE largest           print "COL ROW N" of the biggest group
  fzstate.py FILE at COL ROW        print "X Y" of a tap on that cell
"""
import struct
import sys

COLS = ROWS = 22
STATS_AT, STYLE_RECORDS, STYLE_RECORD_SIZE = 12152, 16, 40
SIZE = STATS_AT + STYLE_RECORDS * STYLE_RECORD_SIZE
NAV_BAR = 26
REFILLING = (1, 3)  # the styles that refill empty columns


class State:
    def __init__(self, data):
        if len(data) != SIZE:
            raise SystemExit(f"state file is {len(data)} bytes, not {SIZE}")
        self.raw = data
        words = struct.unpack_from("<2420i", data, 0)
        self.cells = [words[i * 5:(i + 1) * 5] for i in range(COLS * ROWS)]
        g = struct.unpack_from("<573i", data, 9680)
        self.cols, self.rows, self.style = g[0:3]
        self.seed, self.incoming_index, self.counts_for_stats, self.moves = g[13], g[564], g[565], g[567]
        self.score_slot, self.game_in_progress, self.guest_game = struct.unpack_from("<3I", data, 11972 + 4)
        self.score = g[5 + self.score_slot] if self.score_slot < 8 else None
        self.stats = [struct.unpack_from("<IIIiI", data, STATS_AT + STYLE_RECORD_SIZE * i) for i in range(STYLE_RECORDS)]

    def cell(self, col, row):
        return self.cells[col * ROWS + row]

    def group(self, col, row):
        """The cells of the group the bubble at (col, row) belongs to."""
        colour = self.cell(col, row)[0]
        seen, todo = set(), [(col, row)]
        while todo:
            c, r = todo.pop()
            if (c, r) in seen or not (0 <= c < self.cols and 0 <= r < self.rows) or self.cell(c, r)[0] != colour:
                continue
            seen.add((c, r))
            todo += [(c + 1, r), (c - 1, r), (c, r + 1), (c, r - 1)]
        return seen

    def largest_group(self):
        """(size, col, row) of the first largest group of two or more bubbles, or None."""
        groups = [(len(self.group(c, r)), c, r) for c, r in self.bubble_cells()]
        best = max(groups, key=lambda g: g[0], default=None)  # the first of the largest
        return best if best and best[0] >= 2 else None

    def tap_point(self, col, row):
        _, x, y, _, _ = self.cell(col, row)
        return x + 10, y + 10 + NAV_BAR

    def field(self, name):
        return getattr(self, name)

    def board(self):
        return [(self.cell(c, r)[0], self.cell(c, r)[3]) for c in range(self.cols) for r in range(self.rows)]

    def bubble_cells(self):
        return [(c, r) for c in range(self.cols) for r in range(self.rows) if self.cell(c, r)[3]]

    def bubbles(self):
        return len(self.bubble_cells())

    def check(self):
        for i, (colour, _, _, occupied, _) in enumerate(self.cells):
            c, r = divmod(i, ROWS)
            if occupied not in (0, 1) or (occupied == 1) != (0 <= colour <= 4) or colour < -1 or colour > 4:
                return f"cell {c},{r}: colour {colour} occupied {occupied}"
            if (c >= self.cols or r >= self.rows) and occupied:
                return f"cell {c},{r} outside the area holds a bubble"
        if self.game_in_progress and self.style in REFILLING:
            for c in range(self.cols):
                if not self.cell(c, self.rows - 1)[3]:
                    return f"column {c} is empty in a refilling style"
        if self.game_in_progress and self.counts_for_stats != (1 - self.guest_game):
            return "countsForStats is not the negation of guestGame"
        return None


def main():
    state = State(open(sys.argv[1], "rb").read())
    what = sys.argv[2]
    if what == "field":
        print(state.field(sys.argv[3]))
    elif what in ("group", "largest"):
        if best := state.largest_group():
            size, c, r = best
            print(*(state.tap_point(c, r) if what == "group" else (c, r)), size)
    elif what == "at":
        print(*state.tap_point(int(sys.argv[3]), int(sys.argv[4])))
    else:
        sys.exit(f"unknown question {what}")


if __name__ == "__main__":
    main()
