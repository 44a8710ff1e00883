#!/usr/bin/env bash
# Checks that every tracked C++ file under src, tools, tests, fuzz and bench is formatted as
# .clang-format says. Prints the files that are not and fails when there is any; changes nothing.
# clang-format 14 is the reference (scripts/install-deps.sh installs it): other versions may format
# some lines differently. CLANG_FORMAT names another binary.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
  echo "check-format: $clang_format is missing (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

unformatted=()
failed=0
while IFS= read -r -d '' file; do
  if ! errors=$("$clang_format" --dry-run --Werror "$file" 2>&1); then
    if grep -q 'clang-format-violations' <<<"$errors"; then
      unformatted+=("$file")
    else
      # Not a format difference: clang-format itself could not read or format the file.
      echo "check-format: $clang_format failed on $file:" >&2
      echo "$errors" >&2
      failed=1
    fi
  fi
done < <(git ls-files -z -- \
  'src/*.h' 'src/*.cpp' 'tools/*.h' 'tools/*.cpp' 'tests/*.h' 'tests/*.cpp' \
  'fuzz/*.h' 'fuzz/*.cpp' 'bench/*.h' 'bench/*.cpp')

if [ ${#unformatted[@]} -gt 0 ]; then
  echo "Not formatted as .clang-format says ($("$clang_format" --version)):"
  printf '  %s\n' "${unformatted[@]}"
  echo "Format them with: $clang_format -i <file>..."
  exit 1
fi
exit "$failed"
