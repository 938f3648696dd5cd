# Two processes on one device root: the second finds the first, brings it to the
# front and ends with 0; the first logs `foreground`.
source "$FZ_SOURCE/tests/tools/e2e_lib.sh"
need "$PROBE"

root="$WORK/device"
printf 'start\nwait 4000\nclose\n' >"$WORK/first.txt"
timeout 60 "$PROBE" --device-root "$root" --script "$WORK/first.txt" >"$WORK/first.log" 2>"$WORK/first.err" &
first=$!
for _ in $(seq 100); do
  grep -qx "probe waiting" "$WORK/first.log" 2>/dev/null && break
  sleep 0.05
done
grep -qx "probe waiting" "$WORK/first.log" || fail "the first probe did not start"

run_probe "start
close" --device-root "$root"
expect_code 0
expect_line "probe found a running probe"
expect_line "exit 0"
expect_no_line "probe create"

firstCode=0
wait "$first" || firstCode=$?
cp "$WORK/first.log" "$OUT"
cp "$WORK/first.err" "$ERR"
CODE=$firstCode
expect_code 7
expect_order "probe waiting" "foreground" "probe close" "exit 7"
[ "$(grep -c '^probe create$' "$OUT")" -eq 1 ] || fail "the first probe was created more than once"

# Another device root is another device: no instance there.
run_probe "start
close" --device-root "$WORK/other"
expect_code 7
expect_line "probe create"
echo "ok"
