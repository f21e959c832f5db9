#!/usr/bin/env bash
# Renders the PNG icons from the application's SVG artwork; run after changing the artwork.
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 128; do
  rsvg-convert -w "$size" -h "$size" ../../src/ui/main/resources/stretchwerk.svg \
    -o "stretchwerk-$size.png"
done
