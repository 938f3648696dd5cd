# Start-up order of the window system, seen from the probe: creation inside
# CreateWindowExW, synchronous sends, posted messages before a pending repaint.
source "$FZ_SOURCE/tests/tools/e2e_lib.sh"
need "$PROBE"

run_probe 'start
send 0x402 3 0
close'
expect_code 7
expect_order "probe start" "probe create" "probe created after create" \
  "probe sent 5" "probe send returned 47" "probe waiting" \
  "probe posted 1" "probe posted 2" "probe posted 3" "probe close" "probe loop ended with 7" "exit 7"

# The window was invalidated before the two posts: its repaint waits until the queue is
# empty, so no paint comes between "waiting" and "posted 2", and one comes after.
waiting=$(line_of "probe waiting")
posted2=$(line_of "probe posted 2")
if sed -n "${waiting},${posted2}p" "$OUT" | grep -q '^probe paint'; then
  fail "a paint came before the posted messages"
fi
awk -v from="$posted2" 'NR > from && /^probe paint/ { found = 1 } END { exit !found }' "$OUT" ||
  fail "no paint after the posted messages"

# The `send` command's message is taken only after the repaint that was pending.
paint_after=$(awk -v from="$posted2" 'NR > from && /^probe paint/ { print NR; exit }' "$OUT")
posted3=$(line_of "probe posted 3")
[ "$paint_after" -lt "$posted3" ] || fail "the script ran before the program waited"
echo "ok"
