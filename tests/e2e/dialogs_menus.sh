#!/usr/bin/env bash
# The dialogs as a player reaches them from the menus of the running program: a first
# counted game ending in High Score, Statistics with its codes and Reset, and Options
# stored in the state file.
source "$(dirname "$0")/lib.bash"

run deal <<EOF
random 1234
start
menu "Game" "New Game"
EOF
read -r GX GY GN <<< "$($FZSTATE "$STATE" group)"
SCORE=$((GN * (GN - 1)))

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
click "Reset"
click "Yes"
menu "Game" "Options..."
check #1047 on
select #1046 2
select #1048 1
ok
EOF
expect "a first game above 0 ends in High Score with its score" \
  eval "logs 'active \"High Score\"' && logs 'control 1012 \"$SCORE\"' && logs 'dialog \"High Score\" -> 0'"
expect "Statistics shows the game" eval "logs 'control 1062 \"1\"' && logs 'control 1064 \"$SCORE\"'"
expect "Codes opens over Statistics and returns to it" \
  eval 'logs "active \"Fizzorbs Codes!\"" && logs "dialog \"Fizzorbs Codes!\" -> 0"'
expect "Reset asks and Yes closes Statistics" eval 'logs "messagebox \"Reset Statistics?\" \"Do you really want to reset your statistics?\" 0x124 -> 6" && logs "dialog \"Fizzorbs Statistics\" -> 0"'
expect "OK ends Options with 1" logs 'dialog "Options" -> 1'
expect "options and the reset reach the file" eval \
  '[ "$(field decimal_averages) $(field game_style) $(field bubble_set) $(field games0)" = "1 2 1 0" ]'

cp "$STATE" "$WORK/options.dat"
run cancel <<EOF
start
menu "Game" "Options..."
check #1047 off
select #1046 0
key escape
EOF
expect "Escape cancels Options and writes nothing" eval 'logs "dialog \"Options\" -> 0" && cmp -s "$STATE" "$WORK/options.dat"'
finish
