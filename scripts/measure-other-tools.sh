#!/usr/bin/env bash
# Times other programs making an icon file of a 64 x 64 picture, as whole
# processes, for comparison with the editor's own save figures; then the
# editor's own command line converting a 32 x 32 bitmap beside them, when
# the build folder is given. A tool that is not installed is left out.
set -euo pipefail
build_dir=${1:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=21

# Bash's own clock: no process is started around the one measured.
median_ms() {
  local times=()
  for _ in $(seq $runs); do
    local start end
    start=${EPOCHREALTIME/[.,]/}
    "$@" >/dev/null 2>&1
    end=${EPOCHREALTIME/[.,]/}
    times+=($(( end - start )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p" | awk '{printf "%.1f ms", $1 / 1000}'
}

# ImageMagick's own program, not a wrapper that may stand in front of it.
convert=
for candidate in magick convert-im6.q16 convert; do
  if command -v "$candidate" >/dev/null 2>&1 && "$candidate" -version 2>/dev/null | grep -q ImageMagick; then
    convert=$candidate
    break
  fi
done
if [ -z "$convert" ]; then
  echo "ImageMagick is not installed: no pictures to compare with"
  exit 0
fi
convert() { "$convert" "$@"; }
convert -size 64x64 plasma:fractal -depth 8 "BMP3:$work/in.bmp"
convert "$work/in.bmp" "$work/in.png"
printf '%-60s %s\n' "ImageMagick convert 64 x 64 bitmap -> icon" "$(median_ms "$convert" "$work/in.bmp" "$work/out.ico")"
if command -v icotool >/dev/null 2>&1; then
  printf '%-60s %s\n' "icotool -c 64 x 64 PNG -> icon" "$(median_ms icotool -c -o "$work/out2.ico" "$work/in.png")"
else
  echo "icotool is not installed"
fi

# The editor's command line beside both, on a 32 x 32 picture.
[ -n "$build_dir" ] && [ -x "$build_dir/pimoko" ] || exit 0
echo
echo "-- a 32 x 32 picture to an icon, as whole processes (median of $runs runs)"
convert -size 32x32 plasma:fractal -depth 8 "BMP3:$work/in32.bmp"
convert "$work/in32.bmp" "$work/in32.png"
ours=$(median_ms "$build_dir/pimoko" --convert "$work/ours.ico" "$work/in32.bmp")
magick=$(median_ms "$convert" "$work/in32.bmp" "$work/magick.ico")
printf '%-60s %s\n' "pimoko --convert 32 x 32 bitmap -> icon" "$ours" "ImageMagick convert 32 x 32 bitmap -> icon" "$magick"
if command -v icotool >/dev/null 2>&1; then
  icotool=$(median_ms icotool -c -o "$work/icotool.ico" "$work/in32.png")
  printf '%-60s %s\n' "icotool -c 32 x 32 PNG -> icon" "$icotool"
  printf 'pimoko / icotool: %.2f (target at most 1)\n' "$(echo "${ours% ms} / ${icotool% ms}" | bc -l)"
fi
printf 'ImageMagick / pimoko: %.1f (target at least 5)\n' "$(echo "${magick% ms} / ${ours% ms}" | bc -l)"
