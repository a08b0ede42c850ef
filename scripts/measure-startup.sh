#!/usr/bin/env bash
# Runs inside a virtual X server: starts each program 21 times with the
# request to quit as soon as its window is exposed, and prints the median
# wall time and the median peak resident memory.
set -euo pipefail
build_dir=$1
runs=21
cd "$build_dir"

measure() {
  local label=$1; shift
  local times=() memories=()
  for _ in $(seq $runs); do
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o /tmp/pimoko-startup-rss "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
    memories+=("$(tail -n 1 /tmp/pimoko-startup-rss)")
  done
  local median_time median_memory
  median_time=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
  median_memory=$(printf '%s\n' "${memories[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
  printf '%-40s %7.1f ms   peak RSS %6.1f MB\n' "$label" "$(echo "$median_time / 1000" | bc -l)" \
    "$(echo "$median_memory / 1024" | bc -l)" >&2
  echo "$median_time $median_memory"
}

empty=$(measure "empty Qt window 505 x 433" ./bench/empty_window)
text=$(measure "the same with one Japanese label" ./bench/text_window)
ours=$(PIMOKO_EXIT_WHEN_SHOWN=1 measure "editor" ./pimoko)
read -r empty_time empty_memory <<<"$empty"
read -r our_time our_memory <<<"$ours"
read -r text_time text_memory <<<"$text"
printf 'editor / empty window: time %.2f, peak memory %.2f\n' \
  "$(echo "$our_time / $empty_time" | bc -l)" "$(echo "$our_memory / $empty_memory" | bc -l)"
printf 'editor / window with one label: time %.2f, peak memory %.2f\n' \
  "$(echo "$our_time / $text_time" | bc -l)" "$(echo "$our_memory / $text_memory" | bc -l)"
