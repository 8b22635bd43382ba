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

# Where this kernel runs 32-bit code, the win32 build's tests run natively under wine32 (tools/vm32), much
# faster than in the emulated VM the other machines boot: the `wine` loader wrapper and the i386 packages.
wine32=()
WORK=$(mktemp -d)
# shellcheck source=vm32/run/native.sh
. "$(dirname "$0")/vm32/run/native.sh"
if native_32bit; then
  mapfile -t wine32 < <(grep -v '^#' "$(dirname "$0")/vm32/wine32-packages.txt")
  packages+=(wine)
fi
rm -rf "$WORK"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
missing32=()
for p in "${wine32[@]}"; do
  installed "$p" || missing32+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing32[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]} ${missing32[*]}"
export DEBIAN_FRONTEND=noninteractive
# A suite whose index is out of step on the mirror fails the update, but the install may well find
# everything in the indexes that did arrive: the install decides.
if [ ${#missing32[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
apt_retry $sudo apt-get update -qq || echo "apt-get update failed; trying the install with the indexes that arrived" >&2
if [ ${#missing[@]} -gt 0 ]; then
  APT_RETRY_LOG=/dev/null apt_retry $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Without wine32 the 32-bit tests still run, in the VM: a mirror whose i386 index is out of step must not
# stop the build.
if [ ${#missing32[@]} -gt 0 ]; then
  APT_RETRY_LOG=/dev/null apt_retry $sudo apt-get install -y -qq --no-install-recommends "${missing32[@]}" \
    || echo "wine32 could not be installed: the 32-bit Windows tests will run in the VM (tools/vm32)" >&2
fi
