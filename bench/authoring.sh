#!/usr/bin/env bash
# Authoring benchmark: `olvtool build` of a project of 1,000 photos against `zip -r -0` of the same
# project folder, run alternately, and a rebuild with nothing changed against the first build.
# Prints "ratio" lines (ours over the peer: median, min, max) and the times in milliseconds.
# Usage: bench/authoring.sh [BUILD_DIR] [PHOTOS] [REPETITIONS]   (defaults: build, 1000, 5)
# The project is made once in BUILD_DIR/bench-authoring from the demo project (`olvtool new`):
# its JPEG photos copied under new item numbers until there are PHOTOS of them.
set -euo pipefail
build=${1:-build}
photos=${2:-1000}
runs=${3:-5}
tool="$build/olvtool"
[ -x "$tool" ] || { echo "authoring.sh: $tool is missing (build it first)" >&2; exit 1; }
command -v zip >/dev/null || { echo "authoring.sh: zip is missing" >&2; exit 1; }
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
work="$build/bench-authoring"
project="$work/project-$photos"

if [ ! -f "$project/items.tsv" ]; then
  rm -rf "$work/demo" "$project"
  "$tool" new "$work/demo" >/dev/null 2>&1 || { echo "authoring.sh: olvtool new failed" >&2; exit 1; }
  mkdir -p "$project/pictures/photos"
  cp "$work/demo/"*.json "$work/demo/help.html" "$project/"
  cp -r "$work/demo/pictures/slides" "$work/demo/pictures/cars" "$work/demo/pictures/seats" \
    "$work/demo/pictures/backgrounds" "$project/pictures/"
  # Item rows of the demo with a JPEG photo, cycled: item number P00001..., its own photo file.
  awk -F'\t' -v OFS='\t' -v n="$photos" -v demo="$work/demo/" -v list="$work/copies" '
    NR == 1 { print; next }
    $9 ~ /\.jpg$/ { rows[k++] = $0 }
    END {
      for (i = 1; i <= n; i++) {
        $0 = rows[(i - 1) % k]
        src = demo $9
        $1 = sprintf("P%05d", i); $9 = sprintf("pictures/photos/P%05d.jpg", i)
        print
        print src "\t" $9 > list
      }
    }' "$work/demo/items.tsv" > "$project/items.tsv"
  while IFS=$'\t' read -r src dst; do cp "$src" "$project/$dst"; done < "$work/copies"
fi

# Wall time of one run in milliseconds; fails when the command fails.
elapsed() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || return 1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

# "median min max" of the numbers given.
stats() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)], v[1], v[NR] }'; }

out="$work/out" zipfile="$work/project.zip"
first=() again=() zipped=()
tar -cf /dev/null "$project"  # warm the file cache for both
for ((i = 0; i < runs; i++)); do
  rm -rf "$out" "$zipfile"
  first+=("$(elapsed "$tool" build "$project" "$out")")
  again+=("$(elapsed "$tool" build "$project" "$out")")
  zipped+=("$(elapsed zip -r -0 -q "$zipfile" "$project")")
  rm -f "$zipfile"
done
read -r fm fmin fmax <<<"$(stats "${first[@]}")"
read -r am amin amax <<<"$(stats "${again[@]}")"
read -r zm zmin zmax <<<"$(stats "${zipped[@]}")"
size=$(du -sm "$project" | cut -f1)
echo "project: $photos photos, $size MB; $(nproc) cores; $runs runs"
echo "time build ${fm} ms (min $fmin, max $fmax); unchanged rebuild ${am} ms (min $amin, max $amax); zip -r -0 ${zm} ms (min $zmin, max $zmax)"
awk -v b="$fm" -v z="$zm" -v bmin="$fmin" -v zmin="$zmin" -v bmax="$fmax" -v zmax="$zmax" \
  'BEGIN { printf "ratio build/zip-0 %.2f (min %.2f, max %.2f)  target <= 1.0\n", b / z, bmin / zmax, bmax / zmin }'
awk -v a="$am" -v b="$fm" -v amin="$amin" -v bmax="$fmax" -v amax="$amax" -v bmin="$fmin" \
  'BEGIN { printf "ratio rebuild/build %.3f (min %.3f, max %.3f)  target <= 0.1\n", a / b, amin / bmax, amax / bmin }'
