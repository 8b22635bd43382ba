#!/bin/bash
# Runs 32-bit Windows test programs under wine32: in a qemu VM (Debian 12 amd64 guest, software emulation) when
# this kernel cannot run 32-bit code, otherwise natively with the host's wine32.
#
#   tools/vm32/run-tests.sh MANIFEST RESULTS_DIR
#
# MANIFEST: one test per line, "NAME<TAB>WORKDIR<TAB>SHELL-COMMAND"; empty lines and lines starting with "#"
#   are skipped. NAME: letters, digits, "._+-". WORKDIR: absolute path under the shared root. The command runs
#   as `bash -c COMMAND` in WORKDIR with Wine's settings of a win32 prefix (wine_env of tests/wine/wine-prefix.sh:
#   WINEPREFIX a ready win32 prefix, WINEARCH=win32, WINEDEBUG=-all, WINEDLLOVERRIDES="mscoree=;mshtml="),
#   DISPLAY (a running Xvfb) and TARVEN_WIN32=1 set; the command may
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
# shellcheck source=run/stage.sh
. "$HERE/run/stage.sh"     # the folder the manifest's runner starts from
# shellcheck source=run/native.sh
. "$HERE/run/native.sh"    # the run on a host that runs 32-bit code
# shellcheck source=run/qemu.sh
. "$HERE/run/qemu.sh"      # a boot of the guest image
# shellcheck source=run/collect.sh
. "$HERE/run/collect.sh"   # the results and outcome of a boot

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
bad() { say "$MANIFEST:$lineno: $*"; exit 2; }
while IFS= read -r line || [ -n "$line" ]; do
    lineno=$((lineno + 1))
    line=${line%$'\r'}
    case "$line" in ''|'#'*) continue ;; esac
    IFS=$'\t' read -r name workdir cmd <<<"$line" || true
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
cleanup() {
    local rc=$?
    trap - EXIT INT TERM
    stop_vm
    stop_native
    rm -rf "$WORK"
    exit "$rc"
}
trap cleanup EXIT
trap 'say "interrupted"; exit 130' INT
trap 'say "terminated"; exit 143' TERM

T0=$(date +%s)
elapsed() { echo $(( $(date +%s) - T0 )); }

if [ "$MODE" = auto ]; then
    if native_32bit && command -v wine >/dev/null 2>&1 && command -v Xvfb >/dev/null 2>&1; then
        MODE=native
    else
        MODE=vm
    fi
fi

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

say "win32 tests: in a qemu VM"
vm_image
stage_control "$WORK/ctl"
boot_vm "$WORK/ctl"
if [ ! -f "$WORK/ctl/booted" ] && [ -z "$timed_out" ]; then
    # Under software emulation the guest's kernel now and then dies early in its boot (an int3 oops while
    # it patches its own code on two CPUs); nothing has run yet, so it is booted once more.
    say "the guest died while booting; booting it again"
    last_console
    boot_vm "$WORK/ctl"
fi
collect_vm_results "$WORK/ctl"
