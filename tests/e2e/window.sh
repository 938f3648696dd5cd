#!/usr/bin/env bash
# The desktop window on a virtual 1280 x 1024 display, playing a game the headless device
# dealt so its board is known: clicks on the scaled screen reach the game as taps at
# device points and clicks on the bars around it do not; real key events (XTEST) move the
# cursor, burst and undo; F11 fills the screen and gives it back; Ctrl+Q and SIGTERM end
# the program with its code. Both hosts follow the command-line conventions.
source "$(dirname "$0")/lib.bash"
needs Xvfb xdotool
GAME="$FZ_BUILD/fizzorbs"

# Help and version on standard output with exit 0: one reader for both programs (its
# mistakes are the unit tests'), each its own words.
for each in "$GAME" "$HEADLESS"; do
  name=$(basename "$each") LOG="$WORK/help.log" ERR="$WORK/help.err"
  expect "$name --help" eval 'env -u DISPLAY "$each" --help > "$LOG" && grep -q "^usage: $name" "$LOG"'
  expect "$name --version" eval 'env -u DISPLAY "$each" --version > "$LOG" && grep -Eqx "$name [0-9]+\.[0-9]+\.[0-9]+" "$LOG"'
done
export XDG_DATA_HOME="$WORK/data"
ERR="$WORK/nodisplay.err"
DISPLAY="" status timeout 60 "$GAME" > /dev/null 2> "$ERR"
expect "without a display: a clear message and code 1" \
  eval '[ "$CODE" = 1 ] && errs "cannot open a window" && errs "try fizzorbs-headless"'

xvfb
program=""   # the window program running, when one is
trap 'kill ${program:+"$program"} "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$WORK"' EXIT

# The window program finds its device under XDG_DATA_HOME, named after the program.
ROOT="$XDG_DATA_HOME/fizzorbs"; STATE="$ROOT/Windows/Fizzorbs.dat"; mkdir -p "$ROOT"
run deal <<EOF
random 1234
start
key ctrl+n
EOF
cp "$STATE" "$WORK/dealt.dat"
read -r GX GY GN <<< "$($FZSTATE "$STATE" group)"
read -r GC GR _ <<< "$($FZSTATE "$STATE" largest)"

# An 800 x 700 window shows the 240 x 320 screen at 2x, centred: it covers window pixels
# (160, 30) to (640, 670). A click at (10, 300), on the left bar, between the two taps on
# the group would drop the selection if it reached the board.
LOG="$WORK/clicks.log" ERR="$WORK/clicks.err"
status timeout 60 "$GAME" --self-test-window 800 700 --self-test-click $((160 + 2 * GX)) $((30 + 2 * GY)) \
  --self-test-click 10 300 --self-test-click $((161 + 2 * GX)) $((31 + 2 * GY)) --self-test-close > "$LOG" 2> "$ERR"
expect "clicks on the screen burst the group, the click on the bar does nothing" \
  test "$(field moves) $(field score)" = "1 $((GN * (GN - 1)))"
expect "closing the window ends the program with code 0, silently" eval '[ "$CODE" = 0 ] && [ ! -s "$ERR" ]'

cp "$WORK/dealt.dat" "$STATE"
"$GAME" >"$WORK/window.log" 2>&1 &
program=$!
window=""
found() { window=$(xdotool search --pid "$program" 2>/dev/null | head -n1); [ -n "$window" ]; }
# opened OUTPUT: the program's window shows, else the run stops saying whether it still runs.
opened() {
  wait_for found && return
  LOG="$1" ERR=/dev/null  # its output and errors share one file
  fail "no window; the program $(kill -0 "$program" 2>/dev/null && echo "still runs" || echo "has ended")"
  finish
}
opened "$WORK/window.log"
sized() { [ "$(xdotool getwindowgeometry "$window" | sed -n 's/ *Geometry: //p')" = "$1" ]; }
expect "the window opens at 3x" sized 720x960
# Keys go to the window under the pointer once it shows; the events queue in order after that.
timeout 20 xdotool search --sync --onlyvisible --pid "$program" > /dev/null || { fail "the window never shows"; finish; }
xdotool mousemove --sync --window "$window" 360 480   # focus follows the pointer; no click
xdotool key Down $(printf 'Right %.0s' $(seq "$GC")) $(printf 'Down %.0s' $(seq "$GR"))
xdotool key space KP_Begin
expect "arrows and Space, then keypad 5, burst the largest group" wait_for field_is moves 1
xdotool key ctrl+z
expect "Ctrl+Z undoes it" wait_for field_is moves 0
xdotool key F11
expect "F11 fills the screen" wait_for sized 1280x1024
xdotool key F11
expect "F11 again gives it back" wait_for sized 720x960
xdotool key ctrl+q
ended() { ! kill -0 "$program" 2>/dev/null; }
expect "Ctrl+Q ends the program" wait_for ended
status wait "$program"
expect "with exit code 0 and nothing on the terminal" eval '[ "$CODE" = 0 ] && [ ! -s "$WORK/window.log" ]'

"$GAME" >"$WORK/term.log" 2>&1 &
program=$!
opened "$WORK/term.log"
kill -TERM "$program"
status wait "$program"
expect "SIGTERM closes the window and the program ends with its code" test "$CODE" = 0
finish
