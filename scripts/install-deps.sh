#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need,
# when any of them is missing. Nothing is fetched from anywhere else.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libxml2-dev libudev-dev libarchive-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev
  qt6-base-dev qt6-base-dev-tools
  xvfb xauth
  dpkg-dev desktop-file-utils groff-base
  clang libclang-rt-14-dev clang-format
  ansible-core python3-pytest
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
