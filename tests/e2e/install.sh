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
check "both programs, where Debian keeps games" '[ -x "$p/games/fizzorbs" ] && [ -x "$p/games/fizzorbs-headless" ]'
entry="$p/share/applications/io.github.fizzorbs.Fizzorbs.desktop"
check "desktop entry named by the metadata's id, in Game;LogicGame" 'grep -qx "Categories=Game;LogicGame;" "$entry"'
check "the metadata launches that entry" \
  'grep -q "<launchable type=\"desktop-id\">io.github.fizzorbs.Fizzorbs.desktop</launchable>" "$p/share/metainfo/io.github.fizzorbs.Fizzorbs.metainfo.xml"'
check "desktop entry validates" 'desktop-file-validate "$entry" > "$work/dfv.log" 2>&1 && [ ! -s "$work/dfv.log" ]'
for size in 16 32 48 64 128; do
  check "icon ${size}x${size}" '[ -s "$p/share/icons/hicolor/${size}x${size}/apps/fizzorbs.png" ]'
done
# The one pedantic remark left is the capital letter in the id, which the id keeps.
check "metadata validates, pedantic" 'appstreamcli validate --pedantic --no-net "$p/share/metainfo/io.github.fizzorbs.Fizzorbs.metainfo.xml" > "$work/as.log" 2>&1 &&
  ! grep -E "^[EWI]:|^P:" "$work/as.log" | grep -v cid-contains-uppercase-letter | grep -q .'
for page in fizzorbs fizzorbs-headless; do
  check "manual page $page(6)" 'man --warnings -l "$p/share/man/man6/$page.6.gz" > "$work/man.txt" 2> "$work/man.err" &&
    [ ! -s "$work/man.err" ] && grep -q "^NAME" "$work/man.txt"'
done
check "the headless page documents the script and the log" 'zcat "$p/share/man/man6/fizzorbs-headless.6.gz" | grep -q "^.SH SCRIPT LANGUAGE" &&
  zcat "$p/share/man/man6/fizzorbs-headless.6.gz" | grep -q "^.SH LOG"'
check "device files" '[ -s "$p/share/fizzorbs/device/Windows/fizzorbs.htm" ] && [ -s "$p/share/fizzorbs/device/Windows/Critical.wav" ]'

# The installed program, moved away from the source tree, still ships its files to a new device.
printf 'random 1\nstart\n' > "$work/s.fzs"
"$p/games/fizzorbs-headless" --device-root "$work/root" --script "$work/s.fzs" > "$work/run.log" 2>&1
check "installed program runs" 'grep -q "^sleep 250" "$work/run.log"'
check "a new device gets the help page" 'cmp -s "$work/root/Windows/fizzorbs.htm" "$FZ_SOURCE/device/Windows/fizzorbs.htm"'

# The Debian package passes lintian without an error.
if command -v lintian > /dev/null && command -v cpack > /dev/null; then
  (cd "$FZ_BUILD" && cpack -B "$work/deb" > "$work/cpack.log" 2>&1)
  check "the package is lintian-clean of errors" 'lintian "$work"/deb/fizzorbs_*.deb > "$work/lintian.log" 2>&1; ! grep -q "^E:" "$work/lintian.log"'
fi

[ $failures -eq 0 ] && echo "all passed" || { echo "$failures failed"; exit 1; }
