#!/usr/bin/env bash
# The committed icon renderings are PNGs of the size their folder names.
set -euo pipefail
assets="$1"
status=0
for size in 48 256; do
  png="$assets/icons/${size}x${size}/tovrik.png"
  if [ ! -f "$png" ]; then
    echo "missing $png" >&2
    status=1
    continue
  fi
  what="$(file -b "$png")"
  case "$what" in
    "PNG image data, $size x $size, 8-bit/color RGBA"*) ;;
    *) echo "$png: $what (wanted a $size x $size RGBA PNG)" >&2; status=1 ;;
  esac
done
grep -q 'viewBox="0 0 256 256"' "$assets/tovrik.svg" || { echo "tovrik.svg: viewBox is not 0 0 256 256" >&2; status=1; }
exit $status
