#!/bin/bash
# Builds (once) the amd64 guest image that runs 32-bit Windows programs under wine32: Debian 12 (bookworm,
# Wine 8) for the win32 tests, or Debian 13 (trixie, Wine 10) for tools/wine10's x86 runs.
#
#   tools/vm32/build-image.sh              build the image unless it is cached (quick no-op then)
#   tools/vm32/build-image.sh --print-dir  print the cache folder of this version of the scripts and exit
#
# Cache: ${TARVEN_VM32_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarven-vm32}/<hash>/ where <hash> covers the
# suite and the files that make the image (this script, debian.sh, wine32-packages.txt, guest/init.sh and the Wine helper its
# first boot uses, tests/wine/wine-prefix.sh; for trixie also the root it starts from, tools/wine10's).
# The folder holds vmlinuz, initrd.img, rootfs.ext4 (raw ext4, never written after the build: runs use
# snapshot=on) and the stamp file "ready".
# Env: TARVEN_VM32_SUITE   bookworm (default) or trixie
#      TARVEN_VM32_MIRROR  Debian mirror for the guest (default: the one the host's apt uses)
#
# Exit codes: 0 image ready; 3 the image cannot be built (reason printed); 2 bad usage.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../apt-retry.sh
. "$HERE/../apt-retry.sh"
# shellcheck source=debian.sh
. "$HERE/debian.sh"
SUITE=${TARVEN_VM32_SUITE:-bookworm}
case "$SUITE" in
bookworm)
    # wine32 and the 32-bit libraries it loads for windows; installed offline in the first boot, because their
    # maintainer scripts run 32-bit code, which the build host may not be able to execute.
    I386_PACKAGES=$(grep -v '^#' "$HERE/wine32-packages.txt")
    AMD64_PACKAGES="linux-image-amd64 wine wine64 fonts-wine xvfb x11-apps imagemagick procps bash coreutils
      python3 util-linux kmod libx11-6 libxext6 libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1
      libxcomposite1 libxxf86vm1 libfreetype6 libfontconfig1 libgnutls30"
    I386_HERE=          # installed in the first boot
    PREFIXES="win32 win64" ;;
trixie)
    # console programs (.NET); Wine 10 itself comes with tools/wine10's root. Debian 13's wine32 installs
    # without running 32-bit code but for a few postinst steps, which the first boot runs again: installing
    # it here saves minutes of the emulated first boot.
    I386_PACKAGES="wine32:i386 libgnutls30t64:i386"
    AMD64_PACKAGES="linux-image-amd64 fonts-wine xvfb procps util-linux kmod"
    I386_HERE=1
    PREFIXES="win32 win64" ;;
*) echo "vm32-image: TARVEN_VM32_SUITE must be bookworm or trixie" >&2; exit 2 ;;
esac
WINE10_ROOT=$HERE/../wine10/build-root.sh

say() { echo "vm32-image: $*" >&2; }
die() { echo "vm32-image: ERROR: $*" >&2; exit 3; }

cache_base() { echo "${TARVEN_VM32_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarven-vm32}"; }
image_hash() {
    { echo "suite $SUITE"
      [ "$SUITE" != trixie ] || echo "root $(basename "$("$WINE10_ROOT" --print-dir)")"
      cd "$HERE" && for f in build-image.sh debian.sh wine32-packages.txt guest/init.sh ../../tests/wine/wine-prefix.sh; do echo "== $f"; cat "$f"; done
    } | sha256sum | cut -c1-16
}

BASE=$(cache_base)
HASH=$(image_hash)
DIR="$BASE/$HASH"

case "${1:-}" in
    --print-dir) echo "$DIR"; exit 0 ;;
    "") ;;
    *) echo "usage: $0 [--print-dir]" >&2; exit 2 ;;
esac

if [ -f "$DIR/ready" ]; then
    say "cached image: $DIR"
    exit 0
fi

# ---- root: everything below needs it (debootstrap, chroot). Re-run through sudo, keeping the cache folder. ----
if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null || die "building the image needs root and there is no sudo"
    say "building the image needs root: re-running through sudo"
    exec sudo env TARVEN_VM32_CACHE="$BASE" TARVEN_VM32_OWNER="$(id -u):$(id -g)" TARVEN_VM32_SUITE="$SUITE" \
        ${TARVEN_VM32_MIRROR:+TARVEN_VM32_MIRROR="$TARVEN_VM32_MIRROR"} \
        ${TARVEN_WINE10_CACHE:+TARVEN_WINE10_CACHE="$TARVEN_WINE10_CACHE"} bash "$0" "$@"
fi

T0=$(date +%s)
elapsed() { echo "$(( $(date +%s) - T0 ))s"; }

# ---- host packages ----
host_tools qemu-system-x86_64:qemu-system-x86 debootstrap:debootstrap mkfs.ext4:e2fsprogs e2fsck:e2fsprogs \
    flock:util-linux wget:wget sha256sum:coreutils

# ---- one builder at a time per hash ----
mkdir -p "$BASE"
exec 9>"$BASE/.$HASH.lock"
if ! flock -n 9; then
    say "another build of this image is running: waiting for it"
    flock -w 3600 9 || die "another build of $DIR holds the lock for over an hour"
fi
if [ -f "$DIR/ready" ]; then say "cached image (built meanwhile): $DIR"; exit 0; fi

# ---- space ----
need_free_gib "$BASE" 8

# ---- mirror ----
MIRROR=${TARVEN_VM32_MIRROR:-$(debian_mirror)}
say "mirror: $MIRROR"
check_mirror "$MIRROR" "$SUITE"

# ---- build folder, cleaned on any exit ----
BUILD="$BASE/$HASH.build"
ROOT="$BUILD/rootfs"
unmount_chroot() {
    local m
    for m in dev/pts dev proc sys; do
        mountpoint -q "$ROOT/$m" 2>/dev/null && umount -l "$ROOT/$m" 2>/dev/null || true
    done
}
QEMU_PID=
cleanup() {
    local rc=$?
    [ -n "$QEMU_PID" ] && kill -9 "$QEMU_PID" 2>/dev/null || true
    unmount_chroot
    if [ -d "$BUILD" ]; then
        [ $rc -ne 0 ] && [ -f "$BUILD/build.log" ] && { say "last lines of $BUILD/build.log:"; tail -n 30 "$BUILD/build.log" >&2; }
        # never delete through a mount that is still there
        if ! grep -q " $ROOT/" /proc/mounts; then rm -rf --one-file-system "$BUILD"; fi
    fi
    if [ $rc -ne 0 ]; then
        say "image build failed after $(elapsed)"
        [ $rc -eq 130 ] || [ $rc -eq 143 ] || rc=3
    fi
    exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

unmount_chroot
[ -d "$BUILD" ] && ! grep -q " $ROOT/" /proc/mounts && rm -rf --one-file-system "$BUILD"
mkdir -p "$BUILD"
LOG="$BUILD/build.log"
: >"$LOG"

if [ "$SUITE" = trixie ]; then
    # a copy of tools/wine10's root (Wine 10 installed), without the Wine prefixes it made for its chroot runs
    "$WINE10_ROOT" || die "the Wine 10 root cannot be built"
    WINE10_DIR=$("$WINE10_ROOT" --print-dir)
    say "copying the Wine 10 root $WINE10_DIR/root ... [log: $LOG]"
    (flock -s 8 && cp -a --reflink=auto "$WINE10_DIR/root" "$ROOT") 8<"$WINE10_DIR/../.$(basename "$WINE10_DIR").lock" \
        || die "cannot copy the Wine 10 root"
    rm -rf "${ROOT:?}"/root/wine-*
else
    say "debootstrap $SUITE (minbase, amd64) ... [log: $LOG]"
    # each try starts from an empty folder: a debootstrap cut short leaves a half-made root behind
    debootstrap_fresh() {
        rm -rf --one-file-system "$ROOT"
        timeout 1500 debootstrap --variant=minbase --arch=amd64 "$SUITE" "$ROOT" "$MIRROR"
    }
    APT_RETRY_LOG=$LOG apt_retry debootstrap_fresh \
        || die "debootstrap failed (see log above)"
fi
say "root done ($(elapsed))"
root_settings "$ROOT" "$MIRROR" "$SUITE" tarven-vm32

mount -t proc proc "$ROOT/proc"
mount -t sysfs sys "$ROOT/sys"
mount --bind /dev "$ROOT/dev"
mount -t devpts devpts "$ROOT/dev/pts" -o newinstance 2>/dev/null || true

in_chroot() { DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 chroot "$ROOT" "$@"; }
apt_chroot() { APT_RETRY_LOG=$LOG apt_retry in_chroot "$@"; }

say "apt: i386 architecture, initramfs-tools ..."
in_chroot dpkg --add-architecture i386 >>"$LOG" 2>&1
apt_chroot timeout 600 apt-get update || die "apt-get update in the guest failed"
apt_chroot timeout 900 apt-get install -y initramfs-tools kmod || die "installing initramfs-tools failed"
# a small initrd: only the modules to reach the virtio root disk
sed -i 's/^MODULES=.*/MODULES=list/' "$ROOT/etc/initramfs-tools/initramfs.conf"
printf 'virtio_pci\nvirtio_blk\next4\n' >>"$ROOT/etc/initramfs-tools/modules"

say "apt: the kernel and the guest's packages ($(elapsed))"
# shellcheck disable=SC2086
apt_chroot timeout 2400 apt-get install -y $AMD64_PACKAGES || die "installing the guest packages failed"
in_chroot apt-get clean >>"$LOG" 2>&1
mkdir -p "$ROOT/var/lib/tarven-vm32"
if [ -n "$I386_HERE" ]; then
    say "apt: wine32:i386 ($(elapsed))"
    # shellcheck disable=SC2086
    apt_chroot timeout 1800 apt-get install -y $I386_PACKAGES || die "installing wine32:i386 failed"
    # the packages whose postinst could not run its 32-bit helper here: the first boot configures them again
    # (none where this kernel runs 32-bit code)
    { grep -aoE '/var/lib/dpkg/info/[^ /]+\.postinst: [0-9]+: .*Exec format error' "$LOG" || true; } \
        | sed -E 's:^/var/lib/dpkg/info/([^ /]+)\.postinst.*:\1:' | sort -u >"$ROOT/var/lib/tarven-vm32/reconfigure"
else
    say "apt: downloading wine32:i386 for the first boot ($(elapsed))"
    # shellcheck disable=SC2086
    apt_chroot timeout 1200 apt-get install -y --download-only $I386_PACKAGES || die "downloading wine32:i386 failed"
fi
echo $I386_PACKAGES >"$ROOT/var/lib/tarven-vm32/i386-packages"
echo "$PREFIXES" >"$ROOT/var/lib/tarven-vm32/prefixes"
unmount_chroot

install -m 0755 "$HERE/guest/init.sh" "$ROOT/sbin/tarven-init"
rm -f "$ROOT/usr/sbin/policy-rc.d"
VMLINUZ=$(ls "$ROOT"/boot/vmlinuz-* | sort -V | tail -1)
INITRD=$(ls "$ROOT"/boot/initrd.img-* | sort -V | tail -1)
[ -f "$VMLINUZ" ] && [ -f "$INITRD" ] || die "no kernel or initrd in the guest's /boot"
cp "$VMLINUZ" "$BUILD/vmlinuz"
cp "$INITRD" "$BUILD/initrd.img"
say "kernel $(basename "$VMLINUZ"), initrd $(du -h "$BUILD/initrd.img" | cut -f1)"

used_mb=$(du -smx "$ROOT" | cut -f1)
# room for the first boot: wine32 and two prefixes, the WoW64 one over 1 GiB; a sparse file, so
# the room costs the host nothing until it is written
size_mb=$(( used_mb + used_mb / 2 + 5632 ))
say "mkfs.ext4 -d (${used_mb} MiB used, image ${size_mb} MiB) ($(elapsed))"
mkfs.ext4 -q -F -L tarvenroot -d "$ROOT" "$BUILD/rootfs.ext4" "${size_mb}M" >>"$LOG" 2>&1 || die "mkfs.ext4 -d failed"
rm -rf --one-file-system "$ROOT"

# ---- first boot (writable): install wine32:i386 offline, make the win32 prefix, clean apt ----
say "first boot: installing wine32:i386 and making the Wine prefixes ($PREFIXES; minutes) ($(elapsed))"
CTL="$BUILD/ctl"; mkdir -p "$CTL"
cp "$HERE/../../tests/wine/wine-prefix.sh" "$CTL/"
first_boot() {
    timeout 1800 qemu-system-x86_64 -cpu max,-smap -smp 2 -m 3G -nic none -nographic -no-reboot \
        -kernel "$BUILD/vmlinuz" -initrd "$BUILD/initrd.img" \
        -append "console=ttyS0 root=/dev/vda rootfstype=ext4 rw init=/sbin/tarven-init panic=1 quiet mitigations=off fsck.mode=skip tarven_mode=firstboot" \
        -drive file="$BUILD/rootfs.ext4",format=raw,if=virtio \
        -virtfs local,path="$CTL",mount_tag=tarvenctl,security_model=none \
        </dev/null >"$BUILD/firstboot.console" 2>&1 &
    QEMU_PID=$!
    wait "$QEMU_PID" || true
    QEMU_PID=
    tr -d '\r' <"$BUILD/firstboot.console" >>"$LOG"
}
first_boot
# Under software emulation the kernel now and then dies early in its boot (an int3 oops while it
# patches its own code on two CPUs), before the guest's init has touched the disk: boot again.
if [ ! -f "$CTL/firstboot.ok" ] && ! grep -q 'vm32-guest: up after' "$BUILD/firstboot.console"; then
    say "the guest died while booting; booting it again"
    first_boot
fi
if [ ! -f "$CTL/firstboot.ok" ]; then
    say "first boot console (last lines):"; tr -d '\r' <"$BUILD/firstboot.console" | tail -n 30 >&2
    die "the first boot did not finish (wine32 install or wineboot failed, or the VM did not boot)"
fi
grep '^vm32-guest:' "$BUILD/firstboot.console" | tr -d '\r' | sed 's/^/  /' >&2 || true
rm -rf "$CTL" "$BUILD/firstboot.console"

# check the image, and give the blocks freed by the apt clean-up back to the host (a sparse file)
e2fsck -fy -E discard "$BUILD/rootfs.ext4" >>"$LOG" 2>&1 || [ $? -le 1 ] \
    || die "e2fsck found errors in the image after the first boot"

{
    echo "built $(date -u +%Y-%m-%dT%H:%M:%SZ) in $(elapsed) from $MIRROR"
    echo "kernel $(basename "$VMLINUZ")"
} >"$BUILD/ready.tmp"
rm -f "$BUILD/build.log.keep"; mv "$LOG" "$BUILD/build.log.keep"
rm -rf "$DIR"
mkdir -p "$DIR"
mv "$BUILD/vmlinuz" "$BUILD/initrd.img" "$BUILD/rootfs.ext4" "$BUILD/build.log.keep" "$DIR/"
mv "$DIR/build.log.keep" "$DIR/build.log"
mv "$BUILD/ready.tmp" "$DIR/ready"
[ -n "${TARVEN_VM32_OWNER:-}" ] && chown -R "$TARVEN_VM32_OWNER" "$BASE" 2>/dev/null || true
say "image ready in $(elapsed): $DIR ($(du -sh "$DIR" | cut -f1) on disk)"
