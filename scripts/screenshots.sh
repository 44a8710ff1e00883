#!/usr/bin/env bash
# Writes docs/screenshots/: the headless tour of the demo work in English at 1024 x 768, and its
# Catalog at 2560 x 1440 with --fill-screen. Usage: scripts/screenshots.sh [BUILD]
set -euo pipefail
build=${1:-build}
out="$(dirname "$0")/../docs/screenshots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work}
"$build/orlaventis" --tour "$work/1024x768" --language 44 --screen 1024x768 >/dev/null
"$build/orlaventis" --tour "$work/fill" --language 44 --screen 2560x1440 --fill-screen >/dev/null
rm -rf "$out"
mkdir -p "$out"
cp "$work"/1024x768/*.png "$out/"
cp "$work/fill/4-catalog.png" "$out/4-catalog-2560x1440-fill.png"
ls -1 "$out"
