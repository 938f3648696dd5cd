# The desktop window under a virtual display: clicks on the scaled screen reach the
# program as taps at the right device point, clicks on the bars around it do not,
# taps made during a Sleep wait their turn, and closing the window ends the program.
source "$FZ_SOURCE/tests/tools/e2e_lib.sh"
need "$PROBE_SDL"
command -v xvfb-run >/dev/null || fail "xvfb-run is needed"

export XDG_DATA_HOME="$WORK/data"
unset WAYLAND_DISPLAY
# An 800 x 700 window shows the 240 x 320 screen at 2x, centred: it covers window
# pixels (160, 30) to (640, 670).
CODE=0
start=$(date +%s%N)
timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$PROBE_SDL" --self-test-window 800 700 \
  --self-test-click 361 283 --self-test-click 10 10 --self-test-click 201 323 \
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

# No display: a clear message and exit code 1.
CODE=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$PROBE_SDL" >"$OUT" 2>"$ERR" || CODE=$?
expect_code 1
expect_stderr "cannot open a window"
expect_stderr "fizzorbs-headless"

# The window host takes no options.
CODE=0
timeout 60 "$PROBE_SDL" --level 3 >"$OUT" 2>"$ERR" || CODE=$?
expect_code 2
expect_stderr "usage"
echo "ok"
