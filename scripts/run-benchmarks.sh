#!/usr/bin/env bash
# Prints the editor's benchmark figures: the refresh after an edit, the
# drawing benchmarks, and start-up time and peak memory under a virtual
# X server compared with an empty Qt window of the same size.
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

echo "== Editing (offscreen)"
for bench in "$build_dir"/bench/bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  QT_QPA_PLATFORM=offscreen "$bench"
done

echo
echo "== Other tools making icons, beside the command line's --convert, --pack and --unpack, as whole processes (median of 21 runs)"
"$here/measure-other-tools.sh" "$build_dir"

echo
echo "== Start-up under Xvfb: process start to main window mapped (median of ${RUNS:-61} rounds)"
xvfb-run -a -s "-screen 0 1024x768x24" "$here/measure-startup.sh" "$build_dir"
