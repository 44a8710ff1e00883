#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the tools need, only those missing.
set -euo pipefail

packages=(
  g++ clang libclang-rt-14-dev cmake ninja-build ccache
  qt6-base-dev qt6-image-formats-plugins zlib1g-dev
  fonts-liberation fonts-dejavu-core
  libbenchmark-dev libsqlite3-dev
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
