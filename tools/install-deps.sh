#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; quick when they are all present.
set -euo pipefail

packages=(
  make cmake g++ python3 python3-pefile
  googletest libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine64 fonts-wine xvfb x11-apps imagemagick
  lld-14 llvm-14 clang-14 libclang-rt-14-dev
  zip unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
