#!/usr/bin/env bash
# Fails when a layer reaches past the one below it.
set -u
root=${1:-.}
cd "$root" || exit 2
fail=0
bad=$(grep -rlE '#\s*include\s*[<"]SDL' --include='*.cpp' --include='*.h' . \
      | grep -v -E '^\./(pocket/host/x11/|build)' || true)
[ -n "$bad" ] && { echo "SDL outside pocket/host/x11/:"; echo "$bad"; fail=1; }
bad=$(grep -rlE '#\s*include\s*[<"](ft2build|freetype)' --include='*.cpp' --include='*.h' \
      core view shell store dialogs pocket/include pocket/host 2>/dev/null || true)
[ -n "$bad" ] && { echo "FreeType outside the layer:"; echo "$bad"; fail=1; }
bad=$(grep -rliE 'headless|pocket/host|[<"]pocket/' --include='*.cpp' --include='*.h' \
      core view shell store dialogs 2>/dev/null || true)
[ -n "$bad" ] && { echo "game code that knows its host:"; echo "$bad"; fail=1; }
bad=$(grep -rlE 'emscripten|EMSCRIPTEN' --include='*.cpp' --include='*.h' --include='*.c' . \
      | grep -v -E '^\./(pocket/host/web/|build)' || true)
[ -n "$bad" ] && { echo "browser code outside pocket/host/web/:"; echo "$bad"; fail=1; }
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
