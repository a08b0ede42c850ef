#!/usr/bin/env bash
# Times other programs making an icon file of a 64 x 64 picture, as whole
# processes, for comparison with the editor's own save figures; then, when
# the build folder is given, the editor's own command line beside them:
# converting a 32 x 32 bitmap of the 16 standard colours, packing five PNG
# sizes into one icon and taking that icon apart again. Every run writes a
# new file (@OUT@ in a command) or into a new empty folder (@DIR@, made
# before the clock starts), except where replacing files is timed. A tool
# that is not installed is left out.
set -euo pipefail
build_dir=${1:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=21

# One run of a command in microseconds, by bash's own clock (no process is
# started around the one measured), with @OUT@ a new file and @DIR@ a new
# empty folder made before the clock starts.
time_once() {
  local start end folder out
  folder=$(mktemp -d -p "$work")
  out=$(mktemp -u -p "$work" new-XXXXXX.ico)
  local command=("${@//@OUT@/$out}")
  command=("${command[@]//@DIR@/$folder}")
  start=${EPOCHREALTIME/[.,]/}
  "${command[@]}" >/dev/null 2>&1
  end=${EPOCHREALTIME/[.,]/}
  echo $(( end - start ))
}

median_ms() {
  local times=()
  for run in $(seq $runs); do
    times+=($(time_once "$@"))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p" | awk '{printf "%.1f ms", $1 / 1000}'
}

# The median over runs of the ratio of command A's time to command B's
# (A ... -- B ...), run in turns, A first in one run and B in the next, so
# that a drift of the machine, the file system's own included, weighs on
# both alike.
paired_ratio() {
  local a=() b=() ta tb
  while [ "$1" != "--" ]; do a+=("$1"); shift; done
  shift
  b=("$@")
  for run in $(seq $runs); do
    if (( run % 2 )); then ta=$(time_once "${a[@]}"); tb=$(time_once "${b[@]}")
    else tb=$(time_once "${b[@]}"); ta=$(time_once "${a[@]}"); fi
    awk -v a="$ta" -v b="$tb" 'BEGIN { print a / b }'
  done | sort -g | sed -n "$(( (runs + 1) / 2 ))p" | awk '{ printf "%.2f", $1 }'
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
ours_unpack=$(median_ms "$build_dir/pimoko" --unpack @DIR@ "$work/packed.ico")
# The same over the files of the run before: each is synced to the disk
# before it replaces the old one, which icotool does not do.
ours_replacing=$(median_ms "$build_dir/pimoko" --unpack "$work/ours" --force "$work/packed.ico")
printf '%-60s %s\n' "pimoko --pack five PNG files -> icon" "$ours_pack" \
  "ImageMagick convert five PNG files -> icon" "$(median_ms "$convert" "${pngs[@]}" "$work/magick.ico")" \
  "pimoko --unpack icon -> five new PNG files" "$ours_unpack" \
  "pimoko --unpack --force icon -> replacing five PNG files" "$ours_replacing" \
  "ImageMagick convert icon -> five PNG files" "$(median_ms "$convert" "$work/packed.ico" "$work/magick/part-%d.png")"
if command -v icotool >/dev/null 2>&1; then
  icotool_pack=$(median_ms icotool -c -o "$work/icotool.ico" "${pngs[@]}")
  icotool_unpack=$(median_ms icotool -x -o @DIR@ "$work/packed.ico")
  printf '%-60s %s\n' "icotool -c five PNG files -> icon" "$icotool_pack" "icotool -x icon -> five new PNG files" "$icotool_unpack"
  printf 'pimoko / icotool, median of paired ratios, pack: %s, unpack: %s (target at most 1)\n' \
    "$(paired_ratio "$build_dir/pimoko" --pack @OUT@ "${pngs[@]}" -- icotool -c -o @OUT@ "${pngs[@]}")" \
    "$(paired_ratio "$build_dir/pimoko" --unpack @DIR@ "$work/packed.ico" -- icotool -x -o @DIR@ "$work/packed.ico")"
fi

# The same as processor time (user + system, the children's), which a busy
# machine does not inflate as it does the wall clock: 16, 32 and 48 pixel
# pictures and a 256 pixel PNG, each new icon written by one of ten runs in
# a row, the two tools in turns, 21 such pairs.
cpu_of_ten() {
  local t
  t=$( (for _ in 1 2 3 4 5 6 7 8 9 10; do
          out=$(mktemp -u -p "$work" new-XXXXXX.ico)
          "${@//@OUT@/$out}" >/dev/null 2>&1
        done; times) | tail -n 1)
  awk -v t="$t" 'BEGIN { split(t, f, " "); total = 0
    for (i = 1; i <= 2; i++) { split(f[i], p, "m"); total += p[1] * 60 + p[2] }
    printf "%d", total * 1000000 }'
}
paired_cpu_ratio() {
  local a=() b=() ta tb
  while [ "$1" != "--" ]; do a+=("$1"); shift; done
  shift
  b=("$@")
  for run in $(seq 21); do
    if (( run % 2 )); then ta=$(cpu_of_ten "${a[@]}"); tb=$(cpu_of_ten "${b[@]}")
    else tb=$(cpu_of_ten "${b[@]}"); ta=$(cpu_of_ten "${a[@]}"); fi
    awk -v a="$ta" -v b="$tb" 'BEGIN { print (b > 0 ? a / b : 0) }'
  done | sort -g | sed -n 11p | awk '{ printf "%.2f", $1 }'
}
if command -v icotool >/dev/null 2>&1; then
  four=("$work/icon16.png" "$work/icon32.png" "$work/icon48.png" "$work/icon256.png")
  three=("$work/icon16.png" "$work/icon32.png" "$work/icon48.png")
  printf 'pimoko / icotool, processor time, median of 21 paired ratios: --pack of 16, 32, 48 px and a 256 px PNG -> new icon: %s (target at most 1); without the 256 px PNG: %s\n' \
    "$(paired_cpu_ratio "$build_dir/pimoko" --pack @OUT@ "${four[@]}" -- icotool -c -o @OUT@ "${four[@]}")" \
    "$(paired_cpu_ratio "$build_dir/pimoko" --pack @OUT@ "${three[@]}" -- icotool -c -o @OUT@ "${three[@]}")"
  # Replacing an icon's 32 px image, the others kept, as the window's save
  # does: a file replaced is synced to the disk first, as every replaced file.
  cp "$work/packed.ico" "$work/replaced4.ico"
  printf '%-60s %s\n' "pimoko --replace 32 px picture into a five-image icon (synced)" \
    "$(median_ms "$build_dir/pimoko" --replace "$work/replaced4.ico" "$work/icon32.png")"
fi
echo

# Thumbnails at 128 pixels, as a file manager asks for them, beside the chain
# a script would run for the same picture: wrestool taking the program's icon
# group out, icotool taking the image out (told which one), ImageMagick
# scaling it. More runs, and the processor time besides the wall clock: on a
# busy machine a process of a few milliseconds waits for a processor longer
# than it runs.
runs=51
# Mean processor time (user + system) of one run, children included.
cpu_ms() {
  local t
  t=$( (for _ in $(seq $runs); do "$@" >/dev/null 2>&1; done; times) | tail -n 1)
  awk -v t="$t" -v n=$runs 'BEGIN {
    split(t, f, " "); total = 0
    for (i = 1; i <= 2; i++) { split(f[i], p, "m"); total += p[1] * 60 + p[2] }
    printf "%.1f ms", total * 1000 / n }'
}
echo
echo "-- thumbnails at 128 pixels, as whole processes: median wall clock and mean processor time of $runs runs"
if ! command -v icotool >/dev/null 2>&1 || ! command -v wrestool >/dev/null 2>&1; then
  echo "icoutils is not installed: no chain to compare with"
  exit 0
fi
program="$(cd "$(dirname "$0")/.." && pwd)/tests/data/pe/pe64_icon.exe"   # 16, 32, 32 (PNG)
# An application icon as they usually are: a gradient in a rounded square
# with soft edges and a ring, at the sizes Windows asks for, 256 first.
convert -size 256x256 radial-gradient:'#60a0ff-#002060' \
  \( -size 256x256 xc:black -fill white -draw 'roundrectangle 16,16 239,239 40,40' \) \
  -alpha off -compose copy_opacity -composite -compose over \
  -fill '#ffd000' -stroke '#804000' -strokewidth 6 -draw 'circle 128,128 128,64' -depth 8 "$work/src.png"
convert "$work/src.png" -define icon:auto-resize=256,48,32,24,16 "$work/multi.ico"
program_chain() {
  wrestool -x -t 14 -o "$work/group.ico" "$program" &&
    icotool -x -i 3 -o "$work/member.png" "$work/group.ico" &&
    "$convert" "$work/member.png" -filter point -resize 128x128 "$work/chain-program.png"
}
icon_chain() {
  icotool -x -i 1 -o "$work/image.png" "$work/multi.ico" &&
    "$convert" "$work/image.png" -resize 128x128 "$work/chain-icon.png"
}
ratio() { echo "${1% ms} / ${2% ms}" | bc -l; }
for row in "program:$program:program_chain" "icon of 16 to 256:$work/multi.ico:icon_chain"; do
  IFS=: read -r name input chain <<<"$row"
  ours=("$build_dir/pimoko" --thumbnail "$input" "$work/ours.png" 128)
  wall=$(median_ms "${ours[@]}")
  cpu=$(cpu_ms "${ours[@]}")
  chain_wall=$(median_ms "$chain")
  chain_cpu=$(cpu_ms "$chain")
  printf '%-50s %9s %9s\n' "pimoko --thumbnail, $name" "$wall" "$cpu" "wrestool/icotool + convert, $name" "$chain_wall" "$chain_cpu"
  printf 'pimoko / chain: %.2f wall clock, %.2f processor time (target at most 0.25)\n' \
    "$(ratio "$wall" "$chain_wall")" "$(ratio "$cpu" "$chain_cpu")"
done
