# The process ends with the program's exit code, logs it, and runs no command after it.
source "$FZ_SOURCE/tests/tools/e2e_lib.sh"
need "$PROBE"

run_probe "start
send 0x403 3 0
screenshot $WORK/never.png
tap 100 126"
expect_code 3
expect_line "probe loop ended with 3"
expect_line "exit 3"
[ "$(tail -n1 "$OUT")" = "exit 3" ] || fail "something came after the exit line"
[ ! -e "$WORK/never.png" ] || fail "a command ran after the program ended"
expect_no_line "probe down 100 100"

# Random values: in order, the last one repeated; a later `random` replaces them.
run_probe "random 5 0x10
start
send 0x404 3 0
random 9
send 0x404 2 0
close"
expect_code 7
expect_order "probe random 5" "probe random 16" "probe random 16" "probe random 9" "probe random 9"

# Before any `random`, Random() still answers, with a fixed value.
run_probe "start
send 0x404 2 0
close"
expect_code 7
first=$(grep '^probe random ' "$OUT" | head -n1)
[ -n "$first" ] || fail "no random value"
[ "$(grep -c -Fx -- "$first" "$OUT")" -eq 2 ] || fail "default random value is not fixed"

# Sleep advances the virtual clock at once, whatever its length.
start=$(date +%s)
run_probe "start
send 0x405 600000 0
close"
expect_code 7
expect_order "sleep 600000" "probe slept" "exit 7"
[ $(($(date +%s) - start)) -lt 30 ] || fail "a virtual sleep took real time"

# A script read from standard input works the same.
CODE=0
printf 'start\nsend 0x403 4 0\n' | timeout 60 "$PROBE" >"$OUT" 2>"$ERR" || CODE=$?
expect_code 4
expect_line "exit 4"
echo "ok"
