#!/bin/bash
# Runs a Windows program under Wine 10 (Debian 13) in a fresh Wine prefix of its own.
#
#   tools/wine10/run.sh x64|x86|wow64 WORKDIR COMMAND [ARGS...]
#
#   x64    a 64-bit program: in the cached trixie root (build-root.sh) as a chroot, on any machine;
#   x86    a 32-bit program, in a win32 prefix;
#   wow64  a 64-bit program that starts 32-bit ones (the bridge and its host), in a win64 prefix with WoW64.
# x86 and wow64 need wine32:i386. Where this kernel runs 32-bit code they run in the same root with wine32
# added; elsewhere in one boot of tools/vm32's trixie guest (qemu software emulation).
#
# COMMAND runs in WORKDIR (an existing folder, seen read-write at the same path inside; nothing else of this
# machine is) with stdin from /dev/null, WINEDEBUG=-all, WINEDLLOVERRIDES="mshtml=;winedbg.exe=d" and WINEPREFIX a pristine
# prefix that no other run sees (a copy-on-write layer over one made with the root, or the guest's snapshot
# disk). `wine` starts a program of either architecture: `run.sh x86 DIR wine ./App.exe --flag` is the usual
# call. In the VM, WORKDIR is copied into the guest for the run: what the program writes there stays there.
# The prefixes were made with mscoree and mshtml off (no Mono or Gecko installer); the run keeps mscoree on:
# CoreCLR maps the framework's assemblies with LoadLibrary, and Wine binds every IL-only image to mscoree.dll,
# so without it .NET fails with "Could not load file or assembly ... System.Runtime.dll. Module not found."
# Output: the command's stdout and stderr (in the VM, shown after it ended, merged). Nothing is left running.
#
# Exit code: the command's; 124 (or 137) when it passed TARVEN_WINE10_TIMEOUT and was killed; 125 when the
# root, the prefix or the VM could not be set up (reason printed); 2 bad usage.
# Env: TARVEN_WINE10_TIMEOUT  seconds for COMMAND (default 600: .NET starts slowly in the emulated VM)
#      TARVEN_WINE10_WINE32   auto (default) | chroot | vm: where x86 and wow64 programs run
#      TARVEN_WINE10_CACHE    the root's cache (build-root.sh); TARVEN_VM32_CACHE the guest image's
set -uo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
say() { echo "wine10: $*" >&2; }
usage() { echo "usage: $0 x64|x86|wow64 WORKDIR COMMAND [ARGS...]" >&2; exit 2; }

[ $# -ge 3 ] || usage
ARCH=$1 GIVEN=$2
shift 2
case "$ARCH" in x64|x86|wow64) ;; *) usage ;; esac
WORKDIR=$(cd "$GIVEN" 2>/dev/null && pwd -P) || { say "no folder $GIVEN"; exit 2; }
TIMEOUT=${TARVEN_WINE10_TIMEOUT:-600}
WINE32=${TARVEN_WINE10_WINE32:-auto}
[[ "$TIMEOUT" =~ ^[0-9]+$ ]] || { say "TARVEN_WINE10_TIMEOUT must be whole seconds"; exit 2; }
case "$WINE32" in auto|chroot|vm) ;; *) say "TARVEN_WINE10_WINE32 must be auto, chroot or vm"; exit 2 ;; esac

if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null || { say "needs root (chroot, mounts) and there is no sudo"; exit 125; }
    exec sudo --preserve-env=TARVEN_WINE10_TIMEOUT,TARVEN_WINE10_WINE32,TARVEN_WINE10_CACHE,TARVEN_VM32_CACHE \
        bash "$0" "$ARCH" "$WORKDIR" "$@"
fi

# The settings of a .NET run: mscoree on, winedbg off (WINE_DOTNET_OVERRIDES says why).
# shellcheck source=../../tests/wine/wine-prefix.sh
. "$HERE/../../tests/wine/wine-prefix.sh"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tarven-wine10.XXXXXX")
# The run is a child waited for in the background, so that a signal reaches this script at once and ends
# the run: the chroot's namespace dies with its unshare, the VM with run-tests.sh's own clean-up.
CHILD=
run_child() { "$@" & CHILD=$!; wait "$CHILD"; local rc=$?; CHILD=; return $rc; }
stop_child() { [ -z "$CHILD" ] || { kill -TERM "$CHILD" 2>/dev/null; wait "$CHILD" 2>/dev/null; }; }
trap 'rm -rf --one-file-system "$WORK"' EXIT
trap 'stop_child; exit 130' INT
trap 'stop_child; exit 143' TERM

if [ "$ARCH" = x64 ]; then
    WINE32=no
elif [ "$WINE32" = auto ]; then
    # shellcheck source=../vm32/run/native.sh
    . "$HERE/../vm32/run/native.sh"   # native_32bit, probing in $WORK
    if native_32bit; then WINE32=chroot; else WINE32=vm; fi
fi

if [ "$WINE32" = vm ]; then
    # One test in a manifest for tools/vm32, whose shared root is WORKDIR. The guest's runner sets up its
    # win32 prefix; a wow64 run takes the guest's win64 one instead.
    setup="export $(printf %q "WINEDLLOVERRIDES=$WINE_DOTNET_OVERRIDES");"
    [ "$ARCH" = wow64 ] && setup+=' export WINEPREFIX="$WINEPREFIX64" WINEARCH=win64;'
    printf 'wine10\t%s\t%s %s\n' "$WORKDIR" "$setup" "$(printf '%q ' "$@")" >"$WORK/manifest"
    vrc=0
    TARVEN_VM32_SUITE=trixie TARVEN_VM32_MODE=vm TARVEN_VM32_SHARE="$WORKDIR" \
        TARVEN_VM32_TEST_TIMEOUT="$TIMEOUT" TARVEN_VM32_TIMEOUT=$((TIMEOUT + 600)) \
        run_child "$HERE/../vm32/run-tests.sh" "$WORK/manifest" "$WORK/results" || vrc=$?
    [ -f "$WORK/results/wine10.rc" ] || { say "the VM run failed (exit $vrc)"; exit 125; }
    cat "$WORK/results/wine10.log"
    exit "$(cat "$WORK/results/wine10.rc")"
fi

# ---- a chroot of the trixie root, over a scratch layer that is deleted afterwards ----
root_args=()
[ "$WINE32" = chroot ] && root_args=(--wine32)
"$HERE/build-root.sh" "${root_args[@]}" || { say "the Wine 10 root cannot be built"; exit 125; }
DIR=$("$HERE/build-root.sh" --print-dir)
exec 9<"$DIR/../.$(basename "$DIR").lock"
flock -s 9   # no build changes the root while it runs

# the root's prefixes: wine-x64 (win64, with WoW64 once wine32 is in) and wine-x86 (win32)
if [ "$ARCH" = x86 ]; then wine_env /root/wine-x86 win32 "$WINE_DOTNET_OVERRIDES"; else wine_env /root/wine-x64 "" "$WINE_DOTNET_OVERRIDES"; fi
wineenv=(XDG_RUNTIME_DIR=/tmp "${wine_env[@]}")
# shellcheck disable=SC2016
inner='cd "$1" || exit 125
t=$2; shift 2
timeout -k 10 "$t" "$@" </dev/null
rc=$?
timeout 60 wineserver -w || { echo "wine10: Wine processes still running after the program: killed" >&2; wineserver -k; }
exit $rc'
run_child "$HERE/in-root.sh" --scratch "$WORK/layer" --bind "$WORKDIR" "$DIR/root" \
    env "${wineenv[@]}" bash -c "$inner" wine10 "$WORKDIR" "$TIMEOUT" "$@"
