#!/usr/bin/env bash
# Installing puts the programs, desktop entry, icons, metadata and device files
# where a desktop expects them, and the installed program finds its device files.
set -u
: "${FZ_BUILD:?}" "${FZ_SOURCE:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi; }

cmake --install "$FZ_BUILD" --prefix "$work/usr" > "$work/install.log" || { cat "$work/install.log"; exit 1; }
p="$work/usr"
check "both programs" '[ -x "$p/bin/fizzorbs" ] && [ -x "$p/bin/fizzorbs-headless" ]'
check "desktop entry in Game;LogicGame" 'grep -qx "Categories=Game;LogicGame;" "$p/share/applications/fizzorbs.desktop"'
for size in 16 32 48 64 128; do
  check "icon ${size}x${size}" '[ -s "$p/share/icons/hicolor/${size}x${size}/apps/fizzorbs.png" ]'
done
check "metadata" '[ -s "$p/share/metainfo/io.github.fizzorbs.Fizzorbs.metainfo.xml" ]'
if command -v appstreamcli > /dev/null; then
  check "metadata validates" 'appstreamcli validate --no-net "$p/share/metainfo/io.github.fizzorbs.Fizzorbs.metainfo.xml" > "$work/as.log" 2>&1'
fi
check "device files" '[ -s "$p/share/fizzorbs/device/Windows/fizzorbs.htm" ] && [ -s "$p/share/fizzorbs/device/Windows/Critical.wav" ]'

# The installed program, moved away from the source tree, still ships its files to a new device.
printf 'random 1\nstart\n' > "$work/s.fzs"
"$p/bin/fizzorbs-headless" --device-root "$work/root" --script "$work/s.fzs" > "$work/run.log" 2>&1
check "installed program runs" 'grep -q "^sleep 250" "$work/run.log"'
check "a new device gets the help page" 'cmp -s "$work/root/Windows/fizzorbs.htm" "$FZ_SOURCE/device/Windows/fizzorbs.htm"'
check "no path of the build machine in the programs" '! grep -qF "$FZ_SOURCE" "$p/bin/fizzorbs" "$p/bin/fizzorbs-headless"'

[ $failures -eq 0 ] && echo "all passed" || { echo "$failures failed"; exit 1; }
