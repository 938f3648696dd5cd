#!/usr/bin/env bash
# The Windows programs under Wine (FZ_WIN_BUILD), against the native ones (FZ_BUILD): the
# headless program replays the end-to-end scripts with the same logs and files; saves that
# Windows refuses keep the last good file; the window plays, resumes, toggles full screen and
# stays single; the zip's programs import only Windows' own DLLs.
source "$(dirname "$0")/../e2e/lib.bash"
: "${FZ_WIN_BUILD:?FZ_WIN_BUILD must name the Windows build directory}"
needs wine Xvfb xdotool xwd xwdtopnm pamcut pnmtopng x86_64-w64-mingw32-gcc x86_64-w64-mingw32-objdump unzip
HERE=$(cd "$(dirname "$0")" && pwd)
WIN_HEADLESS="$FZ_WIN_BUILD/fizzorbs-headless.exe"
# A prefix of its own, kept in the build folder between runs; no sound driver (the game
# plays silently without a device, and the sound libraries would only fill the log).
export WINEPREFIX="$FZ_WIN_BUILD/wineprefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,mscoree,mshtml=d"
# Wine's desktop process, started with the prefix's server, needs the display from the start.
xvfb
trap 'wineserver -k 2> /dev/null; kill "$xvfb" 2> /dev/null; wait 2> /dev/null; rm -rf "$WORK"' EXIT
wineserver -k 2> /dev/null
wine wineboot -i > /dev/null 2>&1 || { fail "the Wine prefix cannot start"; finish; }
winerun() { timeout 60 wine "$@"; }

# --- The headless device: what the end-to-end scripts ask, replayed on both programs.
mkdir -p "$WORK/build" "$WORK/record"
ln -s "$(cd "$FZ_BUILD" && pwd)"/* "$WORK/build/"
ln -sf "$HERE/record.sh" "$WORK/build/fizzorbs-headless"
for script in keyboard screens; do
  FZ_NATIVE_HEADLESS="$FZ_BUILD/fizzorbs-headless" FZ_BUILD="$WORK/build" FZ_RECORD="$WORK/record" \
    bash "$FZ_SOURCE/tests/e2e/$script.sh" > "$WORK/$script.out" 2>&1 ||
    { fail "$script.sh natively"; grep -v "^ok:" "$WORK/$script.out" | head -20; }
done
replayed=0 differ=0
for keep in "$WORK"/record/*; do
  for side in native windows; do
    out="$keep/$side"
    mkdir -p "$out/files" "$out/root"
    [ ! -d "$keep/root" ] || cp -a "$keep/root/." "$out/root"
    sed "s#$(cat "$keep/work")#$out/files#g" "$keep/script" > "$out/script"
  done
  status timeout 60 "$FZ_BUILD/fizzorbs-headless" --device-root "$keep/native/root" --script "$keep/native/script" \
    > "$keep/native/log" 2> /dev/null
  code=$CODE
  status winerun "$WIN_HEADLESS" --device-root "$keep/windows/root" --script "$keep/windows/script" \
    > "$keep/windows/raw" 2> /dev/null
  tr -d '\r' < "$keep/windows/raw" | sed "s#$keep/windows#$keep/native#g" > "$keep/windows/log"
  replayed=$((replayed + 1))
  # The logs, the files the script wrote and the device, side by side.
  if [ "$code" != "$CODE" ] || ! diff -r -x raw -x script "$keep/native" "$keep/windows" > /dev/null; then
    differ=$((differ + 1))
    echo "differs: $keep/script (exit $code / $CODE)"
    diff "$keep/native/log" "$keep/windows/log" | head -5
  fi
done
shots=$(find "$WORK"/record/*/windows/files -name '*.png' | wc -l)
expect "fizzorbs-headless.exe: $replayed runs ($shots screenshots) as on the native device" \
  eval '[ "$replayed" -ge 8 ] && [ "$shots" -ge 5 ] && [ "$differ" = 0 ]'

# --- Saves under faults keep the last good file, and say so once.
ROOT="$WORK/faults"
STATE="$ROOT/Windows/Fizzorbs.dat"
mkdir -p "$ROOT"
printf 'random 1234\nstart\nmenu "Game" "New Game"\n' | PROGRAM="$FZ_BUILD/fizzorbs-headless" run deal
read -r GX GY _ <<< "$($FZSTATE "$STATE" group)"
cp "$STATE" "$WORK/good.dat"
# burst NAME FIRST: a script of FIRST, two taps that burst the group and Undo (two saves); its
# log and errors go to $LOG and $ERR.
burst() {
  printf 'start\n%btap %s %s\ntap %s %s\ntoolbar 106\n' "$2" "$GX" "$GY" "$GX" "$GY" > "$WORK/$1.fzs"
  LOG="$WORK/$1.log" ERR="$WORK/$1.err"
}
chmod a-w "$STATE"
burst readonly ""
winerun "$WIN_HEADLESS" --device-root "$ROOT" --script "$WORK/readonly.fzs" > "$LOG" 2> "$ERR"
chmod u+w "$STATE"
expect "a read-only state file is kept as it was, and the failure said once" \
  eval 'cmp -s "$STATE" "$WORK/good.dat" && [ "$(grep -c "cannot save" "$ERR")" = 1 ] &&
        errs "the last saved game is kept"'
# The file is taken once the game has read it (the log shows the game waiting), while the
# script waits.
x86_64-w64-mingw32-gcc -municode -O2 -o "$WORK/holdopen.exe" "$HERE/holdopen.c" || fail "the helper builds"
burst held "dump\nwait 5000\n"
winerun "$WIN_HEADLESS" --device-root "$ROOT" --script "$WORK/held.fzs" > "$LOG" 2> "$ERR" &
game=$!
wait_for grep -q '^active' "$LOG"
mkfifo "$WORK/hold.in"
winerun "$WORK/holdopen.exe" "Z:${STATE//\//\\}" < "$WORK/hold.in" > "$WORK/hold.out" 2> /dev/null &
holder=$!
exec 7> "$WORK/hold.in"
expect "another process holds the state file without sharing, while the game plays" \
  wait_for grep -qs held "$WORK/hold.out"
wait "$game"
exec 7>&-
wait "$holder"
expect "a state file held open by another process is kept as it was, and the failure said once" \
  eval 'grep -q "^sleep 200" "$LOG" && cmp -s "$STATE" "$WORK/good.dat" && [ "$(grep -c "cannot save" "$ERR")" = 1 ]'

# --- The window: it opens at 3x (720 x 960) on the 1280 x 1024 display.
# The window program keeps its device in %APPDATA%\fizzorbs.
ROOT="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/fizzorbs"
STATE="$ROOT/Windows/Fizzorbs.dat"
rm -rf "$ROOT"
found() { window=$(xdotool search --onlyvisible --name '^Fizzorbs$' 2> /dev/null | head -n1); [ -n "$window" ]; }
# Wine may make the window's X window anew: each use looks for it again.
# click X Y: a real click at a point of the device's screen.
click() { found && xdotool mousemove --window "$window" $((3 * $1 + 1)) $((3 * $2 + 1)) click 1; sleep 0.3; }
# shows SCREENSHOT GRAB [board]: the window's picture (grabbed into GRAB) is the device screen
# of the screenshot, each pixel 3 x 3, centred. The navigation bar (the top 26 rows) is left
# out: the window's clock shows local time. With `board`, so is the menu bar (the bottom 26
# rows), whose Undo button a game resumed from its file does not offer.
shows() {
  local rows=294 w h
  [ "${3:-}" = board ] && rows=268
  found && xwd -silent -id "$window" | xwdtopnm > "$WORK/$2.ppm" 2> /dev/null || return 1
  read -r w h < <(pamfile "$WORK/$2.ppm" | sed -E 's/.* ([0-9]+) by ([0-9]+) .*/\1 \2/')
  pamcut -left $(((w - 720) / 2)) -top $(((h - 960) / 2 + 78)) -width 720 -height $((3 * rows)) "$WORK/$2.ppm" |
    pnmtopng > "$WORK/$2.png" && pngtopnm "$1" | pamcut -top 26 -height "$rows" | pnmtopng > "$WORK/$2-device.png" &&
    "$PNGPIXEL" --scaled 3 "$WORK/$2-device.png" "$WORK/$2.png" > "$WORK/$2.diff"
}
geometry() { found && xdotool getwindowgeometry "$window" | grep -q "Geometry: $1"; }
gone() { ! kill -0 "$program" 2> /dev/null; }
# Ctrl+Q, after a click on the score (a tap that does nothing) that gives the window the
# keyboard; pressed again while Wine, without a window manager, hands the focus back.
quit() {
  for _ in 1 2 3 4; do
    click 120 34
    xdotool key ctrl+q
    for _ in $(seq 60); do gone && return 0; sleep 0.05; done
  done
  return 1
}

timeout 120 wine "$FZ_WIN_BUILD/fizzorbs.exe" > "$WORK/window.log" 2>&1 &
program=$!
expect "the window maps, at the largest whole zoom that fits, 3x" eval 'wait_for found && geometry 720x960'
click 20 308                                     # Game
click 35 238                                     # New Game
expect "clicks on Game and New Game deal a game, saved in %APPDATA%" wait_for field_is game_in_progress 1
read -r GX GY _ <<< "$($FZSTATE "$STATE" group)"
click "$GX" "$GY"
click "$GX" "$GY"
expect "two clicks on a group burst it" wait_for field_is moves 1
cp "$STATE" "$WORK/played.dat"

# The state file, on the native device, shows what the window shows.
mkdir -p "$WORK/carried/Windows"
cp "$STATE" "$WORK/carried/Windows/"
printf 'start\nscreenshot %s\n' "$WORK/carried.png" |
  "$FZ_BUILD/fizzorbs-headless" --device-root "$WORK/carried" > /dev/null
expect "the state file shows on the native device the board the window shows" \
  wait_for shows "$WORK/carried.png" played board

xdotool key F11
expect "F11 fills the screen, where the board stays at a whole zoom, centred" \
  eval 'wait_for geometry 1280x1024 && wait_for shows "$WORK/carried.png" full board'
xdotool key alt+Return
expect "Alt+Enter gives the window back" wait_for geometry 720x960

status winerun "$FZ_WIN_BUILD/fizzorbs.exe" > "$WORK/second.log" 2>&1
expect "a second start exits 0, leaving one window" \
  eval '[ "$CODE" = 0 ] && [ "$(xdotool search --onlyvisible --name "^Fizzorbs\$" | wc -l)" = 1 ] && kill -0 "$program"'

quit
status wait "$program"
expect "Ctrl+Q closes the window and the program, with code 0" eval '[ "$CODE" = 0 ] && ! found'
timeout 120 wine "$FZ_WIN_BUILD/fizzorbs.exe" > "$WORK/window.log" 2>&1 &
program=$!
expect "started again, the window resumes the same board" \
  eval 'wait_for found && wait_for shows "$WORK/carried.png" resumed && cmp -s "$STATE" "$WORK/played.dat"'
quit
wait "$program"

# --- The zip: its programs need only what Windows ships.
unzip -q -d "$WORK/zip" "$FZ_WIN_BUILD"/fizzorbs-*-windows-x64.zip
dlls=$(for exe in "$WORK"/zip/*/*.exe; do x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p'; done |
       tr 'a-z' 'A-Z' | sort -u)
expect "the zip's programs import only Windows' DLLs ($(echo $dlls))" \
  eval '[ -n "$dlls" ] && ! grep -qvxE "(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|WINMM|MSVCRT)\.DLL" <<< "$dlls"'
expect "the zip holds both programs, the help page, the system sound, a readme and the licence" \
  eval '(cd "$WORK"/zip/* && ls fizzorbs.exe fizzorbs-headless.exe share/fizzorbs/device/Windows/{fizzorbs.htm,Critical.wav} \
           README.txt LICENSE.txt > /dev/null)'

finish
