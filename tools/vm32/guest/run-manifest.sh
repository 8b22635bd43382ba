#!/bin/bash
# Runs the tests of a manifest under 32-bit Wine with an Xvfb display. Used inside the VM (copied to the run's
# control share by run-tests.sh, started by the guest's init) and on a host that runs 32-bit code natively
# (copied to a folder of the run); either way beside the Wine helper it sources (tests/wine/wine-prefix.sh).
# Env in:  VM32_MANIFEST  lines "NAME<TAB>WORKDIR<TAB>SHELL-COMMAND" (empty lines and "#" lines skipped)
#          VM32_RESULTS   where NAME.rc and NAME.log go
#          VM32_STATE     private files: xvfb.pid, test.pgid, runner.done (default: VM32_RESULTS)
#          VM32_TEST_TIMEOUT  seconds per test (default 300); VM32_MODE vm|native (for messages)
#          WINEPREFIX     the win32 prefix (made with wineboot --init when it has no system.reg yet)
#          WINEPREFIX64   a win64 (WoW64) prefix, where there is one (the VM's): 64-bit programs that
#                         start 32-bit ones run there with /usr/lib/wine/wine64
# Prints progress lines "vm32: ..."; writes VM32_STATE/runner.done when every test has run.
set -u
: "${VM32_MANIFEST:?}" "${VM32_RESULTS:?}" "${WINEPREFIX:?}"
VM32_STATE=${VM32_STATE:-$VM32_RESULTS}
T=${VM32_TEST_TIMEOUT:-300}
mkdir -p "$VM32_RESULTS" "$VM32_STATE"

say() { echo "vm32: $*"; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

[ -n "${WINEPREFIX64:-}" ] && export WINEPREFIX64
# shellcheck source=../../../tests/wine/wine-prefix.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
wine_env "$WINEPREFIX" win32
export "${wine_env[@]}" TARVEN_WIN32=1
xvfb_pid=
TPGID=
cleanup() {
    [ -n "$TPGID" ] && kill -KILL -- "-$TPGID" 2>/dev/null
    timeout 20 wineserver -k >/dev/null 2>&1
    [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; }
    rm -f "$VM32_STATE/xvfb.pid" "$VM32_STATE/test.pgid"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# ---- display ----
if ! start_xvfb 1280x1024x24 "$VM32_STATE/xvfb.log"; then
    say "Xvfb did not start:"; cat "$VM32_STATE/xvfb.log"; exit 1
fi
echo "$xvfb_pid" >"$VM32_STATE/xvfb.pid"

# ---- wine ----
t0=$(now)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "making the win32 prefix $WINEPREFIX"
    wine_prefix "$WINEPREFIX" timeout 600 wine >"$VM32_STATE/wineboot.log" 2>&1
    timeout 120 wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ] || [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
        say "cannot make a win32 prefix:"; tail -n 20 "$VM32_STATE/wineboot.log"
        echo failed >"$VM32_STATE/prefix.failed"; exit 1
    fi
fi
# Wine's own fonts in every prefix.
for p in "$WINEPREFIX" ${WINEPREFIX64:+"$WINEPREFIX64"}; do
    [ -d "$p/drive_c/windows" ] && wine_fonts "$p"
done
wineserver -p >/dev/null 2>&1
timeout 180 wine cmd /c exit 0 >/dev/null 2>&1 </dev/null || say "warning: the first wine start failed"
say "first wine start: $(since "$t0")s (display $DISPLAY, $VM32_MODE)"

# ---- tests ----
n=0
total=$(grep -cvE '^[[:space:]]*(#|$)' "$VM32_MANIFEST")
while IFS= read -r line || [ -n "$line" ]; do
    line=${line%$'\r'}
    case "$line" in ''|'#'*) continue ;; esac
    IFS=$'\t' read -r name workdir cmd <<<"$line"
    n=$((n + 1))
    log="$VM32_RESULTS/$name.log"
    rm -f "$VM32_RESULTS/$name.rc"
    t1=$(now)
    # Wine cannot map programs straight from the 9p share (they crash at start-up), so in the VM
    # each test runs in a copy of its folder on the guest's tmpfs; absolute paths still reach the share.
    rundir=$workdir
    if [ "${VM32_MODE:-}" = vm ] && [ -d "$workdir" ]; then
        rundir=/tmp/vm32-run/$name
        rm -rf "$rundir"; mkdir -p "$rundir"
        cp -a "$workdir"/. "$rundir"/ 2>/dev/null
    fi
    if cd "$rundir" 2>/dev/null; then
        : >"$log"   # then append: a writer that outlives the test cannot overwrite what comes after
        timeout -k 10 "$T" bash -c "$cmd" >>"$log" 2>&1 </dev/null &
        TPGID=$!   # timeout leads its own process group
        echo "$TPGID" >"$VM32_STATE/test.pgid"
        wait "$TPGID"; rc=$?
        kill -KILL -- "-$TPGID" 2>/dev/null   # whatever the test left running
        TPGID=
        cd /
        [ "$rundir" != "$workdir" ] && rm -rf "$rundir"
        secs=$(since "$t1")
        if { [ $rc = 124 ] || [ $rc = 137 ]; } && awk -v s="$secs" -v t="$T" 'BEGIN { exit !(s >= t - 1) }'; then
            echo "vm32: test timed out after ${T}s (killed)" >>"$log"
            timeout 20 wineserver -k >/dev/null 2>&1; wineserver -p >/dev/null 2>&1
        fi
    else
        echo "vm32: cannot enter WORKDIR $workdir" >"$log"
        rc=127; secs=0
    fi
    echo "$rc" >"$VM32_RESULTS/$name.rc"
    say "[$n/$total] $name rc=$rc (${secs}s)"
done <"$VM32_MANIFEST"

echo "$n" >"$VM32_STATE/runner.done"
say "ran $n tests"
