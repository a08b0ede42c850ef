#!/usr/bin/env bash
# Times other programs making an icon file of a 64 x 64 picture, as whole
# processes, for comparison with the editor's own save figures. A tool that
# is not installed is left out.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=21

median_ms() {
  local times=()
  for _ in $(seq $runs); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p" | awk '{printf "%.1f ms", $1 / 1000}'
}

if ! command -v convert >/dev/null 2>&1 || ! convert -version 2>/dev/null | grep -q ImageMagick; then
  echo "ImageMagick is not installed: no pictures to compare with"
  exit 0
fi
convert -size 64x64 plasma:fractal -depth 8 "BMP3:$work/in.bmp"
convert "$work/in.bmp" "$work/in.png"
printf '%-60s %s\n' "ImageMagick convert 64 x 64 bitmap -> icon" "$(median_ms convert "$work/in.bmp" "$work/out.ico")"
if command -v icotool >/dev/null 2>&1; then
  printf '%-60s %s\n' "icotool -c 64 x 64 PNG -> icon" "$(median_ms icotool -c -o "$work/out2.ico" "$work/in.png")"
else
  echo "icotool is not installed"
fi
