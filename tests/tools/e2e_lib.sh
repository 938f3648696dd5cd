# Shared by tests/e2e/probe_*.sh: runs the probe programs and checks what they logged.
set -u
: "${FZ_BUILD:?FZ_BUILD must name the build folder}"
: "${FZ_SOURCE:?FZ_SOURCE must name the source folder}"

PROBE="$FZ_BUILD/tests/probe-headless"
PROBE_SDL="$FZ_BUILD/tests/probe-sdl"
PNGPIXEL="$FZ_BUILD/tests/pngpixel"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
OUT="$WORK/out.log"
ERR="$WORK/err.log"
CODE=0

fail() {
  echo "FAIL: $*" >&2
  echo "--- stdout" >&2
  cat "$OUT" >&2 2>/dev/null
  echo "--- stderr" >&2
  cat "$ERR" >&2 2>/dev/null
  exit 1
}

need() {
  for f in "$@"; do [ -x "$f" ] || fail "$f is not built"; done
}

# run_probe SCRIPT-TEXT [ARGS...]: the script goes in through a file; sets CODE.
run_probe() {
  local script="$1"
  shift
  printf '%s\n' "$script" >"$WORK/script.txt"
  CODE=0
  timeout 60 "$PROBE" --script "$WORK/script.txt" "$@" >"$OUT" 2>"$ERR" || CODE=$?
  [ "$CODE" -ne 124 ] || fail "the probe hung"
}

expect_code() {
  [ "$CODE" -eq "$1" ] || fail "exit code $CODE, expected $1"
}

expect_line() {
  grep -Fxq -- "$1" "$OUT" || fail "no line: $1"
}

expect_no_line() {
  if grep -Fxq -- "$1" "$OUT"; then fail "unexpected line: $1"; fi
}

expect_stderr() {
  grep -Fq -- "$1" "$ERR" || fail "stderr does not mention: $1"
}

# The first line of the log equal to $1 (0 when there is none).
line_of() {
  grep -Fxn -- "$1" "$OUT" | head -n1 | cut -d: -f1 || true
}

# expect_order A B C...: each line appears, after the one before it.
expect_order() {
  local previous=0 previousText="(start)" n
  for line in "$@"; do
    n=$(awk -v want="$line" -v after="$previous" 'NR > after && $0 == want { print NR; exit }' "$OUT")
    [ -n "$n" ] || fail "no line \"$line\" after \"$previousText\""
    previous=$n
    previousText=$line
  done
}

# expect_pixel FILE X Y "R G B"
expect_pixel() {
  local got
  got=$("$PNGPIXEL" "$1" "$2" "$3") || fail "cannot read pixel ($2, $3) of $1"
  [ "$got" = "$4" ] || fail "pixel ($2, $3) of $(basename "$1") is $got, expected $4"
}
