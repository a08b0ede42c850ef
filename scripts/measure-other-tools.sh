#!/usr/bin/env bash
# Times other programs making an icon file of a 64 x 64 picture, as whole
# processes, for comparison with the editor's own save figures; then, when
# the build folder is given, the editor's own command line beside them:
# converting a 32 x 32 bitmap of the 16 standard colours, packing five PNG
# sizes into one icon and taking that icon apart again. Every run writes a
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

# Five sizes of one picture, as an application icon set holds them: a smooth
# colour field inside a disc, the rest transparent, reduced for the small ones.
echo
echo "-- five PNG sizes (16, 24, 32, 48, 256) into one icon and back, as whole processes (median of $runs runs)"
convert -size 256x256 plasma:fractal -blur 0x2 \( -size 256x256 xc:black -fill white -draw "circle 128,128 128,6" \) \
  -alpha off -compose CopyOpacity -composite "PNG32:$work/icon256.png"
for side in 16 24 32 48; do convert "$work/icon256.png" -resize "${side}x${side}" "PNG32:$work/icon$side.png"; done
pngs=("$work/icon16.png" "$work/icon24.png" "$work/icon32.png" "$work/icon48.png" "$work/icon256.png")
mkdir -p "$work/ours" "$work/icotool" "$work/magick"
ours_pack=$(median_ms "$build_dir/pimoko" --pack "$work/packed.ico" "${pngs[@]}")
ours_unpack=$(median_ms "$build_dir/pimoko" --unpack "$work/ours" --force "$work/packed.ico")
printf '%-60s %s\n' "pimoko --pack five PNG files -> icon" "$ours_pack" \
  "ImageMagick convert five PNG files -> icon" "$(median_ms "$convert" "${pngs[@]}" "$work/magick.ico")" \
  "pimoko --unpack icon -> five PNG files" "$ours_unpack" \
  "ImageMagick convert icon -> five PNG files" "$(median_ms "$convert" "$work/packed.ico" "$work/magick/part-%d.png")"
if command -v icotool >/dev/null 2>&1; then
  icotool_pack=$(median_ms icotool -c -o "$work/icotool.ico" "${pngs[@]}")
  icotool_unpack=$(median_ms icotool -x -o "$work/icotool" "$work/packed.ico")
  printf '%-60s %s\n' "icotool -c five PNG files -> icon" "$icotool_pack" "icotool -x icon -> five PNG files" "$icotool_unpack"
  printf 'pimoko / icotool, pack: %.2f, unpack: %.2f (target at most 1)\n' \
    "$(echo "${ours_pack% ms} / ${icotool_pack% ms}" | bc -l)" "$(echo "${ours_unpack% ms} / ${icotool_unpack% ms}" | bc -l)"
fi
