#!/usr/bin/env bash
# Opens the demo content's help page in headless Chromium for each language and checks that the
# language's own section is the one shown and that every link on the page resolves.
# Usage: TestHelpPage.sh CONTENT_DIR
set -euo pipefail
page="$(realpath "$1")/help/index.html"
[ -s "$page" ] || { echo "FAIL: no help page at $page"; exit 1; }
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "SKIP: Chromium is not installed and could not be installed here (scripts/install-deps.sh)"
  exit 77
fi
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
for lang in 31 33 44; do
  dom=$(timeout 60 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$profile" --dump-dom "file://$page?lang=$lang" 2>/dev/null) ||
    fail "Chromium could not open the page for $lang"
  shown=$(grep -o '<section[^>]*class="shown"[^>]*>' <<<"$dom" || true)
  [ "$(grep -c . <<<"$shown")" = 1 ] || fail "lang=$lang shows $(grep -c . <<<"$shown") sections"
  grep -q "id=\"l$lang\"" <<<"$shown" || fail "lang=$lang shows another language: $shown"
  # Every link: a query or fragment of this page, or a file beside it; nothing on the network.
  while read -r href; do
    case "$href" in
      \?*|\#*) ;;
      *://*) fail "lang=$lang links outside the content: $href" ;;
      *) [ -e "$(dirname "$page")/${href%%[?#]*}" ] || fail "lang=$lang: broken link $href" ;;
    esac
  done < <(grep -o 'href="[^"]*"' <<<"$dom" | sed 's/^href="//; s/"$//')
  links=$(grep -o 'href="' <<<"$dom" | wc -l)
  [ "$links" -ge 3 ] || fail "lang=$lang: the language links are missing"
done
echo "help page test passed"
