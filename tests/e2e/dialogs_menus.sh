#!/usr/bin/env bash
# The dialogs as a player reaches them from the menus: a first counted game
# ending in High Score, Statistics with its codes and Reset, and Options.
source "$(dirname "$0")/lib.bash"

run deal <<EOF
random 1234
start
menu "Game" "New Game"
EOF
read -r GX GY GN <<< "$($FZSTATE "$STATE" group)"
SCORE=$((GN * (GN - 1)))

# --- One burst, then End Game: the first counted game with a score sets the high score.
run end <<EOF
start
tap $GX $GY
tap $GX $GY
menu "Game" "End Game"
click "Yes"
dump
ok
menu "Info" "Statistics..."
dump
click "Codes"
dump
ok
ok
EOF
expect "a first game above 0 shows High Score" logs 'active "High Score"'
expect "its game score and total" eval "logs 'control 1012 \"$SCORE\"' && logs 'control 1014 \"$SCORE\"'"
expect "average equals the score, one game" eval "logs 'control 1015 \"$SCORE\"' && logs 'control 1016 \"1\"'"
expect "OK closes it with 0" logs 'dialog "High Score" -> 0'
expect "Statistics: 1 game, average and high the score" \
  eval "logs 'control 1062 \"1\"' && logs 'control 1063 \"$SCORE\"' && logs 'control 1064 \"$SCORE\"'"
expect "Codes returns to Statistics" \
  eval 'logs "dialog \"Fizzorbs Codes!\" -> 0" && logs "dialog \"Fizzorbs Statistics\" -> 0"'
cp "$STATE" "$WORK/ended.dat"

# --- Options: Escape keeps everything; OK stores it and writes the file.
run cancel <<EOF
start
menu "Game" "Options..."
check #1047 on
check #1044 on
select #1046 2
key escape
EOF
expect "cancelled Options end with 0" logs 'dialog "Options" -> 0'
expect "cancelled Options write nothing" cmp -s "$STATE" "$WORK/ended.dat"

run options <<EOF
start
menu "Game" "Options..."
check #1047 on
select #1046 2
select #1048 1
ok
menu "Info" "Statistics..."
dump
ok
EOF
expect "OK ends Options with 1" logs 'dialog "Options" -> 1'
expect "options stored" \
  eval '[ "$(field decimal_averages)" = 1 ] && [ "$(field game_style)" = 2 ] && [ "$(field bubble_set)" = 1 ]'
expect "decimal averages reach Statistics" eval "logs 'control 1063 \"$SCORE.00\"' && logs 'control 1066 \"0.00\"'"
cp "$STATE" "$WORK/options.dat"

# --- Reset: No keeps the dialog; Yes zeroes the figures, in memory only.
ASK='messagebox "Reset Statistics?" "Do you really want to reset your statistics?" 0x124'
run reset <<EOF
start
menu "Info" "Statistics..."
click "Reset"
click "No"
click "Reset"
click "Yes"
menu "Info" "Statistics..."
dump
ok
EOF
expect "No leaves the dialog open for a second Reset" eval 'logs "$ASK -> 7" && logs "$ASK -> 6"'
expect "reopened Statistics shows zeros" \
  eval "logs 'control 1062 \"0\"' && logs 'control 1063 \"0.00\"' && logs 'control 1064 \"0\"'"
expect "the reset is not written by itself" cmp -s "$STATE" "$WORK/options.dat"

finish
