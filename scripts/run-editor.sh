#!/usr/bin/env bash
# Starts the editor from the build folder, where the tool cursor files lie,
# so that the pen, picker, fill and line tools show their own cursors.
set -euo pipefail
build_dir=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display to show the editor on (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  echo "On a machine without a screen, run it under a virtual one:  xvfb-run make run"
  exit 1
fi
cd "$build_dir"
shift || true
exec ./pimoko "$@"
