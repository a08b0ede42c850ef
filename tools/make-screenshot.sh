#!/usr/bin/env bash
# Makes docs/screenshot.png: the editor under a virtual X server with a small
# drawing made by mouse strokes (xdotool), the window captured alone
# (ImageMagick's import). Usage: tools/make-screenshot.sh [build folder]
# Needs xvfb, xdotool and imagemagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out="$root/docs/screenshot.png"
mkdir -p "$root/docs"

display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
editor=
trap 'kill $editor $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
(cd "$build" && exec ./pimoko) >/dev/null 2>&1 &
editor=$!
window=
for _ in $(seq 50); do
  window=$(xdotool search --onlyvisible --name 'ピモコ' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the editor's window did not appear" >&2; exit 1; }
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT
menu=$(( HEIGHT - 413 ))                              # the menu bar above the client area
# Cell (cx, cy) of the 32 x 32 editing view: panel at 112, view centred in 394.
cell() { echo $(( X + 112 + 101 + 6 * $1 + 3 )) $(( Y + menu + 101 + 6 * $2 + 3 )); }
# Palette entry (column, row): 2 x 8 cells of 30 x 25 at (34, 149); black,
# maroon / green, olive / navy, purple / teal, silver / grey, red / lime, yellow ...
colour() { xdotool mousemove $(( X + 34 + 30 * $1 + 15 )) $(( Y + menu + 149 + 25 * $2 + 12 )) click 1; sleep 0.1; }
# A pen stroke through the cells x y x y ..., every cell on the way visited
# (the pen paints the cell under each mouse move).
stroke() {
  local button=$1 x=$2 y=$3; shift 3
  xdotool mousemove $(cell "$x" "$y") mousedown "$button"
  while [ $# -gt 0 ]; do
    while [ "$x" -ne "$1" ] || [ "$y" -ne "$2" ]; do
      x=$(( x + (x < $1) - (x > $1) )); y=$(( y + (y < $2) - (y > $2) ))
      xdotool mousemove $(cell "$x" "$y"); sleep 0.01
    done
    shift 2
  done
  xdotool mouseup "$button"; sleep 0.05
}
dot() { xdotool mousemove $(cell "$1" "$2") click 1; }

# A yellow face with a navy outline, eyes and a red smile (the right button's colour).
colour 1 5  # yellow
for y in $(seq 8 23); do stroke 1 8 "$y" 23 "$y"; done
for y in 6 7 24 25; do stroke 1 10 "$y" 21 "$y"; done
colour 0 2  # navy
stroke 1 10 5 21 5; stroke 1 10 26 21 26; stroke 1 7 8 7 23; stroke 1 24 8 24 23
stroke 1 8 7 9 6; stroke 1 22 6 23 7; stroke 1 8 24 9 25; stroke 1 22 25 23 24
for x in 12 13 18 19; do dot "$x" 12; dot "$x" 13; done
stroke 3 11 18 12 19 13 20 18 20 19 19 20 18
sleep 0.5
import -window "$window" "PNG8:$out"
echo "wrote $out"
