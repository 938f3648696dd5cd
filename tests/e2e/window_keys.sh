#!/usr/bin/env bash
# Real key events (XTEST) reach the window program on a 1280 x 1024 display: the
# cursor keys and Space burst a group, Ctrl+Z takes it back, F11 fills the screen and
# gives it back, Ctrl+Q ends the program.
source "$(dirname "$0")/lib.bash"
command -v Xvfb >/dev/null || { fail "Xvfb is needed"; finish; }
command -v xdotool >/dev/null || { fail "xdotool is needed"; finish; }
unset WAYLAND_DISPLAY
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.err" &
xvfb=$!
trap 'kill "$program" "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$WORK/display")"

# The window program resumes a game the headless device dealt, so its board is known.
export XDG_DATA_HOME="$WORK/data"
ROOT="$XDG_DATA_HOME/fizzorbs"; STATE="$ROOT/Windows/Fizzorbs.dat"; mkdir -p "$ROOT"
run deal <<EOF
random 1234
start
key ctrl+n
EOF
read -r GC GR GN <<< "$($FZSTATE "$STATE" largest)"

"$FZ_BUILD/fizzorbs" >"$WORK/window.log" 2>&1 &
program=$!
# wait_for TEST...: up to 5 s for the test to pass.
wait_for() { for _ in $(seq 100); do "$@" && return 0; sleep 0.05; done; return 1; }
window=""
found() { window=$(xdotool search --pid "$program" 2>/dev/null | head -n1); [ -n "$window" ]; }
wait_for found || { fail "no window"; finish; }
geometry() { xdotool getwindowgeometry "$window" | sed -n 's/ *Geometry: //p'; }
expect "the window opens at 3x" [ "$(geometry)" = "720x960" ]
sleep 0.3
xdotool mousemove --window "$window" 360 480   # focus follows the pointer; no click
xdotool key Down $(printf 'Right %.0s' $(seq "$GC")) $(printf 'Down %.0s' $(seq "$GR"))
xdotool key space
sleep 0.3
xdotool key KP_Begin
moved() { [ "$(field moves)" = 1 ]; }
expect "arrows and Space, then keypad 5, burst the largest group" wait_for moved
expect "its score" [ "$(field score)" = $((GN * (GN - 1))) ]
xdotool key ctrl+z
undone() { [ "$(field moves)" = 0 ]; }
expect "Ctrl+Z undoes it" wait_for undone
xdotool key F11
full() { [ "$(geometry)" = "1280x1024" ]; }
expect "F11 fills the screen" wait_for full
xdotool key F11
back() { [ "$(geometry)" = "720x960" ]; }
expect "F11 again gives it back" wait_for back
xdotool key ctrl+q
ended() { ! kill -0 "$program" 2>/dev/null; }
expect "Ctrl+Q ends the program" wait_for ended
wait "$program"
code=$?
expect "with exit code 0 and nothing on the terminal" eval '[ "$code" = 0 ] && [ ! -s "$WORK/window.log" ]'
finish
