# Sourced by run-tests.sh: after a boot, brings the guest's console and results into RESULTS and ends
# the run with the exit code of its outcome.

# collect_vm_results CTL: exits 0 when the guest ran the whole manifest, 5 when the run passed its time
# limit, 4 when the guest did not boot or did not report (with the last console lines).
collect_vm_results() {
    local ctl=$1
    cp "$CONSOLE" "$RESULTS/vm32-console.log" 2>/dev/null || true
    cp -r "$ctl/results/." "$RESULTS/" 2>/dev/null || true

    if [ -n "$timed_out" ]; then
        say "TIMEOUT: the VM run passed ${RUN_TIMEOUT}s; killing qemu (pid $QEMU_PID)"
        last_console
        exit 5
    fi
    if [ ! -f "$ctl/booted" ]; then
        say "the guest did not boot"
        last_console
        exit 4
    fi
    if [ ! -f "$ctl/runner.done" ]; then
        say "the guest crashed or did not report"
        last_console
        exit 4
    fi
    say "done in $(elapsed)s"
    exit 0
}
