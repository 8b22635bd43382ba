#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; quick when they are all present.
set -euo pipefail
# shellcheck source=apt-retry.sh
. "$(dirname "$0")/apt-retry.sh"

packages=(
  make cmake g++ python3 python3-pefile
  googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
  wine64 fonts-wine xvfb x11-apps imagemagick
  lld-14 llvm-14 clang-14 libclang-rt-14-dev
  zip unzip sigrok-cli osslsigncode faketime
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
# A suite whose index is out of step on the mirror fails the update, but the install may well find
# everything in the indexes that did arrive: the install decides.
apt_retry $sudo apt-get update -qq || echo "apt-get update failed; trying the install with the indexes that arrived" >&2
APT_RETRY_LOG=/dev/null apt_retry $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
