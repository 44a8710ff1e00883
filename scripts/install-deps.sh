#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the tools need, only those missing.
set -euo pipefail

# zip and jpeginfo are the peers bench/authoring.sh measures `olvtool build` against;
# clang-format is what scripts/check-format.sh checks the code format with; xvfb, at-spi2-core,
# python3-pyatspi and dbus-x11 are the desktop the screen-reader test listens on.
packages=(
  g++ clang libclang-rt-14-dev cmake ninja-build ccache clang-format
  qt6-base-dev qt6-image-formats-plugins zlib1g-dev
  fonts-liberation fonts-dejavu-core
  libbenchmark-dev libsqlite3-dev time
  zip jpeginfo
  xvfb xauth
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0 dbus-x11
  desktop-file-utils appstream
  dpkg-dev lintian
)
# The help page test wants a real browser; where it cannot be installed that test skips.
optional=(chromium)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

wanted=()
for p in "${optional[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || wanted+=("$p")
done

if [ ${#missing[@]} -eq 0 ] && [ ${#wanted[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#wanted[@]} -gt 0 ]; then
  echo "Installing (optional): ${wanted[*]}"
  $sudo apt-get install -y -q --no-install-recommends "${wanted[@]}" ||
    echo "Could not install ${wanted[*]}; the tests that need them will skip."
fi
