#!/usr/bin/env bash
# Times other programs making an icon file of a 64 x 64 picture, as whole
# processes, for comparison with the editor's own save figures; then the
# editor's own command line converting a 32 x 32 bitmap of the 16 standard
# colours beside them, when the build folder is given. Every run writes a
# new file (@OUT@ in a command), except where replacing one is timed. A tool
# that is not installed is left out.
set -euo pipefail
build_dir=${1:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=21

# Bash's own clock: no process is started around the one measured.
median_ms() {
  local times=()
  for run in $(seq $runs); do
    local start end command=("${@//@OUT@/$work/new-$run-$RANDOM.ico}")
    start=${EPOCHREALTIME/[.,]/}
    "${command[@]}" >/dev/null 2>&1
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
printf '%-60s %s\n' "ImageMagick convert 64 x 64 bitmap -> icon" "$(median_ms "$convert" "$work/in.bmp" @OUT@)"
if command -v icotool >/dev/null 2>&1; then
  printf '%-60s %s\n' "icotool -c 64 x 64 PNG -> icon" "$(median_ms icotool -c -o @OUT@ "$work/in.png")"
else
  echo "icotool is not installed"
fi

# The editor's command line beside both, on a 32 x 32 picture.
[ -n "$build_dir" ] && [ -x "$build_dir/pimoko" ] || exit 0
echo
echo "-- a 32 x 32 picture of the 16 standard colours to an icon, as whole processes (median of $runs runs)"
colours=()
for c in 000000 800000 008000 808000 000080 800080 008080 C0C0C0 808080 FF0000 00FF00 FFFF00 0000FF FF00FF 00FFFF FFFFFF; do
  colours+=("xc:#$c")
done
convert "${colours[@]}" +append -sample '32x32!' -type TrueColor "BMP3:$work/in32.bmp"
convert "$work/in32.bmp" "$work/in32.png"
ours=$(median_ms "$build_dir/pimoko" --convert @OUT@ "$work/in32.bmp")
# The same onto the file of the run before: its bytes and the rename are
# synced to the disk first.
replacing=$(median_ms "$build_dir/pimoko" --convert "$work/replaced.ico" "$work/in32.bmp")
magick=$(median_ms "$convert" "$work/in32.bmp" @OUT@)
printf '%-60s %s\n' "pimoko --convert 32 x 32 bitmap -> new icon" "$ours" \
  "pimoko --convert 32 x 32 bitmap -> icon replacing one" "$replacing" \
  "ImageMagick convert 32 x 32 bitmap -> new icon" "$magick"
if command -v icotool >/dev/null 2>&1; then
  icotool=$(median_ms icotool -c -o @OUT@ "$work/in32.png")
  printf '%-60s %s\n' "icotool -c 32 x 32 PNG -> new icon" "$icotool"
  printf 'pimoko / icotool, new files: %.2f (target at most 1)\n' "$(echo "${ours% ms} / ${icotool% ms}" | bc -l)"
fi
printf 'ImageMagick / pimoko: %.1f (target at least 5)\n' "$(echo "${magick% ms} / ${ours% ms}" | bc -l)"
