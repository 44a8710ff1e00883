#!/usr/bin/env bash
# Authoring benchmark, every part in one run on the same cores:
#  - `olvtool build` of a project of 1,000 photos against `zip -r -0` of the project folder alone, and
#    against the fair peer: that zip running beside `jpeginfo -c` of every photo spread over every core
#    (a build reads and checks every picture, zip alone checks none), timed as the wall time of both;
#  - a rebuild with nothing changed against the first build;
#  - scale: builds of 10k, 40k and 100k rows of one tiny photo each, wall time and peak memory, which
#    should grow with the rows and no faster.
# Each comparison is run alternately, repetition after repetition; "ratio" lines are ours over the peer
# per repetition (median, min, max), times in milliseconds.
# Usage: bench/authoring.sh [BUILD_DIR] [PHOTOS] [REPETITIONS] [SCALE]   (defaults: build, 1000, 5)
#   SCALE (argument or environment) is the row counts of the scale builds, default "10000 40000 100000";
#   its first and last give the ratios. SCALE="" skips the scale builds.
# The projects are made once in BUILD_DIR/bench-authoring from the demo project (`olvtool new`): the
# demo's item rows cycled under new item numbers, each with its own photo file (a copy of a demo JPEG
# photo, or for the scale a 16x16 JPEG).
set -euo pipefail
build=${1:-build}
photos=${2:-1000}
runs=${3:-5}
scale=${4-${SCALE-10000 40000 100000}}
tool="$build/olvtool"
[ -x "$tool" ] || { echo "authoring.sh: $tool is missing (build it first)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "authoring.sh: /usr/bin/time is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
# The peers are optional: without them only their comparison is skipped (scripts/install-deps.sh installs both).
have_zip=1 have_jpeginfo=1
command -v zip >/dev/null || { have_zip=0; echo "authoring.sh: zip is missing: no comparison with zip -r -0, alone or beside jpeginfo (run scripts/install-deps.sh)"; }
command -v jpeginfo >/dev/null || { have_jpeginfo=0; echo "authoring.sh: jpeginfo is missing: no comparison with the fair peer zip -r -0 + jpeginfo -c (run scripts/install-deps.sh)"; }
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
work="$build/bench-authoring"
demo="$work/demo"
mkdir -p "$work"

if [ ! -f "$demo/items.tsv" ]; then
  rm -rf "$demo"
  "$tool" new "$demo" >/dev/null 2>&1 || { echo "authoring.sh: olvtool new failed" >&2; exit 1; }
fi

# A 16x16 baseline JPEG (654 bytes), the photo of every row of the scale projects.
tiny="$work/tiny.jpg"
[ -s "$tiny" ] || base64 -d >"$tiny" <<'EOF'
/9j/4AAQSkZJRgABAQEAYABgAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRofHh0a
HBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2wBDAQkJCQwLDBgNDRgyIRwhMjIyMjIy
MjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjIyMjL/wAARCAAQABADASIA
AhEBAxEB/8QAHwAAAQUBAQEBAQEAAAAAAAAAAAECAwQFBgcICQoL/8QAtRAAAgEDAwIEAwUFBAQA
AAF9AQIDAAQRBRIhMUEGE1FhByJxFDKBkaEII0KxwRVS0fAkM2JyggkKFhcYGRolJicoKSo0NTY3
ODk6Q0RFRkdISUpTVFVWV1hZWmNkZWZnaGlqc3R1dnd4eXqDhIWGh4iJipKTlJWWl5iZmqKjpKWm
p6ipqrKztLW2t7i5usLDxMXGx8jJytLT1NXW19jZ2uHi4+Tl5ufo6erx8vP09fb3+Pn6/8QAHwEA
AwEBAQEBAQEBAQAAAAAAAAECAwQFBgcICQoL/8QAtREAAgECBAQDBAcFBAQAAQJ3AAECAxEEBSEx
BhJBUQdhcRMiMoEIFEKRobHBCSMzUvAVYnLRChYkNOEl8RcYGRomJygpKjU2Nzg5OkNERUZHSElK
U1RVVldYWVpjZGVmZ2hpanN0dXZ3eHl6goOEhYaHiImKkpOUlZaXmJmaoqOkpaanqKmqsrO0tba3
uLm6wsPExcbHyMnK0tPU1dbX2Nna4uPk5ebn6Onq8vP09fb3+Pn6/9oADAMBAAIRAxEAPwDJtLHp
xW7aWPTirNpY9OK3LSx6cV1YjFmOT43bU//Z
EOF

# make_project DIR ROWS PREFIX [PHOTO]: the demo project with ROWS item rows (the demo's rows with a
# JPEG photo, cycled), item numbers PREFIX000001..., each row's photo its own file: a copy of the
# demo photo of the row, or of PHOTO when given. Made once; kept while DIR/items.tsv is there.
make_project() {
  local dir=$1 rows=$2 prefix=$3 photo=${4:-}
  [ -f "$dir/items.tsv" ] && return 0
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -r "$demo/." "$dir/"
  rm -rf "$dir/pictures/photos" "$dir/items.tsv"
  mkdir -p "$dir/pictures/photos"
  # The columns are found by their names in the demo's header line.
  awk -F'\t' -v OFS='\t' -v n="$rows" -v prefix="$prefix" -v demo="$demo/" -v photo="$photo" -v list="$dir.copies" '
    NR == 1 {
      for (c = 1; c <= NF; c++) { if ($c == "Item Number") number = c; if ($c == "Photo") picture = c }
      if (!number || !picture) { print "authoring.sh: the demo items.tsv has no Item Number or Photo column" > "/dev/stderr"; exit 1 }
      print; next
    }
    $picture ~ /\.jpg$/ { rows[k++] = $0 }
    END {
      if (!number || !picture) exit 1
      if (k == 0) { print "authoring.sh: the demo has no JPEG photo" > "/dev/stderr"; exit 1 }
      for (i = 1; i <= n; i++) {
        $0 = rows[(i - 1) % k]
        src = photo != "" ? photo : demo $picture
        $number = sprintf("%s%06d", prefix, i); $picture = sprintf("pictures/photos/%s%06d.jpg", prefix, i)
        print
        print src "\t" $picture > list
      }
    }' "$demo/items.tsv" >"$dir/items.tsv.part"
  # Copies, not links: every photo is a file of its own, as in a real project.
  if command -v python3 >/dev/null; then
    python3 -c '
import shutil, sys
project = sys.argv[2]
with open(sys.argv[1], encoding="utf-8") as pairs:
    for line in pairs:
        src, dst = line.rstrip("\n").split("\t")
        shutil.copyfile(src, project + "/" + dst)
' "$dir.copies" "$dir"
  else
    while IFS=$'\t' read -r src dst; do cp "$src" "$dir/$dst"; done <"$dir.copies"
  fi
  rm -f "$dir.copies"
  mv "$dir/items.tsv.part" "$dir/items.tsv"
}

# Reads every file of a folder once, so that no run pays for the disk and the first run is not special
# (tar to /dev/null would skip reading the contents).
warm() { find "$1" -type f -print0 | xargs -0 cat >/dev/null; }

# Wall time of one run in milliseconds; fails when the command fails.
elapsed() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || return 1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

# "milliseconds kilobytes": wall time and peak resident memory of one run; fails when the command fails.
measured() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>&1 || return 1
  end=$(date +%s%N)
  echo "$(((end - start) / 1000000)) $(tail -n 1 "$work/peak")"
}

# The fair peer: zip -r -0 of the folder ZIPFILE beside jpeginfo -c of every JPEG of the folder over every
# core, the archive a build makes and the check it does of every picture; fails when either fails.
zip_and_check() {
  local zipfile=$1 folder=$2 zipped=0 checked=0 zipper
  zip -r -0 -q "$zipfile" "$folder" &
  zipper=$!
  find "$folder" -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) -print0 |
    xargs -0 -P "$(nproc)" -n 64 jpeginfo -c >/dev/null || checked=$?
  wait "$zipper" || zipped=$?
  [ "$zipped" -eq 0 ] && [ "$checked" -eq 0 ]
}

# "median min max" of the numbers given.
stats() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)], v[1], v[NR] }'; }

# "median min max" of the ratios OURS[i] / PEER[i], repetition by repetition: ratios NAME_OURS NAME_PEER.
ratios() {
  local -n ours=$1 peer=$2
  local i values=()
  for ((i = 0; i < ${#ours[@]}; i++)); do
    values+=("$(awk -v a="${ours[i]}" -v b="${peer[i]}" 'BEGIN { printf "%.4f", a / (b > 0 ? b : 1) }')")
  done
  stats "${values[@]}"
}

# ---- 1,000 photos: build, rebuild, zip, zip + jpeginfo ----

project="$work/project-$photos"
make_project "$project" "$photos" P
out="$work/out" zipfile="$work/project.zip"
first=() again=() peaks=() zipped=() fair=()
warm "$project"
for ((i = 0; i < runs; i++)); do
  rm -rf "$out" "$zipfile"
  run=$(measured "$tool" build "$project" "$out") || { echo "authoring.sh: olvtool build $project failed" >&2; exit 1; }
  read -r ms kb <<<"$run"
  first+=("$ms") peaks+=("$kb")
  again+=("$(elapsed "$tool" build "$project" "$out")") || { echo "authoring.sh: the rebuild failed" >&2; exit 1; }
  if [ "$have_zip" = 1 ]; then
    zipped+=("$(elapsed zip -r -0 -q "$zipfile" "$project")") || { echo "authoring.sh: zip failed" >&2; exit 1; }
    rm -f "$zipfile"
    if [ "$have_jpeginfo" = 1 ]; then
      fair+=("$(elapsed zip_and_check "$zipfile" "$project")") ||
        { echo "authoring.sh: zip + jpeginfo -c failed (a photo jpeginfo finds broken?)" >&2; exit 1; }
      rm -f "$zipfile"
    fi
  fi
done
read -r fm fmin fmax <<<"$(stats "${first[@]}")"
read -r am amin amax <<<"$(stats "${again[@]}")"
read -r pm _ pmax <<<"$(stats "${peaks[@]}")"
size=$(du -sm "$project" | cut -f1)
photo_size=$(du -sm "$project/pictures/photos" | cut -f1)
echo "project: $photos photos, photos $photo_size MB (du), project $size MB; $(nproc) cores; $runs runs"
echo "time build ${fm} ms (min $fmin, max $fmax), peak $((pm / 1024)) MB (max $((pmax / 1024)) MB); unchanged rebuild ${am} ms (min $amin, max $amax)"
if [ "$have_zip" = 1 ]; then
  read -r zm zmin zmax <<<"$(stats "${zipped[@]}")"
  echo "time zip -r -0 ${zm} ms (min $zmin, max $zmax)"
  read -r qm qmin qmax <<<"$(ratios first zipped)"
  printf 'ratio build/zip-0 %.2f (min %.2f, max %.2f)  no target: zip checks no picture\n' "$qm" "$qmin" "$qmax"
  if [ "$have_jpeginfo" = 1 ]; then
    read -r jm jmin jmax <<<"$(stats "${fair[@]}")"
    echo "time zip -r -0 beside jpeginfo -c on $(nproc) cores ${jm} ms (min $jmin, max $jmax)"
    read -r qm qmin qmax <<<"$(ratios first fair)"
    printf 'ratio build/zip-0+jpeginfo %.2f (min %.2f, max %.2f)  target <= 1.0\n' "$qm" "$qmin" "$qmax"
  fi
fi
read -r qm qmin qmax <<<"$(ratios again first)"
printf 'ratio rebuild/build %.3f (min %.3f, max %.3f)  target <= 0.1\n' "$qm" "$qmin" "$qmax"

# ---- scale: rows of one tiny photo each ----

[ -n "${scale// /}" ] || exit 0
sizes=()
for n in $scale; do
  [[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "authoring.sh: SCALE wants row counts, not \"$n\"" >&2; exit 1; }
  sizes+=("$n")
done
times=() memories=()
for n in "${sizes[@]}"; do
  rows="$work/scale-$n"
  make_project "$rows" "$n" S "$tiny"
  warm "$rows"
  rm -rf "$work/scale-out"
  run=$(measured "$tool" build "$rows" "$work/scale-out") || { echo "authoring.sh: olvtool build $rows failed" >&2; exit 1; }
  read -r ms kb <<<"$run"
  rm -rf "$work/scale-out"
  times+=("$ms") memories+=("$kb")
  echo "scale: $n rows of a 16x16 photo: build $ms ms, peak $((kb / 1024)) MB"
done
if [ ${#sizes[@]} -ge 2 ]; then
  low=${sizes[0]} high=${sizes[-1]}
  # Linear in the rows, with a fifth to spare: 12x for 10k to 100k rows. Memory beyond what any build
  # needs grows with the rows too, but far less: at most twice over the whole range.
  awk -v a="${times[-1]}" -v b="${times[0]}" -v lo="$low" -v hi="$high" \
    'BEGIN { printf "ratio time %d/%d rows %.2f  target <= %.1f (linear)\n", hi, lo, a / (b > 0 ? b : 1), 1.2 * hi / lo }'
  awk -v a="${memories[-1]}" -v b="${memories[0]}" -v lo="$low" -v hi="$high" \
    'BEGIN { printf "ratio memory %d/%d rows %.2f  target <= 2.0\n", hi, lo, a / (b > 0 ? b : 1) }'
fi
