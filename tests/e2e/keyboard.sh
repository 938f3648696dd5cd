#!/usr/bin/env bash
# The keyboard as the stylus: the cursor lands on the cells the game laid out, taps
# there as the stylus does, keeps to the board as its layout changes, and gives way to
# the mouse, to dialogs and to the menus; the desktop's shortcuts reach the commands.
source "$(dirname "$0")/lib.bash"
ORANGE="255 127 0"
# outlined COL ROW FILE: the cursor's outline runs along that cell's top-left corner.
outlined() {
  local x y
  read -r x y <<< "$($FZSTATE "$STATE" at "$1" "$2")"
  [ "$(pixel "$3" $((x - 10)) $((y - 10)))" = "$ORANGE" ] && [ "$(pixel "$3" $((x + 9)) $((y + 9)))" = "$ORANGE" ]
}

run deal <<EOF
random 1234
start
key ctrl+n
EOF
expect "Ctrl+N deals a game when the menu offers New Game" field_is game_in_progress 1
read -r GC GR GN <<< "$($FZSTATE "$STATE" largest)"

moves=$(printf 'key right\n%.0s' $(seq "$GC"); printf 'key down\n%.0s' $(seq "$GR"))
run play <<EOF
start
key down
$moves
screenshot $WORK/there.png
key space
key kp5
key ctrl+n
copy "\\Windows\\Fizzorbs.dat" $WORK/burst.dat
$(printf 'key left\n%.0s' $(seq 23))
screenshot $WORK/edge.png
tap 5 40
screenshot $WORK/mouse.png
key ctrl+z
EOF
expect "the first arrow only shows the cursor, the next move it cell by cell to column $GC, row $GR" outlined "$GC" "$GR" "$WORK/there.png"
expect "Space and keypad 5 select and burst the group there, and Ctrl+N does nothing while New Game is greyed" \
  eval 'field_is moves 1 "$WORK/burst.dat" && field_is score $((GN * (GN - 1))) "$WORK/burst.dat"'
expect "Ctrl+Z undoes the burst" eval 'field_is moves 0 && field_is score 0'

expect "the cursor stops at the board's left edge" outlined 0 "$GR" "$WORK/edge.png"
expect "a tap of the stylus hides it" eval '! outlined 0 "$GR" "$WORK/mouse.png"'

run menus <<EOF
start
key alt
key right
key enter
dump
key escape
key down
screenshot $WORK/cursor.png
key f10
key down
screenshot $WORK/menu.png
key enter
dump
key up
screenshot $WORK/dialog.png
key escape
key ctrl+q
EOF
expect "Alt, Right and Enter open Info's first item" logs 'active "Fizzorbs Statistics"'
expect "Escape closes that dialog" logs 'dialog "Fizzorbs Statistics" -> 0'
expect "F10 opens Game on its first enabled item, Down moves on, Enter picks Options" logs 'active "Options"'
expect "the cursor shows over the board" outlined 0 0 "$WORK/cursor.png"
expect "it hides while a menu is open and while a dialog is in front" \
  eval '! outlined 0 0 "$WORK/menu.png" && ! outlined 0 0 "$WORK/dialog.png"'
expect "Ctrl+Q closes like the close button" logs 'exit 0'

# The cursor follows the layout: with the incoming strip the board has a row less.
ROOT="$WORK/strip"; STATE="$ROOT/Windows/Fizzorbs.dat"; mkdir -p "$ROOT"
run strip <<EOF
random 99
start
menu "Game" "Options..."
select #1046 1
ok
key ctrl+n
$(printf 'key down\n%.0s' $(seq 30))
screenshot $WORK/strip.png
EOF
rows=$(field rows)
expect "a Continuous board of $rows rows keeps the cursor on its last row" outlined 0 $((rows - 1)) "$WORK/strip.png"
finish
