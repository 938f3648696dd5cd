#!/usr/bin/env bash
# Fails when a layer reaches past the one below it.
set -u
root=${1:-.}
cd "$root" || exit 2
fail=0
# only_in WHAT PATTERN PLACES: the pattern appears only in files whose path matches PLACES.
only_in() {
  bad=$(grep -rlE "$2" --include='*.cpp' --include='*.h' --include='*.c' . | grep -v -E "^\./($3|build)" || true)
  [ -n "$bad" ] && { echo "$1:"; echo "$bad"; fail=1; }
}
# A host is its platform's calls: SDL only plays the X11 host's sound, X11 only draws its
# window, and the Windows SDK (beyond the layer's own windows.h) and its compilers' macros
# belong to the Windows host, or to a layer file named for it (`..._win32.cpp`).
only_in "SDL outside the X11 host's sound" '#\s*include\s*[<"]SDL' 'pocket/host/x11/audio\.cpp'
only_in "X11 outside pocket/host/x11/" '#\s*include\s*[<"]X11/' 'pocket/host/x11/|bench/tools/'
only_in "the Windows SDK outside pocket/host/win32/" \
  '#\s*include\s*[<"](win(user|gdi|base|nt|def|reg|error|sock2?|ver)|ws2tcpip|shellapi|shlobj|shlwapi|dwmapi|objbase|knownfolders|windowsx|timeapi|fileapi|versionhelpers)\.h|_WIN32|_MSC_VER|__MINGW' \
  'pocket/host/win32/|pocket/src/[a-z]+/[a-z_]+_win32\.cpp'
bad=$(grep -rlE '#\s*include\s*[<"](ft2build|freetype)' --include='*.cpp' --include='*.h' \
      core view shell store dialogs pocket/include pocket/host 2>/dev/null || true)
[ -n "$bad" ] && { echo "FreeType outside the layer:"; echo "$bad"; fail=1; }
bad=$(grep -rliE 'headless|pocket/host|[<"]pocket/' --include='*.cpp' --include='*.h' \
      core view shell store dialogs 2>/dev/null || true)
[ -n "$bad" ] && { echo "game code that knows its host:"; echo "$bad"; fail=1; }
only_in "browser code outside pocket/host/web/" 'emscripten|EMSCRIPTEN' 'pocket/host/web/'
# Hosts see the layer only through pocket/include/pocket/: a quoted include names a
# file of the host's own folder.
while IFS=: read -r file _ inc; do
  name=$(sed -E 's/.*"([^"]+)".*/\1/' <<<"$inc")
  [[ $name != *..* && -f "$(dirname "$file")/$name" ]] || { echo "host reaches into the layer: $file includes \"$name\""; fail=1; }
done < <(grep -rnE '#\s*include\s*"' --include='*.cpp' --include='*.h' pocket/host 2>/dev/null)
# The layer is a device that could run any program: the game's name (its resource
# script's) appears nowhere in it.
for rc in res/*.rc; do
  game=$(basename "$rc" .rc)
  bad=$(grep -rIliw -- "$game" pocket 2>/dev/null || true)
  [ -n "$bad" ] && { echo "the layer knows the program \"$game\":"; echo "$bad"; fail=1; }
done
[ $fail = 0 ] && echo "layers ok"
exit $fail
