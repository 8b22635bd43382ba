# Sourced by the scripts that run apt: apt_retry CMD... runs one apt step (apt-get, debootstrap) and
# retries it when it failed for a reason the mirror may mend by itself: an index or package of the
# wrong size or hash while the mirror syncs, a timeout, a connection that broke. Any other failure,
# or the same one after the last try, stops it with the reason.
#   APT_RETRY_TRIES  tries in all (default 4)     APT_RETRY_PAUSE  seconds between them (default 30)
#   APT_RETRY_LOG    where the step's output goes (default: standard error)
apt_transient='unexpected size|Hash Sum mismatch|Mirror sync in progress|Timeout|timed out|Temporary failure|Connection failed|Connection reset|Could not connect|Error reading from server|Couldn.t download|50[234] '

apt_retry() {
    local tries=${APT_RETRY_TRIES:-4} pause=${APT_RETRY_PAUSE:-30} log=${APT_RETRY_LOG:-/dev/stderr}
    local out try rc
    out=$(mktemp "${TMPDIR:-/tmp}/apt-retry.XXXXXX")
    for ((try = 1; ; try++)); do
        rc=0
        "$@" >"$out" 2>&1 || rc=$?
        cat "$out" >>"$log"
        [ $rc -eq 0 ] && break
        local reason
        reason=$(grep -E '^(E:|Err:|W:)' "$out" | grep -iE "$apt_transient" | tail -n 1)
        [ -z "$reason" ] && [ $rc -eq 124 ] && reason="no answer within the time limit"
        if [ -n "$reason" ] && [ "$try" -lt "$tries" ]; then
            echo "apt: try $try of $tries failed for a reason the mirror may mend: $reason; again in ${pause}s" >&2
            sleep "$pause"
            continue
        fi
        echo "apt: '$*' failed (exit $rc) after $try tries:" >&2
        grep -E '^(E:|Err:|W:)' "$out" | tail -n 5 >&2 || tail -n 5 "$out" >&2
        break
    done
    rm -f "$out"
    return $rc
}
