#!/usr/bin/env python3
"""Rebuilds every picture and sound of the game from the generators here."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import board  # noqa: E402
import sounds  # noqa: E402
import titles  # noqa: E402
import icons  # noqa: E402
import toolbar  # noqa: E402

MODULES = [board, sounds, titles, icons, toolbar]


def main():
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    if len(sys.argv) > 1:
        root = os.path.abspath(sys.argv[1])
    for m in MODULES:
        m.write_all(root)
        print("wrote", m.__name__)


if __name__ == "__main__":
    main()
