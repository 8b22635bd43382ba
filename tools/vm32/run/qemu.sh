# Sourced by run-tests.sh: one boot of the guest image under qemu (software emulation), watched against
# the boot and run time limits, its progress lines ("vm32: ..." and "vm32-guest: ...") shown as they come.
QEMU_PID=

# vm_image: sets IMG to the cached image of these scripts, building it when missing; exits 3 when it
# cannot be built or qemu is missing.
vm_image() {
    IMG=$("$HERE/build-image.sh" --print-dir)
    if [ ! -f "$IMG/ready" ]; then
        say "no VM image in $IMG: building it"
        "$HERE/build-image.sh" || { say "the VM image cannot be built"; exit 3; }
    fi
    local f
    for f in vmlinuz initrd.img rootfs.ext4; do
        [ -f "$IMG/$f" ] || { say "the VM image in $IMG lacks $f"; exit 3; }
    done
    command -v qemu-system-x86_64 >/dev/null || { say "qemu-system-x86_64 is missing (run build-image.sh)"; exit 3; }
}

# boot_vm CTL: boots the image with the control share CTL and waits until the guest powers off. Sets
# timed_out when the run passed RUN_TIMEOUT (qemu is then still running); exits 4 when the guest did not
# boot within BOOT_TIMEOUT. The time limits count from the boot, not from an image build before it.
boot_vm() {
    local ctl=$1
    CONSOLE="$WORK/console.log"
    : >"$CONSOLE"  # there before the background qemu opens it, for the progress reader
    T0=$(date +%s)
    qemu-system-x86_64 -cpu max,-smap -smp 2 -m 3G -nic none -nographic -no-reboot \
        -kernel "$IMG/vmlinuz" -initrd "$IMG/initrd.img" \
        -append "console=ttyS0 root=/dev/vda rootfstype=ext4 rw init=/sbin/tarven-init panic=1 quiet mitigations=off fsck.mode=skip tarven_mode=run" \
        -drive file="$IMG/rootfs.ext4",format=raw,if=virtio,snapshot=on \
        -virtfs local,path="$ctl",mount_tag=tarvenctl,security_model=none \
        -virtfs local,path="$SHARE",mount_tag=tarvenshare,security_model=none \
        </dev/null >"$CONSOLE" 2>&1 &
    QEMU_PID=$!
    say "qemu pid $QEMU_PID, shared root $SHARE"

    local booted=
    shown=0
    timed_out=
    while kill -0 "$QEMU_PID" 2>/dev/null; do
        show_progress
        if [ -z "$booted" ] && [ -f "$ctl/booted" ]; then booted=1; say "guest booted after $(elapsed)s"; fi
        if [ "$(elapsed)" -ge "$RUN_TIMEOUT" ]; then timed_out=1; break; fi
        if [ -z "$booted" ] && [ "$(elapsed)" -ge "$BOOT_TIMEOUT" ]; then
            say "the guest did not boot within ${BOOT_TIMEOUT}s"
            last_console
            exit 4
        fi
        sleep 0.5
    done
    if [ -z "$timed_out" ]; then wait "$QEMU_PID" 2>/dev/null || true; QEMU_PID=; fi
    show_progress
}

# show_progress: prints the console's progress lines not shown yet.
show_progress() {
    local lines count
    lines=$(tr -d '\r' <"$CONSOLE" | grep -aoE 'vm32(-guest)?: .*' || true)
    [ -n "$lines" ] || return 0
    count=$(printf '%s\n' "$lines" | wc -l)
    if [ "$count" -gt "$shown" ]; then
        printf '%s\n' "$lines" | tail -n +"$((shown + 1))" | sed 's/^/  /' >&2
        shown=$count
    fi
}

last_console() { say "last console lines:"; tr -d '\r' <"$CONSOLE" | tail -n 30 | sed 's/^/  | /' >&2; }

# stop_vm: ends a qemu still running (TERM, then KILL a second later).
stop_vm() {
    if [ -n "$QEMU_PID" ] && kill -0 "$QEMU_PID" 2>/dev/null; then
        kill -TERM "$QEMU_PID" 2>/dev/null; sleep 1; kill -KILL "$QEMU_PID" 2>/dev/null || true
        wait "$QEMU_PID" 2>/dev/null || true
    fi
}
