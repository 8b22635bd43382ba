#!/bin/bash
# PID 1 of the vm32 guest (installed as /sbin/tarven-init by build-image.sh; started with init=).
#   tarven_mode=firstboot  (writable disk) install wine32:i386 offline (or configure again the packages whose
#                          32-bit postinst steps could not run where it was installed), make the win32 prefix
#                          and, when the image asks for it, the win64 (WoW64) prefix in which 64-bit programs
#                          start 32-bit ones; clean apt
#   tarven_mode=run        (snapshot disk) mount the run's control share and the shared root, then run the
#                          control share's run-manifest.sh
# The host talks to it through the 9p share "tarvenctl" (mounted at /run/tarven-ctl): it holds the Wine helper
# (wine-prefix.sh) in both modes, and in run mode the runner and the file "env", which names the shared root;
# results and status files are written there. The machine always powers off at the end; if this
# script dies the kernel panics and qemu (-no-reboot, panic=1) exits.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/root LANG=C.UTF-8 TERM=dumb
CTL=/run/tarven-ctl
PREFIX32=/root/.wine32
PREFIX64=/root/.wine64

say() { echo "vm32-guest: $*"; }

power_off() {
    cd /
    kill -TERM -1 2>/dev/null; sleep 0.3; kill -KILL -1 2>/dev/null
    sync
    umount -a -t 9p 2>/dev/null
    mount -o remount,ro / 2>/dev/null || say "warning: could not remount / read-only"
    sync
    echo o >/proc/sysrq-trigger
    sleep 20
    exit 1
}

mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mountpoint -q /run || mount -t tmpfs -o mode=0755 run /run
mkdir -p /dev/pts /dev/shm
mountpoint -q /dev/pts || mount -t devpts -o gid=5,mode=620 devpts /dev/pts
mountpoint -q /dev/shm || mount -t tmpfs -o mode=1777 shm /dev/shm
mountpoint -q /tmp || mount -t tmpfs -o mode=1777 tmp /tmp
hostname tarven-vm32 2>/dev/null
ip link set lo up 2>/dev/null || true

mode=run
for arg in $(cat /proc/cmdline); do
    case "$arg" in tarven_mode=*) mode=${arg#tarven_mode=} ;; esac
done
say "up after $(cut -d' ' -f1 /proc/uptime)s, mode $mode"

modprobe 9pnet_virtio && modprobe 9p || { say "cannot load the 9p modules"; power_off; }
mount9p() { mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,access=any "$1" "$2"; }
mkdir -p "$CTL"
mount9p tarvenctl "$CTL" || { say "cannot mount the control share"; power_off; }

firstboot() {
    set -o pipefail
    export DEBIAN_FRONTEND=noninteractive
    say "installing $(cat /var/lib/tarven-vm32/i386-packages) offline"
    # shellcheck disable=SC2046
    apt-get install -y --no-download $(cat /var/lib/tarven-vm32/i386-packages) 2>&1 | tail -n 5 \
        || { say "apt-get install of the i386 packages failed"; return 1; }
    [ -x /usr/lib/wine/wine ] || { say "no 32-bit wine loader after the install"; return 1; }
    if [ -s /var/lib/tarven-vm32/reconfigure ]; then
        say "configuring again: $(tr '\n' ' ' </var/lib/tarven-vm32/reconfigure)"
        # shellcheck disable=SC2046
        dpkg-reconfigure -fnoninteractive $(cat /var/lib/tarven-vm32/reconfigure) 2>&1 | tail -n 5 \
            || { say "dpkg-reconfigure failed"; return 1; }
    fi
    say "wine32 installed after $(cut -d' ' -f1 /proc/uptime)s"

    # shellcheck source=../../../tests/wine/wine-prefix.sh
    . "$CTL/wine-prefix.sh"
    start_xvfb 1024x768x24 /tmp/xvfb.log || say "warning: Xvfb did not start"
    make_prefix "$PREFIX32" win32 wine || return 1
    # A win64 prefix runs 64-bit programs and, through WoW64, the 32-bit programs they start.
    case " $(cat /var/lib/tarven-vm32/prefixes 2>/dev/null || echo win32 win64) " in
        *" win64 "*) make_prefix "$PREFIX64" win64 /usr/lib/wine/wine64 || return 1 ;;
    esac
    kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null

    apt-get clean
    rm -rf /var/lib/apt/lists/* /var/cache/apt/*.bin /tmp/* /root/.cache
    echo ok >"$CTL/firstboot.ok"
}

# make_prefix PREFIX win32|win64 LOADER: makes the prefix with LOADER and checks it whole. Wine cut
# short (a full disk) says nothing on its exit code, and leaves a prefix that starts 64-bit programs
# but no 32-bit one needing more than kernel32; so a 32-bit cmd must start from the command line,
# and the disk must keep room for the runs.
make_prefix() {
    local prefix=$1 arch=$2 loader=$3 ok=1 out cmd32=cmd free_mb
    wine_env "$prefix" "$arch"
    export "${wine_env[@]}"
    wine_prefix "$prefix" timeout 900 "$loader" 2>&1 | tail -n 5
    timeout 120 wineserver -w
    [ -f "$prefix/system.reg" ] || { say "$arch prefix: no system.reg"; ok=0; }
    if [ "$arch" = win64 ]; then
        cmd32='C:\windows\syswow64\cmd.exe'
        [ -f "$prefix/drive_c/windows/syswow64/sechost.dll" ] || { say "$arch prefix: syswow64 incomplete"; ok=0; }
    else
        [ -d "$prefix/drive_c/windows/syswow64" ] && { say "$arch prefix: not a win32 prefix"; ok=0; }
    fi
    out=$(timeout 120 "$loader" "$cmd32" /c echo prefix-ok 2>&1 | tr -d '\r')
    echo "$out" | grep -q prefix-ok || { say "$arch prefix: a 32-bit cmd did not start: $out"; ok=0; }
    timeout 60 wineserver -k; timeout 60 wineserver -w
    free_mb=$(df -Pm / | awk 'NR==2 {print $4}')
    say "disk: $free_mb MiB free"
    [ "${free_mb:-0}" -ge 512 ] || { say "less than 512 MiB left on the disk"; ok=0; }
    [ $ok = 1 ] || return 1
    say "$arch prefix ready at $prefix after $(cut -d' ' -f1 /proc/uptime)s"
}

case "$mode" in
    firstboot)
        firstboot || say "FIRST BOOT FAILED"
        ;;
    run)
        if [ -f "$CTL/env" ] && [ -f "$CTL/run-manifest.sh" ]; then
            # shellcheck disable=SC1091
            . "$CTL/env"
            if [ -n "${VM32_SHARE:-}" ]; then
                mkdir -p "$VM32_SHARE" && mount9p tarvenshare "$VM32_SHARE" \
                    || say "cannot mount the shared root at $VM32_SHARE"
            fi
            echo booted >"$CTL/booted"
            VM32_MODE=vm VM32_MANIFEST="$CTL/manifest" VM32_RESULTS="$CTL/results" VM32_STATE="$CTL" \
                WINEPREFIX=$PREFIX32 WINEPREFIX64=$PREFIX64 \
                bash "$CTL/run-manifest.sh"
        else
            say "the control share has no env or run-manifest.sh"
        fi
        ;;
    *) say "unknown mode $mode" ;;
esac
power_off
