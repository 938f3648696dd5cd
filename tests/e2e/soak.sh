#!/usr/bin/env bash
# Random play on the headless device, checked after every step (see soakgen.py).
# About a minute by default; FZ_SOAK_SECONDS sets the time, FZ_SOAK_SEED replays a run,
# FZ_SOAK_MASTER=random plays runs never played before.
set -u
: "${FZ_BUILD:?FZ_BUILD must name the build directory}"
: "${FZ_SOURCE:?FZ_SOURCE must name the source directory}"
HEADLESS="$FZ_BUILD/fizzorbs-headless"
GEN="$FZ_SOURCE/tests/e2e/soakgen.py"
SECONDS_LEFT="${FZ_SOAK_SECONDS:-55}"

if [ ! -x "$HEADLESS" ]; then
  echo "FAIL: $HEADLESS is not built"
  exit 1
fi

# The checks first: a soak whose checks cannot fail proves nothing.
python3 "$GEN" selftest --headless "$HEADLESS" || exit 1

args=(run --headless "$HEADLESS" --seconds "$SECONDS_LEFT")
# The same runs every time in the test suite; `make soak` asks for fresh ones.
MASTER="${FZ_SOAK_MASTER:-20261205}"
if [ "$MASTER" != random ]; then args+=(--master-seed "$MASTER"); fi
if [ -n "${FZ_SOAK_SEED:-}" ]; then args+=(--seed "$FZ_SOAK_SEED" --runs 1); fi
python3 "$GEN" "${args[@]}"
