#!/usr/bin/env bash
# Random play on the headless device, checked after every step (see soakgen.py).
# About a minute by default; FZ_SOAK_SECONDS sets the time, FZ_SOAK_SEED replays a run,
# FZ_SOAK_MASTER=random plays runs never played before.
source "$(dirname "$0")/lib.bash"
GEN="$FZ_SOURCE/tests/e2e/soakgen.py"
[ -x "$HEADLESS" ] || { fail "$HEADLESS is not built"; finish; }

# The checks first: a soak whose checks cannot fail proves nothing.
python3 "$GEN" selftest --headless "$HEADLESS" || exit 1

# The same runs every time in the test suite; `make soak` asks for fresh ones.
args=(run --headless "$HEADLESS" --seconds "${FZ_SOAK_SECONDS:-55}" --master-seed "${FZ_SOAK_MASTER:-20261205}")
if [ -n "${FZ_SOAK_SEED:-}" ]; then args+=(--seed "$FZ_SOAK_SEED" --runs 1); fi
python3 "$GEN" "${args[@]}"
