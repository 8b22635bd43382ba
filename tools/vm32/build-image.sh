#!/bin/bash
# Builds (once) the Debian 12 amd64 guest image that runs the 32-bit Windows tests under wine32.
#
#   tools/vm32/build-image.sh              build the image unless it is cached (quick no-op then)
#   tools/vm32/build-image.sh --print-dir  print the cache folder of this version of the scripts and exit
#
# Cache: ${TARVEN_VM32_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarven-vm32}/<hash>/ where <hash> covers the
# files that make the image (this script, guest/init.sh and the Wine helper its first boot uses,
# tests/wine/wine-prefix.sh). The folder holds vmlinuz, initrd.img, rootfs.ext4
# (raw ext4, never written after the build: runs use snapshot=on) and the stamp file "ready".
# Env: TARVEN_VM32_MIRROR  Debian mirror for the guest (default: the one the host's apt uses)
#
# Exit codes: 0 image ready; 3 the image cannot be built (reason printed); 2 bad usage.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../apt-retry.sh
. "$HERE/../apt-retry.sh"
SUITE=bookworm
# wine32 and the 32-bit libraries it loads for windows; installed offline in the first boot, because their
# maintainer scripts run 32-bit code, which the build host may not be able to execute.
I386_PACKAGES="wine32:i386 libx11-6:i386 libxext6:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386
  libxcursor1:i386 libxfixes3:i386 libxinerama1:i386 libxcomposite1:i386 libxxf86vm1:i386
  libfreetype6:i386 libfontconfig1:i386 libgnutls30:i386"
AMD64_PACKAGES="linux-image-amd64 wine wine64 fonts-wine xvfb x11-apps imagemagick procps bash coreutils python3
  util-linux kmod libx11-6 libxext6 libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1
  libxcomposite1 libxxf86vm1 libfreetype6 libfontconfig1 libgnutls30"

say() { echo "vm32-image: $*" >&2; }
die() { echo "vm32-image: ERROR: $*" >&2; exit 3; }

cache_base() { echo "${TARVEN_VM32_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarven-vm32}"; }
image_hash() {
    (cd "$HERE" && for f in build-image.sh guest/init.sh ../../tests/wine/wine-prefix.sh; do echo "== $f"; cat "$f"; done) | sha256sum | cut -c1-16
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
    exec sudo env TARVEN_VM32_CACHE="$BASE" TARVEN_VM32_OWNER="$(id -u):$(id -g)" \
        ${TARVEN_VM32_MIRROR:+TARVEN_VM32_MIRROR="$TARVEN_VM32_MIRROR"} bash "$0" "$@"
fi

T0=$(date +%s)
elapsed() { echo "$(( $(date +%s) - T0 ))s"; }

# ---- host packages ----
need_pkgs=()
for pair in qemu-system-x86_64:qemu-system-x86 debootstrap:debootstrap mkfs.ext4:e2fsprogs e2fsck:e2fsprogs \
            flock:util-linux wget:wget sha256sum:coreutils; do
    command -v "${pair%%:*}" >/dev/null 2>&1 || PATH="$PATH:/usr/sbin:/sbin" command -v "${pair%%:*}" >/dev/null 2>&1 \
        || need_pkgs+=("${pair#*:}")
done
export PATH="$PATH:/usr/sbin:/sbin"
if [ ${#need_pkgs[@]} -gt 0 ]; then
    say "installing host packages: ${need_pkgs[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt_retry timeout 300 apt-get update -qq || say "apt-get update failed; trying the install with the indexes that arrived"
    apt_retry timeout 900 apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >&2 \
        || die "cannot install host packages: ${need_pkgs[*]}"
fi

# ---- one builder at a time per hash ----
mkdir -p "$BASE"
exec 9>"$BASE/.$HASH.lock"
if ! flock -n 9; then
    say "another build of this image is running: waiting for it"
    flock -w 3600 9 || die "another build of $DIR holds the lock for over an hour"
fi
if [ -f "$DIR/ready" ]; then say "cached image (built meanwhile): $DIR"; exit 0; fi

# ---- space ----
avail_kb=$(df -Pk "$BASE" | awk 'NR==2 {print $4}')
[ "${avail_kb:-0}" -ge $((6 * 1024 * 1024)) ] || die "need 6 GiB free under $BASE, have $((avail_kb / 1024)) MiB"

# ---- mirror ----
find_uri() {  # $1: awk regex the URI must match
    { cat /etc/apt/sources.list 2>/dev/null
      cat /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null; } |
    awk -v re="$1" '/^[[:space:]]*#/ {next}
        /^deb[[:space:]]/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { print $i; break } }
        /^URIs:/ { for (i = 2; i <= NF; i++) print $i }' | sed 's:/*$::' | grep -E "$1" | head -1 || true
}
MIRROR=${TARVEN_VM32_MIRROR:-$(find_uri '/debian$')}
MIRROR=${MIRROR:-http://deb.debian.org/debian}
say "mirror: $MIRROR"
timeout 30 wget -q -O /dev/null "$MIRROR/dists/$SUITE/Release" || die "cannot reach the Debian mirror $MIRROR"

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

say "debootstrap $SUITE (minbase, amd64) ... [log: $LOG]"
# each try starts from an empty folder: a debootstrap cut short leaves a half-made root behind
debootstrap_fresh() {
    rm -rf --one-file-system "$ROOT"
    timeout 1500 debootstrap --variant=minbase --arch=amd64 "$SUITE" "$ROOT" "$MIRROR"
}
APT_RETRY_LOG=$LOG apt_retry debootstrap_fresh \
    || die "debootstrap failed (see log above)"
say "debootstrap done ($(elapsed))"

# The main and updates suites only, for both architectures: the VM runs offline, so it needs no security
# suite, whose i386 index a mirror may hold out of step for hours; and multiarch needs the amd64 and i386
# twins of a package at the same version, which one set of suites gives.
{
    echo "deb $MIRROR $SUITE main"
    echo "deb $MIRROR $SUITE-updates main"
} >"$ROOT/etc/apt/sources.list"
cat >"$ROOT/etc/apt/apt.conf.d/90tarven" <<'EOF'
APT::Install-Recommends "false";
APT::Install-Suggests "false";
Acquire::Retries "3";
Acquire::http::Timeout "30";
Acquire::Languages "none";
EOF
printf '#!/bin/sh\nexit 101\n' >"$ROOT/usr/sbin/policy-rc.d"; chmod +x "$ROOT/usr/sbin/policy-rc.d"
echo tarven-vm32 >"$ROOT/etc/hostname"
printf '127.0.0.1 localhost\n127.0.1.1 tarven-vm32\n' >"$ROOT/etc/hosts"

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

say "apt: kernel, wine, xvfb, imagemagick ... ($(elapsed))"
# shellcheck disable=SC2086
apt_chroot timeout 2400 apt-get install -y $AMD64_PACKAGES || die "installing the guest packages failed"
in_chroot apt-get clean >>"$LOG" 2>&1
say "apt: downloading wine32:i386 for the first boot ($(elapsed))"
# shellcheck disable=SC2086
apt_chroot timeout 1200 apt-get install -y --download-only $I386_PACKAGES || die "downloading wine32:i386 failed"
mkdir -p "$ROOT/var/lib/tarven-vm32"
echo $I386_PACKAGES >"$ROOT/var/lib/tarven-vm32/i386-packages"
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
size_mb=$(( used_mb + used_mb / 2 + 1536 ))
say "mkfs.ext4 -d (${used_mb} MiB used, image ${size_mb} MiB) ($(elapsed))"
mkfs.ext4 -q -F -L tarvenroot -d "$ROOT" "$BUILD/rootfs.ext4" "${size_mb}M" >>"$LOG" 2>&1 || die "mkfs.ext4 -d failed"
rm -rf --one-file-system "$ROOT"

# ---- first boot (writable): install wine32:i386 offline, make the win32 prefix, clean apt ----
say "first boot: installing wine32:i386 and making the win32 and win64 prefixes (a few minutes) ($(elapsed))"
CTL="$BUILD/ctl"; mkdir -p "$CTL"
cp "$HERE/../../tests/wine/wine-prefix.sh" "$CTL/"
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
