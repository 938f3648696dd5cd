# The desktop window under a virtual display: clicks on the scaled screen reach the
# program as taps at the right device point, clicks on the bars around it do not,
# taps made during a Sleep wait their turn, and closing the window ends the program.
source "$FZ_SOURCE/tests/tools/e2e_lib.sh"
need "$PROBE_SDL"
command -v xvfb-run >/dev/null || fail "xvfb-run is needed"

export XDG_DATA_HOME="$WORK/data"
unset WAYLAND_DISPLAY
command -v Xvfb >/dev/null || fail "Xvfb is needed"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.err" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.05; done
[ -s "$WORK/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$WORK/display")"

# An 800 x 700 window shows the 240 x 320 screen at 2x, centred: it covers window
# pixels (160, 30) to (640, 670). The click at (10, 300) is on the left bar.
CODE=0
start=$(date +%s%N)
timeout 60 "$PROBE_SDL" --self-test-window 800 700 \
  --self-test-click 361 283 --self-test-click 10 300 --self-test-click 201 323 \
  --self-test-close >"$OUT" 2>"$ERR" || CODE=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
expect_code 7
# Device (100, 126) and (20, 146); the probe's window starts under the navigation bar.
expect_order "probe down 100 100" "probe slept" "probe up 100 100" \
  "probe down 20 120" "probe slept" "probe up 20 120" "probe close" "probe loop ended with 7"
[ "$(grep -c '^probe down' "$OUT")" -eq 2 ] || fail "the click on the bar reached the program"
[ "$elapsed_ms" -ge 600 ] || fail "two Sleep(300) took only ${elapsed_ms} ms"
[ -d "$XDG_DATA_HOME/fizzorbs" ] || fail "no device root under XDG_DATA_HOME"
[ ! -s "$ERR" ] || fail "the window host printed to the terminal"

# A program waiting for input uses no processor time: the host blocks, it does not poll.
"$PROBE_SDL" >"$OUT" 2>"$ERR" &
probe=$!
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$probe/stat"; }
for _ in $(seq 100); do grep -qx "probe waiting" "$OUT" && break; sleep 0.05; done
grep -qx "probe waiting" "$OUT" || fail "the window host did not start"
sleep 0.5
before=$(cpu_ticks)
sleep 2
after=$(cpu_ticks)
kill -TERM "$probe"
CODE=0
wait "$probe" || CODE=$?
[ $((after - before)) -le 5 ] || fail "idle program used $((after - before)) ticks of processor time in 2 s"
# The window's close (here from SIGTERM) reaches the program as WM_CLOSE.
expect_code 7
expect_line "probe close"

# No display: a clear message and exit code 1.
CODE=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$PROBE_SDL" >"$OUT" 2>"$ERR" || CODE=$?
expect_code 1
expect_stderr "cannot open a window"
expect_stderr "fizzorbs-headless"

# Both hosts follow the command-line conventions: help and version on standard output
# with exit 0, an unknown option named on standard error with a pointer to --help and exit 2.
for program in "$PROBE_SDL" "$PROBE"; do
  CODE=0
  env -u DISPLAY "$program" --help >"$OUT" 2>"$ERR" || CODE=$?
  expect_code 0
  grep -q "^usage: $(basename "$program")" "$OUT" || fail "$program --help printed no usage"
  CODE=0
  env -u DISPLAY "$program" --version >"$OUT" 2>"$ERR" || CODE=$?
  expect_code 0
  grep -Eqx "$(basename "$program") [0-9]+\.[0-9]+\.[0-9]+" "$OUT" || fail "$program --version: $(cat "$OUT")"
  CODE=0
  timeout 60 "$program" --level 3 >"$OUT" 2>"$ERR" </dev/null || CODE=$?
  expect_code 2
  expect_stderr "unknown option --level"
  expect_stderr "--help"
  [ ! -s "$OUT" ] || fail "$program wrote to standard output for a wrong option"
done
echo "ok"
