#!/usr/bin/env bash
# A player's first session, end to end on the virtual device: the demo, a new game, help,
# a second instance; then the device's own conventions. Ending a game is the screens
# test's; the menus' states and the file's changes at every step are the soak's.
source "$(dirname "$0")/lib.bash"

# --- First start: the demo plays and writes nothing. (What it draws is the unit tests'.)
run first <<EOF
random 1234
start
dump
EOF
expect "first start ends with the script (power cut, exit 0)" test "$CODE" = 0
expect "no state file after the demo" test ! -e "$STATE"
expect "with no game, New Game is offered and End Game grayed" eval 'logs "menu 101 enabled" && logs "menu 102 grayed"'

# --- New Game deals the seeded board and saves it.
run newgame <<EOF
random 1234
start
menu "Game" "New Game"
dump
EOF
# (Its seed and board are the unit tests', bursting and Undo on it the screens test's.)

# --- The README's example does what it says, its files beside the player's shell.
awk '/^An example/ {on = 1} on && /^```/ {if (n++) exit; next} on && n' "$FZ_SOURCE/README.md" > "$WORK/example.in"
cd "$WORK"  # its pictures and copies land in the current folder
ROOT="" run example < example.in
cd - > /dev/null
expect "the README's example deals a Shifter game, its picture and its file" \
  eval '[ "$CODE" = 0 ] && [ -s "$WORK/shifter.png" ] && field_is style 2 "$WORK/state.dat" && field_is game_in_progress 1 "$WORK/state.dat"'

# --- Closing keeps the file as it is; help changes nothing.
cp "$STATE" "$WORK/beforeclose.dat"
run close <<EOF
start
send 0x0053 0 0
close
tap 100 100
screenshot $WORK/never.png
EOF
expect "WM_CLOSE ends with exit code 0, logged last, and nothing runs after it" \
  eval '[ "$CODE" = 0 ] && [ "$(tail -n1 "$LOG")" = "exit 0" ] && [ ! -e "$WORK/never.png" ]'
expect "help starts the viewer on its page" logs 'process "peghelp.exe" "file:fizzorbs.htm" -> 1'
expect "nothing was written" cmp -s "$STATE" "$WORK/beforeclose.dat"

# --- A second instance brings the first to the front and leaves. The first reads its
# script from a pipe, so it stays up however slowly the second starts.
mkfifo "$WORK/first.in"
timeout "${FZ_RUN_TIMEOUT:-60}" "$HEADLESS" --device-root "$ROOT" < "$WORK/first.in" > "$WORK/first.log" 2>&1 &
exec 3> "$WORK/first.in"
printf 'start\ndump\n' >&3
wait_for test -s "$WORK/first.log"
run second <<< start
expect "a second instance ends at once and brings the first to the front" \
  eval 'logs "exit 0" && ! grep -q "^sleep\|^menu" "$LOG" && wait_for grep -qx foreground "$WORK/first.log"'
exec 3>&-
wait

# --- The device itself: a script on standard input, a temporary root, mistakes in scripts.
mkdir "$WORK/tmp"
TMPDIR="$WORK/tmp" status "$HEADLESS" < <(printf 'start\nclose\n') > "$WORK/stdin.log" 2>&1
expect "a script on standard input works the same" eval '[ "$CODE" = 0 ] && grep -qx "exit 0" "$WORK/stdin.log"'
TMPDIR="$WORK/tmp" ROOT="" run cut <<< start
expect "a temporary device root goes with the process, closed or cut off" \
  eval '[ "$CODE" = 0 ] && ! logs "exit 0" && [ -z "$(ls -A "$WORK/tmp")" ]'

# Mistakes stop with code 2 and name the line; what came before was carried out.
while IFS='|' read -r script says; do
  run mistake <<< "$(printf '%b' "$script")"
  expect "$script: $says" eval '[ "$CODE" = 2 ] && errs "$says"'
done <<'EOF'
start\nmenu "Game" "New Game"\njump 3 4|line 3
start\n# no dialog is open\nclick "OK"|line 3
start\ncheck #1041 on|line 2
start\nmenu "Game" "Options..."\nselect #1046 0\nselect #1046 4|drop-down list item 4
start\ncopy \\Windows\\Nothing.dat /nonexistent/x.dat|Nothing.dat
start\nstart|line 2
device 240 320 16 96|start
device 480 640 16 120\nstart|dpi must be 96 or a whole multiple of it
EOF
expect "the command before the mistake was carried out" field_is game_in_progress 1
status "$HEADLESS" --script "$WORK/missing.txt" > /dev/null 2> "$WORK/missing.err"
expect "a missing script is named" eval '[ "$CODE" = 2 ] && grep -q missing.txt "$WORK/missing.err"'

finish
