#!/usr/bin/env bash
# Memory benchmark: the peak resident memory of the whole headless tour, on the demo content, on
# a demo catalogue of 100,000 items (made once by olvtool into BUILD_DIR/bench-100k) and on the
# demo content whose first catalogue photo is a huge PCX (BUILD_DIR/bench-pcx*, made once).
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

# An 8-bit, run-length coded PCX of $2 x $3 pixels ($3 a power of 2) into $1, one colour: runs
# of 63 bytes (a 16384 x 16384 one is 8.5 MB), then the 256-colour palette.
write_pcx() {
  local line="$work/line" left
  { printf '\x0a\x05\x01\x08\0\0\0\0'; word $(($2 - 1)); word $(($3 - 1)); head -c 53 /dev/zero
    printf '\x01'; word "$2"; head -c 60 /dev/zero; } >"$1"
  : >"$line"
  for ((left = $2; left > 0; left -= 63)); do
    printf "\\x$(printf %x $((0xC0 | (left < 63 ? left : 63))))\\x07" >>"$line"
  done
  for ((left = $3; left > 1; left /= 2)); do cat "$line" "$line" >"$line.2" && mv "$line.2" "$line"; done
  { cat "$line"; printf '\x0c'; head -c 768 /dev/zero; } >>"$1"
}
word() { printf "\\x$(printf %x $(($1 & 255)))\\x$(printf %x $(($1 >> 8)))"; }

# The demo content in $1 with member F1001, the first catalogue photo, a $2 x $3 PCX: refused
# above the decoder's pixel cap (the tour then reports it), decoded at the cap.
pcx_content() {
  [ -f "$1/olvf.dat" ] && return
  if [ ! -d "$work/members" ]; then
    mkdir -p "$work/members"
    "$tool" archive list "$build/olvf.dat" 2>/dev/null | cut -f1 | while IFS= read -r member; do
      out="$work/members/${member//\\//}"
      mkdir -p "$(dirname "$out")" && "$tool" archive extract "$build/olvf.dat" "$member" "$out" 2>/dev/null
    done
  fi
  rm -rf "$1" && mkdir -p "$1" && cp -r "$build/olve.dat" "$build/d" "$build/i" "$build/help" "$1/"
  write_pcx "$work/members/F1001" "$2" "$3"
  "$tool" archive pack "$work/members" "$1/olvf.dat" >/dev/null 2>&1 ||
    { echo "memory.sh: olvtool archive pack failed" >&2; exit 1; }
}
pcx_content "$build/bench-pcx16384" 16384 16384
pcx_content "$build/bench-pcx8192x4096" 8192 4096

# The tour's peak resident memory in MB on the content in $1; the tour must end with exit code
# $2 (default 0; 4 when the content holds a picture it reports).
peak() {
  rm -rf "$work/tour"
  local rc=0
  /usr/bin/time -f %M -o "$work/kb" "$program" --tour "$work/tour" --language 44 --data "$1" >/dev/null 2>&1 || rc=$?
  ((rc == ${2:-0})) || { echo "memory.sh: the tour on $1 failed (exit $rc)" >&2; exit 1; }
  echo $(($(tail -n 1 "$work/kb") / 1024))  # time puts a line on a non-zero exit first
}

# One line: the largest peak of the runs on $2 against the target $3 (MB), with the smallest;
# $4 the tour's exit code.
report() {
  local lo=0 hi=0 mb
  for ((i = 0; i < runs; i++)); do
    mb=$(peak "$2" "${4:-0}")
    if ((i == 0 || mb < lo)); then lo=$mb; fi
    if ((mb > hi)); then hi=$mb; fi
  done
  local verdict=met
  ((hi <= $3)) || verdict="NOT MET"
  printf 'memory %-52s %4d MB (min %d over %d; target <= %d MB) %s\n' "$1" "$hi" "$lo" "$runs" "$3" "$verdict"
}

report "peak of the headless tour, demo content" "$build" 66
report "peak of the headless tour, catalogue of 100,000 items" "$big" 108
report "peak of the headless tour, 16384x16384 PCX, refused" "$build/bench-pcx16384" 400 4
report "peak of the headless tour, 8192x4096 PCX, at the cap" "$build/bench-pcx8192x4096" 400
