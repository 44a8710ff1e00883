#!/usr/bin/env bash
# Writes docs/screenshots/: the headless tour of the demo work in English at 1024 x 768, its
# Catalog at 2560 x 1440 with --fill-screen, and (with ImageMagick) the three languages side by
# side. Usage: scripts/screenshots.sh [BUILD]
set -euo pipefail
build=${1:-build}
out="$(dirname "$0")/../docs/screenshots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work}
for l in 31 33 44; do "$build/orlaventis" --tour "$work/$l" --language $l --screen 1024x768 >/dev/null; done
"$build/orlaventis" --tour "$work/fill" --language 44 --screen 2560x1440 --fill-screen >/dev/null
rm -rf "$out"
mkdir -p "$out"
cp "$work"/44/*.png "$out/"
cp "$work/fill/4-catalog.png" "$out/4-catalog-2560x1440-fill.png"
# The three languages side by side, when ImageMagick is there to compose them.
if command -v montage >/dev/null; then
  montage "$work"/{31,33,44}/{2-introduction,4-catalog,5-enamel-fabrics}.png -tile 3x \
    -geometry 512x384+2+2 -background '#333' -quality 85 "$out/languages-1024x768.jpg"
fi
ls -1 "$out"
