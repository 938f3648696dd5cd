# Shared by the end-to-end scripts: runs a program on the headless device and
# looks at its log, state file and screenshots.
set -u
: "${FZ_BUILD:?FZ_BUILD must name the build directory}"
: "${FZ_SOURCE:?FZ_SOURCE must name the source directory}"
HEADLESS="$FZ_BUILD/fizzorbs-headless"
PNGPIXEL="$FZ_BUILD/tests/pngpixel"
FZSTATE="python3 $FZ_SOURCE/tests/e2e/fzstate.py"
WORK=$(mktemp -d)
ROOT="$WORK/device"
STATE="$ROOT/Windows/Fizzorbs.dat"
mkdir -p "$ROOT"
trap 'rm -rf "$WORK"' EXIT
failures=0
LOG=/dev/null
ERR=/dev/null

# run NAME [ARGS...] <<script — runs $PROGRAM (the game unless set) on $ROOT (a fresh
# temporary root when empty); log in $LOG, standard error in $ERR, exit code in $CODE.
# A run that takes FZ_RUN_TIMEOUT seconds (60 unless set) has hung.
run() {
  local name=$1 root=()
  shift
  cat > "$WORK/$name.fzs"
  [ -n "$ROOT" ] && root=(--device-root "$ROOT")
  LOG="$WORK/$name.log" ERR="$WORK/$name.err" CODE=0
  timeout "${FZ_RUN_TIMEOUT:-60}" "${PROGRAM:-$HEADLESS}" "${root[@]}" --script "$WORK/$name.fzs" "$@" > "$LOG" 2> "$ERR" || CODE=$?
  [ "$CODE" -ne 124 ] || fail "$name hung"
}

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# status COMMAND...: runs it, with its exit code in $CODE.
status() { CODE=0; "$@" || CODE=$?; }
# needs TOOL...: stops, failed, unless each tool is there.
needs() { for tool in "$@"; do command -v "$tool" > /dev/null || { fail "$tool is needed"; finish; }; done; }
# xvfb: a virtual 1280 x 1024 display for the rest of the script, its server's process in $xvfb.
xvfb() {
  unset WAYLAND_DISPLAY
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$WORK/display" 2> "$WORK/xvfb.err" &
  xvfb=$!
  wait_for test -s "$WORK/display"
  export DISPLAY=":$(head -n1 "$WORK/display")"
}
# wait_for TEST...: up to 30 s for the test to pass (a loaded machine, or Wine, is slow to start).
wait_for() { for _ in $(seq 600); do "$@" && return 0; sleep 0.05; done; return 1; }
expect() { # expect DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else fail "$what"; fi
}
logs() { grep -qxF -- "$1" "$LOG"; }
errs() { grep -qF -- "$1" "$ERR"; }
field() { $FZSTATE "$STATE" field "$1"; }
# field_is NAME VALUE [FILE]: the state file (or FILE) holds VALUE in that field.
field_is() { local file=${3:-$STATE}; [ -f "$file" ] && [ "$($FZSTATE "$file" field "$1")" = "$2" ]; }
pixel() { "$PNGPIXEL" "$1" "$2" "$3"; }   # prints "R G B"
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "--- last log ($LOG):"; cat "$LOG"; echo "--- stderr:"; cat "$ERR"
    echo "$failures failed"; exit 1
  fi
  echo "all passed"
}
