#!/usr/bin/env bash
# Fails when a layer reaches past the one below it.
set -u
root=${1:-.}
cd "$root" || exit 2
fail=0
bad=$(grep -rlE '#\s*include\s*[<"]SDL' --include='*.cpp' --include='*.h' . \
      | grep -v -E '^\./(pocket/host/sdl/|build)' || true)
[ -n "$bad" ] && { echo "SDL outside pocket/host/sdl/:"; echo "$bad"; fail=1; }
bad=$(grep -rlE '#\s*include\s*[<"](ft2build|freetype)' --include='*.cpp' --include='*.h' \
      core view shell store dialogs pocket/include pocket/host tests/probe 2>/dev/null || true)
[ -n "$bad" ] && { echo "FreeType outside the layer:"; echo "$bad"; fail=1; }
bad=$(grep -rliE 'headless|pocket/host|[<"]pocket/' --include='*.cpp' --include='*.h' \
      core view shell store dialogs 2>/dev/null || true)
[ -n "$bad" ] && { echo "game code that knows its host:"; echo "$bad"; fail=1; }
bad=$(grep -rlE 'emscripten|EMSCRIPTEN' --include='*.cpp' --include='*.h' --include='*.c' . \
      | grep -v -E '^\./(pocket/host/web/|build)' || true)
[ -n "$bad" ] && { echo "browser code outside pocket/host/web/:"; echo "$bad"; fail=1; }
# The browser host and the script runner see the layer only through pocket/include/.
for dir in pocket/host/web pocket/host/script; do
  for f in "$dir"/*.cpp "$dir"/*.h; do
    [ -e "$f" ] || continue
    for inc in $(sed -n 's/^#\s*include\s*"\([^"]*\)".*/\1/p' "$f"); do
      [ -e "$dir/$inc" ] || { echo "$f reaches inside the layer: $inc"; fail=1; }
    done
  done
done
[ $fail = 0 ] && echo "layers ok"
exit $fail
