#!/usr/bin/env bash
# Start-up benchmark: the whole orlaventis process until its Introduction has painted once,
# against a bare Qt Widgets window that exits after its first paint, run alternately.
# Usage: bench/startup.sh [BUILD_DIR] [REPETITIONS]   (defaults: build, 7)
set -euo pipefail
build=${1:-build}
runs=${2:-7}
program="$build/orlaventis"
bare="$build/bench/bench_bare_window"
for f in "$program" "$bare"; do
  [ -x "$f" ] || { echo "startup.sh: $f is missing (build it first)" >&2; exit 1; }
done
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export ORLAVENTIS_QUIT_AFTER_FIRST_PAINT=1

# Wall time of one run in microseconds; fails when the command fails.
elapsed() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || return 1
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

ours=() peer=()
"$program" --language 44 --data "$build" >/dev/null 2>&1 || { echo "startup.sh: orlaventis failed" >&2; exit 1; }
"$bare" >/dev/null 2>&1  # warm the file cache for both
for ((i = 0; i < runs; i++)); do
  ours+=("$(elapsed "$program" --language 44 --data "$build")")
  peer+=("$(elapsed "$bare")")
done
python3 - "$runs" "${ours[@]}" "${peer[@]}" <<'PY'
import statistics, sys
n = int(sys.argv[1])
ours = [int(x) for x in sys.argv[2:2 + n]]
peer = [int(x) for x in sys.argv[2 + n:2 + 2 * n]]
ratios = [o / p for o, p in zip(ours, peer)]
median = statistics.median(ours) / statistics.median(peer)
print("start-up: orlaventis median %.1f ms, bare Qt window median %.1f ms" %
      (statistics.median(ours) / 1000, statistics.median(peer) / 1000))
print("ratio %-58s %6.2f (min %5.2f, max %5.2f over %d; target <= 2.50) %s" %
      ("start to first painted Introduction / bare Qt window", median, min(ratios), max(ratios), n,
       "met" if median <= 2.5 else "NOT MET"))
PY
