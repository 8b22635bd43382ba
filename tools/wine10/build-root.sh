#!/bin/bash
# Builds (once) the Debian 13 (trixie) amd64 root with Wine 10 (wine, wine64) in which run.sh runs Windows
# programs as a chroot, and from which tools/vm32 makes its trixie guest image.
#
#   tools/wine10/build-root.sh              build the root unless it is cached (quick no-op then)
#   tools/wine10/build-root.sh --wine32     the same, then add wine32:i386 unless present; only where this
#                                           kernel runs 32-bit code (its maintainer scripts run some)
#   tools/wine10/build-root.sh --print-dir  print the cache folder of this version of the script and exit
#
# The root holds a pristine Wine prefix per architecture, /root/wine-x64 (win64) and, with wine32,
# /root/wine-x86 (win32): each run sees its own copy (an overlay) instead of waiting ~10 s for wineboot.
# Cache: ${TARVEN_WINE10_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarven-wine10}/<hash>/ holding root/ and the
# stamps "ready" and "wine32.ready"; <hash> covers this script, tools/vm32/debian.sh and the Wine helper
# (tests/wine/wine-prefix.sh, whose settings make the prefixes). Runs hold the lock
# file .<hash>.lock shared, a build holds it alone.
# Env: TARVEN_WINE10_MIRROR  Debian mirror (default: the one the host's apt uses)
#
# Exit codes: 0 root ready; 3 the root cannot be built (reason printed); 2 bad usage.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../apt-retry.sh
. "$HERE/../apt-retry.sh"
# shellcheck source=../vm32/debian.sh
. "$HERE/../vm32/debian.sh"
# shellcheck source=../../tests/wine/wine-prefix.sh
. "$HERE/../../tests/wine/wine-prefix.sh"
SUITE=trixie
# libgnutls: Wine's bcrypt and secur32 (the cryptography .NET calls) load it; only recommended by libwine
PACKAGES="wine wine64 procps libgnutls30t64"

say() { echo "wine10-root: $*" >&2; }
die() { echo "wine10-root: ERROR: $*" >&2; exit 3; }

BASE=${TARVEN_WINE10_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarven-wine10}
HASH=$( (cd "$HERE" && cat build-root.sh ../vm32/debian.sh ../../tests/wine/wine-prefix.sh) | sha256sum | cut -c1-16)
DIR="$BASE/$HASH"
ROOT="$DIR/root"

wine32=
case "${1:-}" in
    --print-dir) echo "$DIR"; exit 0 ;;
    --wine32) wine32=1 ;;
    "") ;;
    *) echo "usage: $0 [--wine32 | --print-dir]" >&2; exit 2 ;;
esac
done_already() { [ -f "$DIR/ready" ] && { [ -z "$wine32" ] || [ -f "$DIR/wine32.ready" ]; }; }
if done_already; then exit 0; fi

if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null || die "building the root needs root and there is no sudo"
    say "building the root needs root: re-running through sudo"
    exec sudo env TARVEN_WINE10_CACHE="$BASE" ${TARVEN_WINE10_MIRROR:+TARVEN_WINE10_MIRROR="$TARVEN_WINE10_MIRROR"} \
        bash "$0" "$@"
fi

T0=$(date +%s)
elapsed() { echo "$(( $(date +%s) - T0 ))s"; }
host_tools debootstrap:debootstrap unshare:util-linux flock:util-linux wget:wget

mkdir -p "$BASE"
exec 9>"$BASE/.$HASH.lock"
flock -w 3600 9 || die "the root $DIR stayed locked for an hour"
if done_already; then exit 0; fi
LOG="$BASE/$HASH.log"
: >"$LOG"
trap 'rc=$?; [ $rc = 0 ] || { say "failed after $(elapsed); last lines of $LOG:"; tail -n 20 "$LOG" >&2; }' EXIT

in_root() { "$HERE/in-root.sh" "$1" env DEBIAN_FRONTEND=noninteractive "${@:2}"; }
apt_root() { APT_RETRY_LOG=$LOG apt_retry in_root "$@"; }
# make_prefix ROOT ARCH: a new prefix /root/wine-ARCH (x64: win64, x86: win32) in ROOT.
make_prefix() {
    local arch=$2 winearch=win64
    [ "$arch" = x86 ] && winearch=win32
    rm -rf "$1/root/wine-$arch"
    # shellcheck disable=SC2016
    wine_env "/root/wine-$arch" $winearch
    in_root "$1" env "${wine_env[@]}" XDG_RUNTIME_DIR=/tmp \
        bash -c 'timeout 600 wineboot --init && timeout 120 wineserver -w' >>"$LOG" 2>&1
    [ -f "$1/root/wine-$arch/system.reg" ] || die "wineboot made no $winearch prefix"
    if [ "$arch" = x86 ] && [ -d "$1/root/wine-$arch/drive_c/windows/syswow64" ]; then die "the x86 prefix is not win32"; fi
}

if [ ! -f "$DIR/ready" ]; then
    need_free_gib "$BASE" 4
    MIRROR=${TARVEN_WINE10_MIRROR:-$(debian_mirror)}
    say "debootstrap $SUITE (minbase, amd64) from $MIRROR ... [log: $LOG]"
    check_mirror "$MIRROR" "$SUITE"
    BUILD="$DIR.build"
    # each try starts from an empty folder: a debootstrap cut short leaves a half-made root behind
    debootstrap_fresh() {
        rm -rf --one-file-system "$BUILD"
        timeout 1500 debootstrap --variant=minbase --arch=amd64 "$SUITE" "$BUILD" "$MIRROR"
    }
    APT_RETRY_LOG=$LOG apt_retry debootstrap_fresh || die "debootstrap failed"
    root_settings "$BUILD" "$MIRROR" "$SUITE" tarven-wine10
    say "apt: $PACKAGES ($(elapsed))"
    apt_root "$BUILD" timeout 600 apt-get update || die "apt-get update in the root failed"
    # shellcheck disable=SC2086
    apt_root "$BUILD" timeout 1800 apt-get install -y $PACKAGES || die "installing $PACKAGES failed"
    in_root "$BUILD" apt-get clean >>"$LOG" 2>&1
    say "wineboot: the x64 prefix ($(elapsed))"
    make_prefix "$BUILD" x64
    rm -rf "$DIR"; mkdir -p "$DIR"
    mv "$BUILD" "$ROOT"
    in_root "$ROOT" wine --version >"$DIR/ready" 2>>"$LOG" || die "no wine in the new root"
    say "root ready in $(elapsed): $(cat "$DIR/ready"), $(du -smx "$ROOT" | cut -f1) MiB at $ROOT"
fi

if [ -n "$wine32" ] && [ ! -f "$DIR/wine32.ready" ]; then
    WORK=$(mktemp -d) && . "$HERE/../vm32/run/native.sh"   # native_32bit, probing in $WORK
    native_32bit || { rm -rf "$WORK"; die "this kernel cannot run 32-bit code: wine32 would not run here"; }
    rm -rf "$WORK"
    # until wine32 is in, the root is not ready for x64 either: a failure here makes the next call start over
    rm -f "$DIR/ready"
    say "apt: wine32:i386 ($(elapsed))"
    in_root "$ROOT" dpkg --add-architecture i386 >>"$LOG" 2>&1
    apt_root "$ROOT" timeout 600 apt-get update || die "apt-get update in the root failed"
    apt_root "$ROOT" timeout 1800 apt-get install -y wine32:i386 libgnutls30t64:i386 || die "installing wine32:i386 failed"
    in_root "$ROOT" apt-get clean >>"$LOG" 2>&1
    [ -x "$ROOT/usr/lib/wine/wine" ] || die "no 32-bit wine loader after installing wine32"
    # the x64 prefix again: one made before wine32 was there stays without WoW64
    say "wineboot: the x86 and x64 prefixes ($(elapsed))"
    make_prefix "$ROOT" x86
    make_prefix "$ROOT" x64
    in_root "$ROOT" wine --version >"$DIR/ready" 2>>"$LOG" || die "no wine in the root"
    touch "$DIR/wine32.ready"
    say "wine32 ready in $(elapsed)"
fi
