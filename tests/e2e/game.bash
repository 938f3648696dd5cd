# Shared by the game's end-to-end tests: run fizzorbs-headless on a device root
# and look at its log, state file and screenshots.
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

# run NAME <<script — runs the script on the device root; log in $WORK/NAME.log, exit code in $CODE.
run() {
  local name=$1
  cat > "$WORK/$name.fzs"
  "$HEADLESS" --device-root "$ROOT" --script "$WORK/$name.fzs" > "$WORK/$name.log" 2> "$WORK/$name.err"
  CODE=$?
  LOG="$WORK/$name.log"
}

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
expect() { # expect DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
logs() { grep -qxF -- "$1" "$LOG"; }
nologs() { ! grep -qxF -- "$1" "$LOG"; }
logcount() { grep -cxF -- "$1" "$LOG"; }
field() { $FZSTATE "$STATE" field "$1"; }
pixel() { "$PNGPIXEL" "$1" "$2" "$3"; }   # prints "R G B"
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "--- last log ($LOG):"; cat "$LOG"; echo "--- stderr:"; cat "${LOG%.log}.err"
    echo "$failures failed"; exit 1
  fi
  echo "all passed"
}
