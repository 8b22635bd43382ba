#!/bin/bash
# Runs 32-bit Windows test programs under wine32: in a qemu VM (Debian 12 amd64 guest, software emulation) when
# this kernel cannot run 32-bit code, otherwise natively with the host's wine32.
#
#   tools/vm32/run-tests.sh MANIFEST RESULTS_DIR
#
# MANIFEST: one test per line, "NAME<TAB>WORKDIR<TAB>SHELL-COMMAND"; empty lines and lines starting with "#"
#   are skipped. NAME: letters, digits, "._+-". WORKDIR: absolute path under the shared root. The command runs
#   as `bash -c COMMAND` in WORKDIR with WINEPREFIX (a ready win32 prefix), WINEARCH=win32, WINEDEBUG=-all,
#   WINEDLLOVERRIDES="mscoree=;mshtml=", DISPLAY (a running Xvfb) and TARVEN_WIN32=1 set; the command may
#   override them (e.g. `WINEDEBUG=err+seh wine ./ui_test.exe`). All tests run in one boot, one after another.
# RESULTS_DIR: gets NAME.rc (the command's exit code; 124/137 when it hit the per-test limit, 127 when WORKDIR
#   is missing) and NAME.log (its stdout+stderr), plus vm32-console.log (the VM's console) in VM mode.
#
# Env: TARVEN_VM32_SHARE         shared root, mounted read-write at the same path in the guest
#                                (default: the git top level of the repo holding this script)
#      TARVEN_VM32_TEST_TIMEOUT  seconds per test (default 300)
#      TARVEN_VM32_TIMEOUT       seconds for the whole run, boot included (default 1200)
#      TARVEN_VM32_BOOT_TIMEOUT  seconds for the guest to boot and mount the shares (default 300)
#      TARVEN_VM32_MODE          auto (default) | vm | native
#      TARVEN_VM32_CACHE         image cache (see build-image.sh); the image is built here when missing
#
# Exit codes:
#   0  the manifest ran (each test's own result is in its .rc file)
#   2  bad usage or a bad manifest line
#   3  the VM image is missing and cannot be built
#   4  the guest did not boot, crashed or did not report (the last console lines are printed);
#      natively: the runner failed
#   5  the whole run went past TARVEN_VM32_TIMEOUT (qemu / the runner was killed)
#   130/143  interrupted
# Nothing is left running afterwards (qemu, Xvfb, wineserver), whatever the outcome.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
say() { echo "vm32: $*" >&2; }
usage() { echo "usage: $0 MANIFEST RESULTS_DIR" >&2; exit 2; }

[ $# -eq 2 ] || usage
MANIFEST=$1
RESULTS=$2
[ -f "$MANIFEST" ] && [ -r "$MANIFEST" ] || { say "no manifest $MANIFEST"; exit 2; }
MANIFEST=$(cd "$(dirname "$MANIFEST")" && pwd -P)/$(basename "$MANIFEST")
TEST_TIMEOUT=${TARVEN_VM32_TEST_TIMEOUT:-300}
RUN_TIMEOUT=${TARVEN_VM32_TIMEOUT:-1200}
BOOT_TIMEOUT=${TARVEN_VM32_BOOT_TIMEOUT:-300}
MODE=${TARVEN_VM32_MODE:-auto}
[[ "$TEST_TIMEOUT" =~ ^[0-9]+$ && "$RUN_TIMEOUT" =~ ^[0-9]+$ && "$BOOT_TIMEOUT" =~ ^[0-9]+$ ]] || { say "timeouts must be whole seconds"; exit 2; }
case "$MODE" in auto|vm|native) ;; *) say "TARVEN_VM32_MODE must be auto, vm or native"; exit 2 ;; esac

SHARE=${TARVEN_VM32_SHARE:-$(git -C "$HERE" rev-parse --show-toplevel 2>/dev/null || (cd "$HERE/../.." && pwd))}
SHARE=$(cd "$SHARE" && pwd -P) || { say "no shared root $SHARE"; exit 2; }

# ---- check the manifest ----
declare -A seen=()
names=()
lineno=0
while IFS= read -r line || [ -n "$line" ]; do
    lineno=$((lineno + 1))
    line=${line%$'\r'}
    case "$line" in ''|'#'*) continue ;; esac
    IFS=$'\t' read -r name workdir cmd <<<"$line" || true
    bad() { say "$MANIFEST:$lineno: $*"; exit 2; }
    [[ "$name" =~ ^[A-Za-z0-9._+-]+$ ]] || bad "bad test name '$name'"
    [ -z "${seen[$name]:-}" ] || bad "test name '$name' used twice"
    seen[$name]=1
    [[ "$workdir" == /* ]] || bad "WORKDIR '$workdir' is not an absolute path"
    [ -n "${cmd:-}" ] || bad "no command"
    if [ "$MODE" != native ]; then
        case "$workdir/" in "$SHARE"/*) ;; *) bad "WORKDIR $workdir is not under the shared root $SHARE" ;; esac
    fi
    names+=("$name")
done <"$MANIFEST"
[ ${#names[@]} -gt 0 ] || { say "the manifest has no tests"; exit 2; }

mkdir -p "$RESULTS"
RESULTS=$(cd "$RESULTS" && pwd -P)
for name in "${names[@]}"; do rm -f "$RESULTS/$name.rc" "$RESULTS/$name.log"; done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tarven-vm32.XXXXXX")
QEMU_PID=
RUNNER_PID=
cleanup() {
    local rc=$?
    trap - EXIT INT TERM
    if [ -n "$QEMU_PID" ] && kill -0 "$QEMU_PID" 2>/dev/null; then
        kill -TERM "$QEMU_PID" 2>/dev/null; sleep 1; kill -KILL "$QEMU_PID" 2>/dev/null || true
        wait "$QEMU_PID" 2>/dev/null || true
    fi
    if [ -n "$RUNNER_PID" ]; then
        kill -TERM -- "-$RUNNER_PID" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$RUNNER_PID" 2>/dev/null || break; sleep 0.1; done
        kill -KILL -- "-$RUNNER_PID" 2>/dev/null || true
        wait "$RUNNER_PID" 2>/dev/null || true
        local f
        f=$(cat "$WORK/state/test.pgid" 2>/dev/null) && kill -KILL -- "-$f" 2>/dev/null || true
        f=$(cat "$WORK/state/xvfb.pid" 2>/dev/null) && kill -KILL "$f" 2>/dev/null || true
        WINEPREFIX="$RESULTS/.wine32" timeout 20 wineserver -k >/dev/null 2>&1 || true
    fi
    rm -rf "$WORK"
    exit "$rc"
}
trap cleanup EXIT
trap 'say "interrupted"; exit 130' INT
trap 'say "terminated"; exit 143' TERM

T0=$(date +%s)
elapsed() { echo $(( $(date +%s) - T0 )); }

# ---- can this kernel run 32-bit x86 code? (a 96-byte static i386 ELF that exits with 42) ----
native_32bit() {
    local elf="$WORK/i386-probe"
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'`
          `'\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000'`
          `'\064\000\040\000\001\000\000\000\000\000\000\000'`
          `'\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000'`
          `'\005\000\000\000\000\020\000\000'`
          `'\270\001\000\000\000\273\052\000\000\000\315\200' >"$elf"
    chmod +x "$elf"
    local rc=0
    "$elf" 2>/dev/null || rc=$?
    [ "$rc" = 42 ]
}

if [ "$MODE" = auto ]; then
    if native_32bit && command -v wine >/dev/null 2>&1 && command -v Xvfb >/dev/null 2>&1; then
        MODE=native
    else
        MODE=vm
    fi
fi

# ---- natively ----
run_native() {
    mkdir -p "$WORK/state"
    setsid env VM32_MODE=native VM32_MANIFEST="$MANIFEST" VM32_RESULTS="$RESULTS" VM32_STATE="$WORK/state" \
        VM32_TEST_TIMEOUT="$TEST_TIMEOUT" WINEPREFIX="$RESULTS/.wine32" bash "$HERE/guest/run-manifest.sh" </dev/null &
    RUNNER_PID=$!
    local rc=0
    while kill -0 "$RUNNER_PID" 2>/dev/null; do
        if [ "$(elapsed)" -ge "$RUN_TIMEOUT" ]; then
            say "TIMEOUT: the run passed ${RUN_TIMEOUT}s; stopping the runner (pid $RUNNER_PID)"
            exit 5
        fi
        sleep 0.5
    done
    wait "$RUNNER_PID" || rc=$?
    RUNNER_PID=
    if [ -f "$WORK/state/runner.done" ]; then
        say "done in $(elapsed)s"
        return 0
    fi
    if [ -f "$WORK/state/prefix.failed" ]; then return 10; fi
    say "the native runner failed (exit $rc)"
    exit 4
}

if [ "$MODE" = native ]; then
    say "win32 tests: natively with wine32"
    nrc=0
    run_native || nrc=$?
    [ $nrc = 0 ] && exit 0
    if [ "${TARVEN_VM32_MODE:-auto}" = native ]; then exit 4; fi
    say "wine32 does not work natively here; using the VM instead"
    rm -rf "$RESULTS/.wine32"
    MODE=vm
fi

# ---- in a qemu VM ----
say "win32 tests: in a qemu VM"
IMG=$("$HERE/build-image.sh" --print-dir)
if [ ! -f "$IMG/ready" ]; then
    say "no VM image in $IMG: building it"
    "$HERE/build-image.sh" || { say "the VM image cannot be built"; exit 3; }
fi
for f in vmlinuz initrd.img rootfs.ext4; do
    [ -f "$IMG/$f" ] || { say "the VM image in $IMG lacks $f"; exit 3; }
done
command -v qemu-system-x86_64 >/dev/null || { say "qemu-system-x86_64 is missing (run build-image.sh)"; exit 3; }

CTL="$WORK/ctl"
mkdir -p "$CTL/results"
cp "$MANIFEST" "$CTL/manifest"
cp "$HERE/guest/run-manifest.sh" "$CTL/run-manifest.sh"
{
    printf 'VM32_SHARE=%q\n' "$SHARE"
    printf 'VM32_TEST_TIMEOUT=%q\n' "$TEST_TIMEOUT"
    printf 'export VM32_TEST_TIMEOUT\n'
} >"$CTL/env"
CONSOLE="$WORK/console.log"
T0=$(date +%s)   # the time limit covers the VM run, not an image build before it

qemu-system-x86_64 -cpu max,-smap -smp 2 -m 3G -nic none -nographic -no-reboot \
    -kernel "$IMG/vmlinuz" -initrd "$IMG/initrd.img" \
    -append "console=ttyS0 root=/dev/vda rootfstype=ext4 rw init=/sbin/tarven-init panic=1 quiet mitigations=off fsck.mode=skip tarven_mode=run" \
    -drive file="$IMG/rootfs.ext4",format=raw,if=virtio,snapshot=on \
    -virtfs local,path="$CTL",mount_tag=tarvenctl,security_model=none \
    -virtfs local,path="$SHARE",mount_tag=tarvenshare,security_model=none \
    </dev/null >"$CONSOLE" 2>&1 &
QEMU_PID=$!
say "qemu pid $QEMU_PID, shared root $SHARE"

last_console() { say "last console lines:"; tr -d '\r' <"$CONSOLE" | tail -n 30 | sed 's/^/  | /' >&2; }
shown=0
booted=
show_progress() {
    local lines
    lines=$(tr -d '\r' <"$CONSOLE" | grep -aoE 'vm32(-guest)?: .*' || true)
    [ -n "$lines" ] || return 0
    local count
    count=$(printf '%s\n' "$lines" | wc -l)
    if [ "$count" -gt "$shown" ]; then
        printf '%s\n' "$lines" | tail -n +"$((shown + 1))" | sed 's/^/  /' >&2
        shown=$count
    fi
}
timed_out=
while kill -0 "$QEMU_PID" 2>/dev/null; do
    show_progress
    if [ -z "$booted" ] && [ -f "$CTL/booted" ]; then booted=1; say "guest booted after $(elapsed)s"; fi
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

cp "$CONSOLE" "$RESULTS/vm32-console.log" 2>/dev/null || true
cp -r "$CTL/results/." "$RESULTS/" 2>/dev/null || true

if [ -n "$timed_out" ]; then
    say "TIMEOUT: the VM run passed ${RUN_TIMEOUT}s; killing qemu (pid $QEMU_PID)"
    last_console
    exit 5
fi
if [ ! -f "$CTL/booted" ]; then
    say "the guest did not boot"
    last_console
    exit 4
fi
if [ ! -f "$CTL/runner.done" ]; then
    say "the guest crashed or did not report"
    last_console
    exit 4
fi
say "done in $(elapsed)s"
exit 0
