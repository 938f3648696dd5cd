#!/usr/bin/env bash
# Makes the README's screenshots with the headless device. Run on purpose:
#   tools/screenshots.sh [BUILD_DIR]     (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
headless="$build/fizzorbs-headless"
out="$here/docs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

run() { "$headless" --device-root "$work/root" > /dev/null; }

# The startup demo leaves the splash.
rm -rf "$work/root"
printf 'random 7\nstart\nscreenshot %s\n' "$out/splash.png" | run

names=(standard continuous shifter megashift)
for style in 0 1 2 3; do
  rm -rf "$work/root"
  printf 'random %d\nstart\nmenu "Game" "Options..."\nselect #1046 %d\nok\nmenu "Game" "New Game"\n' \
    $((40 + style)) "$style" | run
  # Burst the biggest group, then select the next biggest.
  read -r x y n < <(python3 "$here/tests/e2e/fzstate.py" "$work/root/Windows/Fizzorbs.dat" group)
  printf 'start\ntap %d %d\ntap %d %d\n' "$x" "$y" "$x" "$y" | run
  read -r x y n < <(python3 "$here/tests/e2e/fzstate.py" "$work/root/Windows/Fizzorbs.dat" group)
  printf 'start\ntap %d %d\nscreenshot %s\n' "$x" "$y" "$out/${names[$style]}.png" | run
done

# A finished game's score dialog, and the options.
rm -rf "$work/root"
printf 'random 3\nstart\nmenu "Game" "New Game"\nmenu "Game" "End Game"\nclick "Yes"\nscreenshot %s\n' \
  "$out/score.png" | run
rm -rf "$work/root"
printf 'random 3\nstart\nmenu "Game" "Options..."\nscreenshot %s\n' "$out/options.png" | run
echo "screenshots written to $out"
