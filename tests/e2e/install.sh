#!/usr/bin/env bash
# Installing puts the programs, desktop entry, icons, metadata, manual pages and
# device files where a Debian desktop expects them, and the installed program
# finds its device files.
source "$(dirname "$0")/lib.bash"

p="$WORK/usr"
cmake --install "$FZ_BUILD" --prefix "$p" > "$WORK/install.log" || { cat "$WORK/install.log"; exit 1; }
expect "both programs, where Debian keeps games" eval '[ -x "$p/games/fizzorbs" ] && [ -x "$p/games/fizzorbs-headless" ]'
entry="$p/share/applications/io.github.fizzorbs.Fizzorbs.desktop"
metainfo="$p/share/metainfo/io.github.fizzorbs.Fizzorbs.metainfo.xml"
expect "desktop entry named by the metadata's id, in Game;LogicGame" grep -qx "Categories=Game;LogicGame;" "$entry"
expect "the metadata launches that entry" \
  grep -q "<launchable type=\"desktop-id\">io.github.fizzorbs.Fizzorbs.desktop</launchable>" "$metainfo"
expect "desktop entry validates" eval 'desktop-file-validate "$entry" > "$WORK/dfv.log" 2>&1 && [ ! -s "$WORK/dfv.log" ]'
for size in 16 32 48 64 128; do
  expect "icon ${size}x${size}" test -s "$p/share/icons/hicolor/${size}x${size}/apps/fizzorbs.png"
done
# The one pedantic remark left is the capital letter in the id, which the id keeps.
expect "metadata validates, pedantic" eval 'appstreamcli validate --pedantic --no-net "$metainfo" > "$WORK/as.log" 2>&1 &&
  ! grep -E "^[EWI]:|^P:" "$WORK/as.log" | grep -v cid-contains-uppercase-letter | grep -q .'
for page in fizzorbs fizzorbs-headless; do
  expect "manual page $page(6)" eval 'man --warnings -l "$p/share/man/man6/$page.6.gz" > "$WORK/man.txt" 2> "$WORK/man.err" &&
    [ ! -s "$WORK/man.err" ] && grep -q "^NAME" "$WORK/man.txt"'
done
expect "the headless page documents the script and the log" eval 'zcat "$p/share/man/man6/fizzorbs-headless.6.gz" | grep -q "^.SH SCRIPT LANGUAGE" &&
  zcat "$p/share/man/man6/fizzorbs-headless.6.gz" | grep -q "^.SH LOG"'
expect "device files" eval '[ -s "$p/share/fizzorbs/device/Windows/fizzorbs.htm" ] &&
  [ -s "$p/share/fizzorbs/device/Windows/Critical.wav" ]'

# The installed program, moved away from the source tree, still ships its files to a new device.
PROGRAM="$p/games/fizzorbs-headless" run installed <<< $'random 1\nstart'
expect "installed program runs" grep -q "^sleep 250" "$LOG"
expect "a new device gets the help page" cmp -s "$ROOT/Windows/fizzorbs.htm" "$FZ_SOURCE/device/Windows/fizzorbs.htm"
expect "no path of the build machine in the programs" eval '! grep -qF "$FZ_SOURCE" "$p/games/fizzorbs" "$p/games/fizzorbs-headless"'

# The Debian package passes lintian without an error.
(cd "$FZ_BUILD" && cpack -B "$WORK/deb" > "$WORK/cpack.log" 2>&1)
expect "the package is lintian-clean of errors" eval 'lintian "$WORK"/deb/fizzorbs_*.deb > "$WORK/lintian.log" 2>&1; ! grep -q "^E:" "$WORK/lintian.log"'
finish
