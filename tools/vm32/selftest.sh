#!/bin/bash
# Checks run-tests.sh end to end with small i686 programs (tools/vm32/selftest/*.c):
# exit codes and output come back, a failing test's code is reported, a missing WORKDIR gives 127, the
# environment is set, a DLL beside the exe loads, a stdcall function called through a cdecl pointer moves the
# stack (the fault only i386 shows), a window shows under Xvfb and a screenshot of it lands in the shared folder,
# the per-test limit gives 124, and the whole-run limit gives exit code 5.
#
#   tools/vm32/selftest.sh [WORK_DIR]   (default: <shared root>/build/vm32-selftest; must be under the shared root)
# Exit: 0 all checks passed, 1 a check failed, else run-tests.sh's own code.
set -uo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SHARE=${TARVEN_VM32_SHARE:-$(git -C "$HERE" rev-parse --show-toplevel 2>/dev/null || (cd "$HERE/../.." && pwd))}
W=${1:-$SHARE/build/vm32-selftest}
mkdir -p "$W/bin" "$W/out" && W=$(cd "$W" && pwd -P)
CC=${CC_I686:-i686-w64-mingw32-gcc}
command -v "$CC" >/dev/null || { echo "selftest: $CC missing (package gcc-mingw-w64-i686-win32)" >&2; exit 1; }

S="$HERE/selftest"
set -e
$CC -O0 -static -o "$W/bin/hello.exe" "$S/hello.c"
$CC -O0 -static -shared -o "$W/bin/plus.dll" "$S/plus.c"
$CC -O0 -static -fno-omit-frame-pointer -o "$W/bin/conv.exe" "$S/conv.c"
$CC -O0 -static -o "$W/bin/sleeper.exe" "$S/sleeper.c"
$CC -O0 -static -mwindows -o "$W/bin/gui.exe" "$S/gui.c"
set +e

B="$W/bin"
SHOT="$W/out/shot.png"
rm -f "$SHOT" "$B/shown.txt"
{
    printf 'hello_ok\t%s\twine ./hello.exe 0\n' "$B"
    printf 'hello_fails_7\t%s\twine ./hello.exe 7\n' "$B"
    printf 'conv_mismatch\t%s\twine ./conv.exe\n' "$B"
    printf 'bad_workdir\t%s/no-such-folder\ttrue\n' "$W"
    printf 'env\t%s\t[ "$(pwd)" = %q ] && [ "$WINEARCH" = win32 ] && [ -f "$WINEPREFIX/system.reg" ] && [ "$WINEDEBUG" = -all ] && [ "$WINEDLLOVERRIDES" = "mscoree=;mshtml=" ] && [ -n "$DISPLAY" ] && [ "$TARVEN_WIN32" = 1 ] && echo env-ok\n' "$B" "$B"
    printf 'window_shot\t%s\twine ./gui.exe & p=$!; for i in $(seq 240); do [ -f shown.txt ] && break; sleep 0.5; done; sleep 1; xwd -root -silent | convert xwd:- %q; rc=$?; wait $p; echo "gui exit $?"; exit $rc\n' "$B" "$SHOT"
    printf 'sleeper\t%s\twine ./sleeper.exe 1000\n' "$B"
} >"$W/manifest.txt"

fails=0
check() {  # description, then a command that must succeed
    local what=$1; shift
    if "$@" >/dev/null 2>&1; then echo "selftest: ok   $what"; else echo "selftest: FAIL $what"; fails=$((fails + 1)); fi
}
rc_is() { [ "$(cat "$W/results/$1.rc" 2>/dev/null)" = "$2" ]; }
log_has() { grep -q -- "$2" "$W/results/$1.log"; }
png_with_content() {  # a PNG bigger than a blank screen's (about 450 bytes)
    [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] && [ "$(stat -c %s "$1")" -gt 1000 ]
}

TARVEN_VM32_TEST_TIMEOUT=${SELFTEST_TEST_TIMEOUT:-60} "$HERE/run-tests.sh" "$W/manifest.txt" "$W/results"
rc=$?
[ $rc = 0 ] || { echo "selftest: run-tests.sh failed with exit code $rc" >&2; exit $rc; }
check "exit code 0 comes back"                rc_is hello_ok 0
check "stdout, stderr and a DLL beside the exe" log_has hello_ok 'plus(2,3)=5'
check "stderr is in the log"                  log_has hello_ok 'to stderr'
check "a failing test's exit code (7)"        rc_is hello_fails_7 7
check "cdecl call of a stdcall function moves the stack by 8 bytes" log_has conv_mismatch 'moved by 8 bytes'
check "... and the program says so (exit 1)"  rc_is conv_mismatch 1
check "missing WORKDIR gives 127"             rc_is bad_workdir 127
check "the environment of a test"             rc_is env 0
check "a window under Xvfb, screenshot taken" rc_is window_shot 0
check "the screenshot is a PNG with content"  png_with_content "$SHOT"
check "per-test time limit gives 124"         rc_is sleeper 124
check "... and the log says it timed out"     log_has sleeper 'timed out'

printf 'sleeper\t%s\twine ./sleeper.exe 1000\n' "$B" >"$W/manifest-slow.txt"
TARVEN_VM32_TIMEOUT=30 "$HERE/run-tests.sh" "$W/manifest-slow.txt" "$W/results-slow" >/dev/null 2>&1
check "whole-run time limit gives exit code 5" test $? = 5

[ $fails = 0 ] && echo "selftest: all checks passed" || echo "selftest: $fails checks failed"
[ $fails = 0 ]
