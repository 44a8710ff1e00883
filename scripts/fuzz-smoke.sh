#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each briefly on its seed corpus.
# Skipped (successfully) when clang is not installed. FUZZ_SECONDS sets the time per target.
set -euo pipefail
dir=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-20}
if ! command -v clang++ >/dev/null; then
  echo "fuzz smoke: clang++ not found, skipped"
  exit 0
fi
if [ ! -f "$dir/build.ninja" ]; then
  CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLAVENTIS_FUZZ=ON
fi
cmake --build "$dir" --target fuzzers -j "$(nproc 2>/dev/null || echo 2)"
shopt -s nullglob
targets=("$dir"/fuzz/fuzz_*)
for t in "${targets[@]}"; do
  [ -f "$t" ] && [ -x "$t" ] || continue
  name=$(basename "$t")
  corpus="$dir/fuzz/corpus-$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/${name#fuzz_}"
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  args+=(-max_len=65536)  # whole small content files, not only libFuzzer's default 4096 bytes
  echo "fuzz smoke: $name for ${seconds}s"
  QT_QPA_PLATFORM=offscreen "$t" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 "${args[@]}" 2>"$dir/fuzz/$name.log" \
    || { tail -n 40 "$dir/fuzz/$name.log"; exit 1; }
  # A sanitizer report is a finding even when the run itself ended well.
  if grep -q -e "runtime error:" -e "ERROR: AddressSanitizer" "$dir/fuzz/$name.log"; then
    grep -m 5 -A 20 -e "runtime error:" -e "ERROR: AddressSanitizer" "$dir/fuzz/$name.log"
    echo "fuzz smoke: $name: sanitizer report in $dir/fuzz/$name.log"
    exit 1
  fi
done
echo "fuzz smoke: every target ran clean"
