#!/usr/bin/env bash
# The desktop window under a virtual display: clicks on the scaled screen reach the
# program as taps at the right device point, clicks on the bars around it do not,
# taps made during a Sleep wait their turn, and closing the window ends the program.
source "$(dirname "$0")/lib.bash"
command -v Xvfb >/dev/null || { echo "FAIL: Xvfb is needed"; exit 1; }

export XDG_DATA_HOME="$WORK/data"
unset WAYLAND_DISPLAY
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.err" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.05; done
[ -s "$WORK/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$WORK/display")"

# sdl NAME ARGS...: runs the window host; log in $LOG, standard error in $ERR, exit code in $CODE.
sdl() {
  local name=$1
  shift
  LOG="$WORK/$name.log" ERR="$WORK/$name.err" CODE=0
  timeout 60 "$PROBE_SDL" "$@" > "$LOG" 2> "$ERR" || CODE=$?
}

# An 800 x 700 window shows the 240 x 320 screen at 2x, centred: it covers window
# pixels (160, 30) to (640, 670). The click at (10, 300) is on the left bar.
start=$(date +%s%N)
sdl clicks --self-test-window 800 700 --self-test-click 361 283 --self-test-click 10 300 \
  --self-test-click 201 323 --self-test-close
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
expect "closing the window ends the program with its code" test "$CODE" = 7
# Device (100, 126) and (20, 146); the probe's window starts under the navigation bar.
expect "clicks reach the program as taps at device points, in turn" \
  inorder "probe down 100 100" "probe slept" "probe up 100 100" \
  "probe down 20 120" "probe slept" "probe up 20 120" "probe close" "probe loop ended with 7"
expect "the click on the bar does not" test "$(grep -c '^probe down' "$LOG")" = 2
expect "two Sleep(300) take real time (${elapsed_ms} ms)" test "$elapsed_ms" -ge 600
expect "the device root is under XDG_DATA_HOME, named after the program" test -d "$XDG_DATA_HOME/probe"
expect "the window host prints nothing to the terminal" test ! -s "$ERR"

# The window's close, here from SIGTERM, reaches the program. (Idle processor use is
# held by the benchmarks.)
LOG="$WORK/term.log" ERR="$WORK/term.err"
"$PROBE_SDL" > "$LOG" 2> "$ERR" &
probe=$!
for _ in $(seq 100); do logs "probe waiting" && break; sleep 0.05; done
kill -TERM "$probe"
CODE=0
wait "$probe" || CODE=$?
expect "SIGTERM closes the window and the program ends with its code" eval '[ "$CODE" = 7 ] && logs "probe close"'

DISPLAY="" sdl nodisplay
expect "without a display: a clear message and code 1" \
  eval '[ "$CODE" = 1 ] && errs "cannot open a window" && errs "try probe-headless"'

# Both hosts follow the command-line conventions: help and version on standard output
# with exit 0, an unknown option named on standard error with a pointer to --help and exit 2.
for program in "$PROBE_SDL" "$PROBE"; do
  name=$(basename "$program")
  LOG="$WORK/help.log" ERR="$WORK/help.err" CODE=0
  env -u DISPLAY "$program" --help > "$LOG" 2> "$ERR" || CODE=$?
  expect "$name --help" eval '[ "$CODE" = 0 ] && grep -q "^usage: $name" "$LOG"'
  CODE=0
  env -u DISPLAY "$program" --version > "$LOG" 2> "$ERR" || CODE=$?
  expect "$name --version" eval '[ "$CODE" = 0 ] && grep -Eqx "$name [0-9]+\.[0-9]+\.[0-9]+" "$LOG"'
  CODE=0
  timeout 60 "$program" --level 3 > "$LOG" 2> "$ERR" < /dev/null || CODE=$?
  expect "$name names a wrong option and points at --help" \
    eval '[ "$CODE" = 2 ] && errs "unknown option --level" && errs "--help" && [ ! -s "$LOG" ]'
done
finish
