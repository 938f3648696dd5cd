#!/usr/bin/env bash
# The game on other screens: at 192 dpi it runs on a 240 x 320 screen at 96 dpi and the
# device shows each pixel as 2 x 2; a 4-bit screen is grey; on a narrow screen a dialog
# still closes with ok.
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
menu "Info" "Statistics..."
screenshot $WORK/statistics$1.png
ok
tap $((GX * s + s - 1)) $((GY * s + s - 1))
screenshot $WORK/burst$1.png
EOF
  cp "$STATE" "$WORK/after$1.dat"
}
play 96
play 192
for shot in selected statistics burst; do
  expect "$shot at 192 dpi is the 96-dpi screen doubled" \
    "$PNGPIXEL" --scaled 2 "$WORK/${shot}96.png" "$WORK/${shot}192.png"
done
expect "the same taps burst the same group" test "$(field moves)" = 1
expect "both screens leave the same state" cmp -s "$WORK/after96.dat" "$WORK/after192.dat"

run grey <<EOF
device 240 320 4 96
start
screenshot $WORK/grey.png
EOF
expect "a 4-bit screen is grey, and so is its screenshot" test "$("$PNGPIXEL" "$WORK/grey.png")" = "240 320 grey"

run narrow <<EOF
device 200 320 16 96
start
menu "Game" "Options..."
check #1044 on
ok
menu "Game" "End Game"
click "Yes"
ok
EOF
expect "on a 200-pixel screen ok closes Options and Guest Score" \
  eval 'logs "dialog \"Options\" -> 1" && logs "dialog \"Guest Score\" -> 0"'

finish
