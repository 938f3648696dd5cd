#!/usr/bin/env python3
"""Prints a script that plays one whole game on a fresh device, always bursting the largest
group, to its score dialog and the statistics' codes:

  wholegame.py HEADLESS STYLE SEED

The moves are found by playing on the headless device, so the script reaches the end of the
game whatever the board's layout; the browser test then replays it in the page.
"""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import soakgen  # noqa: E402


def main():
    binary, style, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    root = tempfile.mkdtemp(prefix="wholegame-")
    script = []
    program = soakgen.Program(binary, root, os.devnull)

    def send(*lines):
        script.extend(lines)
        program.send(list(lines))

    def screen():
        program.send(["dump"])
        block = program.read_dump()
        if block is None:
            raise SystemExit("the headless device ended in the middle of the game")
        return block

    try:
        send(f"random {seed}", "start", 'menu "Game" "Options..."', f"check #{soakgen.DEMO_BOX} off",
             f"select #{soakgen.STYLE_LIST} {style}", "ok", 'menu "Game" "New Game"')
        screen()
        _, dialogs = soakgen.play_largest_first(os.path.join(root, "Windows", "Fizzorbs.dat"),
                                                lambda lines: send(*lines), screen)
        if not dialogs:
            raise SystemExit("the game ended without its score dialog")
        send('menu "Info" "Statistics..."', "dump", 'click "Codes"', "dump")
        program.finish()
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("\n".join(script))


main()
