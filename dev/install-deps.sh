#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the fuzzers need, when any is
# missing. Needs root for the install itself.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config ccache
  libode-dev libsdl2-dev libopenal-dev libvorbis-dev libogg-dev libfreetype-dev
  libgl-dev libegl-dev libgl1-mesa-dri libglx-mesa0 libegl-mesa0 xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
  vorbis-tools sox imagemagick fonts-dejavu-core clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]}" >&2
  echo "run this script as root to install them" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
