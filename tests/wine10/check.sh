#!/bin/bash
# Checks tools/wine10/run.sh with a real .NET program: Wine10Probe published self-contained for win-x64 and
# win-x86, each beside native_add.dll built by MinGW for its architecture, run under Wine 10 as x64 and x86,
# and as wow64: the 64-bit build starting the 32-bit one. Each run must exit 0 and print the architecture it
# ran as; a run told to expect the other architecture must exit 1 (the program's failure comes back).
#
#   tests/wine10/check.sh [OUT_DIR]     (default: <repo>/build/wine10-check)
# Exit: 0 all checks passed, 1 a check failed.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
OUT=${1:-$REPO/build/wine10-check}
RUN=$REPO/tools/wine10/run.sh
mkdir -p "$OUT" && OUT=$(cd "$OUT" && pwd -P)

declare -A CC=([x64]=x86_64-w64-mingw32-gcc [x86]=i686-w64-mingw32-gcc)
declare -A EXPECT=([x64]=X64 [x86]=X86)
declare -A IS64=([x64]=True [x86]=False)
fails=0
check() {  # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then echo "wine10-check: ok   $what"; else echo "wine10-check: FAIL $what"; fails=$((fails + 1)); fi
}
has_line() { tr -d '\r' <"$1" | grep -qx -- "$2"; }   # Windows programs end their lines with CR LF

for arch in x64 x86; do
    dir=$OUT/run/win-$arch
    rm -rf "$dir"
    dotnet publish "$HERE/Wine10Probe/Wine10Probe.csproj" -r "win-$arch" --self-contained -c Release --nologo \
        -v quiet --artifacts-path "$OUT/artifacts" -o "$dir" >"$OUT/publish-$arch.log" 2>&1 \
        || { cat "$OUT/publish-$arch.log"; echo "wine10-check: FAIL dotnet publish -r win-$arch"; exit 1; }
    "${CC[$arch]}" -O2 -shared -static-libgcc -s -o "$dir/native_add.dll" "$HERE/native_add.c" \
        "$HERE/native_add-$arch.def" || { echo "wine10-check: FAIL building native_add.dll ($arch)"; exit 1; }

    t0=$(date +%s)
    rc=0
    "$RUN" "$arch" "$dir" wine ./Wine10Probe.exe "${EXPECT[$arch]}" >"$OUT/run-$arch.log" 2>&1 || rc=$?
    echo "wine10-check: $arch run took $(( $(date +%s) - t0 ))s, exit $rc:"
    sed 's/^/  | /' "$OUT/run-$arch.log"
    check "$arch: the program exits 0"                    test "$rc" = 0
    check "$arch: it ran as ${EXPECT[$arch]}"             has_line "$OUT/run-$arch.log" "ProcessArchitecture=${EXPECT[$arch]}"
    check "$arch: Is64BitProcess=${IS64[$arch]}"          has_line "$OUT/run-$arch.log" "Is64BitProcess=${IS64[$arch]}"
    check "$arch: DllImport binds the decorated name"     has_line "$OUT/run-$arch.log" "DllImport _native_add@8(2,3)=5"
    check "$arch: LibraryImport binds the decorated name" has_line "$OUT/run-$arch.log" "LibraryImport _native_add@8(2,3)=5"
done

rc=0
t0=$(date +%s)
"$RUN" wow64 "$OUT/run" wine ./win-x64/Wine10Probe.exe X64 ./win-x86/Wine10Probe.exe >"$OUT/run-wow64.log" 2>&1 || rc=$?
echo "wine10-check: wow64 run took $(( $(date +%s) - t0 ))s, exit $rc:"
sed 's/^/  | /' "$OUT/run-wow64.log"
check "wow64: the 64-bit program and its 32-bit child exit 0" test "$rc" = 0
check "wow64: the parent ran as X64"                 has_line "$OUT/run-wow64.log" "ProcessArchitecture=X64"
check "wow64: the child ran as X86"                  has_line "$OUT/run-wow64.log" "child: ProcessArchitecture=X86, exit 0"

rc=0
"$RUN" x64 "$OUT/run/win-x64" wine ./Wine10Probe.exe X86 >"$OUT/run-x64-wrong.log" 2>&1 || rc=$?
check "x64 told to expect X86: the program's exit 1 comes back" test "$rc" = 1

[ $fails = 0 ] && echo "wine10-check: all checks passed" || echo "wine10-check: $fails checks failed"
[ $fails = 0 ]
