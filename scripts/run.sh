#!/usr/bin/env bash
# Starts the program on the demo content; without a display, runs the headless tour instead.
set -euo pipefail
build=${1:-build}
program="$build/orlaventis"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi
tour="$build/tour"
mkdir -p "$tour"
if "$program" --help | grep -q -- '--tour'; then
  QT_QPA_PLATFORM=offscreen "$program" --tour "$tour"
  echo "No display: the headless tour wrote its screenshots to $tour/"
  ls -1 "$tour"
else
  "$program" --version
  echo "No display, and this build has no headless tour yet: the program was built only."
fi
