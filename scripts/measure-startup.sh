#!/usr/bin/env bash
# Runs inside a virtual X server: starts each program with the request to
# quit as soon as its window is exposed, in rounds of one run of each, and
# prints the median wall time and median peak resident memory of each, and
# the medians of the editor's ratios to the two floors taken round by round
# (so that a busy moment weighs on both sides of a ratio alike).
# RUNS sets the number of rounds (61 unless given: the ratios of runs of 21
# rounds moved by as much as 0.04 between runs of the same programs).
set -euo pipefail
build_dir=$1
runs=${RUNS:-61}
cd "$build_dir"
sample=$(mktemp)
# The editor starts with an empty folder of recovery copies, as after every
# normal end: one listing of it, no question.
state=$(mktemp -d)
mkdir "$state/pimoko"
trap 'rm -rf "$sample" "$state"' EXIT

# One run: prints "<microseconds> <peak KiB>".
run_once() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$sample" "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 )) $(tail -n 1 "$sample")"
}

median() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

declare -a empty_t empty_m text_t text_m ours_t ours_m
# Every other round runs the three in the opposite order, so that none of
# them always follows the same one.
for i in $(seq "$runs"); do
  order=(empty text ours)
  (( i % 2 == 0 )) && order=(ours text empty)
  for program in "${order[@]}"; do
    case $program in
      empty) read -r empty_t[i] empty_m[i] < <(run_once ./bench/empty_window) ;;
      text) read -r text_t[i] text_m[i] < <(run_once ./bench/text_window) ;;
      ours) read -r ours_t[i] ours_m[i] < <(XDG_STATE_HOME=$state PIMOKO_EXIT_WHEN_SHOWN=1 run_once ./pimoko) ;;
    esac
  done
done

report() {
  local label=$1 times=$2 memories=$3
  printf '%-40s %7.1f ms   peak RSS %6.1f MiB\n' "$label" \
    "$(tr ' ' '\n' <<<"$times" | median | awk '{ print $1 / 1000 }')" \
    "$(tr ' ' '\n' <<<"$memories" | median | awk '{ print $1 / 1024 }')"
}
echo "$runs rounds"
report "empty Qt window 505 x 433" "${empty_t[*]}" "${empty_m[*]}"
report "the same with one Japanese label" "${text_t[*]}" "${text_m[*]}"
report "editor, empty recovery folder" "${ours_t[*]}" "${ours_m[*]}"

ratios() {
  local -n ours=$1 floor=$2
  for i in $(seq "$runs"); do
    awk -v a="${ours[i]}" -v b="${floor[i]}" 'BEGIN { print a / b }'
  done | median
}
printf 'editor / empty window, median of paired ratios: time %.2f, peak memory %.2f\n' \
  "$(ratios ours_t empty_t)" "$(ratios ours_m empty_m)"
printf 'editor / window with one label, median of paired ratios: time %.2f, peak memory %.2f\n' \
  "$(ratios ours_t text_t)" "$(ratios ours_m text_m)"
