#!/usr/bin/env bash
# Renders the program's icon data/icons/exambell.svg into the PNG sizes the desktop and the
# windows use (needs rsvg-convert: tools/packages.sh icons).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" exambell.svg -o "exambell-$size.png"
done
