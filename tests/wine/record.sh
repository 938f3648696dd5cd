#!/usr/bin/env bash
# Stands in for fizzorbs-headless in the end-to-end scripts: runs it, and first keeps the
# script and the device as they were in $FZ_RECORD, for wine.sh to replay on Windows.
# Scripts of two processes (they wait for each other) are left out: replayed alone they
# would not find their partner.
args=("$@") root="" script=""
while [ $# -gt 0 ]; do
  case $1 in
    --device-root) root=$2; shift 2 ;;
    --script) script=$2; shift 2 ;;
    *) shift ;;
  esac
done
if [ -n "$script" ] && [ -f "$script" ] && ! grep -q '^wait' "$script"; then
  keep="$FZ_RECORD/$(printf %03d "$(find "$FZ_RECORD" -mindepth 1 -maxdepth 1 | wc -l)")"
  mkdir -p "$keep"
  cp "$script" "$keep/script"
  dirname "$script" > "$keep/work"
  [ -n "$root" ] && [ -d "$root" ] && cp -a "$root" "$keep/root"
fi
exec "$FZ_NATIVE_HEADLESS" "${args[@]}"
