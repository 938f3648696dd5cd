#!/usr/bin/env bash
# What the player sees at the moments that matter, against reference screenshots in golden/
# (FZ_UPDATE_GOLDEN=1 rewrites them; look at them before committing): a group selected,
# Statistics, the board after a burst and after Undo, the Game menu, Options with its list
# open, the End Game question and the score. The game on other screens: at 192 dpi it runs on a 240 x 320 screen
# at 96 dpi and the device shows each pixel as 2 x 2; a 4-bit screen is grey; on a narrow screen a first
# question fits, with its buttons, a dialog still closes with ok, and the score's New Game deals the next game.
source "$(dirname "$0")/lib.bash"

# Dealt through the menus of the doubled screen.
run deal <<EOF
device 480 640 16 192
random 1234
start
menu "Game" "New Game"
EOF
read -r GX GY GN <<< "$($FZSTATE "$STATE" group)"
cp "$STATE" "$WORK/dealt.dat"

# play DPI: select, look at a dialog, burst; taps are in the device's own screen pixels.
play() {
  local s=$(($1 / 96))
  cp "$WORK/dealt.dat" "$STATE"
  run "dpi$1" <<EOF
device $((240 * s)) $((320 * s)) 16 $1
start
tap $((GX * s)) $((GY * s))
screenshot $WORK/selected$1.png
tap $((2 * s)) $((100 * s))
screenshot $WORK/dropped$1.png
tap $((GX * s)) $((GY * s))
menu "Info" "Statistics..."
screenshot $WORK/statistics$1.png
ok
tap $((GX * s + s - 1)) $((GY * s + s - 1))
screenshot $WORK/burst$1.png
toolbar 106
screenshot $WORK/undone$1.png
tap $((15 * s)) $((307 * s))
screenshot $WORK/menu$1.png
key escape
menu "Game" "Options..."
click #1046
screenshot $WORK/list$1.png
ok
ok
menu "Game" "End Game"
screenshot $WORK/question$1.png
click "Yes"
screenshot $WORK/score$1.png
ok
EOF
  cp "$STATE" "$WORK/after$1.dat"
}
play 96
play 192
GOLDEN="$FZ_SOURCE/tests/e2e/golden"
# golden NAME SHOT WHAT: the screenshot is golden/NAME.png (which FZ_UPDATE_GOLDEN=1 rewrites);
# one that differs is kept in $TMPDIR to look at.
golden() {
  [ "${FZ_UPDATE_GOLDEN:-}" = 1 ] && mkdir -p "$GOLDEN" && cp "$2" "$GOLDEN/$1.png"
  if "$PNGPIXEL" --scaled 1 "$GOLDEN/$1.png" "$2"; then
    echo "ok: $3"
  else
    fail "$3"
    cp "$2" "${TMPDIR:-/tmp}/fizzorbs-$1.png"
  fi
}
for shot in selected statistics burst undone menu list question score; do
  expect "$shot at 192 dpi is the 96-dpi screen doubled" \
    "$PNGPIXEL" --scaled 2 "$WORK/${shot}96.png" "$WORK/${shot}192.png"
  golden "$shot" "$WORK/${shot}96.png" "$shot shows as golden/$shot.png"
done
expect "a tap off the board takes the selection and its value bubble away, pixel for pixel" \
  "$PNGPIXEL" --scaled 1 "$GOLDEN/undone.png" "$WORK/dropped96.png"
expect "both screens leave the same state" cmp -s "$WORK/after96.dat" "$WORK/after192.dat"

run grey <<EOF
device 240 320 4 96
start
screenshot $WORK/grey.png
EOF
expect "a 4-bit screen is grey, and so is its screenshot" test "$("$PNGPIXEL" "$WORK/grey.png")" = "240 320 grey"
golden grey "$WORK/grey.png" "in sixteen levels of grey, as golden/grey.png"

cp "$WORK/dealt.dat" "$STATE"
run narrow <<EOF
device 200 320 16 96
start
menu "Game" "End Game"
screenshot $WORK/question200.png
click "Yes"
ok
menu "Game" "Options..."
check #1044 on
ok
menu "Info" "About"
ok
menu "Game" "New Game"
menu "Game" "End Game"
click "Yes"
click "New Game"
dump
EOF
expect "on a 200-pixel screen the first question has its buttons, and ok closes Your Score, Options and About" \
  eval 'logs "dialog \"Your Score\" -> 0" && logs "dialog \"Options\" -> 1" && logs "dialog \"About Fizzorbs\" -> 0"'
Q="$WORK/question200.png"
expect "there the question keeps 8 pixels from each side" \
  eval '[ "$(pixel "$Q" 7 150)" = "255 255 255" ] && [ "$(pixel "$Q" 8 150)" = "0 0 0" ] && [ "$(pixel "$Q" 191 150)" = "0 0 0" ]'
expect "a guest's game ends on Guest Score, whose New Game deals the next game, which End Game can end" \
  eval 'logs "dialog \"Guest Score\" -> 1" && field_is game_in_progress 1 && logs "menu 101 grayed" && logs "menu 102 enabled"'

finish
