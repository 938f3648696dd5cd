#!/usr/bin/env bash
# Prints the test suite's size against the code: non-blank lines of tests/ against
# everything else we write, bench/ counted on neither side.
cd "$(dirname "$0")/.." || exit 1
git rev-parse --git-dir > /dev/null 2>&1 || { echo "tests : code not counted (not a git checkout)"; exit 0; }
src='\.(c|cpp|cc|h|hpp|py|sh|bash|js|mjs|rc)$'
lines() { xargs -r cat | grep -c -v '^\s*$'; }
t=$(git ls-files -co --exclude-standard -- tests | grep -E "$src" | lines)
a=$(git ls-files -co --exclude-standard | grep -E "$src" | grep -v -E '^(tests|bench)/' | lines)
echo "tests : code = $t : $a non-blank lines ($((100 * t / (a > 0 ? a : 1)))%)"
