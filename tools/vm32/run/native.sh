# Sourced by run-tests.sh: the run on a host whose kernel runs 32-bit x86 code, with the host's wine32.
# The runner leads a process group of its own (setsid), so that everything it started can be ended.
RUNNER_PID=

# native_32bit: true when this kernel runs a 96-byte static i386 ELF (it exits with 42).
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

# run_native: runs the manifest with the runner staged in $WORK/native (also its state folder), the
# prefix RESULTS/.wine32 (and RESULTS/.wine64 for the tests that use a win64 one: Wine makes it on first use),
# the results straight into RESULTS. Returns 0 when every test ran, 10 when no
# win32 prefix could be made; exits 4 when the runner failed otherwise, 5 past the run's time limit.
run_native() {
    local dir="$WORK/native" rc=0
    stage_runner "$dir"
    setsid env VM32_MODE=native VM32_MANIFEST="$MANIFEST" VM32_RESULTS="$RESULTS" VM32_STATE="$dir" \
        VM32_TEST_TIMEOUT="$TEST_TIMEOUT" WINEPREFIX="$RESULTS/.wine32" WINEPREFIX64="$RESULTS/.wine64" \
        bash "$dir/run-manifest.sh" </dev/null &
    RUNNER_PID=$!
    while kill -0 "$RUNNER_PID" 2>/dev/null; do
        if [ "$(elapsed)" -ge "$RUN_TIMEOUT" ]; then
            say "TIMEOUT: the run passed ${RUN_TIMEOUT}s; stopping the runner (pid $RUNNER_PID)"
            exit 5
        fi
        sleep 0.5
    done
    wait "$RUNNER_PID" || rc=$?
    RUNNER_PID=
    if [ -f "$dir/runner.done" ]; then
        say "done in $(elapsed)s"
        return 0
    fi
    if [ -f "$dir/prefix.failed" ]; then return 10; fi
    say "the native runner failed (exit $rc)"
    exit 4
}

# stop_native: ends a runner still running: its process group, the test it was running, its Xvfb and
# the prefix's wineserver.
stop_native() {
    [ -n "$RUNNER_PID" ] || return 0
    kill -TERM -- "-$RUNNER_PID" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$RUNNER_PID" 2>/dev/null || break; sleep 0.1; done
    kill -KILL -- "-$RUNNER_PID" 2>/dev/null || true
    wait "$RUNNER_PID" 2>/dev/null || true
    local f
    f=$(cat "$WORK/native/test.pgid" 2>/dev/null) && kill -KILL -- "-$f" 2>/dev/null || true
    f=$(cat "$WORK/native/xvfb.pid" 2>/dev/null) && kill -KILL "$f" 2>/dev/null || true
    WINEPREFIX="$RESULTS/.wine32" timeout 20 wineserver -k >/dev/null 2>&1 || true
}
