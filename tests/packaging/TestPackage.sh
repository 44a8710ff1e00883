#!/usr/bin/env bash
# Builds the Debian package from the build's install rules into a temporary folder, checks its
# name, control fields and contents, then unpacks it and runs the unpacked program's tour from
# the read-only tree.
# Usage: TestPackage.sh BUILD_DIR VERSION [ADDRESS...]  (the web addresses the build was given)
set -euo pipefail
source "$(dirname "$0")/InstalledTree.sh"
build=$1
version=$2
shift 2
for tool in dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps.sh installs dpkg-dev)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$work/out/orlaventis_${version}_$(dpkg --print-architecture).deb"
[ -s "$deb" ] || { ls "$work/out"; fail "no $(basename "$deb")"; }

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 zlib1g fonts-liberation; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 2 ] || fail "no long description"

root="$work/root"
dpkg-deb -x "$deb" "$root"
check_tree "$root/usr" "$@"
[ -z "$(find "$root" -path "$root/usr" -prune -o -print | grep -vx "$root")" ] || fail "files outside /usr"
# Stripped: no debugging sections left in the programs.
for program in orlaventis olvtool; do
  sections=$(readelf -S "$root/usr/bin/$program") || fail "$program is no ELF program"
  if grep -q '\.debug_' <<<"$sections"; then fail "$program is not stripped"; fi
done
tour_read_only "$root" "$root/usr" "$work"
echo "package test passed"
