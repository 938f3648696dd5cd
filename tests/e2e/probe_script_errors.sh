# Script mistakes end the run with code 2 and a message naming the line.
source "$FZ_SOURCE/tests/tools/e2e_lib.sh"
need "$PROBE"

run_probe "start
tap 100 126
jump 3 4
close"
expect_code 2
expect_stderr "line 3"
expect_stderr "jump"
expect_line "probe up 100 100"      # what came before the bad line was carried out
expect_no_line "probe close"

# Lookups that find nothing on screen.
run_probe "start
# no dialog is open
click \"OK\""
expect_code 2
expect_stderr "line 3"
expect_stderr "OK"

run_probe "start
click #1001"
expect_code 2
expect_stderr "line 2"

run_probe "start
check #1041 on"
expect_code 2
expect_stderr "line 2"

run_probe "start
copy \\Windows\\Nothing.dat $WORK/x.dat"
expect_code 2
expect_stderr "line 2"
expect_stderr "Nothing.dat"
[ ! -e "$WORK/x.dat" ] || fail "copy of a missing file made a file"

run_probe "start
device 240 320 16 96"
expect_code 2
expect_stderr "line 2"

run_probe "start
start"
expect_code 2
expect_stderr "line 2"

run_probe "start
tap 1 \"2"
expect_code 2
expect_stderr "line 2"

run_probe "device 240 320 16 96"
expect_code 2
expect_stderr "start"
expect_no_line "probe start"

run_probe "device 480 640 16 120
start"
expect_code 2
expect_stderr "dpi must be 96 or a whole multiple of it"

run_probe "start" --no-such-option
expect_code 2
expect_stderr "unknown option --no-such-option"

CODE=0
timeout 60 "$PROBE" --script "$WORK/missing.txt" >"$OUT" 2>"$ERR" || CODE=$?
expect_code 2
expect_stderr "missing.txt"
echo "ok"
