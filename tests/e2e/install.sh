#!/usr/bin/env bash
# Installing puts the programs, desktop entry, icons, metadata and device files
# where a desktop expects them, and the installed program finds its device files.
source "$(dirname "$0")/lib.bash"

p="$WORK/usr"
cmake --install "$FZ_BUILD" --prefix "$p" > "$WORK/install.log" || { cat "$WORK/install.log"; exit 1; }
expect "both programs" eval '[ -x "$p/bin/fizzorbs" ] && [ -x "$p/bin/fizzorbs-headless" ]'
expect "desktop entry in Game;LogicGame" grep -qx "Categories=Game;LogicGame;" "$p/share/applications/fizzorbs.desktop"
for size in 16 32 48 64 128; do
  expect "icon ${size}x${size}" test -s "$p/share/icons/hicolor/${size}x${size}/apps/fizzorbs.png"
done
metainfo="$p/share/metainfo/io.github.fizzorbs.Fizzorbs.metainfo.xml"
expect "metadata" test -s "$metainfo"
if command -v appstreamcli > /dev/null; then
  expect "metadata validates" eval 'appstreamcli validate --no-net "$metainfo" > "$WORK/as.log" 2>&1'
fi
expect "device files" eval '[ -s "$p/share/fizzorbs/device/Windows/fizzorbs.htm" ] &&
  [ -s "$p/share/fizzorbs/device/Windows/Critical.wav" ]'

# The installed program, moved away from the source tree, still ships its files to a new device.
PROGRAM="$p/bin/fizzorbs-headless" run installed <<< $'random 1\nstart'
expect "installed program runs" grep -q "^sleep 250" "$LOG"
expect "a new device gets the help page" cmp -s "$ROOT/Windows/fizzorbs.htm" "$FZ_SOURCE/device/Windows/fizzorbs.htm"
finish
