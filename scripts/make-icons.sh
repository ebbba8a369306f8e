#!/usr/bin/env bash
# Renders assets/tovrik.svg into the PNG icons committed under assets/icons.
# Run it by hand after changing the SVG and commit the PNGs with it; building
# Tovrik only copies them, so rsvg-convert (Debian package librsvg2-bin) is
# needed here and nowhere else.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
svg="$root/assets/tovrik.svg"

if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "make-icons: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
  exit 1
fi

for size in 48 256; do
  dir="$root/assets/icons/${size}x${size}"
  mkdir -p "$dir"
  rsvg-convert --width "$size" --height "$size" --format png "$svg" --output "$dir/tovrik.png.tmp"
  mv "$dir/tovrik.png.tmp" "$dir/tovrik.png"
  echo "make-icons: $dir/tovrik.png"
done
