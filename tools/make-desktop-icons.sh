#!/usr/bin/env bash
# Makes the theme icons of the desktop entry from the program picture:
# resources/icons/pimoko-<side>.png at 16, 32, 48 and 64 pixels. Enlarged
# pixel for pixel; the 16-pixel one averages each 2 x 2 block. Needs
# ImageMagick; run again after the picture changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
picture="$root/resources/program_icon.xpm"
out="$root/resources/icons"
mkdir -p "$out"
for side in 16 32 48 64; do
  filter=point
  [ "$side" -lt 32 ] && filter=box
  convert "$picture" -filter "$filter" -resize "${side}x${side}" -strip "PNG32:$out/pimoko-$side.png"
done
