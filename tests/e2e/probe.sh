#!/usr/bin/env bash
# What only a separate process shows of the headless device, through a small program
# that logs what reaches it: exit codes, when script commands run, power cuts, taps and
# keys, screenshots, and mistakes in scripts.
source "$(dirname "$0")/lib.bash"
PROGRAM=$PROBE

run quit <<EOF
start
send 0x403 3 0
screenshot $WORK/never.png
EOF
expect "the program's exit code ends the process" test "$CODE" = 3
expect "the exit is logged last and nothing runs after it" \
  eval '[ "$(tail -n1 "$LOG")" = "exit 3" ] && [ ! -e "$WORK/never.png" ]'

# Commands wait until the program waits: the script's message comes after the pending repaint.
run order <<EOF
start
send 0x402 3 0
close
EOF
expect "posted messages, then the repaint, then the script's message" \
  inorder "probe waiting" "probe posted 1" "probe posted 2" "probe paint 2" "probe posted 3" "exit 7"

began=$(date +%s)
run random <<EOF
random 5 0x10
start
send 0x404 3 0
send 0x405 600000 0
random 9
send 0x404 1 0
close
EOF
expect "random values in order, the last repeated until replaced" \
  inorder "probe random 5" "probe random 16" "probe random 16" "probe random 9"
expect "a ten-minute sleep is virtual" eval 'logs "sleep 600000" && [ $(($(date +%s) - began)) -lt 30 ]'
CODE=0
printf 'start\nsend 0x403 4 0\n' | "$PROBE" > /dev/null 2>&1 || CODE=$?
expect "a script on standard input works the same" test "$CODE" = 4

run cut <<EOF
start
tap 100 126
EOF
expect "a script that ends first is a power cut: exit 0, nothing after" eval '[ "$CODE" = 0 ] &&
  inorder "probe down 100 100" "probe slept" "probe up 100 100" && ! grep -q "^exit\|^probe close" "$LOG"'
expect "the named device root stays" test -d "$ROOT"
mkdir "$WORK/tmp"
TMPDIR="$WORK/tmp" ROOT="" run temp1 <<< start
TMPDIR="$WORK/tmp" ROOT="" run temp2 <<< $'start\nclose'
expect "a temporary device root goes with the process" eval '[ "$CODE" = 7 ] && [ -z "$(ls -A "$WORK/tmp")" ]'

run taps <<EOF
start
tap 100 126
tap 20 146
key escape
key enter
key f1
screenshot $WORK/shot.png
close
EOF
expect "taps reach client points, each after the Sleep of the one before, then the keys" \
  inorder "probe down 100 100" "sleep 300" "probe slept" "probe up 100 100" "probe down 20 120" "probe up 20 120" \
  "probe key 0x1b" "probe key 0xd" "probe help" "exit 7"
expect "the screenshot is the colour screen" test "$("$PNGPIXEL" "$WORK/shot.png")" = "240 320 colour"
expect "it shows a tap marker's edge and the blue box" \
  test "$("$PNGPIXEL" "$WORK/shot.png" 102 128 103 128 30 56 | tr '\n' ,)" = "255 0 0,255 255 255,0 0 255,"

run grey <<EOF
device 240 320 4 96
start
screenshot $WORK/grey.png
close
EOF
expect "a 4-bit screen is grey, and so is its screenshot" test "$("$PNGPIXEL" "$WORK/grey.png")" = "240 320 grey"
expect "grey keeps the drawing apart from the ground" test "$(pixel "$WORK/grey.png" 30 56)" != "255 255 255"
run wide <<EOF
device 320 240 16 96
start
tap 300 100
screenshot $WORK/wide.png
close
EOF
expect "another device size: the window and the screen follow" \
  eval 'logs "probe down 300 74" && [ "$("$PNGPIXEL" "$WORK/wide.png")" = "320 240 colour" ]'

# Mistakes stop with code 2 and name the line; what came before was carried out.
run jump <<EOF
start
tap 100 126
jump 3 4
close
EOF
expect "an unknown command" eval '[ "$CODE" = 2 ] && errs "line 3" && errs jump && logs "probe up 100 100" &&
  nologs "probe close"'
while IFS='|' read -r script says; do
  run mistake <<< "$(printf '%b' "$script")"
  expect "$script: $says" eval '[ "$CODE" = 2 ] && errs "$says"'
done <<'EOF'
start\n# no dialog is open\nclick "OK"|line 3
start\ncheck #1041 on|line 2
start\ncopy \\Windows\\Nothing.dat /nonexistent/x.dat|Nothing.dat
start\nstart|line 2
device 240 320 16 96|start
device 480 640 16 120\nstart|dpi must be 96 or a whole multiple of it
EOF
run usage --no-such-option <<< start
expect "an unknown option is named, with a pointer to --help" eval '[ "$CODE" = 2 ] && errs "unknown option --no-such-option" && errs "--help"'
CODE=0
"$PROBE" --script "$WORK/missing.txt" > /dev/null 2> "$WORK/missing.err" || CODE=$?
expect "a missing script is named" eval '[ "$CODE" = 2 ] && grep -q missing.txt "$WORK/missing.err"'
finish
