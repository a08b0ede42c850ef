#!/usr/bin/env bash
# Makes the icon files the icon reader's tests read, and beside each one
# ImageMagick's own rendering of the entry the reader should pick, flattened
# on white into a 32 x 32 square from the top-left corner (<name>.ppm).
# Needs icoutils (icotool) and imagemagick; run it from anywhere:
#   tests/data/icons/make_icons.sh
# The files are committed; the tests never run this script.
set -euo pipefail
cd "$(dirname "$0")"
IM=${CONVERT:-/usr/bin/convert}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Source pictures, drawn without smoothing so that the colour counts stay small.
$IM -size 32x32 xc:none +antialias -fill '#ff0000' -draw 'rectangle 2,3 20,12' \
    -fill '#0000ff' -draw 'circle 20,20 28,24' -fill black -draw 'line 0,31 31,0' \
    -fill '#ffff00' -draw 'point 31,31' "$work/a32.png"
$IM -size 32x32 xc:none +antialias -fill white -draw 'rectangle 2,3 20,12' \
    -fill black -draw 'circle 20,20 28,24' "$work/mono32.png"
$IM -size 32x32 xc:none +antialias -fill '#008000' -draw 'rectangle 0,0 31,15' \
    -fill '#800080' -draw 'ellipse 16,24 10,6 0,360' "$work/b32.png"
$IM -size 16x16 xc:none +antialias -fill '#00c000' -draw 'rectangle 1,1 10,12' \
    -fill '#000080' -draw 'point 15,15' "$work/c16.png"
$IM -size 48x48 xc:none +antialias -fill '#ff8000' -draw 'rectangle 4,4 43,20' \
    -fill '#004080' -draw 'circle 36,36 46,40' -fill black -draw 'line 0,47 47,0' "$work/d48.png"
# Colour and transparency both running across the square.
$IM -size 32x32 gradient:'#ff2000-#0040ff' \
    \( -size 32x32 gradient:white-black -rotate 90 \) \
    -alpha off -compose copy_opacity -composite -strip "$work/alpha32.png"
$IM -size 24x24 gradient:white-black \( -size 24x24 gradient:black-white -rotate 90 \) \
    -alpha off -compose copy_opacity -composite -strip -depth 16 -define png:color-type=4 "$work/gray24.png"

icotool -c -o depth1.ico -b 1 "$work/mono32.png"
icotool -c -o depth4_16_32.ico -b 4 "$work/c16.png" -b 4 "$work/a32.png"
icotool -c -o depth8.ico -b 8 "$work/a32.png"
icotool -c -o depth24.ico -b 24 "$work/a32.png"
icotool -c -o depth32_alpha.ico -b 32 "$work/alpha32.png"
icotool -c -o two32.ico -b 4 "$work/a32.png" -b 4 "$work/b32.png"
icotool -c -o only16.ico -b 4 "$work/c16.png"
icotool -c -o only48.ico -b 8 "$work/d48.png"
icotool -c -o mixed_png.ico -b 4 "$work/c16.png" -b 8 "$work/b32.png" --raw="$work/alpha32.png"
icotool -c -o png_gray16.ico --raw="$work/gray24.png"
$IM "$work/a32.png" -define icon:auto-resize=24,32,16 imagemagick_sizes.ico
# Bare PNGs at the largest side read and one beyond it.
$IM -size 256x1 xc:'#00ff00' -strip wide256.png
$IM -size 257x1 xc:'#00ff00' -strip wide257.png

# name:index of the entry the reader should choose
for pick in depth1:0 depth4_16_32:1 depth8:0 depth24:0 depth32_alpha:0 two32:1 \
            only16:0 only48:0 mixed_png:2 png_gray16:0 imagemagick_sizes:1; do
    name=${pick%%:*}
    index=${pick##*:}
    $IM "$name.ico[$index]" -background white -flatten -gravity NorthWest -extent 32x32 \
        -depth 8 -type TrueColor "ppm:$name.ppm"
done
