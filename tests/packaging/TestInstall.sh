#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, validates the desktop files, then runs the
# installed program's tour from the read-only tree and checks that it wrote nothing there.
# Usage: TestInstall.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
root="$work/root"
prefix=/opt/orlaventis-test
DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >/dev/null
p="$root$prefix"
id=org.orlaventis.Orlaventis
fail() { echo "FAIL: $*"; exit 1; }

for f in bin/orlaventis bin/olvtool share/orlaventis/olvf.dat share/orlaventis/olve.dat \
         share/orlaventis/d/olv.dat share/orlaventis/d/olv.lng share/orlaventis/help/index.html \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/man/man1/orlaventis.1 share/man/man1/olvtool.1; do
  [ -s "$p/$f" ] || fail "missing $f"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$p/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -s "$png" ] || fail "missing ${size}x${size} icon"
  # PNG header: width and height as big-endian words at bytes 16 and 20.
  [ "$(od -An -tu1 -j18 -N2 "$png" | awk '{print $1*256+$2}')" = "$size" ] || fail "$png is not ${size} wide"
done
[ -z "$(find "$p/share/orlaventis" -name '*.stamp')" ] || fail "build stamps installed"
grep -q -- '--tour' "$p/share/man/man1/orlaventis.1" || fail "orlaventis.1 lacks the options"
grep -q 'Exit status' "$p/share/man/man1/orlaventis.1" || fail "orlaventis.1 lacks the exit codes"
grep -q 'archive extract' "$p/share/man/man1/olvtool.1" || fail "olvtool.1 lacks the verbs"
desktop-file-validate "$p/share/applications/$id.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$p/share/metainfo/$id.metainfo.xml" || fail "metainfo invalid"

# The installed tree read-only; the program must find its content with no option and write
# nothing there (root ignores permissions, so the tree's listing is compared as well).
chmod -R a-w "$root"
before=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
tour="$work/tour"
mkdir -p "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
env -u ORLAVENTIS_DATA HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
  timeout 120 "$p/bin/orlaventis" --tour "$tour" --language 44 || fail "installed tour failed"
for shot in 1-chooser 2-introduction 3-production 4-catalog 5-enamel-fabrics 6-about; do
  [ -s "$tour/$shot.png" ] || fail "tour wrote no $shot.png"
done
after=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || { diff <(echo "$before") <(echo "$after") | head; fail "the program wrote into its installed tree"; }
echo "install test passed"
