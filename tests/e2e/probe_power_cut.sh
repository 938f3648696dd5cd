# A script that ends while the program runs is a power cut: the process ends at
# once with code 0, nothing more reaches the program, and files already written stay.
source "$FZ_SOURCE/tests/tools/e2e_lib.sh"
need "$PROBE"

root="$WORK/device"
run_probe "start
tap 100 126" --device-root "$root"
expect_code 0
expect_order "probe down 100 100" "probe slept" "probe up 100 100"
expect_no_line "probe close"
if grep -q '^exit ' "$OUT"; then fail "a power cut logged an exit"; fi
if grep -q '^probe loop ended' "$OUT"; then fail "the program ended on its own"; fi
[ -d "$root" ] || fail "the named device root was removed"

# Without --device-root the run uses a fresh temporary root and removes it again.
before=$(ls -d "${TMPDIR:-/tmp}"/probe-device-* 2>/dev/null | sort)
run_probe "start"
expect_code 0
expect_line "probe waiting"
after=$(ls -d "${TMPDIR:-/tmp}"/probe-device-* 2>/dev/null | sort)
[ "$before" = "$after" ] || fail "a temporary device root was left behind"

run_probe "start
close"
expect_code 7
after=$(ls -d "${TMPDIR:-/tmp}"/probe-device-* 2>/dev/null | sort)
[ "$before" = "$after" ] || fail "a temporary device root was left behind after a normal exit"
echo "ok"
