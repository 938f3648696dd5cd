# Taps reach the probe at the right client point, one after another, each after the
# Sleep of the one before; the screenshot shows the markers where the taps were.
source "$FZ_SOURCE/tests/tools/e2e_lib.sh"
need "$PROBE" "$PNGPIXEL"

run_probe "start
tap 100 126
tap 20 146
key escape
key enter
key f1
screenshot $WORK/shot.png
close"
expect_code 7
# The main window sits under the 26-pixel navigation bar.
expect_order "probe down 100 100" "sleep 300" "probe slept" "probe up 100 100" \
  "probe down 20 120" "sleep 300" "probe slept" "probe up 20 120" \
  "probe key 0x1b" "probe key 0xd" "probe help" "probe close" "exit 7"

[ "$("$PNGPIXEL" "$WORK/shot.png")" = "240 320 colour" ] || fail "screenshot is not the 240x320 colour screen"
expect_pixel "$WORK/shot.png" 100 126 "255 0 0"
expect_pixel "$WORK/shot.png" 102 128 "255 0 0"
expect_pixel "$WORK/shot.png" 103 128 "255 255 255"
expect_pixel "$WORK/shot.png" 20 146 "255 0 0"
expect_pixel "$WORK/shot.png" 30 56 "0 0 255"      # the blue box at client (10, 10)
expect_pixel "$WORK/shot.png" 200 200 "255 255 255"

# A screen of few colour bits is a grey screen, and so is its screenshot.
run_probe "device 240 320 4 96
start
tap 100 126
screenshot $WORK/grey.png
close"
expect_code 7
[ "$("$PNGPIXEL" "$WORK/grey.png")" = "240 320 grey" ] || fail "4-bit screenshot is not grey"
expect_pixel "$WORK/grey.png" 200 200 "255 255 255"
blue=$("$PNGPIXEL" "$WORK/grey.png" 30 56)
red=$("$PNGPIXEL" "$WORK/grey.png" 100 126)
[ "$blue" != "255 255 255" ] && [ "$blue" != "$red" ] || fail "grey levels lost the drawing: blue $blue red $red"

# Other device sizes: the screen and the window follow.
run_probe "device 320 240 16 96
start
tap 300 100
screenshot $WORK/wide.png
close"
expect_code 7
expect_line "probe down 300 74"
[ "$("$PNGPIXEL" "$WORK/wide.png")" = "320 240 colour" ] || fail "screenshot is not 320x240"
expect_pixel "$WORK/wide.png" 300 100 "255 0 0"
echo "ok"
