#!/usr/bin/env bash
# Installs what building and testing Huesieve needs, where it is missing.
# Usage: scripts/setup.sh [extra Debian packages...]
set -euo pipefail

# The format libraries' -dev packages bring the static archives the release
# build's self-contained huesieve-render links (libtiff's codecs' too);
# dpkg-dev unpacks the Imath, OpenEXR and libtiff sources
# scripts/build-third-party.sh builds static.
packages=(cmake ninja-build g++ pkgconf googletest libgtest-dev libgmock-dev libpng-dev
  libbenchmark-dev nlohmann-json3-dev libcli11-dev libopenimageio-dev libtiff-dev libjpeg-dev
  libopenexr-dev libimath-dev zlib1g-dev libzstd-dev liblzma-dev libdeflate-dev
  liblerc-dev libwebp-dev dpkg-dev ffmpeg "$@")
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
