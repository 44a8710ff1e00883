#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, checks the tree and its desktop files, then runs
# the installed program's tour from the read-only tree and checks that it wrote nothing there.
# Usage: TestInstall.sh BUILD_DIR [ADDRESS...]  (the web addresses the build was configured with)
set -euo pipefail
source "$(dirname "$0")/InstalledTree.sh"
build=$1
shift
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
root="$work/root"
prefix=/opt/orlaventis-test
DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >/dev/null
check_tree "$root$prefix" "$@"
tour_read_only "$root" "$root$prefix" "$work"
echo "install test passed"
