#!/usr/bin/env bash
# Memory benchmark: the peak resident memory of the whole headless tour, on the demo content and
# on a demo catalogue of 100,000 items (made once by olvtool into BUILD_DIR/bench-100k).
# Usage: bench/memory.sh [BUILD_DIR] [REPETITIONS]   (defaults: build, 3)
set -euo pipefail
build=${1:-build}
runs=${2:-3}
program="$build/orlaventis"
tool="$build/olvtool"
for f in "$program" "$tool" /usr/bin/time; do
  [ -x "$f" ] || { echo "memory.sh: $f is missing (build first; /usr/bin/time comes with the package time)" >&2; exit 1; }
done
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
big="$build/bench-100k"
if [ ! -f "$big/d/ol44.cat" ]; then
  "$tool" demo "$big" --items 100000 >/dev/null 2>&1 || { echo "memory.sh: olvtool demo failed" >&2; exit 1; }
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tour's peak resident memory in MB on the content in $1.
peak() {
  rm -rf "$work/tour"
  /usr/bin/time -f %M -o "$work/kb" "$program" --tour "$work/tour" --language 44 --data "$1" >/dev/null 2>&1 ||
    { echo "memory.sh: the tour on $1 failed" >&2; exit 1; }
  echo $(($(cat "$work/kb") / 1024))
}

# One line: the largest peak of the runs on $2 against the target $3 (MB), with the smallest.
report() {
  local lo=0 hi=0 mb
  for ((i = 0; i < runs; i++)); do
    mb=$(peak "$2")
    if ((i == 0 || mb < lo)); then lo=$mb; fi
    if ((mb > hi)); then hi=$mb; fi
  done
  local verdict=met
  ((hi <= $3)) || verdict="NOT MET"
  printf 'memory %-52s %4d MB (min %d over %d; target <= %d MB) %s\n' "$1" "$hi" "$lo" "$runs" "$3" "$verdict"
}

report "peak of the headless tour, demo content" "$build" 66
report "peak of the headless tour, catalogue of 100,000 items" "$big" 108
